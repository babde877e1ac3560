#include "setup/Drives.h"

#include "common/ScopedWin.h"
#include "common/Text.h"

#include <cstdio>
#include <memory>
#include <new>
#include <utility>

namespace {

struct VolumeFindTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Valid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(Handle h) { FindVolumeClose(h); }
};
using ScopedVolumeFind = zenta::Scoped<VolumeFindTraits>;

// "\\?\Volume{...}\": the form FindFirstVolumeW and FindNextVolumeW give.
bool IsVolumeName(const std::wstring& name) {
    return name.size() > 4 && name.compare(0, 4, L"\\\\?\\") == 0 && name.back() == L'\\';
}

// The volume must lead to a device; its name is not needed.
bool HasDosDevice(const std::wstring& volume) {
    std::wstring device = volume.substr(4, volume.size() - 5);
    wchar_t target[MAX_PATH];
    return QueryDosDeviceW(device.c_str(), target, MAX_PATH) != 0;
}

// Every mount path of the volume is looked at: its drive root need not come first.
wchar_t LetterOfVolume(const std::wstring& volume) {
    DWORD capacity = MAX_PATH + 1, length = 0;
    std::unique_ptr<wchar_t[]> paths(new (std::nothrow) wchar_t[capacity]());
    if (!paths)
        return 0;
    if (!GetVolumePathNamesForVolumeNameW(volume.c_str(), paths.get(), capacity, &length)) {
        if (GetLastError() != ERROR_MORE_DATA || length == 0)
            return 0;
        paths.reset(new (std::nothrow) wchar_t[capacity = length]());
        if (!paths || !GetVolumePathNamesForVolumeNameW(volume.c_str(), paths.get(), capacity, &length))
            return 0;
    }
    return DriveLetterOfMountPaths(paths.get(), capacity);
}

} // namespace

wchar_t DriveLetterOfMountPath(const wchar_t* mountPath) {
    // Only the root of a drive names a letter of the volume's own; a folder such as
    // C:\mnt\vol\ names the drive that hosts it.
    if (!mountPath || !mountPath[0] || mountPath[1] != L':' || mountPath[2] != L'\\' || mountPath[3])
        return 0;
    wchar_t letter = mountPath[0];
    if (letter >= L'a' && letter <= L'z')
        letter = static_cast<wchar_t>(letter - L'a' + L'A');
    return letter >= L'C' && letter <= L'Z' ? letter : 0;
}

wchar_t DriveLetterOfMountPaths(const wchar_t* paths, size_t length) {
    for (size_t start = 0; paths && start < length && paths[start];) {
        size_t end = start;
        while (end < length && paths[end])
            ++end;
        if (end == length) // not terminated within the list: not a path
            return 0;
        if (wchar_t letter = DriveLetterOfMountPath(paths + start))
            return letter;
        start = end + 1;
    }
    return 0;
}

void SortDriveLetters(std::wstring& letters) {
    for (size_t end = letters.size(); end > 1; --end) {
        bool swapped = false;
        for (size_t i = 0; i + 1 < end; ++i) {
            if (letters[i] > letters[i + 1]) {
                std::swap(letters[i], letters[i + 1]);
                swapped = true;
            }
        }
        if (!swapped)
            break;
    }
}

std::wstring CHardDriveInfo::GetFixedDrives() {
    std::wstring letters;
    wchar_t name[MAX_PATH];
    ScopedVolumeFind find(FindFirstVolumeW(name, MAX_PATH));
    if (!find) {
        std::printf("FindFirstVolumeW failed with error code %d\n", static_cast<int>(GetLastError()));
        std::fflush(stdout);
        return letters;
    }
    for (;;) {
        std::wstring volume = name;
        if (!IsVolumeName(volume) || !HasDosDevice(volume))
            break;
        if (wchar_t letter = LetterOfVolume(volume)) {
            const wchar_t root[] = {letter, L':', L'\\', 0};
            if (GetDriveTypeW(root) == DRIVE_FIXED)
                letters += letter;
        }
        if (!FindNextVolumeW(find.Get(), name, MAX_PATH) || name[0] != L'\\')
            break;
    }
    find.Reset();
    SortDriveLetters(letters);
    return letters;
}

unsigned long long QueryFreeBytes(wchar_t letter) {
    const wchar_t drive[] = {letter, L':', 0};
    ULARGE_INTEGER available = {};
    if (!GetDiskFreeSpaceExW(drive, &available, nullptr, nullptr))
        return 0;
    return available.QuadPart;
}

std::wstring FormatDriveLabel(const DriveEntry& entry) {
    const wchar_t drive[] = {entry.letter, L':', 0};
    return zenta::FormatText(L"%ls(%d GB空闲)", drive, static_cast<int>(entry.freeBytes >> 30));
}

bool HasRoomFor(unsigned long long freeBytes, unsigned long long packageBytes) {
    if (freeBytes < kMinimumFreeBytes)
        return false;
    // A package so large that adding the reserve would wrap cannot fit anywhere.
    if (packageBytes > ~0ull - kReserveBytes)
        return false;
    return freeBytes >= packageBytes + kReserveBytes;
}

bool SelectedDriveHasRoom(const std::vector<DriveEntry>& drives, int selected,
                          unsigned long long packageBytes) {
    if (selected < 0 || static_cast<size_t>(selected) >= drives.size())
        return false;
    return HasRoomFor(drives[selected].freeBytes, packageBytes);
}

std::wstring DriveFileSystem(wchar_t letter) {
    const wchar_t root[] = {letter, L':', L'\\', 0};
    wchar_t name[MAX_PATH + 1] = {};
    if (!GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, name, MAX_PATH + 1))
        return std::wstring();
    return name;
}

bool FileSystemHoldsFile(const std::wstring& fileSystem, unsigned long long bytes) {
    bool fat = lstrcmpiW(fileSystem.c_str(), L"FAT") == 0 || lstrcmpiW(fileSystem.c_str(), L"FAT32") == 0;
    return !fat || bytes <= 0xFFFFFFFFull;
}
