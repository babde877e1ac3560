// The uninstaller's two stages. The installed program file lives in the directory that the
// removal deletes, so it hands over to a copy of itself in the temporary directory.
#pragma once
#include <windows.h>

// The temporary copy's file name and the arguments it is started with.
constexpr wchar_t kTemporaryCopyName[] = L"Del_ZentaUninstall.exe";

// First stage: copies the program to the temporary directory and starts that copy hidden.
void StartTemporaryCopy();

// Second stage: one uninstaller at a time, the question, the removal and its report.
void RunRemovalStage(HINSTANCE instance);
