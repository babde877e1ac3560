// answer_bench.exe ROUNDS: how long the wizard keeps the user waiting while it installs and
// while it removes. Walks the real Setup.exe with the tests' driver (as on Windows XP, the boot
// entry in C:\boot.ini) through ROUNDS installations of a package with a 2 GiB system image,
// written just before each one, and pings the wizard every 50 ms from the press of the install
// button to the Complete page. Each round but the first starts on the Remove page, which
// removes the previous round's installation; one more start removes the last one: ROUNDS
// removals, pinged the same way from the press of the button to the Welcome page. Prints each
// round's worst answers, then worst_answer_ms=N and worst_removal_ms=N over all rounds.
// Exit code 0 when every round got to the Complete page and every removal to the Welcome page.
#include "common/ScopedWin.h"
#include "resources/resource.h"
#include "tests/driver/Driver.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace driver;

namespace {

constexpr DWORD kNone = 0xFFFFFFFF;

bool Fail(const char* what) {
    std::printf("answer bench: %s\n", what);
    return false;
}

// 2 GiB of data that no file system stores sparsely, written the ordinary way.
bool WriteImage(const std::wstring& path) {
    zenta::ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    std::string block(1 << 20, 'Z');
    DWORD written = 0;
    for (int i = 0; file && i < 2048; ++i)
        if (!WriteFile(file.Get(), block.data(), static_cast<DWORD>(block.size()), &written, nullptr))
            return false;
    return static_cast<bool>(file);
}

// Pings the wizard every 50 ms until it shows `page`; the longest answer in `worst`.
bool PingUntil(const Process& setup, HWND wizard, Page page, DWORD& worst) {
    for (DWORD start = GetTickCount(); ReadPage(wizard) != page; Sleep(50)) {
        DWORD_PTR result = 0;
        DWORD before = GetTickCount();
        if (!SendMessageTimeoutW(wizard, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &result))
            return Fail("the wizard did not answer within 10 s");
        worst = std::max<DWORD>(worst, GetTickCount() - before);
        if (GetTickCount() - start > 600000 || setup.Ended(0) || WaitForBox(setup.id, L"", 0))
            return Fail("the wizard did not get to the next page");
    }
    return true;
}

// Starts Setup; on the Remove page (an earlier round's installation) removes it, with its
// worst answer in `removal` (untouched when there was nothing to remove).
HWND StartAndRemove(Process& setup, const std::wstring& package, DWORD& removal) {
    HWND wizard = StartSetup(setup, package);
    if (!wizard)
        return Fail("Setup did not start"), nullptr;
    if (ReadPage(wizard) != Page::Remove)
        return wizard;
    removal = 0;
    Key(wizard, VK_RETURN);
    return PingUntil(setup, wizard, Page::Welcome, removal) ? wizard : nullptr;
}

// One installation from the Welcome page to the Complete page; its worst answer in `worst`.
bool Install(const std::wstring& package, DWORD& worst, DWORD& removal) {
    Process setup;
    HWND wizard = StartAndRemove(setup, package, removal);
    if (!wizard)
        return false;
    InstallTo(wizard);
    if (!PingUntil(setup, wizard, Page::Complete, worst))
        return false;
    Click(Control(wizard, IDC_PAGE_CLOSE));
    return setup.Ended(15000) || Fail("Setup did not end");
}

void PrintRemoval(int round, DWORD removal) {
    if (removal != kNone)
        std::printf("round %d: worst answer during removal %lu ms\n", round, removal);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int rounds = __argc > 1 ? _wtoi(__wargv[1]) : 5;
    std::wstring package;
    if (rounds < 1 || !PrepareMachine(Kind::BootIni) || (package = MakePackage(L"answer", 0)).empty())
        return Fail("no machine or package to install from"), 1;
    DWORD worstOfAll = 0, worstRemoval = 0;
    for (int round = 1; round <= rounds; ++round) {
        DWORD worst = 0, removal = kNone;
        if (!WriteImage(package + L"\\copyfiles\\disks\\system.img"))
            return Fail("the system image could not be written"), 1;
        if (!Install(package, worst, removal))
            return 1;
        PrintRemoval(round - 1, removal);
        std::printf("round %d: worst answer during installation %lu ms\n", round, worst);
        std::fflush(stdout);
        worstOfAll = std::max(worstOfAll, worst);
        worstRemoval = removal == kNone ? worstRemoval : std::max(worstRemoval, removal);
    }
    Process last;
    DWORD removal = kNone;
    HWND wizard = StartAndRemove(last, package, removal);
    if (!wizard || removal == kNone)
        return Fail("the last installation was not removed"), 1;
    PrintRemoval(rounds, removal);
    worstRemoval = std::max(worstRemoval, removal);
    PostMessageW(wizard, WM_CLOSE, 0, 0);
    last.Ended(15000);
    std::printf("worst_answer_ms=%lu\nworst_removal_ms=%lu\n", worstOfAll, worstRemoval);
    return 0;
}
