// CInstallation: the installation itself, as the Progress page runs it: record the target
// drive, register the boot entry, copy the package on a worker thread, and once everything
// is in place write the uninstall record. It needs no window: the page starts it, polls it
// once a second and passes the user's requests on.
#pragma once
#include "common/Removal.h"
#include "common/WindowsKind.h"
#include "setup/CopyJob.h"

#include <windows.h>
#include <memory>
#include <string>
#include <vector>

class CInstallation {
  public:
    CInstallation(const std::wstring& packageDir, wchar_t drive, WindowsKind kind);
    // Stops the worker and waits for it.
    ~CInstallation();
    CInstallation(const CInstallation&) = delete;
    CInstallation& operator=(const CInstallation&) = delete;

    // Records the drive, registers the boot entry and starts the copy. False when a step the
    // installation cannot do without failed (nothing is copied then); Failure() holds the
    // text for the user and Warnings() what the boot configuration had to say first.
    bool Start();
    // The copy's state, and its percentage (100 only once it has completed).
    CopyState Poll(int& percent);
    // After the copy completed: checks that what the boot entry and the removal need is in
    // place and writes the uninstall record. False (Failure() says why) when it is not.
    bool Finish();
    void Pause();
    void Resume();
    // Stops the copy and waits until the worker has ended, through `wait` (given the
    // worker's handle), so that the caller can go on answering the user meanwhile.
    void Stop(void (*wait)(HANDLE worker));
    // Removes what the installation made so far (the recorded installation).
    RemovalOutcome Remove();

    const std::wstring& Failure() const { return failure_; }
    const std::vector<std::wstring>& Warnings() const { return warnings_; }
    // The installation directory, drive letter + ":\zentaos".
    const std::wstring& Directory() const { return directory_; }

  private:
    bool RegisterBoot();
    bool WriteUninstallRecord();
    bool Fail(const std::wstring& text);
    void ReportCopyEnd(const CopyOutcome& outcome);

    std::wstring packageDir_;
    wchar_t drive_;
    WindowsKind kind_;
    std::wstring directory_;
    std::unique_ptr<CCopyJob> job_;
    bool endReported_ = false;
    std::wstring failure_;
    std::vector<std::wstring> warnings_;
};
