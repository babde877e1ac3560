#include "common/SystemHelpers.h"

#include "common/ScopedWin.h"
#include "common/Text.h"

#include <string>

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

// Deletes what the directory `base` (ending in a backslash) holds; false when it cannot be
// listed. Entries whose full path would not fit MAX_PATH are left alone, never cut short.
bool DeleteContents(const std::wstring& base) {
    WIN32_FIND_DATAW data = {};
    std::wstring pattern = base + L"*.*";
    if (!zenta::FitsPath(pattern))
        return false;
    zenta::ScopedFindHandle find(FindFirstFileW(pattern.c_str(), &data));
    if (!find)
        return false;
    do {
        if (lstrcmpiW(data.cFileName, L".") == 0 || lstrcmpiW(data.cFileName, L"..") == 0)
            continue;
        std::wstring child = base + data.cFileName;
        if (!zenta::FitsPath(child))
            continue;
        if (IsLink(data.dwFileAttributes)) {
            RemoveLink(child, data.dwFileAttributes);
        } else if (IsDirectory(data.dwFileAttributes)) {
            DeleteContents(child + L"\\");
            DeleteWithoutReadOnly(child, data.dwFileAttributes);
        } else {
            DeleteWithoutReadOnly(child, data.dwFileAttributes);
        }
    } while (FindNextFileW(find.Get(), &data));
    return true;
}

} // namespace

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
    if (IsLink(attributes)) {
        RemoveLink(name, attributes);
        return 1;
    }
    std::wstring base = name.back() == L'\\' ? name : name + L"\\";
    if (!DeleteContents(base))
        return 0;
    DeleteWithoutReadOnly(name, attributes);
    return 1;
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

int RestartComputer() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return 0;
    zenta::ScopedHandle tokenHolder(token);
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid))
        return 0;
    AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    // Also ERROR_NOT_ALL_ASSIGNED: the privilege is not ours to enable.
    if (GetLastError() != ERROR_SUCCESS)
        return 0;
    return ExitWindowsEx(EWX_REBOOT, 0) ? 1 : 0;
}
