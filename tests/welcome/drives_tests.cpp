#include "WineDrives.h"

#include "setup/Drives.h"

#include <doctest/doctest.h>

namespace {

constexpr unsigned long long GiB = 1ull << 30, MiB = 1ull << 20;

} // namespace

TEST_CASE("drive box labels: the drive name and the whole GiB free, truncated") {
    CHECK(FormatDriveLabel({L'C', 1610612736ull}) == L"C:(1 GB空闲)");
    CHECK(FormatDriveLabel({L'C', 900 * MiB}) == L"C:(0 GB空闲)");
    CHECK(FormatDriveLabel({L'E', 40 * GiB}) == L"E:(40 GB空闲)");
    CHECK(FormatDriveLabel({L'D', 3 * GiB - 1}) == L"D:(2 GB空闲)");
    CHECK(FormatDriveLabel({L'Z', 0}) == L"Z:(0 GB空闲)");
    CHECK(FormatDriveLabel({L'F', 2000 * GiB}) == L"F:(2000 GB空闲)");
}

TEST_CASE("the space check: at least 4 GiB free and 512 MiB beyond the package") {
    CHECK(HasRoomFor(4 * GiB, 3 * GiB + 512 * MiB));
    CHECK_FALSE(HasRoomFor(4 * GiB, 3 * GiB + 512 * MiB + 1));
    CHECK_FALSE(HasRoomFor(4 * GiB - 1, 0));
    CHECK(HasRoomFor(4 * GiB, 0)); // a package without copyfiles needs only the minimum
    CHECK_FALSE(HasRoomFor(10 * GiB, 9 * GiB + 600 * MiB + 1)); // 9.6 GiB: 10.1 GiB needed
    CHECK(HasRoomFor(40 * GiB, 39 * GiB + 512 * MiB));
    CHECK_FALSE(HasRoomFor(3 * GiB, 0));
    // Sums near the top of the 64-bit range do not wrap into a pass.
    CHECK_FALSE(HasRoomFor(~0ull, ~0ull));
    CHECK_FALSE(HasRoomFor(8 * GiB, ~0ull - 100));
    CHECK(HasRoomFor(~0ull, ~0ull - 512 * MiB));
}

TEST_CASE("the button's check needs a chosen drive") {
    std::vector<DriveEntry> drives = {{L'C', 3 * GiB}, {L'E', 40 * GiB}};
    CHECK_FALSE(SelectedDriveHasRoom(drives, 0, 0));
    CHECK(SelectedDriveHasRoom(drives, 1, 39 * GiB));
    CHECK_FALSE(SelectedDriveHasRoom(drives, 1, 40 * GiB));
    CHECK_FALSE(SelectedDriveHasRoom(drives, -1, 0));
    CHECK_FALSE(SelectedDriveHasRoom(drives, 2, 0));
    CHECK_FALSE(SelectedDriveHasRoom({}, -1, 0)); // an empty drive box
    CHECK_FALSE(SelectedDriveHasRoom({}, 0, 0));
}

TEST_CASE("drive letters of mount paths and their order") {
    CHECK(DriveLetterOfMountPath(L"C:\\") == L'C');
    CHECK(DriveLetterOfMountPath(L"e:\\") == L'E');
    CHECK(DriveLetterOfMountPath(L"z:\\mnt\\data\\") == L'Z');
    CHECK(DriveLetterOfMountPath(L"A:\\") == 0);
    CHECK(DriveLetterOfMountPath(L"b:\\") == 0);
    CHECK(DriveLetterOfMountPath(L"") == 0); // a volume without a mount path
    CHECK(DriveLetterOfMountPath(L"\\\\server\\") == 0);
    CHECK(DriveLetterOfMountPath(nullptr) == 0);

    std::wstring letters = L"ZECDY";
    SortDriveLetters(letters);
    CHECK(letters == L"CDEYZ");
    letters = L"EC";
    SortDriveLetters(letters);
    CHECK(letters == L"CE");
    letters = L"CC";
    SortDriveLetters(letters);
    CHECK(letters == L"CC");
    letters = L"";
    SortDriveLetters(letters);
    CHECK(letters.empty());
}

TEST_CASE("the fixed drives of the machine, sorted, and nothing else") {
    // The runner's prefix has C:, D: and E: (and its own Y: and S:) as fixed drives; a
    // CD-ROM drive is added where wine's mount manager allows.
    bool cdrom = winedrives::AddCdromDrive(L'F');
    if (!cdrom)
        MESSAGE("no CD-ROM drive could be added: the non-fixed case is not exercised");

    CHardDriveInfo info;
    std::wstring drives = info.GetFixedDrives();
    CHECK(drives == winedrives::FixedDrivesByType());
    CHECK(drives.find(L'C') != std::wstring::npos);
    CHECK(drives.find(L'D') != std::wstring::npos);
    CHECK(drives.find(L'E') != std::wstring::npos);
    if (cdrom)
        CHECK(drives.find(L'F') == std::wstring::npos);
    std::wstring sorted = drives;
    SortDriveLetters(sorted);
    CHECK(drives == sorted);
    for (wchar_t letter : drives) {
        CHECK(letter >= L'C');
        CHECK(letter <= L'Z');
    }
}

TEST_CASE("free space as the caller may use it; 0 where it cannot be measured") {
    ULARGE_INTEGER available = {};
    REQUIRE(GetDiskFreeSpaceExW(L"D:\\", &available, nullptr, nullptr));
    unsigned long long measured = QueryFreeBytes(L'D');
    // The host's disk is shared with other work: allow it to move a little in between.
    CHECK(measured > 0);
    CHECK(measured + 4096 * MiB > available.QuadPart);
    CHECK(measured < available.QuadPart + 4096 * MiB);
    CHECK(QueryFreeBytes(L'Q') == 0); // no such drive
    CHECK_FALSE(HasRoomFor(QueryFreeBytes(L'Q'), 0));
}
