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

// The longest answer of a walk from one page to the next, when it came (ms after the press)
// and how long the walk took.
struct Answers {
    DWORD worst = kNone, at = 0, span = 0;
};

// Pings the wizard every 50 ms until it shows `page`.
bool PingUntil(const Process& setup, HWND wizard, Page page, Answers& answers) {
    answers.worst = 0;
    DWORD start = GetTickCount();
    for (; ReadPage(wizard) != page; Sleep(50)) {
        DWORD_PTR result = 0;
        DWORD before = GetTickCount();
        if (!SendMessageTimeoutW(wizard, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &result))
            return Fail("the wizard did not answer within 10 s");
        if (GetTickCount() - before >= answers.worst) {
            answers.worst = GetTickCount() - before;
            answers.at = before - start;
        }
        if (GetTickCount() - start > 600000 || setup.Ended(0) || WaitForBox(setup.id, L"", 0))
            return Fail("the wizard did not get to the next page");
    }
    answers.span = GetTickCount() - start;
    return true;
}

void Print(int round, const char* what, const Answers& answers) {
    if (answers.worst != kNone)
        std::printf("round %d: worst answer during %s %lu ms (%.1f s after the press, of %.1f s)\n", round,
                    what, answers.worst, answers.at / 1000.0, answers.span / 1000.0);
}

// Starts Setup; on the Remove page (an earlier round's installation) removes it, with its
// worst answer in `removal` (untouched when there was nothing to remove).
HWND StartAndRemove(Process& setup, const std::wstring& package, Answers& removal) {
    HWND wizard = StartSetup(setup, package);
    if (!wizard)
        return Fail("Setup did not start"), nullptr;
    if (ReadPage(wizard) != Page::Remove)
        return wizard;
    Key(wizard, VK_RETURN);
    return PingUntil(setup, wizard, Page::Welcome, removal) ? wizard : nullptr;
}

// One installation from the Welcome page to the Complete page; its worst answer in `worst`.
bool Install(const std::wstring& package, Answers& worst, Answers& removal) {
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

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int rounds = __argc > 1 ? _wtoi(__wargv[1]) : 5;
    std::wstring package;
    if (rounds < 1 || !PrepareMachine(Kind::BootIni) || (package = MakePackage(L"answer", 0)).empty())
        return Fail("no machine or package to install from"), 1;
    DWORD worstOfAll = 0, worstRemoval = 0;
    for (int round = 1; round <= rounds; ++round) {
        Answers worst, removal;
        if (!WriteImage(package + L"\\copyfiles\\disks\\system.img"))
            return Fail("the system image could not be written"), 1;
        if (!Install(package, worst, removal))
            return 1;
        Print(round - 1, "removal", removal);
        Print(round, "installation", worst);
        std::fflush(stdout);
        worstOfAll = std::max(worstOfAll, worst.worst);
        worstRemoval = removal.worst == kNone ? worstRemoval : std::max(worstRemoval, removal.worst);
    }
    Process last;
    Answers removal;
    HWND wizard = StartAndRemove(last, package, removal);
    if (!wizard || removal.worst == kNone)
        return Fail("the last installation was not removed"), 1;
    Print(rounds, "removal", removal);
    worstRemoval = std::max(worstRemoval, removal.worst);
    PostMessageW(wizard, WM_CLOSE, 0, 0);
    last.Ended(15000);
    std::printf("worst_answer_ms=%lu\nworst_removal_ms=%lu\n", worstOfAll, worstRemoval);
    return 0;
}
