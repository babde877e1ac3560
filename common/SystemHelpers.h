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
// What `path` is when opened as itself (a link as a link, never followed): false when it
// cannot be opened; ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND from GetLastError when it
// does not exist.
bool ReadFileInfo(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info);
// True when a folder on the way to `path` (below its drive root) is a junction or symbolic
// link.
bool PathThroughLink(const std::wstring& path);
// True when `file`, opened by `path`, was reached through no link: no folder on the way is
// one and, where Windows tells it (Vista and later), the file's final path is `path` itself.
bool OpenedWhereMeant(HANDLE file, const std::wstring& path);
// Sets the attributes of the open `file` through its handle (it needs FILE_WRITE_ATTRIBUTES).
bool SetAttributesThrough(HANDLE file, DWORD attributes);
// Marks the open `file` for deletion through its handle (it needs DELETE): the file opened
// is the file that goes, whatever is done to its name meanwhile.
bool DeleteThroughHandle(HANDLE file);
// Deletes the file `path` as itself, a link as a link. A read-only file loses the bit for the
// delete only, through the handle it is deleted with: it gets it back when the delete fails,
// and after it when the file lives on under another name (attributes belong to the file,
// which all its hard links share). False (GetLastError says why) when the name is still there.
bool DeleteFileKeepingAttributes(const std::wstring& path);
// Deletes a directory with everything in it; links are removed as links, never followed.
// 1 when the directory could be listed (whatever was deleted), 0 otherwise.
int DeleteDirectoryTree(const wchar_t* path);
// The calls DeleteDirectoryTree removes an emptied directory with. Windows refuses to remove
// a read-only directory; wine (run as root) neither shows the bit nor refuses, so a test gives
// calls that act as Windows does.
struct DirectoryCalls {
    BOOL(WINAPI* setAttributes)(LPCWSTR, DWORD);
    BOOL(WINAPI* remove)(LPCWSTR);
};
// Removes the emptied directory `path`, listed with `attributes`: a read-only one loses the
// bit first and gets it back when the removal fails anyway, so nothing changes but what went.
bool RemoveEmptiedDirectory(const std::wstring& path, DWORD attributes,
                            const DirectoryCalls& calls = {SetFileAttributesW, RemoveDirectoryW});
// Enables privilege `name` (such as L"SeBackupPrivilege") in the process token: ERROR_SUCCESS,
// ERROR_NOT_ALL_ASSIGNED when the token does not hold it, or the error of the failing call.
DWORD EnablePrivilege(const wchar_t* name);
// One privilege enabled in the process token for as long as the holder lives: GiveBack (or
// the destructor) puts it back into the state it was in before Enable. Holders given back in
// the reverse order of their Enable leave the token as it was.
class CPrivilegeHold {
  public:
    CPrivilegeHold() = default;
    ~CPrivilegeHold() { GiveBack(); }
    CPrivilegeHold(const CPrivilegeHold&) = delete;
    CPrivilegeHold& operator=(const CPrivilegeHold&) = delete;
    // As EnablePrivilege; a holder that holds one already gives it back first.
    DWORD Enable(const wchar_t* name);
    void GiveBack();

  private:
    zenta::ScopedHandle token_;
    TOKEN_PRIVILEGES previous_ = {};
};
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
