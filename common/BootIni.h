// The boot.ini line of the installed system (Windows XP and Server 2003).
#pragma once
#include "common/BootIniText.h"

#include <windows.h>
#include <string>

enum class BootIniStatus {
    Unchanged,     // the edit found nothing to change; the file was not touched
    Changed,       // the edited file replaced the original
    Missing,       // "boot.ini 不存在"
    OpenFailed,    // "boot.ini 打开出错"
    ReadFailed,    // "boot.ini 读取出错"
    NotText,       // "boot.ini 不是可以编辑的文本文件": left untouched
    WriteFailed,   // "boot.ini 写入出错"; the original is as it was
    BackupNotFile, // the backup's name holds no plain file (a folder, a link): left untouched
};

struct BootIniResult {
    BootIniStatus status = BootIniStatus::Missing;
    DWORD error = ERROR_SUCCESS; // of the failed file operation
    BootIniChange change;
    bool backupWritten = false;
    std::string content; // what the file holds afterwards (Unchanged, Changed, NotText)
    // True when the entry is as the caller wanted it: present after an add, absent after a
    // removal (also when there is no boot.ini at all).
    bool done = false;
};

// targetPath: drive letter + ":\zentaos"; only the drive letter is used. Neither shows a
// message; BootIniStatusText gives the one for a failure. Both write what they did to the log.
BootIniResult AddBootIniEntry(const wchar_t* targetPath);
// With `timeoutLine` (what BootIniTimeoutBeforeAdd gave at the installation), the menu
// timeout is given back too while it is still the one the add set. A file that may not be
// edited but can be read and shows no entry of ours counts as done: there is nothing to remove.
BootIniResult RemoveBootIniEntry(const wchar_t* targetPath, const std::string* timeoutLine = nullptr);
// Before an add, for the installation record: the [boot loader] timeout line the add will
// replace ("" when it will add one where there is none). False when the add leaves the
// timeout as it is, or when boot.ini cannot be read as text (the add then fails as well).
bool BootIniTimeoutBeforeAdd(const wchar_t* targetPath, std::string& line);

using BootIniEdit = bool (*)(const std::string& content, char drive, std::string& edited,
                             BootIniChange& change);

// The system drive's boot.ini: first letter of the system directory + ":\boot.ini".
std::wstring BootIniPath();

// Reads the whole file, edits it in memory and, when the edit changed it, writes the result
// to a new file beside it (of an unpredictable name, made by us) that replaces the original
// only once it is complete and flushed. Attributes (read-only, hidden, system) come back as
// they were; the first change keeps a copy of the original as BootIniBackupPath(path), and a
// backup's name that holds anything but a plain file refuses the change. A file that is not
// plain ANSI text is refused untouched (its bytes are in the result's content, for a look).
BootIniResult EditBootIniFile(const std::wstring& path, BootIniEdit edit, char drive);

std::wstring BootIniBackupPath(const std::wstring& path);

// The warning for a failed status, null for Unchanged and Changed.
const wchar_t* BootIniStatusText(BootIniStatus status);
