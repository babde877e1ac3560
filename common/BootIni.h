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
    std::string content; // what the file holds afterwards (Unchanged, Changed)
    // True when the entry is as the caller wanted it: present after an add, absent after a
    // removal (also when there is no boot.ini at all).
    bool done = false;
};

// targetPath: drive letter + ":\zentaos"; only the drive letter is used. Neither shows a
// message; BootIniStatusText gives the one for a failure. Both write what they did to the log.
BootIniResult AddBootIniEntry(const wchar_t* targetPath);
BootIniResult RemoveBootIniEntry(const wchar_t* targetPath);

using BootIniEdit = bool (*)(const std::string& content, char drive, std::string& edited,
                             BootIniChange& change);

// The system drive's boot.ini: first letter of the system directory + ":\boot.ini".
std::wstring BootIniPath();

// Reads the whole file, edits it in memory and, when the edit changed it, writes the result
// to a new file beside it (of an unpredictable name, made by us) that replaces the original
// only once it is complete and flushed. Attributes (read-only, hidden, system) come back as
// they were; the first change keeps a copy of the original as BootIniBackupPath(path), and a
// backup's name that holds anything but a plain file refuses the change. A file that is not
// plain ANSI text is refused untouched.
BootIniResult EditBootIniFile(const std::wstring& path, BootIniEdit edit, char drive);

std::wstring BootIniBackupPath(const std::wstring& path);

// The warning for a failed status, null for Unchanged and Changed.
const wchar_t* BootIniStatusText(BootIniStatus status);
