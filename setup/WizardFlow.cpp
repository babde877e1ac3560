#include "setup/WizardFlow.h"

#include "common/Log.h"
#include "common/Messages.h"
#include "common/InstallRecord.h"
#include "common/Text.h"
#include "common/UserMessages.h"
#include "common/UserTexts.h"
#include "common/WindowBinding.h"
#include "common/WizardWindow.h"
#include "setup/Config.h"
#include "setup/FileSystem.h"
#include "setup/SetupApp.h"
#include "setup/pages/CompletePage.h"
#include "setup/pages/NaviPage.h"
#include "setup/pages/ProgressPage.h"
#include "setup/pages/RemovePage.h"
#include "setup/pages/WelcomePage.h"

namespace {

void UpdateTitle(CSetupApp* app) {
    const std::wstring& title =
        app->pageState == Complete ? app->config->completeMessage : app->config->headTitle;
    SetWindowTextW(app->mainWindow, title.c_str());
    Log(L"page %d shown", static_cast<int>(app->pageState));
}

// Places app->currentPage over the whole client area and tells it so.
void PlacePage(CSetupApp* app) {
    app->pageWindow = app->currentPage->Create();
    RECT client = {};
    GetClientRect(app->mainWindow, &client);
    SetParent(app->pageWindow, app->mainWindow);
    SetWindowPos(app->pageWindow, HWND_TOP, client.left, client.top, client.right, client.bottom, 0);
    PostMessageW(app->pageWindow, WM_PAGE_INIT, 0, 0);
    app->currentPage->OnPlaced();
}

void DropCurrentPage(CSetupApp* app) {
    if (!app->currentPage)
        return;
    SendMessageW(app->pageWindow, WM_CLOSE, 0, 0);
    app->currentPage.reset();
}

// Closing the window: only an installation in progress asks first. Nothing moves the wizard
// on while the question is open: the page holds its outcome, and a "next" it posted just
// before waits for the answer.
void ConfirmCancel(CSetupApp* app, HWND window) {
    if (app->pageState != Progress) {
        DestroyWindow(window);
        return;
    }
    SendMessageW(app->pageWindow, WM_COPY_PAUSE, 0, 0);
    MSG next;
    const bool completed = PeekMessageW(&next, window, WM_PAGE_NEXT, WM_PAGE_NEXT, PM_REMOVE);
    int answer = MessageBoxW(app->mainWindow, kCancelQuestion, kWarningCaption, MB_OKCANCEL);
    if (answer != IDOK) {
        Log(L"cancel declined");
        SendMessageW(app->pageWindow, WM_COPY_RESUME, 0, 0);
        if (completed)
            PostMessageW(window, WM_PAGE_NEXT, 0, 0);
        return;
    }
    Log(L"cancel confirmed%ls", completed ? L" after the installation had completed" : L"");
    // The page returns from the stop request only once the installation has undone itself
    // (a completed one whole) and the user has been told what is left.
    SendMessageW(app->pageWindow, WM_COPY_STOP, 0, 0);
    DestroyWindow(window);
}

} // namespace

bool CreateWizardWindow(CSetupApp* app) {
    app->mainWindow = CreateWizardFrame(app->instance, WizardWndProc, app->windowIcon.Get(), app);
    return app->mainWindow != nullptr;
}

void ShowFirstPage(CSetupApp* app) {
    app->pageState = InstallationRecorded() ? Remove : Welcome;
    if (app->pageState == Remove)
        app->currentPage = std::make_unique<CRemovePage>(app->instance, app->mainWindow, app);
    else
        app->currentPage = std::make_unique<CWelcomePage>(app->instance, app->mainWindow, app);
    PlacePage(app);
    UpdateTitle(app);
    ShowWindow(app->mainWindow, SW_SHOW);
    UpdateWindow(app->mainWindow);
    ShowWindow(app->pageWindow, SW_SHOWNORMAL);
}

bool AdvancePage(CSetupApp* app) {
    DropCurrentPage(app);
    switch (app->pageState) {
    case Welcome:
        app->pageState = Progress;
        app->currentPage = std::make_unique<CProgressPage>(app->instance, app->mainWindow, app);
        break;
    case Progress:
        if (HasSystemDisks(app)) {
            app->pageState = Complete;
            app->currentPage = std::make_unique<CCompletePage>(app->instance, app->mainWindow, app);
        } else {
            app->pageState = Notice;
            app->currentPage = std::make_unique<CNaviPage>(app->instance, app->mainWindow, app);
        }
        break;
    case Remove:
        // The removal works on any firmware; a new installation does not (see RunSetup).
        if (app->firmware == Firmware::Uefi) {
            ShowError(app->mainWindow, kUefiRefusalText);
            DestroyWindow(app->mainWindow);
            return false;
        }
        app->pageState = Welcome;
        app->currentPage = std::make_unique<CWelcomePage>(app->instance, app->mainWindow, app);
        break;
    default:
        break;
    }
    if (!app->currentPage) {
        app->pageWindow = nullptr;
        return false;
    }
    PlacePage(app);
    ShowWindow(app->pageWindow, SW_SHOW);
    UpdateTitle(app);
    return true;
}

bool ClosePage(CSetupApp* app) {
    DropCurrentPage(app);
    app->pageWindow = nullptr;
    return false;
}

bool HasSystemDisks(CSetupApp* app) {
    std::wstring copyfiles, disks;
    if (!zenta::JoinPath(app->packageDir, L"copyfiles", copyfiles) ||
        !zenta::JoinPath(copyfiles, L"Disks", disks))
        return false;
    return GetDirectorySize(disks) >= kSystemDisksBytes;
}

LRESULT CALLBACK WizardWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CSetupApp* app = BoundObject<CSetupApp>(window, message, lParam);
    if (!app)
        return DefDlgProcW(window, message, wParam, lParam);

    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        break;
    case WM_CLOSE:
    case WM_SETUP_CANCEL:
        // The Remove page switches the window off while its removal runs: that ends first,
        // and the user is told what it left.
        if (app->pageState == Remove && !IsWindowEnabled(window))
            return 0;
        ConfirmCancel(app, window);
        // DefDlgProcW would answer WM_CLOSE with IDCANCEL; the decision is already made.
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case CMD_NEXT:
            AdvancePage(app);
            break;
        case CMD_BACK:
            ClosePage(app);
            break;
        case CMD_EXIT:
            DestroyWindow(app->mainWindow);
            break;
        }
        break;
    case WM_PAGE_NEXT:
        AdvancePage(app);
        break;
    }
    return DefDlgProcW(window, message, wParam, lParam);
}
