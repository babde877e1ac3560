// answer_bench.exe ROUNDS: how long the wizard keeps the user waiting while it installs. Walks
// the real Setup.exe with the tests' driver (as on Windows XP, the boot entry in C:\boot.ini)
// through ROUNDS installations of a package with a 2 GiB system image, written just before
// each one, and pings the wizard every 50 ms from the press of the install button to the
// Complete page. Prints each round's worst answer, then worst_answer_ms=N over all rounds.
// Exit code 0 when every round got to the Complete page.
#include "common/ScopedWin.h"
#include "resources/resource.h"
#include "tests/driver/Driver.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace driver;

namespace {

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

// One installation from the Welcome page to the Complete page; its worst answer in `worst`.
bool Install(const std::wstring& package, DWORD& worst) {
    Process setup;
    HWND wizard = StartSetup(setup, package);
    if (!wizard)
        return Fail("Setup did not start");
    if (ReadPage(wizard) == Page::Remove) { // the previous round's installation
        Key(wizard, VK_RETURN);
        if (!WaitForPage(wizard, Page::Welcome, 60000))
            return Fail("the removal did not end on the Welcome page");
    }
    InstallTo(wizard);
    for (DWORD start = GetTickCount(); ReadPage(wizard) != Page::Complete; Sleep(50)) {
        DWORD_PTR result = 0;
        DWORD before = GetTickCount();
        if (!SendMessageTimeoutW(wizard, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &result))
            return Fail("the wizard did not answer within 10 s");
        worst = std::max<DWORD>(worst, GetTickCount() - before);
        if (GetTickCount() - start > 600000 || setup.Ended(0) || WaitForBox(setup.id, L"", 0))
            return Fail("the installation did not get to the Complete page");
    }
    Click(Control(wizard, IDC_PAGE_CLOSE));
    return setup.Ended(15000) || Fail("Setup did not end");
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int rounds = __argc > 1 ? _wtoi(__wargv[1]) : 5;
    std::wstring package;
    if (rounds < 1 || !PrepareMachine(Kind::BootIni) || (package = MakePackage(L"answer", 0)).empty())
        return Fail("no machine or package to install from"), 1;
    DWORD worstOfAll = 0;
    for (int round = 1; round <= rounds; ++round) {
        DWORD worst = 0;
        if (!WriteImage(package + L"\\copyfiles\\disks\\system.img"))
            return Fail("the system image could not be written"), 1;
        if (!Install(package, worst))
            return 1;
        std::printf("round %d: worst answer during installation %lu ms\n", round, worst);
        std::fflush(stdout);
        worstOfAll = std::max(worstOfAll, worst);
    }
    std::printf("worst_answer_ms=%lu\n", worstOfAll);
    return 0;
}
