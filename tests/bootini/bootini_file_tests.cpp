// boot.ini on disk: C:\boot.ini of the test prefix, with wine reporting Windows XP.
#include <doctest/doctest.h>

#include "common/BootIni.h"
#include "common/WindowsKind.h"
#include "tests/bootini/TestHelpers.h"
#include "tests/driver/Driver.h"

#include <string>

namespace {

const wchar_t kIni[] = L"C:\\boot.ini";
const wchar_t kBackup[] = L"C:\\boot.ini.zenta.bak";
const wchar_t kPending[] = L"C:\\boot.ini.zenta.new";
const DWORD kXpAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

const std::string kEntryD = "\r\nD:\\zeldr=\"\xD0\xC7\xE1\xB0\xCF\xB5\xCD\xB3(boot zenta LUM)\"";

std::string XpIni(const std::string& timeoutLine) {
    return "[boot loader]\r\n" + timeoutLine +
           "default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n"
           "[operating systems]\r\n"
           "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" "
           "/fastdetect\r\n";
}

void Remove(const wchar_t* path) {
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path);
}

// A fresh boot.ini with an old time stamp, so that a rewrite would show.
void PrepareIni(const std::string& content, DWORD attributes) {
    Remove(kIni);
    Remove(kBackup);
    Remove(kPending);
    RemoveDirectoryW(kPending);
    REQUIRE(driver::WriteFileBytes(kIni, content));
    zenta::ScopedHandle file(CreateFileW(kIni, FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    SYSTEMTIME old = {2001, 10, 0, 25, 12, 0, 0, 0};
    FILETIME stamp = {};
    SystemTimeToFileTime(&old, &stamp);
    REQUIRE(SetFileTime(file.Get(), nullptr, nullptr, &stamp));
    file.Reset();
    REQUIRE(SetFileAttributesW(kIni, attributes));
    REQUIRE((GetFileAttributesW(kIni) & kXpAttributes) == (attributes & kXpAttributes));
}

std::string Content(const wchar_t* path) {
    std::string bytes;
    if (!driver::ReadFileBytes(path, bytes))
        return "(unreadable)";
    return bytes;
}

// The attributes that matter to the boot loader and to replacing the file (wine adds the
// archive bit to every file).
DWORD Attributes(const wchar_t* path) {
    return GetFileAttributesW(path) & (kXpAttributes | FILE_ATTRIBUTE_DIRECTORY);
}

ULONGLONG WriteTime(const wchar_t* path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) |
           data.ftLastWriteTime.dwLowDateTime;
}

bool Exists(const wchar_t* path) {
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

// Every test case first hands itself to a child running in XP mode.
#define RUN_IN_XP_MODE(name)                                                                                 \
    if (CheckWindowsVersion() != BootIni) {                                                                  \
        CHECK(testhelp::RunTestCaseInXpMode(name));                                                          \
        return;                                                                                              \
    }

TEST_CASE("boot.ini entry added and removed on disk") {
    RUN_IN_XP_MODE("boot.ini entry added and removed on disk");
    CHECK(BootIniPath() == kIni);
    const std::string original = XpIni("timeout=30\r\n");

    SUBCASE("a hidden read-only system file keeps its attributes and gets one backup") {
        PrepareIni(original, kXpAttributes);
        const ULONGLONG stamp = WriteTime(kIni);
        testhelp::BoxAnswerer boxes;
        CHECK(AddBootIniEntry(L"D:\\zentaos"));
        CHECK(Content(kIni) == original + kEntryD);
        CHECK(Attributes(kIni) == kXpAttributes);
        CHECK(Content(kBackup) == original);
        CHECK(Attributes(kBackup) == kXpAttributes);
        CHECK_FALSE(Exists(kPending));

        // Already there: not rewritten, even the time stamp stays.
        PrepareIni(original + kEntryD, kXpAttributes);
        Remove(kBackup);
        const ULONGLONG addedStamp = WriteTime(kIni);
        CHECK(AddBootIniEntry(L"D:\\zentaos"));
        CHECK(WriteTime(kIni) == addedStamp);
        CHECK(Attributes(kIni) == kXpAttributes);
        CHECK_FALSE(Exists(kBackup));

        // The backup is of the file as it was before the first change only.
        CHECK(driver::WriteFileBytes(kBackup, "first original"));
        CHECK(RemoveBootIniEntry(L"D:\\zentaos"));
        CHECK(Content(kIni) == original + "\r\n");
        CHECK(Attributes(kIni) == kXpAttributes);
        CHECK(Content(kBackup) == "first original");
        CHECK(stamp != WriteTime(kIni));

        // Nothing left to remove: untouched and still read-only.
        const ULONGLONG removedStamp = WriteTime(kIni);
        CHECK(RemoveBootIniEntry(L"D:\\zentaos"));
        CHECK(WriteTime(kIni) == removedStamp);
        CHECK(Attributes(kIni) == kXpAttributes);
        boxes.Finish();
        CHECK(boxes.Count() == 0);
    }

    SUBCASE("a short timeout is raised on disk; removal leaves other entries and the timeout") {
        const std::string shortTimeout = XpIni("timeout=5\r\n");
        PrepareIni(shortTimeout, FILE_ATTRIBUTE_READONLY);
        CHECK(AddBootIniEntry(L"D:\\zentaos"));
        CHECK(Content(kIni) == XpIni("timeout=10\r\n") + kEntryD);
        CHECK(Attributes(kIni) == FILE_ATTRIBUTE_READONLY);
        CHECK(AddBootIniEntry(L"E:\\zentaos"));
        CHECK(RemoveBootIniEntry(L"D:\\zentaos"));
        std::string entryE = kEntryD;
        entryE[2] = 'E';
        CHECK(Content(kIni) == XpIni("timeout=10\r\n") + "\r\n" + entryE.substr(2));
        CHECK(Content(kBackup) == shortTimeout);
    }

    SUBCASE("a second copy of the line stays, and the result says so") {
        PrepareIni(original + kEntryD + kEntryD, FILE_ATTRIBUTE_NORMAL);
        CHECK_FALSE(RemoveBootIniEntry(L"D:\\zentaos"));
        CHECK(Content(kIni) == original + "\r\n" + kEntryD.substr(2));
        CHECK(RemoveBootIniEntry(L"D:\\zentaos"));
        CHECK(Content(kIni) == original + "\r\n");
    }
}

TEST_CASE("boot.ini of any size and without a timeout line end") {
    RUN_IN_XP_MODE("boot.ini of any size and without a timeout line end");
    SUBCASE("40 KiB") {
        std::string lines;
        for (int i = 0; lines.size() < 40 * 1024; ++i)
            lines += "multi(0)disk(0)rdisk(0)partition(1)\\WIN" + std::to_string(i) +
                     "=\"Windows\" /fastdetect\r\n";
        const std::string big = XpIni("timeout=0\r\n") + lines;
        PrepareIni(big, kXpAttributes);
        CHECK(AddBootIniEntry(L"D:\\zentaos"));
        bool added = Content(kIni) == XpIni("timeout=10\r\n") + lines + kEntryD;
        CHECK(added);
        CHECK(RemoveBootIniEntry(L"D:\\zentaos"));
        bool removed = Content(kIni) == XpIni("timeout=10\r\n") + lines + "\r\n";
        CHECK(removed);
        bool backedUp = Content(kBackup) == big;
        CHECK(backedUp);
        CHECK(Attributes(kIni) == kXpAttributes);
    }
    SUBCASE("\"timeout=\" at the very end: the entry is appended, the timeout left alone") {
        const std::string ini = "[operating systems]\r\nC:\\=\"DOS\"\r\n[boot loader]\r\ntimeout=1";
        PrepareIni(ini, FILE_ATTRIBUTE_NORMAL);
        CHECK(AddBootIniEntry(L"D:\\zentaos"));
        CHECK(Content(kIni) == ini + kEntryD);
        CHECK(RemoveBootIniEntry(L"D:\\zentaos"));
        CHECK(Content(kIni) == ini + "\r\n");
    }
}

TEST_CASE("boot.ini failures are told and leave the file as it was") {
    RUN_IN_XP_MODE("boot.ini failures are told and leave the file as it was");
    const std::string original = XpIni("timeout=3\r\n");

    SUBCASE("no boot.ini") {
        PrepareIni(original, FILE_ATTRIBUTE_NORMAL);
        Remove(kIni);
        testhelp::BoxAnswerer boxes;
        CHECK_FALSE(AddBootIniEntry(L"D:\\zentaos"));
        boxes.Finish();
        CHECK(boxes.Count() == 1);
        CHECK(boxes.Caption() == L"警告");
        CHECK(boxes.Text() == L"boot.ini 不存在");
        CHECK_FALSE(Exists(kIni));
        // Without a boot.ini there is no entry left to remove.
        testhelp::BoxAnswerer again;
        CHECK(RemoveBootIniEntry(L"D:\\zentaos"));
        again.Finish();
        CHECK(again.Text() == L"boot.ini 不存在");
    }

    SUBCASE("boot.ini held open by another program") {
        PrepareIni(original, kXpAttributes);
        {
            zenta::ScopedHandle held(CreateFileW(kIni, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            REQUIRE(held);
            testhelp::BoxAnswerer boxes;
            CHECK_FALSE(AddBootIniEntry(L"D:\\zentaos"));
            boxes.Finish();
            CHECK(boxes.Caption() == L"警告");
            CHECK(boxes.Text() == L"boot.ini 打开出错");
        }
        CHECK(Content(kIni) == original);
        CHECK(Attributes(kIni) == kXpAttributes);
    }

    SUBCASE("the new file cannot be written: the original stays whole, attributes included") {
        PrepareIni(original + kEntryD, kXpAttributes);
        REQUIRE(CreateDirectoryW(kPending, nullptr));
        testhelp::BoxAnswerer boxes;
        CHECK_FALSE(RemoveBootIniEntry(L"D:\\zentaos"));
        boxes.Finish();
        CHECK(boxes.Caption() == L"警告");
        CHECK(boxes.Text() == L"boot.ini 写入出错");
        CHECK(Content(kIni) == original + kEntryD);
        CHECK(Attributes(kIni) == kXpAttributes);
        RemoveDirectoryW(kPending);
    }

    SUBCASE("a new file left by an interrupted run is replaced") {
        PrepareIni(original, kXpAttributes);
        REQUIRE(driver::WriteFileBytes(kPending, "half"));
        SetFileAttributesW(kPending, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
        testhelp::BoxAnswerer boxes;
        CHECK(AddBootIniEntry(L"D:\\zentaos"));
        boxes.Finish();
        CHECK(boxes.Count() == 0);
        CHECK(Content(kIni) == XpIni("timeout=10\r\n") + kEntryD);
        CHECK_FALSE(Exists(kPending));
    }
}
