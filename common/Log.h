// The run's log, for the user to send when something went wrong: one UTF-16LE file (with a
// byte-order mark, so that Notepad on XP reads it) in the temporary directory, one line per
// event with the local date and time. A log that cannot be written is simply left out: it
// never stops or slows the work it describes.
#pragma once
#include <windows.h>
#include <string>

// Appends to %TEMP%\<fileName> from now on. A file above 1 MiB is kept as <fileName>.old
// (replacing an older one) and a new one is started.
void OpenLog(const wchar_t* fileName);
// One line, printf-style (%ls for wide strings). Any thread.
void Log(const wchar_t* format, ...);
// The log's full path, also when it could not be opened; empty before OpenLog.
std::wstring LogPath();
// True while the log file holds this run's lines: it is open, and every line since OpenLog
// was written to it.
bool LogHoldsRun();

// The system's wording for a Win32 error or an HRESULT, with its code: "5 (拒绝访问。)",
// "0x80041002"; just the code when the system has no text for it.
std::wstring ErrorText(DWORD error);
