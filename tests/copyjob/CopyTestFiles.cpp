#include "CopyTestFiles.h"

#include "common/ScopedWin.h"
#include "setup/SetupApp.h"

#include <doctest/doctest.h>

std::wstring NewFolder(const std::wstring& root) {
    static int counter = 0;
    std::wstring path = root + L"\\t" + std::to_wstring(++counter);
    MakeFolders(path);
    return path;
}

void MakeFolders(const std::wstring& path) {
    size_t slash = path.find_last_of(L'\\');
    if (slash != std::wstring::npos && slash > 2)
        MakeFolders(path.substr(0, slash));
    CreateDirectoryW(path.c_str(), nullptr);
}

void PutFile(const std::wstring& path, const std::string& content) {
    zenta::ScopedHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    REQUIRE(file);
    DWORD written = 0;
    REQUIRE(WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr));
}

void PutSparseFile(const std::wstring& path, long long size) {
    zenta::ScopedHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    REQUIRE(file);
    LARGE_INTEGER end;
    end.QuadPart = size;
    REQUIRE(SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN));
    REQUIRE(SetEndOfFile(file.Get()));
}

std::string ReadText(const std::wstring& path) {
    zenta::ScopedHandle file(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file)
        return std::string();
    char buffer[4096];
    DWORD got = 0;
    if (!ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr))
        return std::string();
    return std::string(buffer, got);
}

long long SizeOfFile(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

FILETIME LastWriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

void SetLastWriteTime(const std::wstring& path, WORD year) {
    SYSTEMTIME when{};
    when.wYear = year;
    when.wMonth = 1;
    when.wDay = 1;
    FILETIME time;
    REQUIRE(SystemTimeToFileTime(&when, &time));
    zenta::ScopedHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
    REQUIRE(file);
    REQUIRE(SetFileTime(file.Get(), nullptr, nullptr, &time));
}

void ForceDelete(const std::wstring& path) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
}

TestPackage::TestPackage() : dir(NewFolder(L"D:")) {}

std::wstring TestPackage::Folder(const std::wstring& folder) const {
    return dir + L"\\copyfiles\\" + folder;
}

std::wstring TestPackage::Put(const std::wstring& folder, const std::wstring& name,
                              const std::string& content) {
    MakeFolders(Folder(folder));
    std::wstring path = Folder(folder) + L"\\" + name;
    PutFile(path, content);
    return path;
}

std::wstring TestPackage::PutSparse(const std::wstring& folder, const std::wstring& name, long long size) {
    MakeFolders(Folder(folder));
    std::wstring path = Folder(folder) + L"\\" + name;
    PutSparseFile(path, size);
    return path;
}

std::unique_ptr<CSetupApp> MakeApp(const std::wstring& packageDir, WindowsKind kind) {
    auto app = std::make_unique<CSetupApp>(GetModuleHandleW(nullptr));
    app->packageDir = packageDir;
    app->windowsKind = kind;
    return app;
}

std::wstring NewTargetDir() {
    return NewFolder(L"E:") + L"\\zentaos";
}

bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds) {
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > milliseconds)
            return false;
        Sleep(1);
    }
    return true;
}
