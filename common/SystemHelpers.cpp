#include "common/SystemHelpers.h"

#include "common/DynamicApi.h"
#include "common/ScopedWin.h"
#include "common/Text.h"

#include <winternl.h>

#include <string>
#include <vector>

namespace {

bool IsLink(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}
bool IsDirectory(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A junction or symbolic link goes as a link: what it points to is not ours to delete, and
// on Windows RemoveDirectoryW takes a directory link away without touching its target.
void RemoveLink(const std::wstring& path, DWORD attributes) {
    if (IsDirectory(attributes))
        RemoveDirectoryW(path.c_str());
    else
        DeleteFileW(path.c_str());
}

// The attributes a program may set; the others (directory, link, compression...) are the
// file system's.
constexpr DWORD kSettableAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
    FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// NtSetInformationFile (ntdll, Windows XP and later) and the two classes of it used here:
// FILE_BASIC_INFORMATION and FILE_DISPOSITION_INFORMATION. One call on every Windows: what
// XP runs is what every version runs.
using NtSetInformationFileFn = NTSTATUS(NTAPI*)(HANDLE, IO_STATUS_BLOCK*, void*, ULONG,
                                                FILE_INFORMATION_CLASS);
using StatusToErrorFn = ULONG(NTAPI*)(NTSTATUS);
struct BasicInformation {
    LARGE_INTEGER creationTime, lastAccessTime, lastWriteTime, changeTime;
    ULONG fileAttributes;
};
struct DispositionInformation {
    BOOLEAN deleteFile;
};

// False with the Win32 error in GetLastError when the system refuses.
bool SetInformation(HANDLE file, void* information, ULONG size, FILE_INFORMATION_CLASS kind) {
    auto set = LookupFunction<NtSetInformationFileFn>(L"ntdll.dll", "NtSetInformationFile");
    auto toError = LookupFunction<StatusToErrorFn>(L"ntdll.dll", "RtlNtStatusToDosError");
    if (!set || !toError) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return false;
    }
    IO_STATUS_BLOCK io = {};
    NTSTATUS status = set(file, &io, information, size, kind);
    if (status < 0) {
        SetLastError(toError(status));
        return false;
    }
    return true;
}

bool SetAttributesByHandle(HANDLE file, DWORD attributes) {
    BasicInformation basic = {}; // zero times: left as they are
    basic.fileAttributes =
        (attributes & kSettableAttributes) ? (attributes & kSettableAttributes) : FILE_ATTRIBUTE_NORMAL;
    return SetInformation(file, &basic, sizeof basic, FileBasicInformation);
}
// Deletes the directory `name` (no trailing backslash) with everything in it. The directory
// is opened as itself, never through a link, and stays open without delete sharing while its
// contents go, so that nobody can swap it for a link between the look and the descent; a
// link found anywhere is removed as a link. Entries whose path would not fit MAX_PATH are
// left alone, never cut short. False when the directory cannot be opened or listed.
bool DeleteTree(const std::wstring& name, DWORD listedAttributes) {
    zenta::ScopedHandle directory(CreateFileW(
        name.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!directory || !GetFileInformationByHandle(directory.Get(), &info))
        return false;
    if (IsLink(info.dwFileAttributes | listedAttributes)) {
        directory.Reset();
        RemoveLink(name, info.dwFileAttributes | listedAttributes);
        return true;
    }
    if (!IsDirectory(info.dwFileAttributes))
        return false;
    std::wstring child;
    bool listed = ForEachEntry(name, [&](const WIN32_FIND_DATAW& data) {
        if (!zenta::JoinPath(name, data.cFileName, child))
            return true;
        if (IsLink(data.dwFileAttributes))
            RemoveLink(child, data.dwFileAttributes);
        else if (IsDirectory(data.dwFileAttributes))
            DeleteTree(child, data.dwFileAttributes);
        else
            DeleteFileKeepingAttributes(child);
        return true;
    });
    if (!listed)
        return false;
    directory.Reset();
    RemoveEmptiedDirectory(name, info.dwFileAttributes);
    return true;
}

} // namespace

std::wstring TempDirectory() {
    // The variables are read directly: some systems' GetTempPathW stops at MAX_PATH.
    wchar_t buffer[520] = {};
    for (const wchar_t* name : {L"TMP", L"TEMP"}) {
        DWORD length = GetEnvironmentVariableW(name, buffer, 520);
        if (length > 0 && length < 519)
            return buffer[length - 1] == L'\\' ? std::wstring(buffer, length)
                                               : std::wstring(buffer, length) + L"\\";
    }
    DWORD length = GetTempPathW(520, buffer);
    return length > 0 && length < 520 ? std::wstring(buffer, length) : std::wstring();
}

std::wstring OwnProgramPath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return std::wstring();
        if (length < buffer.size())
            return std::wstring(buffer.data(), length);
        if (buffer.size() >= 32768)
            return std::wstring(); // cut short: not a path of ours
        buffer.resize(buffer.size() * 2);
    }
}

bool IsLinkPath(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && IsLink(attributes);
}

