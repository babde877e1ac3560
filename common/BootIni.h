// The boot.ini line of the installed system (Windows XP and Server 2003).
#pragma once
#include "common/BootIniText.h"

#include <string>

// targetPath: drive letter + ":\zentaos"; only the drive letter is used. Failures are told
// to the user in a message box ("警告").
// True when boot.ini holds the entry afterwards (added now or already there).
bool AddBootIniEntry(const wchar_t* targetPath);
// True when boot.ini holds no entry of the drive afterwards (also when there is no boot.ini).
bool RemoveBootIniEntry(const wchar_t* targetPath);

enum class BootIniStatus {
    Unchanged,   // the edit found nothing to change; the file was not touched
    Changed,     // the edited file replaced the original
    Missing,     // "boot.ini 不存在"
    OpenFailed,  // "boot.ini 打开出错"
    ReadFailed,  // "boot.ini 读取出错"
    WriteFailed, // "boot.ini 写入出错"; the original is as it was
};

using BootIniEdit = bool (*)(const std::string& content, char drive, std::string& edited);

// The system drive's boot.ini: first letter of the system directory + ":\boot.ini".
std::wstring BootIniPath();

// Reads the whole file, edits it in memory and, when the edit changed it, writes the result
// to a new file beside it that replaces the original only once it is complete and flushed.
// Attributes (read-only, hidden, system) come back as they were; the first change keeps a
// copy of the original as BootIniBackupPath(path). `result` receives the content the file
// holds afterwards (on Unchanged and Changed). Shows no message.
BootIniStatus EditBootIniFile(const std::wstring& path, BootIniEdit edit, char drive, std::string* result);

std::wstring BootIniBackupPath(const std::wstring& path);
std::wstring BootIniPendingPath(const std::wstring& path);

// The message for a failed status, null for Unchanged and Changed.
const wchar_t* BootIniStatusText(BootIniStatus status);
