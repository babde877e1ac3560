// CWelcomePage: target drive choice and the button that starts the installation.
#pragma once
#include "setup/Drives.h"
#include "setup/pages/DlgBase.h"
#include "setup/pages/EmoButton.h"

#include <memory>
#include <vector>

struct CSetupApp;

class CWelcomePage : public CDlgBase {
  public:
    CWelcomePage(HINSTANCE instance, HWND parent, CSetupApp* app);
    ~CWelcomePage() override;

    void OnPlaced() override;
    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInitDialog(HWND window) override;
    void OnPaint(HWND window) override;

    int clientWidth, clientHeight;
    HWND dialogWindow = nullptr;
    std::vector<DriveEntry> drives;
    int selected = -1;
    std::unique_ptr<CEmoButton> nextButton;
    CSetupApp* app;

  private:
    void OnSelectionChange();
    // The space check of the button: true lets the wizard go on.
    bool CheckSelectedDrive() const;
    HWND driveBox_ = nullptr;
};
