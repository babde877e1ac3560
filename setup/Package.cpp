#include "setup/Package.h"

#include "common/InstallRecord.h"
#include "common/SystemHelpers.h"
#include "common/Text.h"
#include "setup/FileSystem.h"

#include <windows.h>

namespace {

bool IsFile(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool InPackage(const std::wstring& packageDir, const wchar_t* relative) {
    std::wstring path;
    return zenta::JoinPath(packageDir, relative, path) && IsFile(path);
}

} // namespace

std::wstring PackageDirOf(const std::wstring& modulePath) {
    size_t slash = modulePath.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : modulePath.substr(0, slash);
}

std::vector<std::wstring> MissingPackageFiles(const std::wstring& packageDir, WindowsKind kind) {
    std::vector<std::wstring> missing;
    for (const wchar_t* file : {L"copyfiles\\common\\zeldr", L"copyfiles\\common\\Uninstall.exe"})
        if (!InPackage(packageDir, file))
            missing.push_back(file);
    // The boot sector may come from either folder the BCD installation copies.
    if (kind == Bcd && !InPackage(packageDir, L"copyfiles\\bcd\\zeldr.mbr") &&
        !InPackage(packageDir, L"copyfiles\\common\\zeldr.mbr"))
        missing.push_back(L"copyfiles\\bcd\\zeldr.mbr");
    return missing;
}

TreeFiles PackageFiles(const std::wstring& packageDir) {
    std::wstring copyFiles;
    return zenta::JoinPath(packageDir, L"copyfiles", copyFiles) ? MeasureTree(copyFiles) : TreeFiles();
}

std::wstring LinkedTargetPath(wchar_t drive) {
    std::wstring folder = InstallDirectory(drive), loader = LoaderFile(drive);
    if (IsLinkPath(folder))
        return folder;
    BY_HANDLE_FILE_INFORMATION info = {};
    if (ReadFileInfo(loader, info) && !IsPlainFile(info))
        return loader;
    return std::wstring();
}

std::wstring ExistingTargetFolder(wchar_t drive) {
    std::wstring folder = InstallDirectory(drive);
    return GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES ? folder : std::wstring();
}

std::wstring LinkInPackage(const std::wstring& packageDir) {
    std::wstring found;
    // Depth first, never into a link; stops at the first one.
    auto search = [&found](const std::wstring& folder, auto& self) -> void {
        ForEachEntry(folder, [&](const WIN32_FIND_DATAW& entry) {
            std::wstring path;
            if (!zenta::JoinPath(folder, entry.cFileName, path))
                return true;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                found = path;
            else if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                self(path, self);
            return found.empty();
        });
    };
    for (const wchar_t* name : {L"copyfiles", L"support", L"ZentaImages"}) {
        std::wstring folder;
        if (!zenta::JoinPath(packageDir, name, folder))
            continue;
        if (IsLinkPath(folder))
            return folder;
        search(folder, search);
        if (!found.empty())
            return found;
    }
    return std::wstring();
}

std::vector<std::wstring> MissingInstalledFiles(wchar_t drive, WindowsKind kind) {
    std::vector<std::wstring> missing;
    std::vector<std::wstring> paths = {LoaderFile(drive), InstalledUninstaller(drive)};
    if (kind == Bcd)
        paths.push_back(InstalledBootSector(drive));
    for (const std::wstring& path : paths) {
        if (!IsFile(path))
            missing.push_back(path);
    }
    return missing;
}
