#include "uninstall/UninstallApp.h"

#include "common/Messages.h"
#include "common/WizardWindow.h"

#include <objbase.h>

namespace {
const int kIconResource = 5;
}

CUninstallApp::CUninstallApp(HINSTANCE instanceHandle) : instance(instanceHandle) {
    comInitialized_ = SUCCEEDED(CoInitialize(nullptr));
    windowIcon.Reset(static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
}

CUninstallApp::~CUninstallApp() {
    if (mainWindow)
        DestroyWindow(mainWindow);
    mainWindow = nullptr;
    windowIcon.Reset();
    if (comInitialized_)
        CoUninitialize();
}

bool CUninstallApp::CreateMainWindow() {
    mainWindow = CreateWizardFrame(instance, WindowProc, windowIcon.Get(), this);
    return mainWindow != nullptr;
}

LRESULT CALLBACK CUninstallApp::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* app = reinterpret_cast<CUninstallApp*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (app) {
        switch (message) {
        case WM_DESTROY:
            app->mainWindow = nullptr;
            PostQuitMessage(0);
            break;
        case WM_CLOSE:
        case WM_SETUP_CANCEL:
            // Closing the uninstaller never removes anything and asks nothing.
            DestroyWindow(window);
            return 0;
        default:
            break;
        }
    }
    return DefDlgProcW(window, message, wParam, lParam);
}