bool ReadFileInfo(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
    zenta::ScopedHandle file(CreateFileW(
        path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file && GetFileInformationByHandle(file.Get(), &info);
}

bool PathThroughLink(const std::wstring& path) {
    for (size_t slash = path.find(L'\\', 3); slash != std::wstring::npos; slash = path.find(L'\\', slash + 1))
        if (IsLinkPath(path.substr(0, slash)))
            return true;
    return false;
}

bool OpenedWhereMeant(HANDLE file, const std::wstring& path) {
    if (PathThroughLink(path))
        return false;
    using GetFinalPathFn = DWORD(WINAPI*)(HANDLE, wchar_t*, DWORD, DWORD);
    auto finalPath = LookupFunction<GetFinalPathFn>(L"kernel32.dll", "GetFinalPathNameByHandleW");
    if (!finalPath)
        return true; // Windows XP: the folders above are all there is to look at
    std::vector<wchar_t> buffer(1024);
    DWORD length = finalPath(file, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    if (length == 0 || length >= buffer.size())
        return false;
    std::wstring reached(buffer.data(), length);
    if (reached.compare(0, 8, L"\\\\?\\UNC\\") == 0)
        reached = L"\\" + reached.substr(7);
    else if (reached.compare(0, 4, L"\\\\?\\") == 0)
        reached.erase(0, 4);
    // The final path has the long names; the path asked for may have short ones.
    length = GetLongPathNameW(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    std::wstring meant = length > 0 && length < buffer.size() ? std::wstring(buffer.data(), length) : path;
    return lstrcmpiW(reached.c_str(), meant.c_str()) == 0;
}

bool SetAttributesThrough(HANDLE file, DWORD attributes) {
    return SetAttributesByHandle(file, attributes);
}

bool DeleteThroughHandle(HANDLE file) {
    DispositionInformation disposition = {TRUE};
    return SetInformation(file, &disposition, sizeof disposition, FileDispositionInformation);
}

bool DeleteFileKeepingAttributes(const std::wstring& path) {
    zenta::ScopedHandle file(CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING,
                                         FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!file || !GetFileInformationByHandle(file.Get(), &info))
        return false;
    const DWORD attributes = info.dwFileAttributes;
    if (!(attributes & FILE_ATTRIBUTE_READONLY)) {
        file.Reset();
        return DeleteFileW(path.c_str()) != 0;
    }
    // All through the handle: the file cleared is the file deleted, whatever is done to its
    // names meanwhile.
    if (!SetAttributesByHandle(file.Get(), attributes & ~FILE_ATTRIBUTE_READONLY))
        return false;
    bool deleted = DeleteThroughHandle(file.Get());
    DWORD error = GetLastError();
    if (!deleted || info.nNumberOfLinks > 1)
        SetAttributesByHandle(file.Get(), attributes);
    SetLastError(error);
    return deleted;
}

bool RemoveEmptiedDirectory(const std::wstring& path, DWORD attributes, const DirectoryCalls& calls) {
    const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly)
        calls.setAttributes(path.c_str(), (attributes & ~FILE_ATTRIBUTE_READONLY) | FILE_ATTRIBUTE_DIRECTORY);
    if (calls.remove(path.c_str()))
        return true;
    if (readOnly)
        calls.setAttributes(path.c_str(), attributes);
    return false;
}

int DeleteDirectoryTree(const wchar_t* path) {
    if (!path || !*path)
        return 0;
    std::wstring name = path;
    // The directory itself is named without the backslash: with it, a link would be
    // looked at through to its target.
    while (name.size() > 3 && name.back() == L'\\')
        name.pop_back();
    if (!zenta::FitsPath(name))
        return 0;
    DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !IsDirectory(attributes))
        return 0;
    return DeleteTree(name, attributes) ? 1 : 0;
}

namespace {

// Enables privilege `name` in `token`; `previous`, when given, receives what it was before
// (no entry when the token does not hold it).
DWORD EnableIn(HANDLE token, const wchar_t* name, TOKEN_PRIVILEGES* previous) {
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueW(nullptr, name, &privileges.Privileges[0].Luid))
        return GetLastError();
    DWORD length = 0;
    if (!AdjustTokenPrivileges(token, FALSE, &privileges, previous ? sizeof *previous : 0, previous,
                               previous ? &length : nullptr))
        return GetLastError();
    // Success may still be ERROR_NOT_ALL_ASSIGNED: the token does not hold the privilege.
    return GetLastError();
}

HANDLE OwnToken() {
    HANDLE token = nullptr;
    return OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token) ? token
                                                                                                : nullptr;
}

} // namespace

DWORD EnablePrivilege(const wchar_t* name) {
    zenta::ScopedHandle token(OwnToken());
    return token ? EnableIn(token.Get(), name, nullptr) : GetLastError();
}

DWORD CPrivilegeHold::Enable(const wchar_t* name) {
    GiveBack();
    token_.Reset(OwnToken());
    if (!token_)
        return GetLastError();
    previous_ = {};
    DWORD error = EnableIn(token_.Get(), name, &previous_);
    if (error != ERROR_SUCCESS && error != ERROR_NOT_ALL_ASSIGNED)
        previous_.PrivilegeCount = 0; // nothing was changed, nothing to give back
    return error;
}

void CPrivilegeHold::GiveBack() {
    if (token_ && previous_.PrivilegeCount > 0)
        AdjustTokenPrivileges(token_.Get(), FALSE, &previous_, 0, nullptr, nullptr);
    previous_ = {};
    token_.Reset();
}

int RestartComputer() {
    if (EnablePrivilege(L"SeShutdownPrivilege") != ERROR_SUCCESS)
        return 0;
    return ExitWindowsEx(EWX_REBOOT, 0) ? 1 : 0;
}
