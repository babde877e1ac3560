// CRemovePage: offers to remove the recorded installation, then leads to the Welcome page.
#pragma once
#include "setup/pages/DlgBase.h"
#include "setup/pages/EmoButton.h"

#include <memory>

struct CSetupApp;

class CRemovePage : public CDlgBase {
  public:
    CRemovePage(HINSTANCE instance, HWND parent, CSetupApp* app);
    ~CRemovePage() override;

    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInitDialog(HWND window) override;
    void OnPaint(HWND window) override;

    int clientWidth, clientHeight;
    std::unique_ptr<CEmoButton> removeButton;
    CSetupApp* app;
};
