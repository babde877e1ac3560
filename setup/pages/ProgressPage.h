// CProgressPage: runs the installation and shows its progress.
#pragma once
#include "setup/pages/DlgBase.h"

struct CSetupApp;

class CProgressPage : public CDlgBase {
public:
    CProgressPage(HINSTANCE instance, HWND parent, CSetupApp* app);
    ~CProgressPage() override;

    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInitDialog(HWND window) override;
    void OnPaint(HWND window) override;

    int clientWidth, clientHeight;
    HWND progressBar = nullptr;
    CSetupApp* app;
};
