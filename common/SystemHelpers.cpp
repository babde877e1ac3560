#include "common/SystemHelpers.h"

#include "common/ScopedWin.h"
#include "common/Text.h"

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

// Read-only files and directories refuse to be deleted; the bit is lifted first and put
// back when the delete fails anyway (a file in use), so nothing changes but what went.
void DeleteWithoutReadOnly(const std::wstring& path, DWORD attributes) {
    bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly) {
        DWORD writable = attributes & ~FILE_ATTRIBUTE_READONLY;
        SetFileAttributesW(path.c_str(), writable ? writable : FILE_ATTRIBUTE_NORMAL);
    }
    BOOL deleted = IsDirectory(attributes) ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str());
    if (!deleted && readOnly)
        SetFileAttributesW(path.c_str(), attributes);
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
            DeleteWithoutReadOnly(child, data.dwFileAttributes);
        return true;
    });
    if (!listed)
        return false;
    directory.Reset();
    DeleteWithoutReadOnly(name, info.dwFileAttributes);
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

int DeleteRegistryTree(const wchar_t* subKey) {
    return DeleteRegistryTreeUnder(HKEY_LOCAL_MACHINE, subKey);
}

int DeleteRegistryTreeUnder(HKEY root, const wchar_t* subKey) {
    // An empty name would open the root itself and empty it.
    if (!subKey || !*subKey)
        return 0;
    if (RegDeleteKeyW(root, subKey) == ERROR_SUCCESS)
        return 1;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, subKey, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return 0;
    zenta::ScopedRegKey key(opened);
    std::wstring path = subKey;
    if (path.back() != L'\\')
        path += L'\\';
    const size_t end = path.size();
    for (;;) {
        // Always index 0: every pass deletes the subkey it found.
        wchar_t name[260] = {};
        DWORD length = 260;
        if (RegEnumKeyExW(key.Get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        path.resize(end);
        path += name;
        if (!DeleteRegistryTreeUnder(root, path.c_str()))
            break;
    }
    key.Reset();
    return RegDeleteKeyW(root, subKey) == ERROR_SUCCESS ? 1 : 0;
}

DWORD EnablePrivilege(const wchar_t* name) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return GetLastError();
    zenta::ScopedHandle tokenHolder(token);
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueW(nullptr, name, &privileges.Privileges[0].Luid))
        return GetLastError();
    if (!AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr))
        return GetLastError();
    // Success may still be ERROR_NOT_ALL_ASSIGNED: the token does not hold the privilege.
    return GetLastError();
}

int RestartComputer() {
    if (EnablePrivilege(L"SeShutdownPrivilege") != ERROR_SUCCESS)
        return 0;
    return ExitWindowsEx(EWX_REBOOT, 0) ? 1 : 0;
}
