// The real Setup.exe and Uninstall.exe as on Windows XP, whose boot menu is C:\boot.ini.
#include <doctest/doctest.h>

#include "common/InstallRecord.h"
#include "resources/resource.h"
#include "tests/driver/Driver.h"

using namespace driver;

const std::string kEntry = "D:\\zeldr=\"\xD0\xC7\xE1\xB0\xCF\xB5\xCD\xB3(boot zenta LUM)\"";

TEST_CASE("install to the Complete page, boot.ini held open during the removal, then the removal finished") {
    REQUIRE(PrepareMachine(Kind::BootIni));
    std::wstring package = MakePackage(L"full", 1048576000ull);
    Process setup;
    HWND wizard = StartSetup(setup, package);
    InstallTo(wizard);
    REQUIRE(WaitForPage(wizard, Page::Complete, 120000));
    Key(wizard, VK_ESCAPE); // nothing: only the page's own buttons end it
    Click(Control(wizard, IDC_PAGE_CLOSE));
    CHECK(setup.Ended(10000));
    std::string bootIni = ReadBytes(L"C:\\boot.ini");
    CHECK(bootIni.find("timeout=10\r\n") != std::string::npos);
    CHECK(bootIni.find("\r\n" + kEntry) == bootIni.size() - kEntry.size() - 2);
    CHECK(RegDword(kHardDiskKey, L"Drive") == L'D');
    CHECK(RegText(kUninstallKey, L"UninstallString") == L"D:\\zentaos\\Uninstall.exe");
    CHECK(InOrder(
        ReadLog(L"ZentaLUM-Setup.log"),
        {L"Windows kind 1", L"drive chosen: D:", L"installation record written", L"copy completed",
         L"boot.ini add C:\\boot.ini: changed; 1 line(s) added, 0 removed; timeout 5 -> 10; backup written",
         L"uninstall record written"}));

    {
        zenta::ScopedHandle held(
            CreateFileW(L"C:\\boot.ini", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        std::wstring report = Uninstall(L"boot.ini 打开出错");
        CHECK(report.find(L"再次运行安装程序") != std::wstring::npos);
        CHECK(Exists(L"D:\\zentaos\\Uninstall.exe"));
        CHECK_FALSE(InstallRecordGone());
    }
    // The volume had E: when the line was written and is D: now: the line under the recorded
    // letter goes, the files on D: too.
    std::string moved = ReadBytes(L"C:\\boot.ini");
    moved.replace(moved.find("D:\\zeldr"), 2, "E:");
    REQUIRE(SetFileAttributesW(L"C:\\boot.ini", FILE_ATTRIBUTE_NORMAL));
    REQUIRE(WriteBytes(L"C:\\boot.ini", moved));
    DWORD e = L'E';
    REQUIRE(SetRegValue(HKEY_LOCAL_MACHINE, kHardDiskKey, L"Drive", REG_DWORD, &e, sizeof e));
    CHECK(Uninstall() == L"已成功删除星岚LUM系统");
    CHECK(WaitUntil([] { return Leftovers(Kind::BootIni).empty(); }, 10000));
    CHECK(ReadBytes(L"C:\\boot.ini").find("zeldr") == std::string::npos);
    CHECK(
        InOrder(ReadLog(L"ZentaLUM-Uninstall.log"), {L"second stage", L"boot.ini remove", L"cannot be opened",
                                                     L"LEFT", L"second stage", L"removed"}));
}

TEST_CASE(
    "a temporary directory nobody can write to does not stop an installation; the Remove page undoes it") {
    REQUIRE(PrepareMachine(Kind::BootIni));
    std::wstring package = MakePackage(L"small", 0);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    SetEnvironmentVariableW(L"TMP", L"C:\\no\\such\\folder");
    SetEnvironmentVariableW(L"TEMP", L"C:\\no\\such\\folder");
    Process setup;
    HWND wizard = StartSetup(setup, package);
    SetEnvironmentVariableW(L"TMP", temp);
    SetEnvironmentVariableW(L"TEMP", temp);
    // A box names no log that was never written (E:\zentaos is a host link).
    InstallTo(wizard, L'E');
    CHECK(AnswerBox(setup.id, L"链接", IDOK).find(L"日志文件") == std::wstring::npos);
    InstallTo(wizard);
    REQUIRE(WaitForPage(wizard, Page::Notice, 30000));
    PostMessageW(wizard, WM_CLOSE, 0, 0);
    CHECK(setup.Ended(10000));
    CHECK(ReadBytes(L"C:\\boot.ini").find(kEntry) != std::string::npos);
    // No timeout recorded: the removal leaves the timeout line exactly as it is.
    CInstallRecord record;
    REQUIRE((record.Open(true) && record.ForgetTimeout()));
    record.Close();

    Process again;
    wizard = StartSetup(again, package);
    REQUIRE(WaitForPage(wizard, Page::Remove, 10000));
    Key(wizard, VK_RETURN); // the button has the focus: Enter removes
    REQUIRE(WaitForPage(wizard, Page::Welcome, 20000));
    CHECK(Leftovers(Kind::BootIni) == "boot.ini timeout; ");
    CHECK(ReadBytes(L"C:\\boot.ini").find("\r\ntimeout=10\r\n") != std::string::npos);
}

TEST_CASE("the Welcome page refuses an incomplete package, a link or a folder at the target and a full "
          "drive; nothing written") {
    REQUIRE(PrepareMachine(Kind::BootIni));
    std::wstring package = MakePackage(L"broken", 0);
    REQUIRE(DeleteFileW((package + L"\\copyfiles\\common\\Uninstall.exe").c_str()));
    Process setup;
    HWND wizard = StartSetup(setup, package);
    InstallTo(wizard);
    CHECK(AnswerBox(setup.id, L"安装包不完整", IDOK).find(L"copyfiles\\common\\Uninstall.exe") !=
          std::wstring::npos);
    // Any folder the installation copies may bring it.
    REQUIRE(CopyFileW(Build(L"Uninstall.exe").c_str(),
                      (package + L"\\copyfiles\\disks\\Uninstall.exe").c_str(), FALSE));

    // E:\zentaos is a host link to E:\outside (tests/wine/run.sh).
    InstallTo(wizard, L'E');
    CHECK(AnswerBox(setup.id, L"链接", IDOK).find(L"E:\\zentaos") != std::wstring::npos);
    CHECK_FALSE(Exists(L"E:\\outside\\zeldr"));
    // A folder already there is not ours; a loader with a second name leads elsewhere.
    REQUIRE(MakeDirs(L"D:\\zentaos"));
    InstallTo(wizard);
    CHECK(AnswerBox(setup.id, L"已经有", IDOK).find(L"D:\\zentaos") != std::wstring::npos);
    REQUIRE(RemoveDirectoryW(L"D:\\zentaos"));
    REQUIRE(WriteBytes(L"E:\\victim", "theirs"));
    REQUIRE(CreateHardLinkW(L"D:\\zeldr", L"E:\\victim", nullptr));
    InstallTo(wizard);
    CHECK(AnswerBox(setup.id, L"链接", IDOK).find(L"D:\\zeldr") != std::wstring::npos);
    REQUIRE(DeleteFileW(L"D:\\zeldr"));

    // Text typed into the drive box chooses no drive at all.
    HWND page = FindWindowExW(wizard, nullptr, L"#32770", nullptr);
    HWND box = FindWindowExW(page, nullptr, L"ComboBox", nullptr);
    SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
    Click(Control(page, IDC_PAGE_NEXT));
    CHECK(AnswerBox(setup.id, L"磁盘空间不足", IDOK) != L"");
    // Everything below copyfiles counts, however deep.
    ULARGE_INTEGER free = {};
    REQUIRE(GetDiskFreeSpaceExW(L"D:\\", &free, nullptr, nullptr));
    REQUIRE(MakeSparse(package + L"\\copyfiles\\disks\\zenta", free.QuadPart + (1ull << 30)));
    InstallTo(wizard);
    CHECK(AnswerBox(setup.id, L"磁盘空间不足", IDOK) != L"");
    CHECK(ReadPage(wizard) == Page::Welcome);
    CHECK(Leftovers(Kind::BootIni) == "");
}

TEST_CASE(
    "a boot.ini saved as UTF-16 is refused: the copy is undone, nothing recorded, the next Setup welcomes") {
    REQUIRE(PrepareMachine(Kind::BootIni));
    const std::string wide("\xFF\xFE[\0b\0]\0", 8);
    REQUIRE(WriteBytes(L"C:\\boot.ini", wide));
    std::wstring package = MakePackage(L"small", 0);
    Process setup;
    InstallTo(StartSetup(setup, package));
    CHECK(AnswerBox(setup.id, L"不是可以编辑的文本文件", IDOK) != L"");
    CHECK(AnswerBox(setup.id, L"无法在 boot.ini 中加入", IDOK) != L"");
    CHECK(setup.Ended(20000)); // and no box about anything left
    CHECK(ReadBytes(L"C:\\boot.ini") == wide);
    CHECK(Leftovers(Kind::BootIni) == "boot.ini timeout; ");
    Process again;
    CHECK(WaitForPage(StartSetup(again, package), Page::Welcome, 10000));
}
