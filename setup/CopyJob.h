// CCopyJob: copies the package's system files into the installation directory, as a step of
// the installation's worker: counts the bytes for the progress display and obeys the
// worker's pause and stop.
#pragma once
#include "common/ScopedWin.h"
#include "common/WindowsKind.h"
#include "setup/WorkerControl.h"

#include <windows.h>
#include <string>

enum class CopyState { Running, Completed, Stopped, Failed };

// How the job ended, or Running while it has not. A failure carries the Win32 error and the
// path it concerns: the source file that could not be read or copied, the target file that
// could not be written, the installation directory or boot loader file that could not be
// made (or is a link), or the path that would not fit MAX_PATH.
struct CopyOutcome {
    CopyState state = CopyState::Running;
    DWORD error = ERROR_SUCCESS;
    std::wstring fileName;
    int files = 0;          // copied
    DWORD milliseconds = 0; // how long the copy ran
};

// The error a job fails with when the installation directory or the boot loader file is a
// link (a junction or symbolic link, or a file with a second name): what it leads to is not
// ours to write into.
constexpr DWORD kLinkedTargetError = ERROR_CANT_ACCESS_FILE;

// Where the job records, right after it made them, the installation directory and the boot
// loader file (kMadeDirectory, kMadeLoader): a removal deletes only what is recorded as made.
// False stops the job.
class IMadeRecorder {
  public:
    virtual bool RecordMade(DWORD item) = 0;

  protected:
    ~IMadeRecorder() = default;
};

class CCopyJob {
  public:
    // Plans the copy of the package in `packageDir` for Windows `kind` onto `drive`, obeying
    // `control`. The copy first makes the installation directory (new and protected, or the
    // job fails), then places the boot loader file "zeldr" at the root of the drive (a new
    // file, replacing an earlier plain one; read-only, hidden and protected), then copies the
    // package's files, each into a file of its own making.
    CCopyJob(const std::wstring& packageDir, WindowsKind kind, wchar_t drive, CWorkerControl& control);
    CCopyJob(const CCopyJob&) = delete;
    CCopyJob& operator=(const CCopyJob&) = delete;

    // Measures what Run will copy; call once before it.
    void ComputeTotal();
    // Copies on the calling thread (the installation's worker) until the copy has completed,
    // failed, or stopped at the control's request.
    CopyOutcome Run();
    // True once Run has made the installation directory (and so may have placed the boot
    // loader): before that, nothing on the target drive is the job's. Read after Run.
    bool MadeTargetDirectory() const { return madeTarget_; }

    // Percentage of totalBytes copied (100 only once completed). Any thread.
    int GetPercent();
    long long GetCopiedBytes();

    std::wstring bootSource, commonSource, disksSource;
    IMadeRecorder* madeRecorder = nullptr; // none: nothing is recorded
    const std::wstring targetDir;
    long long totalBytes = 0; // written before Run, read-only afterwards
    int totalFiles = 0;

  private:
    static DWORD CALLBACK OnCopyProgress(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, DWORD,
                                         DWORD, HANDLE, HANDLE, void* job);

    // The copy's parts (CopyJobWorker.cpp). Each returns false when the job has ended, with
    // the reason in end_.
    bool CopyAll();
    bool MakeTargetDirectory();
    bool PlaceBootLoader();
    bool CopyFolder(const std::wstring& source);
    bool CopyEntry(const std::wstring& source, const WIN32_FIND_DATAW& entry);
    bool CopySmallFile(const std::wstring& from, const std::wstring& to, long long size);
    bool CopyLargeFile(const std::wstring& from, const std::wstring& to, long long size);
    bool CheckRequests();
    void AddCopied(long long bytes);
    bool Fail(DWORD error, const std::wstring& path);
    bool Halt();

    const wchar_t drive_;
    CWorkerControl& control_;
    long long copiedBytes_ = 0; // under lock_
    bool completed_ = false;    // under lock_
    zenta::CriticalSection lock_;

    // Run's.
    CopyOutcome end_;
    int files_ = 0;
    bool stopSeen_ = false;
    bool madeTarget_ = false;
    zenta::ScopedHeapBlock buffer_;
};
