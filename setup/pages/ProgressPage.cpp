#include "setup/pages/ProgressPage.h"

#include "common/Messages.h"
#include "setup/Config.h"
#include "setup/SetupApp.h"
#include "setup/pages/PageLayout.h"
#include "setup/pages/PagePictures.h"

#include <commctrl.h>

CProgressPage::CProgressPage(HINSTANCE instance, HWND parent, CSetupApp* app_)
    : CDlgBase(instance, 117, parent), app(app_) {
    SIZE client = ClientSizeOf(parent);
    clientWidth = client.cx;
    clientHeight = client.cy;
}

CProgressPage::~CProgressPage() = default;

void CProgressPage::OnInitDialog(HWND window) {
    int W = clientWidth, H = clientHeight;
    progressBar = GetDlgItem(window, IDC_PAGE_PROGRESS);
    MoveWindow(progressBar, Scale(W, 0.05), Scale(H, 0.86), Scale(W, 0.9), Scale(H, 0.05), FALSE);
    PostMessageW(progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    LoadPageBackground(*app, app->config->background3, window, SIZE{W, H});
}

INT_PTR CProgressPage::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        FreePagePictures(window);
        EndDialog(window, 0);
    }
    return CDlgBase::HandleMessage(window, message, wParam, lParam);
}

void CProgressPage::OnPaint(HWND window) {
    zenta::ScopedPaint paint(window);
    DrawPagePictures(window, paint.Get(), clientWidth, clientHeight);
}
