// CCompletePage: the end of a complete installation: restart now or later.
#pragma once
#include "setup/pages/DlgBase.h"
#include "setup/pages/EmoButton.h"

#include <memory>

struct CSetupApp;

class CCompletePage : public CDlgBase {
  public:
    CCompletePage(HINSTANCE instance, HWND parent, CSetupApp* app);
    ~CCompletePage() override;

    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInitDialog(HWND window) override;
    void OnPaint(HWND window) override;

    int clientWidth, clientHeight;
    std::unique_ptr<CEmoButton> laterButton;
    std::unique_ptr<CEmoButton> restartButton;
    CSetupApp* app;
};
