// CInstallation: the installation itself, on a worker thread of its own so that the wizard
// never waits for it: record the target drive and its volume, copy the package, check what
// was copied, register the boot entry, write the uninstall record; after a failure or a
// cancel, undo what was done. The boot entry comes last but for the uninstall record, so
// that it never points at files that are not there yet. It needs no window: the page starts
// it, polls it once a second, passes the user's requests on and shows every box itself.
#pragma once
#include "common/Removal.h"
#include "common/ScopedWin.h"
#include "common/WindowsKind.h"
#include "setup/CopyJob.h"
#include "setup/WorkerControl.h"

#include <windows.h>
#include <string>
#include <vector>

enum class InstallState { Running, Completed, Failed, Cancelled };

class CInstallation {
  public:
    // `turnOffFastStartup`: the user asked for Fast Startup to be turned off (recorded, so
    // that the removal turns it on again).
    CInstallation(const std::wstring& packageDir, wchar_t drive, WindowsKind kind,
                  bool turnOffFastStartup = false);
    // Cancels a sequence that has not completed and waits for the worker and its rollback.
    ~CInstallation();
    CInstallation(const CInstallation&) = delete;
    CInstallation& operator=(const CInstallation&) = delete;

    // Starts the worker. False (Failure() says why) when it cannot run; nothing is done then.
    bool Start();
    // The state, and the percentage (100 only once everything is in place). Once the state is
    // no longer Running, Failure(), Warnings() and Rollback() are final.
    InstallState Poll(int& percent);
    // The copy pauses at its next check; any other step runs to its end and the next waits.
    // One control serves every step, the copy's chunks included.
    void Pause();
    void Resume();
    // The step that runs ends (the copy at its next check), then everything done so far is
    // undone; a completed installation is undone whole. Returns once the worker has ended,
    // waiting through `wait` (given the worker's handle) so that the caller goes on answering.
    void Cancel(void (*wait)(HANDLE worker));

    const std::wstring& Failure() const { return failure_; }
    const std::vector<std::wstring>& Warnings() const { return warnings_; }
    // Lines for the Complete page (one per line): what the user should do before starting
    // Zenta LUM (a fragmented system image). Final once the state is Completed.
    const std::wstring& Notes() const { return notes_; }
    // What undoing the installation left, after a failure or a cancel.
    const RemovalOutcome& Rollback() const { return rollback_; }

  private:
    static DWORD WINAPI ThreadMain(void* installation);
    void Run();
    // The steps, in order; each false when the installation cannot go on.
    bool Record();
    bool TurnOffFastStartupIfAsked();
    bool Copy();
    bool CheckCopy();
    bool CheckLoaderFile(const std::wstring& path, bool image);
    bool RegisterBoot();
    bool WriteUninstallRecord();
    bool Fail(const std::wstring& text);
    void ReportCopyEnd(const CopyOutcome& outcome);

    std::wstring packageDir_;
    wchar_t drive_;
    WindowsKind kind_;
    bool turnOffFastStartup_;
    std::wstring directory_; // the installation directory
    CWorkerControl control_;
    CCopyJob job_;
    // Manual-reset: set once the page has moved on from a completed installation, which is
    // then no longer undone.
    zenta::ScopedHandle release_;
    zenta::ScopedHandle thread_;
    volatile LONG state_ = static_cast<LONG>(InstallState::Running);

    // Records in "Made" what the copy made, and keeps it here too for the rollback, which
    // undoes what this run made even where the record could not take it.
    struct MadeRecord : IMadeRecorder {
        bool RecordMade(DWORD item) override;
        DWORD made = 0;
    } madeRecord_;
    // The worker's until it has ended.
    bool bootEntryMade_ = false;
    std::wstring failure_;
    std::vector<std::wstring> warnings_;
    std::wstring notes_;
    RemovalOutcome rollback_;
};
