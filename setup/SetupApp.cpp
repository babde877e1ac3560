#include "setup/SetupApp.h"

#include "setup/Config.h"
#include "setup/pages/DlgBase.h"
#include "setup/pages/PagePictures.h"

#include <vector>

CSetupApp::CSetupApp(HINSTANCE instance_, const std::wstring& packageDir_)
    // The program carries on even without COM: every COM-based read then finds nothing.
    : com(std::make_unique<zenta::ScopedCoInit>()), instance(instance_) {
    LoadConfiguration(*this, packageDir_);
}

CSetupApp::~CSetupApp() {
    Shutdown();
}

void CSetupApp::PrepareBackgrounds(bool removeFirst) {
    RECT client = {};
    GetClientRect(mainWindow, &client);
    const std::wstring* names[] = {&config->background0, &config->background1, &config->background3,
                                   &config->background4, &config->background2};
    std::vector<std::wstring> paths;
    std::wstring path;
    for (size_t i = removeFirst ? 0 : 1; i < sizeof names / sizeof names[0]; ++i)
        if (CDlgBase::BackgroundPath(packageDir, *names[i], path))
            paths.push_back(path);
    backgrounds.reset();
    backgrounds =
        std::make_unique<CPagePicturePreparer>(paths, client.right - client.left, client.bottom - client.top);
}

void CSetupApp::Shutdown() {
    currentPage.reset();
    // Waits for the preparing worker.
    backgrounds.reset();
    config.reset();
    windowIcon.Reset();
    if (mainWindow) {
        DestroyWindow(mainWindow);
        mainWindow = nullptr;
    }
    com.reset();
}
