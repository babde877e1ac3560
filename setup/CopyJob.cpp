#include "setup/CopyJob.h"

#include "common/Text.h"
#include "setup/CopyPlan.h"
#include "setup/FileSystem.h"

namespace {

HANDLE NewRequestEvent() {
    // Auto-reset: every request is consumed by the one wait that sees it.
    return CreateEventW(nullptr, FALSE, FALSE, nullptr);
}

} // namespace

CCopyJob::CCopyJob(const std::wstring& packageDir, WindowsKind kind, const std::wstring& targetDir_)
    : targetDir(targetDir_) {
    const std::array<std::wstring, 3> sources = CopySourceFolders(packageDir, kind);
    bootSource = sources[0];
    commonSource = sources[1];
    disksSource = sources[2];
    // The events exist from the start so that a request given before Start is not lost.
    stopEvent_.Reset(NewRequestEvent());
    resumeEvent_.Reset(NewRequestEvent());
    pauseEvent_.Reset(NewRequestEvent());
}

CCopyJob::~CCopyJob() {
    Stop();
}

void CCopyJob::ComputeTotal() {
    // Only files lying directly in a source are copied, so only they are counted: the
    // percentage reaches 100 exactly when everything was copied.
    long long total = 0;
    int files = 0;
    for (const std::wstring* source : {&bootSource, &commonSource, &disksSource})
        total += static_cast<long long>(GetFilesSize(*source, &files));
    zenta::ScopedLock hold(lock_);
    copiedBytes_ = 0;
    totalBytes = total;
    totalFiles = files;
}

DWORD CCopyJob::Start() {
    // A job that has run before forgets the requests meant for that run; a first run keeps
    // those given since construction.
    bool ranBefore = static_cast<bool>(thread_) || GetOutcome().state != CopyState::Running;
    if (ranBefore) {
        Stop();
        for (const zenta::ScopedHandle* event : {&stopEvent_, &resumeEvent_, &pauseEvent_})
            if (*event)
                ResetEvent(event->Get());
        InterlockedExchange(&requestCount_, 0);
    }
    if (!stopEvent_)
        stopEvent_.Reset(NewRequestEvent());
    if (!resumeEvent_)
        resumeEvent_.Reset(NewRequestEvent());
    if (!pauseEvent_)
        pauseEvent_.Reset(NewRequestEvent());
    {
        zenta::ScopedLock hold(lock_);
        copiedBytes_ = 0;
        outcome_ = CopyOutcome{};
    }
    if (!stopEvent_ || !resumeEvent_ || !pauseEvent_) {
        Finish(CopyOutcome{CopyState::Failed, ERROR_INVALID_PARAMETER, std::wstring()});
        return ERROR_INVALID_PARAMETER;
    }
    thread_.Reset(CreateThread(nullptr, 0, &CCopyJob::ThreadMain, this, 0, nullptr));
    if (!thread_) {
        DWORD error = GetLastError();
        Finish(CopyOutcome{CopyState::Failed, error, std::wstring()});
        return error;
    }
    return ERROR_SUCCESS;
}

void CCopyJob::Stop() {
    if (!thread_) {
        zenta::ScopedLock hold(lock_);
        if (outcome_.state == CopyState::Running)
            outcome_.state = CopyState::Stopped;
        return;
    }
    // The worker looks at the stop request after every chunk and during every system copy,
    // so this wait is short; the thread is never killed from outside.
    RequestStop();
    WaitForSingleObject(thread_.Get(), INFINITE);
    thread_.Reset();
}

bool CCopyJob::WaitForEnd(DWORD milliseconds) {
    return !thread_ || WaitForSingleObject(thread_.Get(), milliseconds) == WAIT_OBJECT_0;
}

int CCopyJob::GetPercent() {
    zenta::ScopedLock hold(lock_);
    return ProgressPercent(copiedBytes_, totalBytes, outcome_.state == CopyState::Completed);
}

long long CCopyJob::GetCopiedBytes() {
    zenta::ScopedLock hold(lock_);
    return copiedBytes_;
}

CopyOutcome CCopyJob::GetOutcome() {
    zenta::ScopedLock hold(lock_);
    return outcome_;
}

void CCopyJob::RequestPause() {
    if (pauseEvent_ && SetEvent(pauseEvent_.Get()))
        InterlockedIncrement(&requestCount_);
}

void CCopyJob::RequestResume() {
    if (resumeEvent_ && SetEvent(resumeEvent_.Get()))
        InterlockedIncrement(&requestCount_);
}

void CCopyJob::RequestStop() {
    if (stopEvent_ && SetEvent(stopEvent_.Get()))
        InterlockedIncrement(&requestCount_);
}

void CCopyJob::Finish(const CopyOutcome& end) {
    zenta::ScopedLock hold(lock_);
    outcome_ = end;
}

void CCopyJob::AddCopied(long long bytes) {
    zenta::ScopedLock hold(lock_);
    copiedBytes_ += bytes;
}
