// CWelcomePage: target drive choice and the button that starts the installation, once the
// package is complete, the drive has room and nothing on it would lead the copy elsewhere.
#pragma once
#include "setup/Drives.h"
#include "setup/Preflight.h"
#include "setup/pages/DlgBase.h"

#include <memory>
#include <vector>

class CWelcomePage : public CDlgBase {
  public:
    CWelcomePage(HINSTANCE instance, HWND parent, CSetupApp* app);
    void OnPlaced() override;

  protected:
    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInitDialog(HWND window) override;
    void OnPaint(HDC dc) override;

  private:
    void OnSelectionChange();
    // The checks of the button, each telling the user what is wrong: true lets the wizard go on.
    bool ReadyToInstall() const;
    // Shows the findings of the checks in order and logs the answers: true when none refused
    // and no answer keeps the page.
    bool ShowFindings(const std::vector<Finding>& findings) const;

    std::vector<DriveEntry> drives_;
    int selected_ = -1;
    std::unique_ptr<CEmoButton> nextButton_;
    HWND driveBox_ = nullptr;
};
