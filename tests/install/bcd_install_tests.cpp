// Setup.exe installing for Windows 7 under wine, with the fake BCD provider registered in
// the prefix: complete and partial packages, cancel, a failed copy, removal and uninstall.
#include "tests/install/Scenarios.h"

#include "common/Messages.h"
#include "common/Registry.h"
#include "common/ScopedWin.h"
#include "setup/pages/ChangingText.h"
#include "setup/pages/NaviPage.h"
#include "tests/welcome/WelcomeTestKit.h"

#include <doctest/doctest.h>

#include <shlwapi.h>

using namespace installkit;

namespace {

const wchar_t kLinksFile[] = L"C:\\opened-links.txt";

// The percentage line of the Progress page on the screen.
RECT PercentLineOnScreen(HWND wizard) {
    RECT client = {};
    GetClientRect(wizard, &client);
    RECT line = {static_cast<LONG>(client.right * 0.05), static_cast<LONG>(client.bottom * 0.92),
                 static_cast<LONG>(client.right * 0.4), static_cast<LONG>(client.bottom * 0.96)};
    MapWindowPoints(wizard, nullptr, reinterpret_cast<POINT*>(&line), 2);
    return line;
}

bool SetDefaultValue(HKEY root, const wchar_t* subKey, const std::wstring& value) {
    HKEY created = nullptr;
    if (RegCreateKeyExW(root, subKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &created, nullptr) !=
        ERROR_SUCCESS)
        return false;
    zenta::ScopedRegKey key(created);
    return RegSetValueExW(key.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// Makes our recorder the prefix's handler of http addresses, for the machine and the user
// classes alike; true only when the shell now names it as the command, so that a click
// can never reach a real browser.
bool RegisterLinkRecorder() {
    const std::wstring command =
        L"\"" + driver::BuildPath(L"tests\\install\\link_recorder.exe") + L"\" \"%1\"";
    const wchar_t key[] = L"Software\\Classes\\http\\shell\\open\\command";
    if (!SetDefaultValue(HKEY_LOCAL_MACHINE, key, command) ||
        !SetDefaultValue(HKEY_CURRENT_USER, key, command))
        return false;
    DeleteFileW(kLinksFile);
    wchar_t found[1024] = {};
    DWORD length = 1024;
    return AssocQueryStringW(0, ASSOCSTR_COMMAND, L"http", L"open", found, &length) == S_OK &&
           std::wstring(found) == command;
}

std::string OpenedLinks() {
    std::string bytes;
    return driver::ReadFileBytes(kLinksFile, bytes) ? bytes : std::string();
}

} // namespace

TEST_CASE("a package with the system disks installs completely, on the Complete page, and stays responsive") {
    FullPackageScenario(Kind::Bcd, L"install_");
}

TEST_CASE(
    "a package without the system disks ends on the Notice page, whose link text alone opens the address") {
    REQUIRE(PrepareMachine(Kind::Bcd));
    // Just below the threshold: the large files are part of the package, yet not all of them.
    const std::vector<DiskFile> disks = {{L"zenta", 4 * MiB, L""},
                                         {L"zldrw", kSystemDisksBytes - 4 * MiB - 1, L"later"}};
    std::wstring package = MakePackage(L"partial", disks);
    REQUIRE_FALSE(package.empty());
    REQUIRE(RegisterLinkRecorder());
    SetupRun setup;
    REQUIRE(setup.StartInstall(package, L'D'));
    REQUIRE(setup.WaitForPage(Page::Notice, 30000));
    CHECK(driver::WindowText(setup.wizard) == kHeadTitle);
    std::string faults = InstallationFaults(Kind::Bcd, disks);
    CAPTURE(faults);
    CHECK(faults.empty());

    HWND page = PageWindow(setup.wizard);
    HWND link = FindWindowExW(page, nullptr, L"Static", nullptr);
    REQUIRE(link);
    RECT onScreen = {};
    GetWindowRect(link, &onScreen);
    // The link is painted (and so measured) once its colour shows.
    REQUIRE(welcomekit::ScreenShows(setup.wizard, onScreen, RGB(0x18, 0xFF, 0x0B), 50));
    CHECK(setup.Shoot(L"install_notice"));

    // Inside the link window but below the drawn text: nothing is opened.
    RECT client = {};
    GetClientRect(link, &client);
    driver::ClickAt(link, 10, client.bottom - 5);
    driver::ClickAt(link, client.right / 2, client.bottom / 2);
    Sleep(1500);
    CHECK(OpenedLinks().empty());
    // On the text: the shell hands the address to the registered handler.
    driver::ClickAt(link, client.right / 2, 8);
    CHECK(driver::WaitUntil([] { return !OpenedLinks().empty(); }, 10000));
    Sleep(500);
    CHECK(OpenedLinks() == Utf8(kDownloadUrl) + "\r\n");
    CHECK(setup.CurrentPage() == Page::Notice);

    REQUIRE(setup.Press(IDC_PAGE_CLOSE));
    DWORD code = 1;
    CHECK(setup.Ended(10000, &code));
    CHECK(code == 0);
    DeletePackage(package);
}

TEST_CASE("a package whose copy sources are empty still completes") {
    REQUIRE(PrepareMachine(Kind::Bcd));
    std::wstring package = MakePackage(L"empty", {});
    REQUIRE_FALSE(package.empty());
    for (const wchar_t* file : {L"common\\Uninstall.exe", L"common\\zeldr", L"common\\readme.txt",
                                L"bcd\\zeldr.mbr", L"ini\\zeldr.ini"})
        REQUIRE(DeleteFileW((package + L"\\copyfiles\\" + file).c_str()));
    SetupRun setup;
    REQUIRE(setup.StartInstall(package, L'D'));
    CHECK(setup.WaitForPage(Page::Notice, 30000));
    CHECK(Exists(kTarget));
    std::wstring uninstall;
    CHECK(driver::ReadRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString", uninstall));
    CHECK(uninstall == kUninstaller);
    DWORD size = 1;
    CHECK(driver::ReadRegistryDword(HKEY_LOCAL_MACHINE, kUninstallKey, L"EstimatedSize", size));
    CHECK(size == 0);
    REQUIRE(setup.Press(IDC_PAGE_CLOSE));
    CHECK(setup.Ended(10000));
    DeletePackage(package);
}

TEST_CASE("declining the cancel question pauses the copy, which then completes") {
    REQUIRE(PrepareMachine(Kind::Bcd));
    const std::vector<DiskFile> disks = {{L"zenta", 990 * MiB, L""}};
    std::wstring package = MakePackage(L"declined", disks);
    REQUIRE_FALSE(package.empty());
    SetupRun setup;
    REQUIRE(setup.StartInstall(package, L'D'));
    const std::wstring copied = std::wstring(kTarget) + L"\\zenta";
    REQUIRE(CopyReached(copied));
    PostMessageW(setup.wizard, WM_CLOSE, 0, 0);
    HWND question = driver::WaitForMessageBox(setup.process.id, kCancelQuestion, 10000);
    REQUIRE(question);
    CHECK(driver::WindowText(question) == L"警告");
    CHECK(driver::MessageBoxText(question) == kCancelQuestion);
    CHECK(GetDlgItem(question, IDCANCEL) != nullptr);

    // While the question waits, the copy holds still (the worker looks every 20 MiB).
    Sleep(800);
    long long asked = FileSize(copied);
    Sleep(1200);
    CHECK(FileSize(copied) == asked);
    CHECK(asked < static_cast<long long>(990 * MiB));
    CHECK(setup.CurrentPage() == Page::Progress);

    REQUIRE(driver::AnswerMessageBox(question, IDCANCEL));
    REQUIRE(setup.WaitForPage(Page::Notice, 60000));
    std::string faults = InstallationFaults(Kind::Bcd, disks);
    CAPTURE(faults);
    CHECK(faults.empty());
    REQUIRE(setup.Press(IDC_PAGE_CLOSE));
    CHECK(setup.Ended(10000));
    DeletePackage(package);
}

TEST_CASE("confirming the cancel question during a large file leaves nothing installed") {
    REQUIRE(PrepareMachine(Kind::Bcd));
    // Far more than the seconds before the cancel can copy; only that part is really written.
    const unsigned long long large = 6ull << 30;
    std::wstring package = MakePackage(L"cancelled", {{L"zenta", large, L""}});
    REQUIRE_FALSE(package.empty());
    SetupRun setup;
    REQUIRE(setup.StartInstall(package, L'D'));
    const std::wstring copied = std::wstring(kTarget) + L"\\zenta";
    REQUIRE(CopyReached(copied));

    // The status lines come with the first progress tick; the page is shown with them.
    RECT line = PercentLineOnScreen(setup.wizard);
    const COLORREF green = kChangingTextColor;
    CHECK(driver::WaitUntil([&] { return welcomekit::CountScreenPixels(line, green) > 20; }, 5000));
    // A repaint brings the lines back with the background, not only the next tick.
    for (int i = 0; i < 3; ++i) {
        RedrawWindow(PageWindow(setup.wizard), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        Sleep(150);
        CHECK(welcomekit::CountScreenPixels(line, green) > 20);
        Sleep(150);
    }
    CHECK(setup.Shoot(L"install_progress"));
    CHECK(FileSize(copied) < static_cast<long long>(large));

    PostMessageW(setup.wizard, WM_CLOSE, 0, 0);
    SeenBox seen;
    REQUIRE(AnswerBox(kCancelQuestion, IDOK, 10000, &seen));
    CHECK(seen.processId == setup.process.id);
    DWORD code = 1;
    REQUIRE(setup.Ended(30000, &code));
    CHECK(code == 0);
    std::string left = Leftovers(Kind::Bcd);
    CAPTURE(left);
    CHECK(left.empty());
    CHECK(driver::WaitForMessageBox(0, L"", 300) == nullptr);
    DeletePackage(package);
}

TEST_CASE("a file that cannot be copied is named in an error box, and nothing remains") {
    REQUIRE(PrepareMachine(Kind::Bcd));
    std::wstring package =
        MakePackage(L"broken", {{L"first.img", 2 * MiB, L""}, {L"locked.img", 2 * MiB, L""}});
    REQUIRE_FALSE(package.empty());
    const std::wstring locked = package + L"\\copyfiles\\disks\\locked.img";
    zenta::ScopedHandle held(
        CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    REQUIRE(held);
    SetupRun setup;
    REQUIRE(setup.StartInstall(package, L'D'));
    SeenBox seen;
    REQUIRE(AnswerBox(L"locked.img", IDOK, 20000, &seen));
    const std::string text = Utf8(seen.text);
    CAPTURE(text);
    CHECK(seen.caption == L"错误");
    CHECK(seen.processId == setup.process.id);
    CHECK(seen.text.find(L"“" + locked + L"”") != std::wstring::npos);
    DWORD code = 1;
    REQUIRE(setup.Ended(20000, &code));
    CHECK(code == 0);
    std::string left = Leftovers(Kind::Bcd);
    CAPTURE(left);
    CHECK(left.empty());
    held.Reset();
    DeletePackage(package);
}

TEST_CASE("the next start offers removal; a fresh install then goes with the installed uninstaller") {
    RemoveAndUninstallScenario(Kind::Bcd, L"install_");
}
