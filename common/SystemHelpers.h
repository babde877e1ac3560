// Deleting directory and registry trees, and restarting the computer.
#pragma once
#include <windows.h>

// 1 when the directory could be listed (whatever was deleted), 0 otherwise.
int DeleteDirectoryTree(const wchar_t* path);
// Deletes a key below HKEY_LOCAL_MACHINE with everything under it; 1 on success.
int DeleteRegistryTree(const wchar_t* subKey);
int DeleteRegistryTreeUnder(HKEY root, const wchar_t* subKey);
// Enables the shutdown privilege and asks Windows to restart; 1 when it was initiated.
int RestartComputer();
