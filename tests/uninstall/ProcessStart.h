// How another process was started, read from its process parameters: what a test needs to
// check the arguments, window state and folder a program gave the process it started.
#pragma once
#include <windows.h>
#include <string>

struct ProcessStart {
    std::wstring commandLine;
    std::wstring currentDirectory;
    DWORD windowFlags = 0; // STARTUPINFO dwFlags
    DWORD showWindow = 0;  // STARTUPINFO wShowWindow
};

// False when the process cannot be opened or read (it may have ended).
bool ReadProcessStart(DWORD processId, ProcessStart& start);
