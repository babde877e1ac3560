#include "setup/Drives.h"

#include "common/ScopedWin.h"
#include "common/Text.h"
#include "common/UserTexts.h"

#include <cstdio>
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

} // namespace

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
        if (wchar_t letter = DriveOfVolume(volume)) {
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
    return zenta::FormatText(kDriveLineText, drive, static_cast<int>(entry.freeBytes >> 30));
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
