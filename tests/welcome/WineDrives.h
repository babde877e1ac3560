// Drive letters of other kinds for a test prefix, through wine's mount manager (the way
// winecfg adds drives). Only a throwaway prefix should ever be changed like this.
#pragma once
#include "common/ScopedWin.h"

#include <windows.h>
#include <winioctl.h>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace winedrives {

constexpr DWORD kDefineUnixDrive = CTL_CODE(0x6D, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
constexpr DWORD kQueryUnixDrive = CTL_CODE(0x6D, 33, METHOD_BUFFERED, FILE_READ_ACCESS);

struct UnixDrive {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPoint; // offsets of narrow strings after the structure
    USHORT device;
    USHORT label;
};

inline zenta::ScopedHandle OpenMountManager() {
    return zenta::ScopedHandle(CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                           nullptr));
}

// True when the mount manager answers for D: the way this layout expects (a fixed drive).
inline bool LayoutConfirmed(HANDLE manager) {
    std::vector<char> buffer(1024);
    auto* query = reinterpret_cast<UnixDrive*>(buffer.data());
    query->size = sizeof *query;
    query->letter = L'd';
    DWORD returned = 0;
    if (!DeviceIoControl(manager, kQueryUnixDrive, query, sizeof *query, buffer.data(),
                         static_cast<DWORD>(buffer.size()), &returned, nullptr))
        return false;
    return query->type == DRIVE_FIXED && query->size == returned && query->mountPoint >= sizeof *query &&
           query->mountPoint < returned;
}

// Makes `letter` a drive of `type` (DRIVE_CDROM, DRIVE_REMOVABLE, ...) over the host folder
// `hostFolder`. False when the mount manager does not take it.
inline bool DefineDrive(wchar_t letter, DWORD type, const std::string& hostFolder) {
    zenta::ScopedHandle manager = OpenMountManager();
    if (!manager || !LayoutConfirmed(manager.Get()))
        return false;
    std::vector<char> buffer(sizeof(UnixDrive) + hostFolder.size() + 1);
    auto* drive = reinterpret_cast<UnixDrive*>(buffer.data());
    drive->size = static_cast<ULONG>(buffer.size());
    drive->type = type;
    drive->letter = static_cast<WCHAR>(letter - L'A' + L'a');
    drive->mountPoint = sizeof(UnixDrive);
    std::memcpy(buffer.data() + sizeof(UnixDrive), hostFolder.c_str(), hostFolder.size() + 1);
    DWORD returned = 0;
    return DeviceIoControl(manager.Get(), kDefineUnixDrive, buffer.data(), drive->size, nullptr, 0, &returned,
                           nullptr) != 0;
}

// The host path of the test prefix (the runner exports it), or empty.
inline std::string HostPrefix() {
    const char* prefix = std::getenv("ZENTA_HOST_PREFIX");
    return prefix ? prefix : "";
}

// Adds `letter` as a CD-ROM drive over a new folder of drive D:. False when wine refuses.
inline bool AddCdromDrive(wchar_t letter) {
    if (HostPrefix().empty())
        return false;
    std::wstring folder = std::wstring(L"D:\\cdrom-") + letter;
    CreateDirectoryW(folder.c_str(), nullptr);
    return DefineDrive(letter, DRIVE_CDROM, HostPrefix() + "/drive_d/cdrom-" + static_cast<char>(letter)) &&
           GetDriveTypeW((std::wstring(1, letter) + L":\\").c_str()) == DRIVE_CDROM;
}

// The fixed drives from C to Z as GetDriveTypeW sees them, letter by letter.
inline std::wstring FixedDrivesByType() {
    std::wstring letters;
    for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) {
        const wchar_t root[] = {letter, L':', L'\\', 0};
        if (GetDriveTypeW(root) == DRIVE_FIXED)
            letters += letter;
    }
    return letters;
}

} // namespace winedrives
