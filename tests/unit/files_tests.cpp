// What the programs do to files, folders and the registry, on the test prefix's drives.
#include <doctest/doctest.h>

#include "common/BootIni.h"
#include "common/BootIniText.h"
#include "common/FastStartup.h"
#include "common/Log.h"
#include "common/InstallRecord.h"
#include "common/Removal.h"
#include "common/SystemHelpers.h"
#include "common/Volume.h"
#include "setup/Config.h"
#include "setup/Package.h"
#include "setup/Protection.h"
#include "setup/SetupApp.h"
#include "tests/driver/Driver.h"

#include <aclapi.h>

using driver::Exists;
using driver::ReadBytes;
using driver::WriteBytes;

namespace {

// One folder as Windows treats it: a read-only one refuses to go.
DWORD folderAttributes = 0;
BOOL WINAPI SetFolderAttributes(LPCWSTR, DWORD attributes) {
    return folderAttributes = attributes, TRUE;
}
BOOL WINAPI RemoveFolder(LPCWSTR) {
    return (folderAttributes & FILE_ATTRIBUTE_READONLY) == 0;
}
BOOL WINAPI RefuseRemoval(LPCWSTR) {
    return FALSE;
}

} // namespace

TEST_CASE("boot.ini is replaced whole, with its attributes and one backup, or refused untouched") {
    const std::wstring path = L"D:\\boot.ini";
    const std::string original = "[boot loader]\r\ntimeout=30\r\n[operating systems]\r\n";
    REQUIRE(WriteBytes(path, original));
    const DWORD attributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    REQUIRE(SetFileAttributesW(path.c_str(), attributes));
    BootIniResult added = EditBootIniFile(path, AddBootIniText, 'D');
    CHECK(added.status == BootIniStatus::Changed);
    CHECK(ReadBytes(path) == added.content);
    CHECK((GetFileAttributesW(path.c_str()) & attributes) == attributes);
    CHECK(ReadBytes(BootIniBackupPath(path)) == original);
    // A second change keeps the backup of the file as it was before we ever touched it.
    CHECK(EditBootIniFile(path, RemoveBootIniText, 'D').status == BootIniStatus::Changed);
    CHECK(ReadBytes(path) == original + "\r\n"); // the line end before the entry stays
    CHECK(ReadBytes(BootIniBackupPath(path)) == original);
    WIN32_FIND_DATAW pending;
    CHECK(FindFirstFileW(L"D:\\boot.ini.zenta.*.new", &pending) == INVALID_HANDLE_VALUE);

    SUBCASE("held open by another program: refused, the file as it was") {
        zenta::ScopedHandle held(
            CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        CHECK(EditBootIniFile(path, AddBootIniText, 'D').status == BootIniStatus::OpenFailed);
    }
    SUBCASE("UTF-16: refused untouched") {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        const std::string wide("\xFF\xFE[\0b\0]\0", 8);
        REQUIRE(WriteBytes(path, wide));
        CHECK(EditBootIniFile(path, AddBootIniText, 'D').status == BootIniStatus::NotText);
        CHECK(ReadBytes(path) == wide);
        // A removal reads it: no entry of ours shows, so there is nothing to remove; one that
        // shows stays, and so does the installation's record.
        REQUIRE(WriteBytes(L"C:\\boot.ini", wide));
        CHECK(RemoveBootIniEntry(L"D:\\zentaos").done);
        REQUIRE(WriteBytes(L"C:\\boot.ini", wide + std::string("\r\0\n\0D\0:\0\\\0z\0e\0l\0d\0r\0", 20)));
        CHECK_FALSE(RemoveBootIniEntry(L"D:\\zentaos").done);
    }
}

TEST_CASE("boot.ini's helper names taken by folders: the edit goes on, never without its backup") {
    const std::wstring path = L"E:\\boot.ini";
    const std::string original = "[boot loader]\r\ntimeout=30\r\n";
    REQUIRE(WriteBytes(path, original));
    REQUIRE(CreateDirectoryW(L"E:\\boot.ini.zenta.new", nullptr));
    REQUIRE(CreateDirectoryW(L"E:\\boot.ini.zenta.bak", nullptr));
    CHECK(EditBootIniFile(path, AddBootIniText, 'D').status == BootIniStatus::BackupNotFile);
    CHECK(ReadBytes(path) == original);
    REQUIRE(RemoveDirectoryW(L"E:\\boot.ini.zenta.bak"));
    CHECK(EditBootIniFile(path, AddBootIniText, 'D').status == BootIniStatus::Changed);
    CHECK(ReadBytes(BootIniBackupPath(path)) == original);
}

TEST_CASE("a directory tree goes whole: read-only files too, links as links, nothing beside it") {
    // D:\tree\sub\outside and D:\link are host links to E:\outside (tests/wine/run.sh).
    for (const wchar_t* dir : {L"D:\\tree\\sub\\deeper", L"D:\\keep"})
        REQUIRE(driver::MakeDirs(dir));
    REQUIRE(WriteBytes(L"D:\\keep\\file", "x"));
    REQUIRE(WriteBytes(L"D:\\tree\\sub\\deeper\\ro", "x"));
    REQUIRE(SetFileAttributesW(L"D:\\tree\\sub\\deeper\\ro", FILE_ATTRIBUTE_READONLY));
    // A read-only file outside with a second name inside keeps its attributes.
    REQUIRE(WriteBytes(L"E:\\shared", "x"));
    REQUIRE(SetFileAttributesW(L"E:\\shared", FILE_ATTRIBUTE_READONLY));
    REQUIRE(CreateHardLinkW(L"D:\\tree\\shared", L"E:\\shared", nullptr));
    CHECK(DeleteDirectoryTree(L"D:\\tree\\") == 1);
    CHECK_FALSE(Exists(L"D:\\tree\\sub\\deeper"));
    CHECK_FALSE(Exists(L"D:\\tree\\shared")); // a read-only name shared with E:\shared too
    CHECK(Exists(L"E:\\outside\\keep.txt"));
    CHECK(Exists(L"D:\\keep\\file"));
    CHECK((GetFileAttributesW(L"E:\\shared") & FILE_ATTRIBUTE_READONLY) != 0);
    // A tree that is itself a link is not entered.
    CHECK(DeleteDirectoryTree(L"D:\\link") == 1);
    CHECK(Exists(L"E:\\outside\\keep.txt"));
    // A read-only folder loses the bit for its removal, and keeps it when it stays.
    const DWORD readOnly = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY;
    folderAttributes = readOnly;
    CHECK(RemoveEmptiedDirectory(L"D:\\ro", readOnly, {SetFolderAttributes, RemoveFolder}));
    folderAttributes = readOnly;
    CHECK_FALSE(RemoveEmptiedDirectory(L"D:\\ro", readOnly, {SetFolderAttributes, RefuseRemoval}));
    CHECK(folderAttributes == readOnly);
}

TEST_CASE("the records go only once nothing is left: the boot entry, \\zeldr, \\zentaos and Fast Startup "
          "each kept in turn; only what the installation made goes") {
    const std::string ini = "[boot loader]\r\ntimeout=10\r\n[operating systems]\r\n";
    const std::string entry = "D:\\zeldr=\"" + std::string(kBootIniDescription) + "\"\r\n";
    constexpr DWORD kNoValue = 0xFFFFFFFF, kOff = 0xFFFFFFFE; // an earlier build's record; no Fast Startup
    // The boot entry held (boot.ini open), also with the files already deleted by hand; \zeldr
    // held; a file in \zentaos held. Made as recorded; Fast Startup recorded as 1, `hiberbootNow`
    // now, and the first removal's write of it back refused.
    const struct {
        const wchar_t* held;
        bool files;
        DWORD made, hiberbootNow;
    } rows[] = {{L"", true, kNoValue, kOff},
                {L"C:\\boot.ini", true, kNoValue, kOff},
                {L"C:\\boot.ini", false, kNoValue, kOff},
                {L"D:\\zeldr", true, kNoValue, kOff},
                {L"D:\\zentaos\\held", true, kNoValue, kOff},
                {L"", true, kMadeAll, kOff},
                {L"", true, kMadeLoader, kOff},
                {L"", true, kMadeDirectory, kOff},
                {L"", true, kMadeAll, 0},
                {L"", true, kMadeAll, 1}};
    for (const auto& row : rows) {
        const std::wstring held = row.held;
        CAPTURE(driver::Utf8(held));
        CAPTURE(row.made);
        CInstallRecord record;
        CRegistry power;
        REQUIRE((record.Create() && record.WriteDrive(L'D') && record.WriteVolume(VolumeOfDrive(L'D')) &&
                 (row.made == kNoValue || record.WriteMade(row.made)) &&
                 (row.hiberbootNow == kOff || (record.WriteHiberboot(1) && power.Create(kPowerKey, 0) &&
                                               power.WriteDword(L"HiberbootEnabled", row.hiberbootNow)))));
        record.Close();
        REQUIRE(WriteUninstallRecord(L'D', 0));
        SetFileAttributesW(L"D:\\zeldr", FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(L"D:\\zeldr");
        DeleteDirectoryTree(L"D:\\zentaos");
        if (row.files) {
            REQUIRE((driver::MakeDirs(L"D:\\zentaos") && WriteBytes(L"D:\\zentaos\\held", "x")));
            REQUIRE(WriteBytes(L"D:\\zeldr", "L"));
            SetFileAttributesW(L"D:\\zeldr", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
        }
        SetFileAttributesW(L"C:\\boot.ini", FILE_ATTRIBUTE_NORMAL);
        REQUIRE(WriteBytes(L"C:\\boot.ini", ini + entry));
        {
            zenta::ScopedHandle hold(!held.empty() ? CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                                 nullptr, OPEN_EXISTING, 0, nullptr)
                                                   : INVALID_HANDLE_VALUE);
            SetHiberbootWrite([](HKEY, DWORD) { return false; });
            RemovalOutcome outcome = RemoveInstallation(BootIni);
            SetHiberbootWrite(nullptr);
            const bool complete = held.empty() && row.hiberbootNow != 0;
            CHECK(outcome.Complete() == complete);
            CHECK(InstallRecordGone() == complete);
            CHECK(UninstallRecordGone() == complete);
            // The files go only once the entry that starts them is gone, and only when made.
            const bool entryHeld = held == L"C:\\boot.ini";
            CHECK(Exists(L"D:\\zeldr") ==
                  (row.files && (entryHeld || held == L"D:\\zeldr" || !(row.made & kMadeLoader))));
            CHECK(Exists(L"D:\\zentaos\\held") ==
                  (row.files && (entryHeld || held == L"D:\\zentaos\\held" || !(row.made & kMadeDirectory))));
            CHECK((row.hiberbootNow == kOff ||
                   driver::RegDword(kPowerKey, L"HiberbootEnabled") == row.hiberbootNow));
        }
        RemoveInstallation(BootIni); // what was held goes now
        CHECK(InstallRecordGone());
    }
}

TEST_CASE("how a removal ended: what a later run may finish, what none can, a drive that is gone") {
    // What is left or known: E the boot entry, F (it is not ours), R (the configuration refuses
    // for good), L \zeldr; N no drive, G the volume gone, U the volume without a letter; S Fast
    // Startup still off.
    const struct {
        const char* left;
        RemovalEnd end;
    } rows[] = {{"", RemovalEnd::Removed},    {"NG", RemovalEnd::DriveGone}, {"ENG", RemovalEnd::Transient},
                {"E", RemovalEnd::Transient}, {"EF", RemovalEnd::Lasting},   {"ER", RemovalEnd::Lasting},
                {"L", RemovalEnd::Transient}, {"NL", RemovalEnd::Lasting},   {"NLU", RemovalEnd::Transient},
                {"S", RemovalEnd::Transient}};
    for (const auto& row : rows) {
        CAPTURE(row.left);
        auto has = [&](char flag) { return std::string(row.left).find(flag) != std::string::npos; };
        RemovalOutcome o;
        o.recorded = o.directoryRemoved = o.installRecordRemoved = o.uninstallRecordRemoved = true;
        o.bootEntryRemoved = !has('E');
        o.bootEntryForeign = has('F');
        o.bootConfigRefused = has('R');
        o.loaderRemoved = !has('L');
        o.drive = has('N') ? 0 : L'D';
        o.volumeGone = has('G');
        o.volumeUnreachable = has('U');
        o.fastStartupLeft = has('S');
        CHECK(ClassifyRemoval(o) == row.end);
    }
    // A volume is gone only when both calls say no such one exists.
    const struct {
        bool asked, pathsDone;
        DWORD pathsError, infoError;
        VolumePresence presence;
    } volumes[] = {{true, false, ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, VolumePresence::Gone},
                   {false, false, 0, ERROR_PATH_NOT_FOUND, VolumePresence::Unknown},
                   {true, false, ERROR_ACCESS_DENIED, ERROR_PATH_NOT_FOUND, VolumePresence::Unknown},
                   {true, false, ERROR_FILE_NOT_FOUND, ERROR_NOT_READY, VolumePresence::Unknown}};
    for (const auto& v : volumes)
        CHECK(VolumePresenceOf(v.asked, v.pathsDone, v.pathsError, false, v.infoError) == v.presence);
}

TEST_CASE("registry: the record as earlier builds wrote it, boot.ini's line a byte a unit; trees go whole") {
    const std::string line = "timeout=30 \xE9\xFF";
    const wchar_t units[] = L"timeout=30 \x00E9\x00FF";
    const wchar_t id[] = L"{0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d}";
    CRegistry earlier;
    REQUIRE((earlier.Create(kHardDiskKey, KEY_WOW64_32KEY) && earlier.WriteString(L"Timeout", units) &&
             earlier.WriteString(L"Guid", id)));
    earlier.Close();
    CInstallRecord record;
    std::string timeout;
    std::wstring guid;
    REQUIRE(record.Open(false));
    CHECK((record.ReadBootIniTimeout(timeout) && timeout == line));
    CHECK((record.ReadBootEntryId(guid) && guid == id));
    REQUIRE((record.Open(true) && record.WriteBootIniTimeout(line + "5")));
    CHECK(driver::RegText(kHardDiskKey, L"Timeout") == std::wstring(units) + L"5");
    record.Close();
    CHECK((DeleteRecords() && InstallRecordGone()));

    const wchar_t* key = L"SOFTWARE\\ZentaTest";
    REQUIRE(earlier.Create(L"SOFTWARE\\ZentaTest\\a\\b\\c", KEY_WOW64_32KEY));
    REQUIRE(earlier.WriteString(L"v", L"abc"));
    earlier.Close();
    REQUIRE(CRegistry().Create(L"SOFTWARE\\ZentaTest\\a\\b2", KEY_WOW64_32KEY));
    CHECK(DeleteKeyTree(key, KEY_WOW64_32KEY));
    CHECK(RegistryKeyGone(key, KEY_WOW64_32KEY));
    CHECK(DeleteKeyTree(key, KEY_WOW64_32KEY)); // already gone
}

TEST_CASE("the installation's DACL: protected, administrators and SYSTEM full, users read and execute") {
    for (const wchar_t* sddl : {kProtectedFolderSddl, kProtectedFileSddl}) {
        zenta::ScopedLocal descriptor;
        REQUIRE(MakeSecurityDescriptor(sddl, descriptor));
        SECURITY_DESCRIPTOR_CONTROL control = 0;
        DWORD revision = 0;
        BOOL present = FALSE, defaulted = FALSE;
        PACL dacl = nullptr;
        REQUIRE(GetSecurityDescriptorControl(descriptor.Get(), &control, &revision));
        CHECK((control & SE_DACL_PROTECTED) != 0);
        REQUIRE(GetSecurityDescriptorDacl(descriptor.Get(), &present, &dacl, &defaulted));
        REQUIRE(dacl);
        REQUIRE(dacl->AceCount == 3);
        const struct {
            WELL_KNOWN_SID_TYPE who;
            ACCESS_MASK mask;
        } expected[] = {{WinBuiltinAdministratorsSid, FILE_ALL_ACCESS},
                        {WinLocalSystemSid, FILE_ALL_ACCESS},
                        {WinBuiltinUsersSid, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE}};
        for (DWORD i = 0; i < 3; ++i) {
            ACCESS_ALLOWED_ACE* ace = nullptr;
            REQUIRE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
            CHECK(ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE);
            CHECK(ace->Mask == expected[i].mask);
            CHECK(IsWellKnownSid(&ace->SidStart, expected[i].who));
            bool inherits = (ace->Header.AceFlags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE)) != 0;
            CHECK(inherits == (sddl == kProtectedFolderSddl));
        }
    }
}

TEST_CASE("the log: UTF-16 with a byte-order mark, one dated line per event, a new file above 1 MiB") {
    REQUIRE(SetEnvironmentVariableW(L"TMP", L"D:\\"));
    REQUIRE(SetEnvironmentVariableW(L"TEMP", L"D:\\"));
    REQUIRE(WriteBytes(L"D:\\unit.log", std::string(1 << 20, 'x')));
    OpenLog(L"unit.log");
    Log(L"步骤 %d", 1);
    CHECK(LogPath() == L"D:\\unit.log");
    CHECK(ReadBytes(L"D:\\unit.log.old").size() == 1u << 20);
    std::string bytes = ReadBytes(L"D:\\unit.log");
    REQUIRE(bytes.size() > 2);
    CHECK(bytes.substr(0, 2) == "\xFF\xFE");
    std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    CHECK(text.size() == 30);
    CHECK(text.substr(23) == L" 步骤 1\r\n");
    // Nothing is written through a link: D:\planted.log is one (tests/wine/run.sh), and so is
    // D:\link, taken as the temporary directory.
    OpenLog(L"planted.log");
    Log(L"x");
    CHECK(ReadBytes(L"E:\\outside\\keep.txt") == "keep\n");
    REQUIRE(SetEnvironmentVariableW(L"TMP", L"D:\\link\\"));
    OpenLog(L"linked.log");
    Log(L"x");
    CHECK_FALSE(Exists(L"E:\\outside\\linked.log"));
    CHECK_FALSE(LogHoldsRun());
    // A file made and then refused (its final path is not the one asked for) goes again.
    REQUIRE(driver::MakeDirs(L"D:\\fwd"));
    REQUIRE(SetEnvironmentVariableW(L"TMP", L"D:/fwd/"));
    OpenLog(L"made.log");
    Log(L"x");
    CHECK_FALSE(Exists(L"D:\\fwd\\made.log"));
}

TEST_CASE("boot.ini: a recorded timeout line is written back only as a timeout key with a number") {
    const struct {
        const char* line;
        bool accepted;
    } rows[] = {{"timeout=5", true},
                {" Timeout\t= 30 ", true},
                {"timeout=5\r\n[operating systems]", false},
                {"timeout=5\nC:\\x=\"y\"", false},
                {"timeouts=5", false},
                {"C:\\x=\"timeout\"", false},
                {"timeout", false},
                {"timeout=", false},
                {"timeout=5;x", false},
                {"timeout=-1", false},
                {"timeout=1234567890", false}};
    for (const auto& row : rows) {
        CAPTURE(row.line);
        CHECK((BootIniTimeoutLineFault(row.line) == nullptr) == row.accepted);
    }
    // Where the removal writes it back: a record that is no timeout line leaves boot.ini's.
    const std::string systems = "[boot loader]\r\ntimeout=10\r\n[operating systems]\r\n";
    SetFileAttributesW(L"C:\\boot.ini", FILE_ATTRIBUTE_NORMAL);
    REQUIRE(WriteBytes(L"C:\\boot.ini", systems + "D:\\zeldr=\"x\"\r\n"));
    const std::string recorded = "timeout=5\r\nC:\\x=\"y\"";
    CHECK(RemoveBootIniEntry(L"D:\\zentaos", &recorded).status == BootIniStatus::Changed);
    CHECK(ReadBytes(L"C:\\boot.ini") == systems);
}

TEST_CASE("the package: a file it cannot do without named, the largest file copied, links in it or as its "
          "folders") {
    const wchar_t* files[] = {L"copyfiles\\common\\zeldr", L"copyfiles\\common\\Uninstall.exe",
                              L"copyfiles\\bcd\\zeldr.mbr"};
    for (const wchar_t* left : files) {
        DeleteDirectoryTree(L"E:\\p");
        for (const std::wstring file : files) {
            std::wstring path = L"E:\\p\\" + file;
            REQUIRE((file == left ||
                     (driver::MakeDirs(path.substr(0, path.rfind(L'\\'))) && WriteBytes(path, "x"))));
        }
        CHECK(MissingPackageFiles(L"E:\\p", Bcd) == std::vector<std::wstring>{left});
    }
    // The uninstaller and the boot sector may come from any folder the kind copies, never
    // from the other kind's; boot.ini needs no boot sector.
    REQUIRE((driver::MakeDirs(L"E:\\p\\copyfiles\\disks\\sub") &&
             driver::MakeDirs(L"E:\\p\\copyfiles\\ini") && driver::MakeDirs(L"E:\\p\\copyfiles\\bcd")));
    REQUIRE(MoveFileW(L"E:\\p\\copyfiles\\common\\Uninstall.exe", L"E:\\p\\copyfiles\\bcd\\Uninstall.exe"));
    REQUIRE(WriteBytes(L"E:\\p\\copyfiles\\disks\\zeldr.mbr", "x"));
    CHECK(MissingPackageFiles(L"E:\\p", Bcd).empty());
    CHECK(MissingPackageFiles(L"E:\\p", BootIni) ==
          std::vector<std::wstring>{L"copyfiles\\common\\Uninstall.exe"});
    REQUIRE(MoveFileW(L"E:\\p\\copyfiles\\bcd\\Uninstall.exe", L"E:\\p\\copyfiles\\disks\\Uninstall.exe"));
    CHECK(MissingPackageFiles(L"E:\\p", BootIni).empty());
    // The loader goes to the root from the common folder only.
    REQUIRE(MoveFileW(L"E:\\p\\copyfiles\\common\\zeldr", L"E:\\p\\copyfiles\\disks\\zeldr"));
    CHECK(MissingPackageFiles(L"E:\\p", BootIni) == std::vector<std::wstring>{L"copyfiles\\common\\zeldr"});
    // The file system must hold the largest file the kind copies: not the other kind's, not
    // one below a source.
    REQUIRE(WriteBytes(L"E:\\p\\copyfiles\\ini\\big", "xxxx"));
    REQUIRE(WriteBytes(L"E:\\p\\copyfiles\\disks\\sub\\big", "xxxx"));
    REQUIRE(WriteBytes(L"E:\\p\\copyfiles\\bcd\\two", "xx"));
    TreeFiles copied = CopiedFiles(L"E:\\p", Bcd);
    CHECK((copied.largest == L"E:\\p\\copyfiles\\bcd\\two" && copied.largestBytes == 2));
    CHECK(LinkInPackage(L"E:\\p").empty());
    // A link below a package folder, or the package folder itself.
    CHECK(LinkInPackage(L"E:\\linked") == L"E:\\linked\\copyfiles\\common\\outside");
    CHECK(LinkInPackage(L"E:\\rootlink") == L"E:\\rootlink\\copyfiles");
}

TEST_CASE("configuration: texts cut to their buffers, a missing document changes nothing") {
    REQUIRE(driver::MakeDirs(L"E:\\pkg\\support"));
    std::wstring title(300, L'题');
    std::string document = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><c><headtitle>" + driver::Utf8(title) +
                           "</headtitle><button><continue>" + std::string(40, 'c') +
                           "</continue></button>"
                           "<text><fontstyle><s id=\"buttontext\"><fontname>Face</fontname><bold>1</bold></s>"
                           "</fontstyle></text></c>";
    REQUIRE(WriteBytes(L"E:\\pkg\\support\\Config.xml", document));
    CSetupApp app(nullptr, L"E:\\pkg\\");
    CHECK(app.packageDir == L"E:\\pkg");
    CHECK(app.config->headTitle == title.substr(0, 259));
    CHECK(app.config->buttonContinue == std::wstring(31, L'c'));
    CHECK(std::wstring(app.config->fontButtonText.logFont.lfFaceName) == L"Face");
    CHECK(app.config->fontButtonText.logFont.lfWeight == 700);
    // A document type declaration makes the document unreadable.
    REQUIRE(WriteBytes(L"E:\\pkg\\support\\Config.xml",
                       "<!DOCTYPE c [<!ENTITY t \"x\">]><c><headtitle>&t;</headtitle></c>"));
    CHECK(CSetupApp(nullptr, L"E:\\pkg").config->headTitle.empty());
    CSetupApp missing(nullptr, L"E:\\none");
    CHECK(missing.config->headTitle.empty());
    CHECK(std::wstring(missing.config->fontButtonText.logFont.lfFaceName) == L"Simsun");
}
