// The uninstaller's two stages. The installed program file lives in the directory that the
// removal deletes, so it hands over to a copy of itself in the temporary directory.
#pragma once
#include "common/ScopedWin.h"

#include <windows.h>
#include <string>

// The temporary copy's file name, and the prefix of the new folder it is placed in.
constexpr wchar_t kTemporaryCopyName[] = L"Del_ZentaUninstall.exe";
constexpr wchar_t kTemporaryFolderPrefix[] = L"ZentaUninstall.";

// A new folder with an unpredictable name in `temp` (a path ending in a backslash), made by
// us now with a DACL that lets only administrators and the system in, and held open in
// `hold` from the moment it exists (nobody can rename it or swap it while held). False when
// it cannot be made so; nothing is made without its protection.
bool MakeTemporaryFolder(const std::wstring& temp, std::wstring& folder, zenta::ScopedHandle& hold);

// True when the file `self` and the open `copy` hold the same bytes (up to 64 MiB each).
bool SameContent(const std::wstring& self, HANDLE copy);

// First stage: copies the program into a new folder of its own in the temporary directory
// and starts exactly that copy, hidden. Anything that goes wrong is told in a "错误" box and
// nothing is started.
void StartTemporaryCopy();

// The second stage's hold on its own folder, handed over by the first stage as the third
// argument of `commandLine`: kept while it lives, closed when it ends. Empty when the
// argument names no folder handle of this process.
zenta::ScopedHandle AdoptFolderHold(const wchar_t* commandLine);

// The name of the mutex that keeps the second stage to one running uninstaller.
constexpr wchar_t kUninstallMutexName[] = L"MUTEX_ZENTA_UNINSTALL";

// Second stage: one uninstaller at a time, the question, the removal and its report; in the
// end its own copy and folder are scheduled for deletion at the next restart.
void RunRemovalStage(HINSTANCE instance);

// True when `program` is a copy that a first stage made: "Del_ZentaUninstall.exe" in a
// "ZentaUninstall.*" folder directly inside `tempDir` (a path ending in a backslash).
bool IsTemporaryCopy(const std::wstring& program, const std::wstring& tempDir);
