// demo_tour.exe PATH\Setup.exe: walks the wizard of a package as a user would, and saves a
// screenshot of every page to S:\: welcome, progress, then complete or notice; then starts
// Setup again, which offers the removal (remove), and removes the installation, so that the
// tour can run again in the same prefix (a recorded installation found at the first start is
// removed first too). Installs to the drive the Welcome page offers first. Exit code 0 when
// the whole tour was made.
#include "resources/resource.h"
#include "tests/driver/Driver.h"

#include <cstdio>

using namespace driver;

namespace {

bool Step(bool done, const char* what) {
    std::printf("demo tour: %s%s\n", what, done ? "" : " FAILED");
    std::fflush(stdout);
    return done;
}

// Starts Setup; on the Remove page removes the installation (keeping its screenshot when
// asked) and waits for the Welcome page.
HWND StartAtWelcome(Process& setup, const std::wstring& package, bool removeShot) {
    HWND wizard = StartSetup(setup, package);
    if (!Step(wizard != nullptr, "Setup started"))
        return nullptr;
    const bool remove = ReadPage(wizard) == Page::Remove;
    if (removeShot && !Step(remove && Screenshot(wizard, L"remove"), "Remove page"))
        return nullptr;
    if (remove)
        Click(Control(wizard, IDC_PAGE_NEXT));
    return Step(WaitForPage(wizard, Page::Welcome, 60000), "Welcome page") ? wizard : nullptr;
}

bool Tour(const std::wstring& setupExe) {
    const std::wstring package = setupExe.substr(0, setupExe.find_last_of(L'\\'));
    Process setup;
    HWND wizard = StartAtWelcome(setup, package, false);
    if (!wizard || !Step(Screenshot(wizard, L"welcome"), "Welcome page taken"))
        return false;
    PressInstall(wizard); // under wine it asks which disk the drive is on: 是
    if (!Step(WaitForPage(wizard, Page::Progress, 10000), "installation started"))
        return false;
    // A small package is copied within a second; a bigger one gets its status lines with the
    // first tick, and the picture is taken again.
    bool shot = Screenshot(wizard, L"progress");
    Sleep(1200);
    if (ReadPage(wizard) == Page::Progress)
        shot = Screenshot(wizard, L"progress");
    Step(shot, "Progress page");
    bool finished = WaitUntil(
        [&] { return ReadPage(wizard) == Page::Notice || ReadPage(wizard) == Page::Complete; }, 300000);
    if (!Step(finished, "installation finished"))
        return false;
    bool complete = ReadPage(wizard) == Page::Complete;
    Step(Screenshot(wizard, complete ? L"complete" : L"notice"), complete ? "Complete page" : "Notice page");
    Click(Control(wizard, IDC_PAGE_CLOSE));
    DWORD code = 1;
    if (!Step(setup.Ended(15000, &code) && code == 0, "Setup closed"))
        return false;

    Process again;
    wizard = StartAtWelcome(again, package, true);
    if (!wizard)
        return false;
    PostMessageW(wizard, WM_CLOSE, 0, 0);
    return Step(again.Ended(15000), "installation removed, Setup closed");
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (__argc < 2)
        return Step(false, "usage: demo_tour.exe PATH\\Setup.exe") ? 0 : 2;
    return Tour(__wargv[1]) ? 0 : 1;
}
