#include "setup/pages/ProgressPage.h"

#include "common/Log.h"
#include "common/Messages.h"
#include "common/Text.h"
#include "common/UserMessages.h"
#include "resources/resource.h"
#include "setup/Config.h"
#include "setup/Installation.h"
#include "setup/ProgressText.h"
#include "setup/SetupApp.h"
#include "setup/pages/ChangingText.h"
#include "setup/pages/PagePictures.h"
#include "setup/pages/SlideShow.h"

#include <commctrl.h>

namespace {

// Waits for the installation's worker to end (the step it runs, then the rollback) while the wizard goes on
// painting and answering other programs' messages (a read stuck on a failing medium must not freeze the
// window). Only painting and sent messages are handled meanwhile: the wizard's input is switched off and
// posted requests wait until the page has finished stopping.
void WaitAnswering(HANDLE worker) {
    for (;;) {
        DWORD woke = MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, QS_PAINT | QS_SENDMESSAGE);
        if (woke != WAIT_OBJECT_0 + 1)
            return; // the worker ended, or the wait itself failed
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
            DispatchMessageW(&msg);
    }
}

} // namespace

CProgressPage::CProgressPage(HINSTANCE instance, HWND parent, CSetupApp* app)
    : CDlgBase(instance, IDD_PROGRESS, parent, app) {}

CProgressPage::~CProgressPage() {
    StopTimers();
    // The installation's own destructor waits for its worker.
    installation_.reset();
}

void CProgressPage::StopTimers() {
    if (hwnd && IsWindow(hwnd)) {
        KillTimer(hwnd, kSlideTimer);
        KillTimer(hwnd, kProgressTimer);
    }
}

void CProgressPage::OnInitDialog(HWND window) {
    int W = clientWidth, H = clientHeight;
    progressBar_ = GetDlgItem(window, IDC_PAGE_PROGRESS);
    MoveWindow(progressBar_, Scale(W, 0.05), Scale(H, 0.86), Scale(W, 0.9), Scale(H, 0.05), FALSE);
    PostMessageW(progressBar_, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    LoadBackground(app->config->background3);

    std::wstring folder;
    if (zenta::JoinPath(app->packageDir, L"ZentaImages", folder)) {
        RECT slides = {Scale(W, 0.05), Scale(H, 0.04), Scale(W, 0.95), Scale(H, 0.8)};
        slideShow_ = std::make_unique<CSlideShow>(window, folder, slides);
        slideShow_->Scan();
        slideShow_->Advance();
    }
}

void CProgressPage::OnPaint(HDC dc) {
    int W = clientWidth, H = clientHeight;
    if (slideShow_)
        slideShow_->Draw(dc);
    if (!percentText_ && !timeText_) {
        // The status lines keep a copy of the plain background under them, to restore it
        // before each new text.
        zenta::ScopedMemoryDc offscreen(CreateCompatibleDC(dc));
        zenta::ScopedBitmap image(CreateCompatibleBitmap(dc, W, H));
        zenta::ScopedSelect select(offscreen.Get(), image.Get());
        DrawBackground(offscreen.Get());
        percentText_ = std::make_unique<CChangingText>(
            offscreen.Get(), RECT{Scale(W, 0.05), Scale(H, 0.92), Scale(W, 0.4), Scale(H, 0.96)});
        percentText_->Capture();
        timeText_ = std::make_unique<CChangingText>(
            offscreen.Get(), RECT{Scale(W, 0.5), Scale(H, 0.92), Scale(W, 0.9), Scale(H, 0.96)});
        timeText_->Capture();
    }
    // A repaint (a window passing over, a screen capture) covers the status lines with the
    // background; they come back with it instead of staying away until the next tick.
    if (!percentLine_.empty())
        percentText_->Show(percentLine_, dc);
    if (!timeLine_.empty())
        timeText_->Show(timeLine_, dc);
}

void CProgressPage::StartInstallation() {
    startTick_ = GetTickCount();
    SetTimer(hwnd, kSlideTimer, 5000, nullptr);
    SetTimer(hwnd, kProgressTimer, 1000, nullptr);
    finished_ = false;
    installation_ = std::make_unique<CInstallation>(app->packageDir, app->targetDrive, app->windowsKind,
                                                    app->turnOffFastStartup);
    if (!installation_->Start())
        Abandon();
}

void CProgressPage::UpdateProgress() {
    if (!installation_ || finished_)
        return;
    int p = 0;
    InstallState state = installation_->Poll(p);
    if (asking_ && state != InstallState::Running) {
        PostMessageW(progressBar_, PBM_SETPOS, static_cast<WPARAM>(p), 0);
        return; // the answer decides what comes next
    }
    if (state == InstallState::Failed || state == InstallState::Cancelled) {
        Abandon();
        return;
    }
    PostMessageW(progressBar_, PBM_SETPOS, static_cast<WPARAM>(p), 0);
    if (state == InstallState::Completed) {
        finished_ = true;
        app->completeNotes = installation_->Notes();
        PostMessageW(app->mainWindow, WM_PAGE_NEXT, 0, 0);
        return;
    }
    zenta::ScopedWindowDc dc(hwnd);
    unsigned elapsed = ElapsedSeconds(GetTickCount(), startTick_);
    if (percentText_) {
        percentLine_ = PercentLine(p);
        percentText_->Show(percentLine_, dc.Get());
    }
    if (timeText_) {
        timeLine_ = TimeLine(elapsed, RemainingSeconds(p, elapsed));
        timeText_->Show(timeLine_, dc.Get());
    }
}

void CProgressPage::Abandon() {
    finished_ = true;
    StopTimers();
    // The installation has undone itself already; the boxes come in the order it happened.
    ShowWarnings(installation_->Warnings());
    if (!installation_->Failure().empty())
        ShowError(app->mainWindow, installation_->Failure());
    ReportRemoval(app->mainWindow, installation_->Rollback());
    DestroyWindow(app->mainWindow);
}

void CProgressPage::CancelInstallation() {
    StopTimers();
    finished_ = true;
    if (!installation_)
        return;
    int percent = 0;
    if (installation_->Poll(percent) == InstallState::Failed) {
        Abandon(); // undone already, by the failure the user hears of
        return;
    }
    EnableWindow(app->mainWindow, FALSE);
    installation_->Cancel(WaitAnswering);
    EnableWindow(app->mainWindow, TRUE);
    if (ReportRemoval(app->mainWindow, installation_->Rollback()) != RemovalReport::Left)
        Log(L"cancel done: the installation is undone");
}

INT_PTR CProgressPage::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == kSlideTimer) {
            if (slideShow_)
                slideShow_->Advance();
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
        asking_ = true;
        if (installation_)
            installation_->Pause();
        break;
    case WM_COPY_RESUME:
        asking_ = false;
        if (installation_)
            installation_->Resume();
        break;
    case WM_COPY_STOP:
        // Returns only once the installation is undone and the user has been told what is left.
        CancelInstallation();
        break;
    }
    return CDlgBase::HandleMessage(window, message, wParam, lParam);
}
