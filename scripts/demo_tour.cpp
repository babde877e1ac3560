// demo_tour.exe PATH\Setup.exe: walks the wizard of a package once, as a user would, and
// saves a screenshot of every page it passes to S:\ (remove, welcome, progress, then notice
// or complete). A recorded installation is removed first, so the tour can run again in the
// same prefix. Installs to the drive the Welcome page offers first. Exit code 0 when the
// whole tour was made.
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

bool Tour(const std::wstring& setupExe) {
    Process setup;
    HWND wizard = StartSetup(setup, setupExe.substr(0, setupExe.find_last_of(L'\\')));
    if (!Step(wizard != nullptr, "Setup started"))
        return false;
    if (ReadPage(wizard) == Page::Remove) {
        Step(Screenshot(wizard, L"remove"), "Remove page");
        Click(Control(wizard, IDC_PAGE_NEXT));
    }
    if (!Step(WaitForPage(wizard, Page::Welcome, 20000) && Screenshot(wizard, L"welcome"), "Welcome page"))
        return false;
    Click(Control(wizard, IDC_PAGE_NEXT));
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
        [&] { return ReadPage(wizard) == Page::Notice || ReadPage(wizard) == Page::Complete; }, 180000);
    if (!Step(finished, "installation finished"))
        return false;
    bool complete = ReadPage(wizard) == Page::Complete;
    Step(Screenshot(wizard, complete ? L"complete" : L"notice"), complete ? "Complete page" : "Notice page");
    Click(Control(wizard, IDC_PAGE_CLOSE));
    DWORD code = 1;
    return Step(setup.Ended(15000, &code) && code == 0, "Setup closed");
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (__argc < 2)
        return Step(false, "usage: demo_tour.exe PATH\\Setup.exe") ? 0 : 2;
    return Tour(__wargv[1]) ? 0 : 1;
}
