#include "setup/CopyJob.h"

#include "common/InstallRecord.h"
#include "common/Text.h"
#include "setup/CopyPlan.h"
#include "setup/FileSystem.h"

CCopyJob::CCopyJob(const std::wstring& packageDir, WindowsKind kind, wchar_t drive, CWorkerControl& control)
    : targetDir(InstallDirectory(drive)), drive_(drive), control_(control) {
    const std::array<std::wstring, 3> sources = CopySourceFolders(packageDir, kind);
    bootSource = sources[0];
    commonSource = sources[1];
    disksSource = sources[2];
}

void CCopyJob::ComputeTotal() {
    end_ = CopyOutcome{CopyState::Completed, ERROR_SUCCESS, std::wstring()};
    if (!HoldSources())
        Release();
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

CopyOutcome CCopyJob::Run() {
    const DWORD start = GetTickCount();
    files_ = 0;
    diskFiles.clear();
    // A source that could not be held has ended the job already.
    if (end_.state == CopyState::Completed)
        CopyAll();
    buffer_.Reset();
    Release();
    end_.files = files_;
    end_.milliseconds = GetTickCount() - start;
    zenta::ScopedLock hold(lock_);
    completed_ = end_.state == CopyState::Completed;
    return end_;
}

void CCopyJob::Release() {
    for (zenta::ScopedHandle& source : held_)
        source.Reset();
}

int CCopyJob::GetPercent() {
    zenta::ScopedLock hold(lock_);
    return ProgressPercent(copiedBytes_, totalBytes, completed_);
}

long long CCopyJob::GetCopiedBytes() {
    zenta::ScopedLock hold(lock_);
    return copiedBytes_;
}

void CCopyJob::AddCopied(long long bytes) {
    zenta::ScopedLock hold(lock_);
    copiedBytes_ += bytes;
}
