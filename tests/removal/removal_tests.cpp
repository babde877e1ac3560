// Removal on a prepared drive D: of the test prefix: directory and registry trees, links
// that lead out of the installation, repeated and partial removals, bad records.
#include <doctest/doctest.h>

#include "common/BootEntry.h"
#include "common/BootIni.h"
#include "common/Registry.h"
#include "common/Removal.h"
#include "common/RemovalReport.h"
#include "common/SystemHelpers.h"
#include "tests/bootini/TestHelpers.h"
#include "tests/driver/Driver.h"
#include "tests/fakebcd/FakeBcd.h"

#include <objbase.h>

#include <string>

namespace {

const std::string kEntryD = "\r\nD:\\zeldr=\"\xD0\xC7\xE1\xB0\xCF\xB5\xCD\xB3(boot zenta LUM)\"";
const std::string kEntryE = "\r\nE:\\zeldr=\"\xD0\xC7\xE1\xB0\xCF\xB5\xCD\xB3(boot zenta LUM)\"";
const std::string kIniStart =
    "[boot loader]\r\ntimeout=30\r\ndefault=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n"
    "[operating systems]\r\nmulti(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"XP\"\r\n";

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeFile(const std::wstring& path, const std::string& content,
              DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    REQUIRE(driver::MakeDirectories(path.substr(0, path.find_last_of(L'\\'))));
    REQUIRE(driver::WriteFileBytes(path, content));
    REQUIRE(SetFileAttributesW(path.c_str(), attributes));
}

std::string Content(const std::wstring& path) {
    std::string bytes;
    return driver::ReadFileBytes(path, bytes) ? bytes : "(unreadable)";
}

// Clears the read-only bits a test left, then deletes with the code under test.
void Wipe(const std::wstring& path) {
    if (!Exists(path))
        return;
    DeleteDirectoryTree(path.c_str());
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
}

// An installation tree as the copy job leaves it, plus read-only and nested parts.
void MakeTree(const std::wstring& root) {
    MakeFile(root + L"\\Uninstall.exe", "MZ not really");
    MakeFile(root + L"\\zeldr.mbr", std::string(512, '\x55'));
    MakeFile(root + L"\\bin\\tool.dll", "tool");
    MakeFile(root + L"\\bin\\deep\\er\\still\\data.bin", "data", FILE_ATTRIBUTE_READONLY);
    MakeFile(root + L"\\ro\\hidden.sys", "x",
             FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    REQUIRE(SetFileAttributesW((root + L"\\ro").c_str(), FILE_ATTRIBUTE_READONLY));
    REQUIRE(CreateDirectoryW((root + L"\\empty").c_str(), nullptr));
}

// Something outside the installation that a link inside it points to.
void MakeOutsideTarget() {
    MakeFile(L"E:\\keep\\precious.txt", "precious");
    MakeFile(L"E:\\keep\\sub\\more.txt", "more", FILE_ATTRIBUTE_READONLY);
}

void CheckOutsideTargetIntact() {
    CHECK(Content(L"E:\\keep\\precious.txt") == "precious");
    CHECK(Content(L"E:\\keep\\sub\\more.txt") == "more");
}

bool KeyExists(const wchar_t* subKey) {
    return driver::RegistryKeyExists(HKEY_LOCAL_MACHINE, subKey);
}

void SetValue(HKEY key, const wchar_t* name, const std::wstring& text) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void MakeKey(const std::wstring& subKey, const wchar_t* valueName = L"Value") {
    HKEY key = nullptr;
    REQUIRE(RegCreateKeyExW(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) == ERROR_SUCCESS);
    SetValue(key, valueName, subKey);
    RegCloseKey(key);
}

void RecordDrive(DWORD drive) {
    CRegistry record;
    REQUIRE(record.Create(kHardDiskKey));
    REQUIRE(record.WriteDword(L"Drive", drive));
}

void MakeUninstallRecord() {
    std::wstring key = kUninstallKey;
    MakeKey(key, L"UninstallString");
    MakeKey(key + L"\\Extra\\Nested");
}

void WriteBootIni(const std::string& content) {
    SetFileAttributesW(L"C:\\boot.ini", FILE_ATTRIBUTE_NORMAL);
    REQUIRE(driver::WriteFileBytes(L"C:\\boot.ini", content));
    REQUIRE(SetFileAttributesW(L"C:\\boot.ini",
                               FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
}

// A complete installation on D: as Setup leaves it on Windows XP, with a second, foreign
// boot entry that must survive.
void PrepareInstallation(DWORD drive = L'D') {
    Wipe(L"D:\\zentaos");
    Wipe(L"D:\\zeldr");
    MakeTree(L"D:\\zentaos");
    MakeFile(L"D:\\zeldr", "loader", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    DeleteRegistryTree(kHardDiskKey);
    RecordDrive(drive);
    MakeUninstallRecord();
    WriteBootIni(kIniStart + kEntryE + kEntryD);
}

bool InstallationUntouched() {
    return Exists(L"D:\\zentaos\\bin\\deep\\er\\still\\data.bin") && Exists(L"D:\\zentaos\\Uninstall.exe") &&
           Exists(L"D:\\zeldr") && KeyExists(kUninstallKey) &&
           Content(L"C:\\boot.ini") == kIniStart + kEntryE + kEntryD;
}

} // namespace

// Boxes this program shows close at once (wine reads this when the first window appears).
const bool kUnmanaged = testhelp::UseUnmanagedWindows();

TEST_CASE("directory trees are deleted without leaving the installation") {
    SUBCASE("nothing to list") {
        CHECK(DeleteDirectoryTree(nullptr) == 0);
        CHECK(DeleteDirectoryTree(L"") == 0);
        CHECK(DeleteDirectoryTree(L"D:\\absent") == 0);
        CHECK(DeleteDirectoryTree(L"D:\\absent\\") == 0);
        MakeFile(L"D:\\plain.txt", "file");
        CHECK(DeleteDirectoryTree(L"D:\\plain.txt") == 0);
        CHECK(Exists(L"D:\\plain.txt"));
        Wipe(L"D:\\plain.txt");
    }

    SUBCASE("ordinary, read-only, hidden and nested entries, with and without a trailing backslash") {
        MakeTree(L"D:\\one");
        MakeTree(L"D:\\two");
        CHECK(DeleteDirectoryTree(L"D:\\one") == 1);
        CHECK(DeleteDirectoryTree(L"D:\\two\\") == 1);
        CHECK_FALSE(Exists(L"D:\\one"));
        CHECK_FALSE(Exists(L"D:\\two"));
    }

    SUBCASE("a link inside that points outside is removed as a link: its target survives") {
        MakeOutsideTarget();
        MakeTree(L"D:\\tree");
        REQUIRE(testhelp::MakeFolderLink(L"D:\\tree\\outside", L"E:\\keep"));
        REQUIRE(Content(L"D:\\tree\\outside\\precious.txt") == "precious");
        CHECK(DeleteDirectoryTree(L"D:\\tree") == 1);
        CheckOutsideTargetIntact();
        CHECK_FALSE(Exists(L"D:\\tree\\bin"));
        CHECK_FALSE(Exists(L"D:\\tree\\Uninstall.exe"));
        // Windows removes the link itself; wine cannot, and then the link is all that is left.
        if (Exists(L"D:\\tree")) {
            CHECK(Exists(L"D:\\tree\\outside"));
            testhelp::RemoveFolderLink(L"D:\\tree\\outside");
            CHECK(DeleteDirectoryTree(L"D:\\tree") == 1);
            CHECK_FALSE(Exists(L"D:\\tree"));
        }
        Wipe(L"E:\\keep");
    }

    SUBCASE("a directory that is itself a link is not entered") {
        MakeOutsideTarget();
        REQUIRE(testhelp::MakeFolderLink(L"D:\\linked", L"E:\\keep"));
        CHECK(DeleteDirectoryTree(L"D:\\linked") == 1);
        CHECK(DeleteDirectoryTree(L"D:\\linked\\") == 1);
        CheckOutsideTargetIntact();
        testhelp::RemoveFolderLink(L"D:\\linked");
        Wipe(L"E:\\keep");
    }

    SUBCASE("a file in use stays with the folders above it; everything else goes") {
        MakeTree(L"D:\\busy");
        const std::wstring held = L"D:\\busy\\bin\\deep\\er\\still\\data.bin";
        {
            zenta::ScopedHandle file(
                CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            REQUIRE(file);
            CHECK(DeleteDirectoryTree(L"D:\\busy") == 1);
        }
        CHECK(Exists(held));
        CHECK((GetFileAttributesW(held.c_str()) & FILE_ATTRIBUTE_READONLY) != 0);
        CHECK_FALSE(Exists(L"D:\\busy\\bin\\tool.dll"));
        CHECK_FALSE(Exists(L"D:\\busy\\ro"));
        CHECK_FALSE(Exists(L"D:\\busy\\Uninstall.exe"));
        CHECK(DeleteDirectoryTree(L"D:\\busy") == 1);
        CHECK_FALSE(Exists(L"D:\\busy"));
    }
}

TEST_CASE("registry trees") {
    const std::wstring base = L"SOFTWARE\\ZentaTest";
    SUBCASE("several levels deep, values included; siblings stay") {
        MakeKey(base + L"\\Tree");
        MakeKey(base + L"\\Tree\\a\\b\\c\\d\\e");
        MakeKey(base + L"\\Tree\\a\\b2");
        MakeKey(base + L"\\Tree\\z\\y");
        MakeKey(base + L"\\Treehouse");
        CHECK(DeleteRegistryTree((base + L"\\Tree").c_str()) == 1);
        CHECK_FALSE(KeyExists((base + L"\\Tree").c_str()));
        CHECK(KeyExists((base + L"\\Treehouse").c_str()));
        CHECK(DeleteRegistryTree((base + L"\\Treehouse\\").c_str()) == 1);
        CHECK_FALSE(KeyExists((base + L"\\Treehouse").c_str()));
    }
    SUBCASE("an absent key, and no key at all") {
        CHECK(DeleteRegistryTree((base + L"\\Absent").c_str()) == 0);
        CHECK(DeleteRegistryTree(L"") == 0);
        CHECK(DeleteRegistryTree(nullptr) == 0);
        CHECK(KeyExists(L"SOFTWARE\\Microsoft"));
    }
    SUBCASE("under another root") {
        HKEY key = nullptr;
        REQUIRE(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\ZentaTest\\x\\y", 0, nullptr, 0,
                                KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS);
        RegCloseKey(key);
        CHECK(DeleteRegistryTreeUnder(HKEY_CURRENT_USER, L"Software\\ZentaTest") == 1);
        CHECK_FALSE(driver::RegistryKeyExists(HKEY_CURRENT_USER, L"Software\\ZentaTest"));
    }
    DeleteRegistryTree(base.c_str());
}

TEST_CASE("removing a recorded installation") {
    testhelp::BoxAnswerer boxes;

    SUBCASE("everything goes; a second run is a silent no-op") {
        PrepareInstallation();
        RemovalOutcome outcome = RemoveInstallation(BootIni);
        CHECK(outcome.recorded);
        CHECK(outcome.drive == L'D');
        CHECK(outcome.bootEntryRemoved);
        CHECK(outcome.loaderRemoved);
        CHECK(outcome.directoryRemoved);
        CHECK(outcome.installRecordRemoved);
        CHECK(outcome.uninstallRecordRemoved);
        CHECK(outcome.Complete());
        CHECK_FALSE(Exists(L"D:\\zentaos"));
        CHECK_FALSE(Exists(L"D:\\zeldr"));
        CHECK_FALSE(KeyExists(kHardDiskKey));
        CHECK_FALSE(KeyExists(kUninstallKey));
        CHECK(KeyExists(L"SOFTWARE\\Zenta"));
        CHECK(Content(L"C:\\boot.ini") == kIniStart + kEntryE + "\r\n");

        // Whatever appears later is not the business of a removal that has nothing recorded.
        MakeFile(L"D:\\zentaos\\new.txt", "new");
        MakeUninstallRecord();
        WriteBootIni(kIniStart + kEntryD);
        RemovalOutcome again = RemoveInstallation(BootIni);
        CHECK_FALSE(again.recorded);
        CHECK_FALSE(again.Complete());
        CHECK(Exists(L"D:\\zentaos\\new.txt"));
        CHECK(KeyExists(kUninstallKey));
        CHECK(Content(L"C:\\boot.ini") == kIniStart + kEntryD);
    }

    SUBCASE("no installation record: nothing changes, the uninstall record included") {
        PrepareInstallation();
        DeleteRegistryTree(kHardDiskKey);
        RemovalOutcome outcome = RemoveInstallation(BootIni);
        CHECK_FALSE(outcome.recorded);
        CHECK(InstallationUntouched());
        // A record without "Drive" is no installation either, and stays as it is.
        CRegistry record;
        REQUIRE(record.Create(kHardDiskKey));
        record.WriteString(L"Guid", L"{00000000-0000-0000-0000-000000000000}");
        record.Close();
        outcome = RemoveInstallation(Bcd);
        CHECK_FALSE(outcome.recorded);
        CHECK(KeyExists(kHardDiskKey));
        CHECK(InstallationUntouched());
    }

    SUBCASE("a link inside the installation leads nowhere outside it") {
        PrepareInstallation();
        MakeOutsideTarget();
        REQUIRE(testhelp::MakeFolderLink(L"D:\\zentaos\\outside", L"E:\\keep"));
        RemovalOutcome outcome = RemoveInstallation(BootIni);
        CheckOutsideTargetIntact();
        CHECK_FALSE(Exists(L"D:\\zentaos\\bin"));
        CHECK(outcome.directoryRemoved == !Exists(L"D:\\zentaos"));
        CHECK(outcome.loaderRemoved);
        CHECK(outcome.installRecordRemoved);
        if (!outcome.directoryRemoved) {
            CHECK(DescribeIncompleteRemoval(outcome).find(L"文件夹 D:\\zentaos") != std::wstring::npos);
            testhelp::RemoveFolderLink(L"D:\\zentaos\\outside");
        }
        Wipe(L"E:\\keep");
    }

    SUBCASE("a \"Drive\" that names no drive letter removes no files, but the records") {
        for (DWORD bad : {0x31ul, 0x0ul, 0x5Cul, 0x3Aul, 0x2Eul, 0x10000ul, 0xFFFFul}) {
            CAPTURE(bad);
            PrepareInstallation(bad);
            RemovalOutcome outcome = RemoveInstallation(BootIni);
            CHECK(outcome.recorded);
            CHECK(outcome.drive == 0);
            CHECK(outcome.driveValue == bad);
            CHECK_FALSE(outcome.Complete());
            CHECK(Exists(L"D:\\zentaos\\bin\\deep\\er\\still\\data.bin"));
            CHECK(Exists(L"D:\\zeldr"));
            CHECK(Content(L"C:\\boot.ini") == kIniStart + kEntryE + kEntryD);
            CHECK(outcome.bootEntryRemoved); // no entry of a drive that does not exist
            CHECK_FALSE(KeyExists(kHardDiskKey));
            CHECK_FALSE(KeyExists(kUninstallKey));
            CHECK(DescribeIncompleteRemoval(outcome).find(L"无效") != std::wstring::npos);
        }
    }

    SUBCASE("only the low 16 bits of \"Drive\" count, in either case") {
        PrepareInstallation(0x12340044);
        CHECK(RemoveInstallation(BootIni).Complete());
        CHECK_FALSE(Exists(L"D:\\zentaos"));
        PrepareInstallation(L'd');
        RemovalOutcome lower = RemoveInstallation(BootIni);
        CHECK(lower.drive == L'd');
        CHECK(lower.loaderRemoved);
        CHECK(lower.directoryRemoved);
        CHECK_FALSE(Exists(L"D:\\zentaos"));
        // boot.ini keys are matched as written: the entry of "D" is not the one of "d".
        CHECK_FALSE(lower.bootEntryRemoved ==
                    (Content(L"C:\\boot.ini").find("D:\\zeldr") != std::string::npos));
    }

    SUBCASE("a file held open: the rest goes and the outcome says what is left") {
        PrepareInstallation();
        {
            zenta::ScopedHandle held(CreateFileW(L"D:\\zentaos\\bin\\tool.dll", GENERIC_READ, 0, nullptr,
                                                 OPEN_EXISTING, 0, nullptr));
            REQUIRE(held);
            RemovalOutcome outcome = RemoveInstallation(BootIni);
            CHECK(outcome.recorded);
            CHECK_FALSE(outcome.directoryRemoved);
            CHECK(outcome.loaderRemoved);
            CHECK(outcome.bootEntryRemoved);
            CHECK_FALSE(outcome.Complete());
            std::wstring report = DescribeIncompleteRemoval(outcome);
            CHECK(report.find(L"文件夹 D:\\zentaos") != std::wstring::npos);
            CHECK(report.find(L"zeldr") == std::wstring::npos);
            CHECK(report.find(L"注册表") == std::wstring::npos);
        }
        CHECK(Exists(L"D:\\zentaos\\bin\\tool.dll"));
        CHECK_FALSE(Exists(L"D:\\zentaos\\Uninstall.exe"));
    }

    SUBCASE("the BCD kind with no recorded entry leaves boot.ini alone and asks no BCD store") {
        PrepareInstallation();
        RemovalOutcome outcome = RemoveInstallation(Bcd);
        CHECK(outcome.Complete());
        CHECK(Content(L"C:\\boot.ini") == kIniStart + kEntryE + kEntryD);
    }

    SUBCASE("an unknown kind does not touch any boot configuration") {
        PrepareInstallation();
        RemovalOutcome outcome = RemoveInstallation(Unsupported);
        CHECK_FALSE(outcome.bootEntryRemoved);
        CHECK(outcome.directoryRemoved);
        CHECK(Content(L"C:\\boot.ini") == kIniStart + kEntryE + kEntryD);
    }

    boxes.Finish();
    CHECK(boxes.Count() == 0);
}

TEST_CASE("boot.ini trouble is told and the removal goes on") {
    PrepareInstallation();
    SetFileAttributesW(L"C:\\boot.ini", FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(L"C:\\boot.ini");
    REQUIRE(kUnmanaged);
    testhelp::BoxAnswerer boxes;
    RemovalOutcome outcome = RemoveInstallation(BootIni);
    boxes.Finish();
    CHECK(boxes.Count() == 1);
    CHECK(boxes.Caption() == L"警告");
    CHECK(boxes.Text() == L"boot.ini 不存在");
    CHECK(outcome.Complete());
    CHECK_FALSE(KeyExists(kHardDiskKey));
    CHECK_FALSE(Exists(L"D:\\zentaos"));
}

TEST_CASE("the recorded BCD entry goes, and nothing else of the store") {
    REQUIRE(kUnmanaged);
    CoInitialize(nullptr);
    {
        fakebcd::InProcessProvider provider;
        REQUIRE(provider.Registered());
        REQUIRE(fakebcd::ResetStore());
        PrepareInstallation();
        RegisterBootEntry(L"D:\\zentaos");
        std::wstring id;
        {
            CRegistry record;
            REQUIRE(record.Open(kHardDiskKey, KEY_READ));
            REQUIRE(record.ReadGuid(id));
        }
        REQUIRE(fakebcd::ReadStore().Find(id));
        std::vector<std::wstring> order;
        REQUIRE(fakebcd::ReadStore().DisplayOrder(order));
        REQUIRE(order.size() == 2);

        SUBCASE("removed from the store and from the boot menu") {
            testhelp::BoxAnswerer boxes;
            RemovalOutcome outcome = RemoveInstallation(Bcd);
            boxes.Finish();
            CHECK(boxes.Count() == 0);
            CHECK(outcome.bootEntryRemoved);
            CHECK(outcome.Complete());
            fakebcd::Store store = fakebcd::ReadStore();
            CHECK(store.Find(id) == nullptr);
            CHECK(store.Find(fakebcd::kWindowsLoaderId) != nullptr);
            REQUIRE(store.DisplayOrder(order));
            CHECK(order == std::vector<std::wstring>{fakebcd::kWindowsLoaderId});
            CHECK(Content(L"C:\\boot.ini") == kIniStart + kEntryE + kEntryD);
        }

        SUBCASE("no connection: the user is told, the rest goes, the entry is reported as left") {
            REQUIRE(fakebcd::AddFailure(L"ConnectServer"));
            testhelp::BoxAnswerer boxes;
            RemovalOutcome outcome = RemoveInstallation(Bcd);
            boxes.Finish();
            CHECK(boxes.Count() == 1);
            CHECK(boxes.Caption() == L"警告");
            CHECK_FALSE(outcome.bootEntryRemoved);
            CHECK(outcome.directoryRemoved);
            CHECK(outcome.installRecordRemoved);
            CHECK(DescribeIncompleteRemoval(outcome).find(L"启动项") != std::wstring::npos);
        }
    }
    CoUninitialize();
}

TEST_CASE("the report names what is left") {
    RemovalOutcome nothing;
    CHECK(DescribeIncompleteRemoval(nothing).find(L"没有找到") != std::wstring::npos);

    RemovalOutcome partial;
    partial.recorded = true;
    partial.drive = L'E';
    partial.driveValue = L'E';
    partial.loaderRemoved = true;
    std::wstring text = DescribeIncompleteRemoval(partial);
    CHECK(text.find(L"启动项") != std::wstring::npos);
    CHECK(text.find(L"文件夹 E:\\zentaos") != std::wstring::npos);
    CHECK(text.find(L"E:\\zeldr") == std::wstring::npos);
    CHECK(text.find(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Zenta\\HardDisk") != std::wstring::npos);
    CHECK(text.find(L"Uninstall\\ZentaLUM") != std::wstring::npos);

    RemovalOutcome badDrive;
    badDrive.recorded = true;
    badDrive.driveValue = 0x31;
    badDrive.bootEntryRemoved = badDrive.installRecordRemoved = badDrive.uninstallRecordRemoved = true;
    text = DescribeIncompleteRemoval(badDrive);
    CHECK(text.find(L"0x00000031") != std::wstring::npos);
    CHECK(text.find(L"启动项") == std::wstring::npos);
    CHECK(text.find(L"注册表") == std::wstring::npos);
}
