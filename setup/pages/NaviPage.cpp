#include "setup/pages/NaviPage.h"

#include "common/Messages.h"
#include "setup/Config.h"
#include "setup/SetupApp.h"
#include "setup/pages/PageLayout.h"
#include "setup/pages/PagePictures.h"

CNaviPage::CNaviPage(HINSTANCE instance, HWND parent, CSetupApp* app_)
    : CDlgBase(instance, 120, parent), app(app_) {
    SIZE client = ClientSizeOf(parent);
    clientWidth = client.cx;
    clientHeight = client.cy;
}

CNaviPage::~CNaviPage() = default;

void CNaviPage::OnInitDialog(HWND window) {
    int W = clientWidth, H = clientHeight;
    RECT place = {Scale(W, 0.822), Scale(H, 0.9), Scale(W, 0.822) + Scale(W, 0.06), Scale(H, 0.9) + Scale(H, 0.03)};
    closeButton = AttachImageButton(window, IDC_PAGE_CLOSE, place, true, L"关闭", app->config->fontButtonText);
    LoadPageBackground(*app, app->config->background2, window, SIZE{W, H});
    if (closeButton)
        SetFocus(closeButton->hwnd);
}

INT_PTR CNaviPage::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        FreePagePictures(window);
        EndDialog(window, 0);
        break;
    case WM_PAGE_INIT:
        if (closeButton) {
            EnableWindow(closeButton->hwnd, TRUE);
            SetFocus(closeButton->hwnd);
        }
        break;
    }
    return CDlgBase::HandleMessage(window, message, wParam, lParam);
}

void CNaviPage::OnPaint(HWND window) {
    zenta::ScopedPaint paint(window);
    DrawPagePictures(window, paint.Get(), clientWidth, clientHeight);
}
