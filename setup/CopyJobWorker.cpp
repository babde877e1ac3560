// The copy itself: runs on the installation's worker.
#include "setup/CopyJob.h"

#include "common/InstallRecord.h"
#include "common/Log.h"
#include "common/SystemHelpers.h"
#include "common/Text.h"
#include "setup/CopyPlan.h"
#include "setup/FileSystem.h"
#include "setup/Protection.h"

#include <algorithm>
#include <vector>

namespace {

// After a failed creation: true when the name was taken and is free again. The directory
// is new, so only a file of an earlier source can hold a name; that one goes (as itself,
// read-only or not) and the file is made anew, never written through whatever held the name.
bool FreeTakenName(const std::wstring& path) {
    DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
        return false;
    if (DeleteFileKeepingAttributes(path))
        return true;
    SetLastError(error);
    return false;
}

// Errors of a search in a folder that is not there: such a source has nothing to copy.
bool IsMissingFolder(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_DIRECTORY ||
           error == ERROR_NO_MORE_FILES;
}

long long SizeOf(const WIN32_FIND_DATAW& entry) {
    return static_cast<long long>((static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) |
                                  entry.nFileSizeLow);
}

// Copies what is left of `in` to `out` and flushes it; ERROR_SUCCESS or the error.
DWORD CopyContent(HANDLE in, HANDLE out) {
    // The loader is small: a buffer of its own, so that a package without large files never
    // needs the chunk buffer.
    std::vector<BYTE> data(64 * 1024);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(in, data.data(), static_cast<DWORD>(data.size()), &got, nullptr))
            return GetLastError();
        if (got == 0)
            return FlushFileBuffers(out) ? ERROR_SUCCESS : GetLastError();
        for (DWORD put = 0; put < got;) {
            DWORD wrote = 0;
            if (!WriteFile(out, data.data() + put, got - put, &wrote, nullptr))
                return GetLastError();
            if (wrote == 0)
                return ERROR_WRITE_FAULT;
            put += wrote;
        }
    }
}

} // namespace

bool CCopyJob::CopyAll() {
    if (!MakeTargetDirectory() || !PlaceBootLoader())
        return false;
    for (const std::wstring* source : {&bootSource, &commonSource, &disksSource})
        if (!CopyFolder(*source))
            return false;
    return true;
}

bool CCopyJob::MakeTargetDirectory() {
    if (!zenta::FitsPath(targetDir))
        return Fail(ERROR_FILENAME_EXCED_RANGE, targetDir);
    // A link planted where the directory goes would take the package, and later the
    // removal, somewhere else.
    if (IsLinkPath(targetDir))
        return Fail(kLinkedTargetError, targetDir);
    // Only a folder made now, protected from its first moment, is ours: one that is already
    // there may belong to anybody, with files and links of theirs in it.
    DWORD error = CreateProtectedFolder(targetDir);
    madeTarget_ = error == ERROR_SUCCESS;
    if (madeTarget_ && madeRecorder && !madeRecorder->RecordMade(kMadeDirectory))
        return Fail(GetLastError(), targetDir);
    return madeTarget_ || Fail(error, targetDir); // ERROR_ALREADY_EXISTS: not ours
}

bool CCopyJob::PlaceBootLoader() {
    // The boot entry starts the loader from the root of the target drive. The name is made
    // anew: whatever an earlier installation left there goes first, as itself, and a link
    // or a file with a second name (which would take our bytes and attributes to a file
    // elsewhere) is refused.
    std::wstring from, to = LoaderFile(drive_);
    if (!zenta::JoinPath(commonSource, L"zeldr", from))
        return Fail(ERROR_FILENAME_EXCED_RANGE, commonSource);
    BY_HANDLE_FILE_INFORMATION info = {};
    if (ReadFileInfo(to, info)) {
        if (!IsPlainFile(info))
            return Fail(kLinkedTargetError, to);
        if (!DeleteFileKeepingAttributes(to))
            return Fail(GetLastError(), to);
    } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
        return Fail(GetLastError(), to);
    }
    zenta::ScopedLocal descriptor;
    if (!ProtectedDescriptorFor(to, false, descriptor))
        return Fail(GetLastError(), to);
    SECURITY_ATTRIBUTES security = {sizeof security, descriptor.Get(), FALSE};
    zenta::ScopedHandle in(CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!in)
        return Fail(GetLastError(), from);
    // Read-only and hidden from its creation; the handle made with it may still write.
    const DWORD loaderAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
    zenta::ScopedHandle out(CreateFileW(to.c_str(), GENERIC_WRITE | FILE_WRITE_ATTRIBUTES, 0, &security,
                                        CREATE_NEW, loaderAttributes, nullptr));
    if (!out || (madeRecorder && !madeRecorder->RecordMade(kMadeLoader)))
        return Fail(GetLastError(), to);
    DWORD error = CopyContent(in.Get(), out.Get());
    if (error == ERROR_SUCCESS && !SetAttributesThrough(out.Get(), loaderAttributes))
        error = GetLastError();
    if (error != ERROR_SUCCESS) {
        out.Reset();
        DeleteFileKeepingAttributes(to);
        return Fail(error, to);
    }
    Log(L"%ls %ls: created read-only and hidden", descriptor ? L"protected" : L"unprotected", to.c_str());
    return true;
}

