#include "setup/pages/RemovePage.h"

#include "common/Messages.h"
#include "common/Removal.h"
#include "setup/Config.h"
#include "setup/SetupApp.h"
#include "setup/pages/PageLayout.h"
#include "setup/pages/PagePictures.h"

CRemovePage::CRemovePage(HINSTANCE instance, HWND parent, CSetupApp* app_)
    : CDlgBase(instance, 118, parent), app(app_) {
    SIZE client = ClientSizeOf(parent);
    clientWidth = client.cx;
    clientHeight = client.cy;
}

CRemovePage::~CRemovePage() = default;

void CRemovePage::OnInitDialog(HWND window) {
    int W = clientWidth, H = clientHeight;
    RECT place = ForwardButtonPlace(W, H);
    removeButton = AttachImageButton(window, IDC_PAGE_NEXT, place, true, app->config->buttonContinue.c_str(),
                                     app->config->fontButtonText);
    LoadPageBackground(*app, app->config->background0, window, SIZE{W, H});
    if (removeButton)
        SetFocus(removeButton->hwnd);
}

INT_PTR CRemovePage::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        FreePagePictures(window);
        EndDialog(window, 0);
        break;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_PAGE_NEXT)
            RemoveInstallation(app->windowsKind); // Setup goes on to Welcome whatever it achieved
        FreePagePictures(window);
        EndDialog(window, 0);
        break;
    case WM_PAGE_INIT:
        ActivateButton(removeButton.get());
        break;
    }
    return CDlgBase::HandleMessage(window, message, wParam, lParam);
}

void CRemovePage::OnPaint(HWND window) {
    zenta::ScopedPaint paint(window);
    DrawPagePictures(window, paint.Get(), clientWidth, clientHeight);
    SetBkMode(paint.Get(), TRANSPARENT);
}
