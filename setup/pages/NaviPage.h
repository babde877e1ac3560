// CNaviPage: the notice shown when the package lacks the large system files.
#pragma once
#include "setup/pages/DlgBase.h"
#include "setup/pages/EmoButton.h"

#include <memory>

struct CSetupApp;

class CNaviPage : public CDlgBase {
public:
    CNaviPage(HINSTANCE instance, HWND parent, CSetupApp* app);
    ~CNaviPage() override;

    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInitDialog(HWND window) override;
    void OnPaint(HWND window) override;

    int clientWidth, clientHeight;
    std::unique_ptr<CEmoButton> closeButton;
    CSetupApp* app;
};
