// Deleting directory and registry trees, and restarting the computer.
#pragma once
#include "common/ScopedWin.h"
#include "common/Text.h"

#include <windows.h>
#include <string>

// The temporary directory, ending in a backslash, as GetTempPathW finds it (TMP, then TEMP,
// then the profile), but up to 519 units long; empty when there is none.
std::wstring TempDirectory();
// The full path of the running program's file; empty when it cannot be had whole.
std::wstring OwnProgramPath();
// True when `path` is a junction or symbolic link (any reparse point).
bool IsLinkPath(const std::wstring& path);
// Deletes a directory with everything in it; links are removed as links, never followed.
// 1 when the directory could be listed (whatever was deleted), 0 otherwise.
int DeleteDirectoryTree(const wchar_t* path);
// Deletes a key below HKEY_LOCAL_MACHINE with everything under it; 1 on success.
int DeleteRegistryTree(const wchar_t* subKey);
int DeleteRegistryTreeUnder(HKEY root, const wchar_t* subKey);
// Enables privilege `name` (such as L"SeBackupPrivilege") in the process token: ERROR_SUCCESS,
// ERROR_NOT_ALL_ASSIGNED when the token does not hold it, or the error of the failing call.
DWORD EnablePrivilege(const wchar_t* name);
// Enables the shutdown privilege and asks Windows to restart; 1 when it was initiated.
int RestartComputer();

// Calls `visit(entry)` for each entry of `folder` but "." and "..", in the order the file
// system gives them, until it returns false. False when the folder cannot be listed.
template <typename Visit> bool ForEachEntry(const std::wstring& folder, Visit visit) {
    std::wstring pattern;
    WIN32_FIND_DATAW entry;
    if (!zenta::JoinPath(folder, L"*", pattern))
        return false;
    zenta::ScopedFindHandle find(FindFirstFileW(pattern.c_str(), &entry));
    if (!find)
        return false;
    do {
        if (lstrcmpW(entry.cFileName, L".") != 0 && lstrcmpW(entry.cFileName, L"..") != 0 && !visit(entry))
            break;
    } while (FindNextFileW(find.Get(), &entry));
    return true;
}
