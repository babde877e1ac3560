// CWelcomePage: target drive choice and the button that starts the installation once the
// checks of Preflight pass; the page only shows their findings and logs the answers.
#pragma once
#include "common/ScopedWin.h"
#include "setup/Drives.h"
#include "setup/Preflight.h"
#include "setup/pages/DlgBase.h"

#include <memory>
#include <vector>

class CWelcomePage : public CDlgBase {
  public:
    CWelcomePage(HINSTANCE instance, HWND parent, CSetupApp* app);
    ~CWelcomePage() override;
    void OnPlaced() override;

  protected:
    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInitDialog(HWND window) override;
    void OnPaint(HDC dc) override;

  private:
    void OnSelectionChange();
    // The button's checks: their facts are gathered on a worker (the button and the drive
    // box wait meanwhile); the findings are shown when they arrive.
    void StartChecks();
    // The worker's facts have arrived: true when the wizard may go on.
    bool FinishChecks();
    void WaitForChecks();
    static DWORD WINAPI GatherFacts(void* job);
    // Shows the findings of the checks in order and logs the answers: true when none refused
    // and no answer keeps the page.
    bool ShowFindings(const std::vector<Finding>& findings) const;

    struct ChecksJob {
        std::wstring packageDir;
        WindowsKind kind;
        wchar_t drive;
        unsigned long long freeBytes;
        HWND page;
        PreflightFacts facts;
    };
    std::unique_ptr<ChecksJob> checks_;
    zenta::ScopedHandle checksThread_;
    std::vector<DriveEntry> drives_;
    int selected_ = -1;
    std::unique_ptr<CEmoButton> nextButton_;
    HWND driveBox_ = nullptr;
};
