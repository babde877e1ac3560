#include "common/SystemHelpers.h"

// Filled in with the removal work.
int DeleteDirectoryTree(const wchar_t*) { return 0; }
int DeleteRegistryTree(const wchar_t*) { return 0; }
int DeleteRegistryTreeUnder(HKEY, const wchar_t*) { return 0; }
int RestartComputer() { return 0; }
