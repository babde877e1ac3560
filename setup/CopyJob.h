// CCopyJob: copies the package's system files into the installation directory, as a step of
// the installation's worker: counts the bytes for the progress display and obeys the
// worker's pause and stop.
#pragma once
#include "common/ScopedWin.h"
#include "common/WindowsKind.h"
#include "setup/WorkerControl.h"

#include <windows.h>
#include <string>
#include <vector>

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
// The error a job fails with when a folder or file of the package is not what was checked: a
// link (junction, symbolic link or other name surrogate), a folder where a file was listed, or
// a file with a second name. Its content may be anybody's.
constexpr DWORD kLinkedSourceError = ERROR_CANT_RESOLVE_FILENAME;

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

    // Opens the package's copy sources as themselves (never through a link) and holds them,
    // so that none of them can be renamed or replaced until Run has ended; then measures what
    // Run will copy. Call once before Run; a source that cannot be held fails Run at once.
    void ComputeTotal();
    // Copies on the calling thread (the installation's worker) until the copy has completed,
    // failed, or stopped at the control's request.
    CopyOutcome Run();

    // Percentage of totalBytes copied (100 only once completed). Any thread.
    int GetPercent();
    long long GetCopiedBytes();

    std::wstring bootSource, commonSource, disksSource;
    IMadeRecorder* madeRecorder = nullptr; // none: nothing is recorded
    const std::wstring targetDir;
    long long totalBytes = 0; // written before Run, read-only afterwards
    int totalFiles = 0;
    // The names of the files copied from disksSource (the system images), for the check of
    // their extents. Read after Run.
    std::vector<std::wstring> diskFiles;

  private:
    // The copy's parts (CopyJobWorker.cpp). Each returns false when the job has ended, with
    // the reason in end_.
    bool HoldSources();
    void Release();
    bool CopyAll();
    bool MakeTargetDirectory();
    bool KeepTargetPlain();
    bool PlaceBootLoader();
    bool CopyFolder(const std::wstring& source);
    bool CopyEntry(const std::wstring& source, const WIN32_FIND_DATAW& entry);
    bool OpenSource(const std::wstring& from, const WIN32_FIND_DATAW& entry, zenta::ScopedHandle& in,
                    BY_HANDLE_FILE_INFORMATION& info);
    bool CreateTarget(const std::wstring& to, DWORD attributes, long long size, zenta::ScopedHandle& out);
    bool CopySmallFile(HANDLE in, HANDLE out, const std::wstring& from, const std::wstring& to,
                       long long size);
    bool CopyLargeFile(HANDLE in, HANDLE out, const std::wstring& from, const std::wstring& to,
                       long long size);
    bool WriteAll(HANDLE out, const BYTE* data, DWORD count, const std::wstring& to);
    bool CheckRequests();
    void AddCopied(long long bytes);
    bool Fail(DWORD error, const std::wstring& path);
    bool Halt();

    const wchar_t drive_;
    CWorkerControl& control_;
    long long copiedBytes_ = 0; // under lock_
    bool completed_ = false;    // under lock_
    zenta::CriticalSection lock_;

    // The copy sources, held from ComputeTotal to the end of Run (empty where a source is
    // missing).
    zenta::ScopedHandle held_[3];

    // Run's.
    CopyOutcome end_;
    int files_ = 0;
    zenta::ScopedHeapBlock buffer_;
};
