// CProgressPage: starts the installation, which runs on a worker of its own, and shows its
// progress: bar, slide show, percentage and time lines over the background picture; and the
// boxes of a failure or a cancel.
#pragma once
#include "setup/pages/DlgBase.h"

#include <memory>
#include <string>

class CInstallation;
class CSlideShow;
class CChangingText;

enum : UINT_PTR {
    kSlideTimer = 10,    // next slide every 5 s
    kProgressTimer = 20, // progress every second
};

class CProgressPage : public CDlgBase {
  public:
    CProgressPage(HINSTANCE instance, HWND parent, CSetupApp* app);
    ~CProgressPage() override;

  protected:
    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInitDialog(HWND window) override;
    void OnPaint(HDC dc) override;

  private:
    void StartInstallation();
    void UpdateProgress();
    // Cancels the installation while the user still sees a window that paints and answers,
    // then reports what its undoing left; a failure that came first is reported as one.
    void CancelInstallation();
    // Tells the user why the installation could not go on and what undoing it left; ends Setup.
    void Abandon();
    void StopTimers();

    HWND progressBar_ = nullptr;
    std::unique_ptr<CSlideShow> slideShow_;
    std::unique_ptr<CInstallation> installation_;
    std::unique_ptr<CChangingText> percentText_;
    std::unique_ptr<CChangingText> timeText_;
    DWORD startTick_ = 0;
    bool finished_ = false;
    // The user is being asked whether to cancel: an outcome waits for the answer.
    bool asking_ = false;
    // The status texts last shown, drawn again by every repaint.
    std::wstring percentLine_, timeLine_;
};
