// The boot.ini line of the installed system (Windows XP and Server 2003).
#pragma once

// targetPath: drive letter + ":\zentaos"; only the drive letter is used.
void AddBootIniEntry(const wchar_t* targetPath);
void RemoveBootIniEntry(const wchar_t* targetPath);
