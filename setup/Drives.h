// Target drive discovery: the local fixed drives C: to Z: with their free space, the drive
// box labels and the space check of the Welcome page.
#pragma once
#include "common/Volume.h"

#include <windows.h>
#include <string>
#include <vector>

// One row of the Welcome page's drive table.
struct DriveEntry {
    wchar_t letter;
    unsigned long long freeBytes; // available to the calling user (honours quotas)
};

// The least free space an installation needs, and the room it needs beyond the package.
constexpr unsigned long long kMinimumFreeBytes = 4294967296ull; // 4 GiB
constexpr unsigned long long kReserveBytes = 536870912ull;      // 512 MiB

class CHardDriveInfo {
  public:
    // One upper-case letter per local fixed drive, C to Z, in ascending order ("CE" for
    // C: and E:); empty when nothing qualifies or the volumes cannot be listed.
    std::wstring GetFixedDrives();
};

// Free bytes available to the caller on drive `letter`; 0 when that cannot be measured,
// so that such a drive never passes the space check.
unsigned long long QueryFreeBytes(wchar_t letter);

// "C:(3 GB空闲)": the drive name and the whole GiB free, truncated.
std::wstring FormatDriveLabel(const DriveEntry& entry);

// True when a drive with `freeBytes` free can take a package of `packageBytes`.
bool HasRoomFor(unsigned long long freeBytes, unsigned long long packageBytes);

// The check of the Welcome page's button: entry `selected` of `drives` exists and has room
// for the package. No drive at all, or no drive chosen, never passes.
bool SelectedDriveHasRoom(const std::vector<DriveEntry>& drives, int selected,
                          unsigned long long packageBytes);

// Ascending code order by repeated exchange of neighbours.
void SortDriveLetters(std::wstring& letters);

// The file system of drive `letter` as Windows names it ("NTFS", "FAT32"); empty when it
// cannot be read.
std::wstring DriveFileSystem(wchar_t letter);
// True when a file of `bytes` fits on `fileSystem`: FAT and FAT32 hold files of at most
// 4 GiB - 1 byte; every other file system (or an unknown one) is not held back.
bool FileSystemHoldsFile(const std::wstring& fileSystem, unsigned long long bytes);
