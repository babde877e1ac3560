// Registering the installed system in the BCD store (Windows Vista and later).
#pragma once

// targetPath: drive letter + ":\zentaos". Records "Guid" before the store is touched.
void RegisterBootEntry(const wchar_t* targetPath);
