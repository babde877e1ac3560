// Which boot-configuration technique the running Windows needs.
#pragma once
#include <windows.h>
#include <string>

enum WindowsKind : int {
    Unsupported = 0,
    BootIni = 1, // Windows XP and Server 2003 (5.1, 5.2): boot.ini
    Bcd = 2,     // Windows Vista and later (6.x): the BCD store
};

// The kind for a reported version number.
WindowsKind ClassifyWindowsVersion(DWORD major, DWORD minor);

// The kind of the running system. The programs carry no compatibility manifest, so every
// release after Windows 8 reports 6.2 to them and counts as Bcd.
WindowsKind CheckWindowsVersion();

// The version as the running system reports it to the program, for the log:
// "6.1.7601 Service Pack 1".
std::wstring DescribeWindowsVersion();

// The message both programs show on an unsupported system.
