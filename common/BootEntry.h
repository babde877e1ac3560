// Registering the installed system in the BCD store (Windows Vista and later).
#pragma once
#include <string>

// targetPath: drive letter + ":\zentaos". Records "Guid" before the store is touched.
void RegisterBootEntry(const wchar_t* targetPath);

// A new entry identifier: "{" + 36 lower-case GUID characters + "}". False when no GUID
// could be made.
bool MakeBootEntryId(std::wstring& id);
