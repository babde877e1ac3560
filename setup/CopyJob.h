// CCopyJob: copies the package's system files into the installation directory on a worker
// thread of its own, counts the bytes for the progress display and obeys pause, resume and
// stop requests.
#pragma once
#include "common/ScopedWin.h"
#include "common/WindowsKind.h"

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
    int files = 0;          // copied so far
    DWORD milliseconds = 0; // how long the worker ran, once it has ended
};

// The error a job fails with when the installation directory or the boot loader file is a
// link (a junction or symbolic link, or a file with a second name): what it leads to is not
// ours to write into.
constexpr DWORD kLinkedTargetError = ERROR_CANT_ACCESS_FILE;

class CCopyJob {
  public:
    // Plans the copy of the package in `packageDir` for Windows `kind`. No thread yet. The
    // worker first makes the installation directory (new and protected, or the job fails),
    // then places the boot loader file "zeldr" at the root of targetDir's drive (a new file,
    // replacing an earlier plain one; read-only, hidden and protected), then copies the
    // package's files, each into a file of its own making.
    CCopyJob(const std::wstring& packageDir, WindowsKind kind, const std::wstring& targetDir);
    // Stops the worker and waits until it has ended.
    ~CCopyJob();
    CCopyJob(const CCopyJob&) = delete;
    CCopyJob& operator=(const CCopyJob&) = delete;

    // Measures what the worker will copy; call once before Start.
    void ComputeTotal();
    // Starts the worker: 0, or ERROR_INVALID_PARAMETER when the request events cannot be
    // made, or the error of a thread that cannot be started; the job has failed then.
    DWORD Start();
    // Asks the worker to stop and waits until it has ended; then releases the thread.
    void Stop();
    // Waits up to `milliseconds` for the worker to end; true when none is running.
    bool WaitForEnd(DWORD milliseconds);
    // True once the worker has made the installation directory (and so may have placed the
    // boot loader): before that, nothing on the target drive is the job's. Read after the end.
    bool MadeTargetDirectory() const { return madeTarget_; }
    // The worker thread while there is one (for a wait that goes on answering the user).
    HANDLE Worker() const { return thread_.Get(); }

    // Percentage of totalBytes copied (100 only once completed). Any thread.
    int GetPercent();
    long long GetCopiedBytes();
    CopyOutcome GetOutcome();

    // Requests, taken by the worker at its next check. Stop wins over a pending pause; a
    // resume without a pause stays pending and ends the next pause at once.
    void RequestPause();
    void RequestResume();
    void RequestStop();

    std::wstring bootSource, commonSource, disksSource;
    std::wstring targetDir;
    long long totalBytes = 0; // written before the worker starts, read-only afterwards
    int totalFiles = 0;

  private:
    static DWORD WINAPI ThreadMain(void* job);
    static DWORD CALLBACK OnCopyProgress(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, DWORD,
                                         DWORD, HANDLE, HANDLE, void* job);
    void Finish(const CopyOutcome& end);

    // Worker side (CopyJobWorker.cpp). Each returns false when the job has ended, with the
    // reason in end_.
    DWORD Run();
    bool CopyAll();
    bool MakeTargetDirectory();
    bool PlaceBootLoader();
    bool CopyFolder(const std::wstring& source);
    bool CopyEntry(const std::wstring& source, const WIN32_FIND_DATAW& entry);
    bool CopySmallFile(const std::wstring& from, const std::wstring& to, long long size);
    bool CopyLargeFile(const std::wstring& from, const std::wstring& to, long long size);
    bool CheckRequests();
    bool StopRequested();
    void AddCopied(long long bytes);
    bool Fail(DWORD error, const std::wstring& path);
    bool Halt();

    long long copiedBytes_ = 0; // under lock_
    CopyOutcome outcome_;       // under lock_
    zenta::CriticalSection lock_;
    zenta::ScopedHandle stopEvent_, resumeEvent_, pauseEvent_;
    zenta::ScopedHandle thread_;
    volatile LONG running_ = 0;
    // Raised after every request event is set. While it is unchanged since the worker last
    // looked, no request is pending and the worker goes on without asking the system (which
    // would cost a round trip to the wine server for every file and every chunk).
    volatile LONG requestCount_ = 0;

    // Owned by the worker while it runs.
    LONG seenRequests_ = 0;
    CopyOutcome end_;
    DWORD startTick_ = 0;
    int files_ = 0;
    bool stopSeen_ = false;
    bool madeTarget_ = false;
    zenta::ScopedHeapBlock buffer_;
};
