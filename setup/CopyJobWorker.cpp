// The copy itself: runs on the installation's worker.
#include "setup/CopyJob.h"

#include "common/InstallRecord.h"
#include "common/Log.h"
#include "common/SystemHelpers.h"
#include "common/Text.h"
#include "setup/CopyPlan.h"
#include "setup/FileSystem.h"
#include "setup/LoaderFiles.h"
#include "setup/Package.h"
#include "setup/Protection.h"

#include <algorithm>

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

// True when what `handle` (opened as itself) or its directory entry `entry` describes is a
// link (a name surrogate). The entry carries the reparse tag; a handle that shows a reparse
// point its entry did not is taken for a link, as it changed since it was listed.
bool IsLinkHandle(const BY_HANDLE_FILE_INFORMATION& info, const WIN32_FIND_DATAW& entry) {
    const DWORD tag = (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? entry.dwReserved0 : 0;
    return IsLinkEntry(entry.dwFileAttributes, tag) || IsLinkEntry(info.dwFileAttributes, tag);
}

long long SizeOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return static_cast<long long>((static_cast<unsigned long long>(info.nFileSizeHigh) << 32) |
                                  info.nFileSizeLow);
}

} // namespace

bool CCopyJob::HoldSources() {
    // Held without delete sharing: while a handle is open, Windows lets nobody rename or
    // replace the folder, nor any folder above it. Opened as itself, so that a link put in
    // its place since the package was checked is seen as one, and never followed.
    const std::wstring* sources[] = {&bootSource, &commonSource, &disksSource};
    for (int i = 0; i < 3; ++i) {
        const std::wstring& source = *sources[i];
        zenta::ScopedHandle folder(CreateFileW(
            source.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!folder) {
            DWORD error = GetLastError();
            if (IsMissingFolder(error))
                continue; // nothing to copy from there
            return Fail(error, source);
        }
        // Its entry in the folder above tells a link where the handle may not (wine follows
        // host links).
        BY_HANDLE_FILE_INFORMATION info = {};
        WIN32_FIND_DATAW entry;
        zenta::ScopedFindHandle find(FindFirstFileW(source.c_str(), &entry));
        if (!find || !GetFileInformationByHandle(folder.Get(), &info))
            return Fail(GetLastError(), source);
        if (!(info.dwFileAttributes & entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            IsLinkHandle(info, entry)) {
            Log(L"package folder %ls is not a plain folder (attributes 0x%lx): not read", source.c_str(),
                info.dwFileAttributes);
            return Fail(kLinkedSourceError, source);
        }
        held_[i] = std::move(folder);
    }
    Log(L"package folders held: %ls, %ls, %ls", bootSource.c_str(), commonSource.c_str(),
        disksSource.c_str());
    return true;
}

bool CCopyJob::CopyAll() {
    if (!MakeTargetDirectory() || !KeepTargetPlain() || !PlaceBootLoader())
        return false;
    const std::wstring* sources[] = {&bootSource, &commonSource, &disksSource};
    for (int i = 0; i < 3; ++i)
        if (held_[i] && !CopyFolder(*sources[i]))
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
    if (error != ERROR_SUCCESS)
        return Fail(error, targetDir); // ERROR_ALREADY_EXISTS: not ours
    return !madeRecorder || madeRecorder->RecordMade(kMadeDirectory) || Fail(GetLastError(), targetDir);
}

bool CCopyJob::KeepTargetPlain() {
    // What is made in the directory inherits its compression and encryption; the loader reads
    // neither.
    zenta::ScopedHandle folder(
        CreateFileW(targetDir.c_str(), FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!folder)
        return Fail(GetLastError(), targetDir);
    DWORD error = MakeUncompressed(folder.Get(), targetDir);
    folder.Reset();
    if (!error)
        error = MakeUnencrypted(targetDir);
    return !error || Fail(error, targetDir);
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
        if (IsLinkedLoader(to, info))
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
    zenta::ScopedHandle in;
    BY_HANDLE_FILE_INFORMATION source = {};
    WIN32_FIND_DATAW entry;
    zenta::ScopedFindHandle find(FindFirstFileW(from.c_str(), &entry));
    if (!find)
        return Fail(GetLastError(), from);
    if (!OpenSource(from, entry, in, source))
        return false;
    // Read-only and hidden from its creation; the handle made with it may still write.
    const DWORD loaderAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
    zenta::ScopedHandle out(CreateFileW(to.c_str(), GENERIC_READ | GENERIC_WRITE | FILE_WRITE_ATTRIBUTES, 0,
                                        &security, CREATE_NEW, loaderAttributes, nullptr));
    if (!out || (madeRecorder && !madeRecorder->RecordMade(kMadeLoader)))
        return Fail(GetLastError(), to);
    DWORD error = MakeUncompressed(out.Get(), to);
    if (!error)
        error = ReserveFinalSize(out.Get(), to, static_cast<unsigned long long>(SizeOf(source)));
    // CopySmallFile ends the job itself when it fails.
    bool copied = !error && CopySmallFile(in.Get(), out.Get(), from, to, SizeOf(source));
    if (copied && !(FlushFileBuffers(out.Get()) && SetAttributesThrough(out.Get(), loaderAttributes)))
        error = GetLastError();
    if (!copied || error) {
        out.Reset();
        DeleteFileKeepingAttributes(to);
        return error ? Fail(error, to) : false;
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
    if (!large && !CheckRequests())
        return false;
    zenta::ScopedHandle in;
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!OpenSource(from, entry, in, info))
        return false;
    // Attributes go along as the system copy takes them; compression and encryption never.
    const DWORD kept =
        FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    zenta::ScopedHandle out;
    if (!CreateTarget(to,
                      large ? FILE_ATTRIBUTE_NORMAL : (info.dwFileAttributes & kept) | FILE_ATTRIBUTE_ARCHIVE,
                      size, out))
        return false;
    if (large ? !CopyLargeFile(in.Get(), out.Get(), from, to, size)
              : !CopySmallFile(in.Get(), out.Get(), from, to, size))
        return false;
    if (!large)
        AddCopied(size);
    // The system copy keeps the time of the last change; so does a small file here.
    if (!large && !SetFileTime(out.Get(), nullptr, nullptr, &info.ftLastWriteTime))
        return Fail(GetLastError(), to);
    if (&source == &disksSource)
        diskFiles.push_back(entry.cFileName);
    ++files_;
    return true;
}

bool CCopyJob::OpenSource(const std::wstring& from, const WIN32_FIND_DATAW& entry, zenta::ScopedHandle& in,
                          BY_HANDLE_FILE_INFORMATION& info) {
    // Opened as itself and without write or delete sharing: what is read is the plain file
    // that lies in the held folder, and nobody changes it meanwhile.
    in.Reset(CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in || !GetFileInformationByHandle(in.Get(), &info))
        return Fail(GetLastError(), from);
    if (((info.dwFileAttributes | entry.dwFileAttributes) & FILE_ATTRIBUTE_DIRECTORY) ||
        IsLinkHandle(info, entry) || info.nNumberOfLinks != 1) {
        Log(L"package file %ls is not a plain file (attributes 0x%lx, %lu names): not read", from.c_str(),
            info.dwFileAttributes, info.nNumberOfLinks);
        return Fail(kLinkedSourceError, from);
    }
    return true;
}

bool CCopyJob::CreateTarget(const std::wstring& to, DWORD attributes, long long size,
                            zenta::ScopedHandle& out) {
    // Made anew (an earlier source's file goes first) rather than truncated in place: a file
    // truncated to nothing is flushed when it is closed on some file systems (ext4, as wine
    // truncates on CREATE_ALWAYS), which costs a large copy a third of its speed.
    auto create = [&] {
        return CreateFileW(to.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes,
                           nullptr);
    };
    out.Reset(create());
    if (!out && FreeTakenName(to))
        out.Reset(create());
    if (!out)
        return Fail(GetLastError(), to);
    // Plain for the loader, and its final size first, so that NTFS can give it one piece.
    DWORD error = MakeUncompressed(out.Get(), to);
    if (!error)
        error = ReserveFinalSize(out.Get(), to, static_cast<unsigned long long>(size));
    return !error || Fail(error, to);
}

bool CCopyJob::CopySmallFile(HANDLE in, HANDLE out, const std::wstring& from, const std::wstring& to,
                             long long size) {
    // A buffer of its own, so that a package without large files never needs the chunk buffer.
    BYTE data[64 * 1024];
    for (long long done = 0; done < size;) {
        // As with a large file, a stop is seen after the chunk that was being copied.
        if (done > 0 && control_.StopAsked())
            return Halt();
        DWORD want = static_cast<DWORD>(std::min<long long>(size - done, sizeof data)), got = 0;
        if (!ReadFile(in, data, want, &got, nullptr))
            return Fail(GetLastError(), from);
        // The file ended before its listed size: it shrank since it was listed.
        if (got == 0)
            return Fail(ERROR_HANDLE_EOF, from);
        if (!WriteAll(out, data, got, to))
            return false;
        done += got;
    }
    return true;
}

bool CCopyJob::CopyLargeFile(HANDLE in, HANDLE out, const std::wstring& from, const std::wstring& to,
                             long long size) {
    if (!buffer_) {
        buffer_.Reset(HeapAlloc(GetProcessHeap(), 0, kChunkBytes));
        if (!buffer_)
            return Fail(ERROR_NOT_ENOUGH_MEMORY, from);
    }
    BYTE* data = static_cast<BYTE*>(buffer_.Get());
    int chunks = 0;
    for (long long done = 0; done < size;) {
        DWORD want = static_cast<DWORD>(std::min<long long>(size - done, kChunkBytes));
        for (DWORD have = 0; have < want;) {
            DWORD got = 0;
            if (!ReadFile(in, data + have, want - have, &got, nullptr))
                return Fail(GetLastError(), from);
            // The file ended before its listed size: it shrank since it was listed.
            if (got == 0)
                return Fail(ERROR_HANDLE_EOF, from);
            have += got;
        }
        if (!WriteAll(out, data, want, to))
            return false;
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

bool CCopyJob::WriteAll(HANDLE out, const BYTE* data, DWORD count, const std::wstring& to) {
    for (DWORD put = 0; put < count;) {
        DWORD wrote = 0;
        if (!WriteFile(out, data + put, count - put, &wrote, nullptr))
            return Fail(GetLastError(), to);
        if (wrote == 0)
            return Fail(ERROR_WRITE_FAULT, to);
        put += wrote;
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