bool CCopyJob::CopyFolder(const std::wstring& source) {
    std::wstring pattern;
    if (!zenta::JoinPath(source, L"*.*", pattern))
        return Fail(ERROR_FILENAME_EXCED_RANGE, source);
    WIN32_FIND_DATAW entry;
    zenta::ScopedFindHandle find(FindFirstFileW(pattern.c_str(), &entry));
    if (!find) {
        DWORD error = GetLastError();
        return IsMissingFolder(error) || Fail(error, source);
    }
    do {
        // Subfolders (and "." and "..") are not part of the copy.
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        if (!CopyEntry(source, entry))
            return false;
    } while (FindNextFileW(find.Get(), &entry));
    DWORD error = GetLastError();
    return error == ERROR_NO_MORE_FILES || Fail(error, source);
}

bool CCopyJob::CopyEntry(const std::wstring& source, const WIN32_FIND_DATAW& entry) {
    std::wstring from, to;
    if (!zenta::JoinPath(source, entry.cFileName, from))
        return Fail(ERROR_FILENAME_EXCED_RANGE, source + L"\\" + entry.cFileName);
    if (!zenta::JoinPath(targetDir, entry.cFileName, to))
        return Fail(ERROR_FILENAME_EXCED_RANGE, targetDir + L"\\" + entry.cFileName);
    long long size = SizeOf(entry);
    bool large = static_cast<unsigned long long>(size) >= kLargeFileBytes;
    if (large ? !CopyLargeFile(from, to, size) : (!CheckRequests() || !CopySmallFile(from, to, size)))
        return false;
    ++files_;
    return true;
}

bool CCopyJob::CopySmallFile(const std::wstring& from, const std::wstring& to, long long size) {
    stopSeen_ = false;
    auto copy = [&] {
        return CopyFileExW(from.c_str(), to.c_str(), &CCopyJob::OnCopyProgress, this, nullptr,
                           COPY_FILE_FAIL_IF_EXISTS) != 0;
    };
    if (!copy() && (stopSeen_ || !FreeTakenName(to) || !copy())) {
        DWORD error = GetLastError();
        return stopSeen_ ? Halt() : Fail(error, from);
    }
    AddCopied(size);
    // The stop was taken by the callback as the copy finished: it still ends the job.
    return !stopSeen_ || Halt();
}

DWORD CALLBACK CCopyJob::OnCopyProgress(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, DWORD,
                                        DWORD, HANDLE, HANDLE, void* job) {
    // A stop given during a system copy ends it there; the system deletes the partial copy.
    CCopyJob* self = static_cast<CCopyJob*>(job);
    if (!self->control_.StopAsked())
        return PROGRESS_CONTINUE;
    self->stopSeen_ = true;
    return PROGRESS_CANCEL;
}

bool CCopyJob::CopyLargeFile(const std::wstring& from, const std::wstring& to, long long size) {
    if (!buffer_) {
        buffer_.Reset(HeapAlloc(GetProcessHeap(), 0, kChunkBytes));
        if (!buffer_)
            return Fail(ERROR_NOT_ENOUGH_MEMORY, from);
    }
    BYTE* data = static_cast<BYTE*>(buffer_.Get());
    zenta::ScopedHandle in(CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in)
        return Fail(GetLastError(), from);
    // Made anew (an earlier copy goes first) rather than truncated in place: a file
    // truncated to nothing is flushed when it is closed on some file systems (ext4, as wine
    // truncates on CREATE_ALWAYS), which costs a large copy a third of its speed.
    auto create = [&to] {
        return CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    zenta::ScopedHandle out(create());
    if (!out && FreeTakenName(to))
        out.Reset(create());
    if (!out)
        return Fail(GetLastError(), to);
    int chunks = 0;
    for (long long done = 0; done < size;) {
        DWORD want = static_cast<DWORD>(std::min<long long>(size - done, kChunkBytes));
        for (DWORD have = 0; have < want;) {
            DWORD got = 0;
            if (!ReadFile(in.Get(), data + have, want - have, &got, nullptr))
                return Fail(GetLastError(), from);
            // The file ended before its listed size: it shrank since it was listed.
            if (got == 0)
                return Fail(ERROR_HANDLE_EOF, from);
            have += got;
        }
        for (DWORD put = 0; put < want;) {
            DWORD wrote = 0;
            if (!WriteFile(out.Get(), data + put, want - put, &wrote, nullptr))
                return Fail(GetLastError(), to);
            if (wrote == 0)
                return Fail(ERROR_WRITE_FAULT, to);
            put += wrote;
        }
        done += want;
        AddCopied(want);
        if (++chunks == kChunksPerRequestCheck) {
            chunks = 0;
            // No yield after the check: the scheduler shares the processor anyway, and on a
            // busy machine a yield hands the copy's time slice away.
            if (!CheckRequests())
                return false;
        } else if (control_.StopAsked()) {
            return Halt();
        }
    }
    return true;
}

bool CCopyJob::CheckRequests() {
    return control_.GoOn() || Halt();
}

bool CCopyJob::Fail(DWORD error, const std::wstring& path) {
    end_ = CopyOutcome{CopyState::Failed, error, path};
    return false;
}

bool CCopyJob::Halt() {
    end_ = CopyOutcome{CopyState::Stopped, ERROR_SUCCESS, std::wstring()};
    return false;
}
