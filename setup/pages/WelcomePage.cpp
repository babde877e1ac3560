#include "setup/pages/WelcomePage.h"

#include "common/Messages.h"
#include "setup/Config.h"
#include "setup/SetupApp.h"
#include "setup/pages/PageLayout.h"
#include "setup/pages/PagePictures.h"

CWelcomePage::CWelcomePage(HINSTANCE instance, HWND parent, CSetupApp* app_)
    : CDlgBase(instance, 101, parent), app(app_) {
    SIZE client = ClientSizeOf(parent);
    clientWidth = client.cx;
    clientHeight = client.cy;
}

CWelcomePage::~CWelcomePage() = default;

void CWelcomePage::OnInitDialog(HWND window) {
    dialogWindow = window;
    int W = clientWidth, H = clientHeight;
    RECT place = {Scale(W, 0.822), Scale(H, 0.9), Scale(W, 0.822) + Scale(W, 0.06), Scale(H, 0.9) + Scale(H, 0.03)};
    nextButton = AttachImageButton(window, IDC_PAGE_NEXT, place, true, app->config->buttonContinue.c_str(),
                                   app->config->fontButtonText);
    LoadPageBackground(*app, app->config->background1, window, SIZE{W, H});
    if (nextButton)
        SetFocus(nextButton->hwnd);
}

void CWelcomePage::OnPlaced() {}

INT_PTR CWelcomePage::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        FreePagePictures(window);
        EndDialog(window, 0);
        break;
    case WM_PAGE_INIT:
        if (nextButton) {
            EnableWindow(nextButton->hwnd, TRUE);
            SetFocus(nextButton->hwnd);
        }
        break;
    }
    return CDlgBase::HandleMessage(window, message, wParam, lParam);
}

void CWelcomePage::OnPaint(HWND window) {
    zenta::ScopedPaint paint(window);
    DrawPagePictures(window, paint.Get(), clientWidth, clientHeight);
}
