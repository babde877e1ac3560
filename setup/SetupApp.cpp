#include "setup/SetupApp.h"

#include "setup/Config.h"
#include "setup/pages/DlgBase.h"

#include <objbase.h>

CSetupApp::CSetupApp(HINSTANCE instance_) {
    // The program carries on even without COM: every COM-based read then finds nothing.
    comInitialized_ = SUCCEEDED(CoInitialize(nullptr));
    instance = instance_;
    LoadConfiguration(*this);
}

CSetupApp::~CSetupApp() {
    Shutdown();
}

void CSetupApp::Shutdown() {
    currentPage.reset();
    config.reset();
    if (windowIcon) {
        DestroyIcon(windowIcon);
        windowIcon = nullptr;
    }
    if (mainWindow) {
        DestroyWindow(mainWindow);
        mainWindow = nullptr;
    }
    if (comInitialized_) {
        CoUninitialize();
        comInitialized_ = false;
    }
}
