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
    stopEvent.Reset(NewRequestEvent());
    resumeEvent.Reset(NewRequestEvent());
    pauseEvent.Reset(NewRequestEvent());
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
    zenta::ScopedLock hold(lock);
    copiedBytes = 0;
    totalBytes = total;
    totalFiles = files;
}

DWORD CCopyJob::Start() {
    // A job that has run before forgets the requests meant for that run; a first run keeps
    // those given since construction.
    bool ranBefore = static_cast<bool>(thread) || GetOutcome().state != CopyState::Running;
    if (ranBefore) {
        Stop();
        for (const zenta::ScopedHandle* event : {&stopEvent, &resumeEvent, &pauseEvent})
            if (*event)
                ResetEvent(event->Get());
        InterlockedExchange(&requestCount, 0);
    }
    if (!stopEvent)
        stopEvent.Reset(NewRequestEvent());
    if (!resumeEvent)
        resumeEvent.Reset(NewRequestEvent());
    if (!pauseEvent)
        pauseEvent.Reset(NewRequestEvent());
    {
        zenta::ScopedLock hold(lock);
        copiedBytes = 0;
        outcome = CopyOutcome{};
    }
    if (!stopEvent || !resumeEvent || !pauseEvent) {
        Finish(CopyOutcome{CopyState::Failed, ERROR_INVALID_PARAMETER, std::wstring()});
        return ERROR_INVALID_PARAMETER;
    }
    thread.Reset(CreateThread(nullptr, 0, &CCopyJob::ThreadMain, this, 0, nullptr));
    if (!thread) {
        DWORD error = GetLastError();
        Finish(CopyOutcome{CopyState::Failed, error, std::wstring()});
        return error;
    }
    return ERROR_SUCCESS;
}

void CCopyJob::Stop() {
    if (!thread) {
        zenta::ScopedLock hold(lock);
        if (outcome.state == CopyState::Running)
            outcome.state = CopyState::Stopped;
        return;
    }
    // The worker looks at the stop request after every chunk and during every system copy,
    // so this wait is short; the thread is never killed from outside.
    RequestStop();
    WaitForSingleObject(thread.Get(), INFINITE);
    thread.Reset();
}

bool CCopyJob::WaitForEnd(DWORD milliseconds) {
    return !thread || WaitForSingleObject(thread.Get(), milliseconds) == WAIT_OBJECT_0;
}

int CCopyJob::GetPercent() {
    zenta::ScopedLock hold(lock);
    return ProgressPercent(copiedBytes, totalBytes, outcome.state == CopyState::Completed);
}

long long CCopyJob::GetCopiedBytes() {
    zenta::ScopedLock hold(lock);
    return copiedBytes;
}

CopyOutcome CCopyJob::GetOutcome() {
    zenta::ScopedLock hold(lock);
    return outcome;
}

void CCopyJob::RequestPause() {
    if (pauseEvent && SetEvent(pauseEvent.Get()))
        InterlockedIncrement(&requestCount);
}

void CCopyJob::RequestResume() {
    if (resumeEvent && SetEvent(resumeEvent.Get()))
        InterlockedIncrement(&requestCount);
}

void CCopyJob::RequestStop() {
    if (stopEvent && SetEvent(stopEvent.Get()))
        InterlockedIncrement(&requestCount);
}

void CCopyJob::Finish(const CopyOutcome& end) {
    zenta::ScopedLock hold(lock);
    outcome = end;
}

void CCopyJob::AddCopied(long long bytes) {
    zenta::ScopedLock hold(lock);
    copiedBytes += bytes;
}
