#include "setup/SetupApp.h"

#include "setup/Config.h"
#include "setup/pages/DlgBase.h"

CSetupApp::CSetupApp(HINSTANCE instance_, const std::wstring& packageDir_)
    // The program carries on even without COM: every COM-based read then finds nothing.
    : com(std::make_unique<zenta::ScopedCoInit>()), instance(instance_) {
    LoadConfiguration(*this, packageDir_);
}

CSetupApp::~CSetupApp() {
    Shutdown();
}

void CSetupApp::Shutdown() {
    currentPage.reset();
    config.reset();
    windowIcon.Reset();
    if (mainWindow) {
        DestroyWindow(mainWindow);
        mainWindow = nullptr;
    }
    com.reset();
}
