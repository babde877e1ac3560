#include "setup/pages/ProgressPage.h"

#include "common/Messages.h"
#include "common/Text.h"
#include "setup/Config.h"
#include "setup/CopyJob.h"
#include "setup/SetupApp.h"
#include "setup/pages/ChangingText.h"
#include "setup/pages/PageLayout.h"
#include "setup/pages/PagePictures.h"
#include "setup/pages/SlideShow.h"

#include <commctrl.h>

CProgressPage::CProgressPage(HINSTANCE instance, HWND parent, CSetupApp* app_)
    : CDlgBase(instance, 117, parent), app(app_) {
    SIZE client = ClientSizeOf(parent);
    clientWidth = client.cx;
    clientHeight = client.cy;
}

CProgressPage::~CProgressPage() {
    StopTimers();
    // The job's own destructor stops its worker and waits for it.
    job.reset();
}

void CProgressPage::StopTimers() {
    if (hwnd && IsWindow(hwnd)) {
        KillTimer(hwnd, kSlideTimer);
        KillTimer(hwnd, kProgressTimer);
    }
}

void CProgressPage::OnInitDialog(HWND window) {
    int W = clientWidth, H = clientHeight;
    progressBar = GetDlgItem(window, IDC_PAGE_PROGRESS);
    MoveWindow(progressBar, Scale(W, 0.05), Scale(H, 0.86), Scale(W, 0.9), Scale(H, 0.05), FALSE);
    PostMessageW(progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    LoadPageBackground(*app, app->config->background3, window, SIZE{W, H});

    std::wstring folder;
    if (zenta::JoinPath(app->packageDir, L"ZentaImages", folder)) {
        RECT slides = {Scale(W, 0.05), Scale(H, 0.04), Scale(W, 0.95), Scale(H, 0.8)};
        slideShow = std::make_unique<CSlideShow>(window, folder, slides);
        slideShow->Scan();
        slideShow->Advance();
    }
}

void CProgressPage::OnPaint(HWND window) {
    zenta::ScopedPaint paint(window);
    HDC dc = paint.Get();
    int W = clientWidth, H = clientHeight;
    DrawPagePictures(window, dc, W, H);
    if (slideShow)
        slideShow->Draw(dc);
    SetBkMode(dc, TRANSPARENT);
    if (!percentText && !timeText) {
        // The status lines keep a copy of the plain background under them, to restore it
        // before each new text.
        zenta::ScopedMemoryDc offscreen(CreateCompatibleDC(dc));
        zenta::ScopedBitmap image(CreateCompatibleBitmap(dc, W, H));
        zenta::ScopedSelect select(offscreen.Get(), image.Get());
        DrawPagePictures(window, offscreen.Get(), W, H);
        percentText = std::make_unique<CChangingText>(
            offscreen.Get(), RECT{Scale(W, 0.05), Scale(H, 0.92), Scale(W, 0.4), Scale(H, 0.96)});
        percentText->Capture();
        timeText = std::make_unique<CChangingText>(
            offscreen.Get(), RECT{Scale(W, 0.5), Scale(H, 0.92), Scale(W, 0.9), Scale(H, 0.96)});
        timeText->Capture();
    }
    // A repaint (a window passing over, a screen capture) covers the status lines with the
    // background; they come back with it instead of staying away until the next tick.
    if (percentText && !percentLine_.empty())
        percentText->Show(percentLine_, dc);
    if (timeText && !timeLine_.empty())
        timeText->Show(timeLine_, dc);
}

INT_PTR CProgressPage::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        FreePagePictures(window);
        EndDialog(window, 0);
        break;
    case WM_TIMER:
        if (wParam == kSlideTimer) {
            if (slideShow)
                slideShow->Advance();
            return 0;
        }
        if (wParam == kProgressTimer) {
            UpdateProgress();
            return 0;
        }
        break;
    case WM_PAGE_INIT:
        StartInstallation();
        break;
    case WM_COPY_PAUSE:
        if (job)
            job->RequestPause();
        break;
    case WM_COPY_RESUME:
        if (job)
            job->RequestResume();
        break;
    case WM_COPY_STOP:
        // Returns only when the worker has ended, so that the removal that follows never
        // races a file still being written.
        StopTimers();
        if (job)
            job->Stop();
        break;
    }
    return CDlgBase::HandleMessage(window, message, wParam, lParam);
}
