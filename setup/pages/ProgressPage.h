// CProgressPage: runs the installation and shows its progress: bar, slide show, percentage
// and time lines over the background picture.
#pragma once
#include "setup/pages/DlgBase.h"

#include <memory>
#include <string>

struct CSetupApp;
class CCopyJob;
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

    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInitDialog(HWND window) override;
    void OnPaint(HWND window) override;

    void StartInstallation();
    void UpdateProgress();
    void WriteUninstallRecord();

    int clientWidth, clientHeight;
    HWND progressBar = nullptr;
    CSetupApp* app;
    std::unique_ptr<CSlideShow> slideShow;
    std::unique_ptr<CCopyJob> job;
    std::unique_ptr<CChangingText> percentText;
    std::unique_ptr<CChangingText> timeText;
    DWORD startTick = 0;

  private:
    void StopTimers();
    void ReportCopyFailure();
    bool finished_ = false;
    // The status texts last shown, drawn again by every repaint.
    std::wstring percentLine_, timeLine_;
};
