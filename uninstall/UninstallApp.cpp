#include "uninstall/UninstallApp.h"

#include "common/Messages.h"
#include "common/WindowBinding.h"
#include "common/WizardWindow.h"
#include "resources/resource.h"

CUninstallApp::CUninstallApp(HINSTANCE instanceHandle) : instance(instanceHandle) {
    windowIcon.Reset(static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_UNINSTALL), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
}

CUninstallApp::~CUninstallApp() {
    if (mainWindow)
        DestroyWindow(mainWindow);
    mainWindow = nullptr;
}

bool CUninstallApp::CreateMainWindow() {
    mainWindow = CreateWizardFrame(instance, WindowProc, windowIcon.Get(), this);
    return mainWindow != nullptr;
}

LRESULT CALLBACK CUninstallApp::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* app = BoundObject<CUninstallApp>(window, message, lParam);
    if (app) {
        switch (message) {
        case WM_DESTROY:
            app->mainWindow = nullptr;
            PostQuitMessage(0);
            break;
        case WM_CLOSE:
        case WM_SETUP_CANCEL:
            // Closing the uninstaller never removes anything and asks nothing; once a removal
            // has begun it ends first and the user is told what it left.
            if (!app->removing)
                DestroyWindow(window);
            return 0;
        default:
            break;
        }
    }
    return DefDlgProcW(window, message, wParam, lParam);
}
