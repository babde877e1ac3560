#include "setup/Package.h"

#include "common/InstallRecord.h"
#include "common/SystemHelpers.h"
#include "common/Text.h"
#include "setup/CopyPlan.h"
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

// True when `path` itself (not what it leads to) is a link. Its search entry carries the
// reparse tag, on every Windows version.
bool IsLinkAt(const std::wstring& path) {
    WIN32_FIND_DATAW entry;
    zenta::ScopedFindHandle search(FindFirstFileW(path.c_str(), &entry));
    return search && IsLinkEntry(entry.dwFileAttributes, entry.dwReserved0);
}

} // namespace

std::wstring PackageDirOf(const std::wstring& modulePath) {
    size_t slash = modulePath.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : modulePath.substr(0, slash);
}

std::vector<std::wstring> MissingPackageFiles(const std::wstring& packageDir, WindowsKind kind) {
    std::vector<std::wstring> missing;
    // The loader goes to the drive root from the common folder only.
    if (!InPackage(packageDir, L"copyfiles\\common\\zeldr"))
        missing.push_back(L"copyfiles\\common\\zeldr");
    // The installation directory gets what every copy source of this kind holds.
    const std::array<std::wstring, 3> sources = CopySourceFolders(packageDir, kind);
    auto copied = [&sources](const wchar_t* name) {
        for (const std::wstring& source : sources) {
            std::wstring path;
            if (zenta::JoinPath(source, name, path) && IsFile(path))
                return true;
        }
        return false;
    };
    if (!copied(L"Uninstall.exe"))
        missing.push_back(L"copyfiles\\common\\Uninstall.exe");
    if (kind == Bcd && !copied(L"zeldr.mbr"))
        missing.push_back(L"copyfiles\\bcd\\zeldr.mbr");
    return missing;
}

TreeFiles PackageFiles(const std::wstring& packageDir) {
    std::wstring copyFiles;
    return zenta::JoinPath(packageDir, L"copyfiles", copyFiles) ? MeasureTree(copyFiles) : TreeFiles();
}

bool IsLinkEntry(DWORD attributes, DWORD reparseTag) {
    // No tag is no valid reparse point: what it is cannot be known, so it is taken as a link.
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
           (reparseTag == 0 || IsReparseTagNameSurrogate(reparseTag));
}

TreeFiles CopiedFiles(const std::wstring& packageDir, WindowsKind kind) {
    TreeFiles files;
    for (const std::wstring& source : CopySourceFolders(packageDir, kind))
        MeasureFolder(source, files);
    return files;
}

std::wstring LinkedTargetPath(wchar_t drive) {
    std::wstring folder = InstallDirectory(drive), loader = LoaderFile(drive);
    if (IsLinkAt(folder))
        return folder;
    BY_HANDLE_FILE_INFORMATION info = {};
    return ReadFileInfo(loader, info) && IsLinkedLoader(loader, info) ? loader : std::wstring();
}

bool IsLinkedLoader(const std::wstring& path, const BY_HANDLE_FILE_INFORMATION& info) {
    return IsLinkAt(path) || info.nNumberOfLinks > 1 || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ExistingTargetFolder(wchar_t drive) {
    std::wstring folder = InstallDirectory(drive);
    return GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES ? folder : std::wstring();
}

std::wstring LinkInPackage(const std::wstring& packageDir) {
    std::wstring found;
    // Depth first, never into a link (other reparse points are folders like any other); stops
    // at the first one.
    auto search = [&found](const std::wstring& folder, auto& self) -> void {
        ForEachEntry(folder, [&](const WIN32_FIND_DATAW& entry) {
            std::wstring path;
            if (!zenta::JoinPath(folder, entry.cFileName, path))
                return true;
            if (IsLinkEntry(entry.dwFileAttributes, entry.dwReserved0))
                found = path;
            else if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) // a folder like any other
                self(path, self);
            return found.empty();
        });
    };
    for (const wchar_t* name : {L"copyfiles", L"support", L"ZentaImages"}) {
        std::wstring folder;
        if (!zenta::JoinPath(packageDir, name, folder))
            continue;
        if (IsLinkAt(folder))
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
