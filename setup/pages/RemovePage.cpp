#include "setup/pages/RemovePage.h"

#include "common/Messages.h"
#include "common/Removal.h"
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

INT_PTR CRemovePage::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        // Only the button removes; Escape (IDCANCEL) and every other command leave the page as it is.
        if (LOWORD(wParam) != IDC_PAGE_NEXT)
            return 0;
        // What is left stays recorded, so the next start offers the removal again; installing
        // over it now would lose track of it.
        if (!ReportRemoval(app->mainWindow, RemoveInstallation(app->windowsKind))) {
            DestroyWindow(app->mainWindow);
            return 0;
        }
        break;
    case WM_PAGE_INIT:
        ActivateButton(removeButton_.get());
        break;
    }
    return CDlgBase::HandleMessage(window, message, wParam, lParam);
}
