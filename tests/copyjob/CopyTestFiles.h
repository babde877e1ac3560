// Packages and files for the copy job tests, made on the test drives D: and E:.
#pragma once
#include "common/WindowsKind.h"

#include <windows.h>
#include <functional>
#include <memory>
#include <string>

struct CSetupApp;

// A new empty folder below `root` (for instance L"D:"), unique within the test run.
std::wstring NewFolder(const std::wstring& root);
// Creates `path` and any missing parents.
void MakeFolders(const std::wstring& path);
void PutFile(const std::wstring& path, const std::string& content);
// A file of `size` bytes that takes no room: its content reads as zeros.
void PutSparseFile(const std::wstring& path, long long size);
// Empty when the file cannot be read.
std::string ReadText(const std::wstring& path);
// -1 when the file is missing.
long long SizeOfFile(const std::wstring& path);
bool Exists(const std::wstring& path);
FILETIME LastWriteTime(const std::wstring& path);
void SetLastWriteTime(const std::wstring& path, WORD year);
// Deletes a file whatever its attributes.
void ForceDelete(const std::wstring& path);

// An installation package below D:, with folders made on demand.
struct TestPackage {
    TestPackage();
    // Puts a file into copyfiles\<folder>; returns its path.
    std::wstring Put(const std::wstring& folder, const std::wstring& name, const std::string& content);
    std::wstring PutSparse(const std::wstring& folder, const std::wstring& name, long long size);
    std::wstring Folder(const std::wstring& folder) const;
    std::wstring dir;
};

// The application object as Setup has it, reading the given package.
std::unique_ptr<CSetupApp> MakeApp(const std::wstring& packageDir, WindowsKind kind);
// A fresh installation directory "<new folder on E:>\zentaos" (not yet created).
std::wstring NewTargetDir();

// Polls `condition` every millisecond; false when it is still unmet after `milliseconds`.
bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds);
