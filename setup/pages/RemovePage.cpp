#include "setup/pages/RemovePage.h"

#include "common/Messages.h"
#include "common/UserMessages.h"
#include "resources/resource.h"
#include "setup/Config.h"
#include "setup/SetupApp.h"

CRemovePage::CRemovePage(HINSTANCE instance, HWND parent, CSetupApp* app)
    : CDlgBase(instance, IDD_REMOVE, parent, app) {}

void CRemovePage::OnInitDialog(HWND) {
    removeButton_ =
        AttachButton(IDC_PAGE_NEXT, ForwardButtonPlace(), true, app->config->buttonContinue.c_str());
    LoadBackground(app->config->background0);
    if (removeButton_)
        SetFocus(removeButton_->Window());
}

void CRemovePage::StartRemoval() {
    if (removal_)
        return; // a second press while the first removal runs, or after it
    removal_ = std::make_unique<CRemovalWorker>(app->windowsKind, hwnd);
    EnableWindow(app->mainWindow, FALSE);
    removal_->Start();
}

void CRemovePage::FinishRemoval() {
    if (!removal_ || removal_->Running())
        return;
    EnableWindow(app->mainWindow, TRUE);
    // What is left stays recorded, so the next start offers the removal again; installing
    // over it now would lose track of it. What no removal can take, once the user has chosen
    // to forget it, no longer holds Setup.
    if (ReportRemoval(app->mainWindow, removal_->Outcome()) == RemovalReport::Left) {
        DestroyWindow(app->mainWindow);
        return;
    }
    PostMessageW(parent, WM_COMMAND, CMD_NEXT, IDC_PAGE_NEXT);
}

INT_PTR CRemovePage::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        // Only the button removes; Escape (IDCANCEL) and every other command leave the page as it is.
        if (LOWORD(wParam) == IDC_PAGE_NEXT)
            StartRemoval();
        return 0;
    case WM_REMOVAL_DONE:
        FinishRemoval();
        return 0;
    case WM_PAGE_INIT:
        ActivateButton(removeButton_.get());
        break;
    }
    return CDlgBase::HandleMessage(window, message, wParam, lParam);
}
