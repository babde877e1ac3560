// demo_tour.exe PATH\Setup.exe: walks the wizard of a package once, as a user would, and
// saves a screenshot of every page it passes to S:\ (remove, welcome, progress, then notice
// or complete). A recorded installation is removed first, so the tour can run again in the
// same prefix. Installs to the drive the Welcome page offers first. Exit code 0 when the
// whole tour was made.
#include "common/Messages.h"
#include "setup/pages/ChangingText.h"
#include "tests/install/InstallKit.h"

#include <windows.h>

#include <cstdio>
#include <string>

using namespace installkit;

namespace {

bool Step(bool done, const char* what) {
    std::printf("demo tour: %s%s\n", what, done ? "" : " FAILED");
    std::fflush(stdout);
    return done;
}

// Pixels of the status lines' green below the progress bar: the first progress tick has
// drawn them.
bool StatusLinesShown(HWND wizard) {
    RECT client = {};
    GetClientRect(wizard, &client);
    RECT line = {static_cast<LONG>(client.right * 0.05), static_cast<LONG>(client.bottom * 0.92),
                 static_cast<LONG>(client.right * 0.9), static_cast<LONG>(client.bottom * 0.96)};
    MapWindowPoints(wizard, nullptr, reinterpret_cast<POINT*>(&line), 2);
    HDC screen = GetDC(nullptr);
    int found = 0;
    for (int y = line.top; y < line.bottom && found < 20; y += 2)
        for (int x = line.left; x < line.right && found < 20; x += 2)
            found += GetPixel(screen, x, y) == kChangingTextColor;
    ReleaseDC(nullptr, screen);
    return found >= 20;
}

bool Tour(const std::wstring& setupExe) {
    size_t slash = setupExe.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return Step(false, "the argument names no Setup.exe in a package folder");
    SetupRun setup;
    if (!Step(setup.Start(setupExe.substr(0, slash)), "Setup started"))
        return false;
    driver::WaitUntil(
        [&] { return setup.CurrentPage() == Page::Welcome || setup.CurrentPage() == Page::Remove; }, 15000);
    if (setup.CurrentPage() == Page::Remove) {
        Step(setup.Shoot(L"remove"), "Remove page");
        if (!Step(setup.Press(IDC_PAGE_NEXT), "earlier installation removed"))
            return false;
    }
    if (!Step(setup.WaitForPage(Page::Welcome, 20000) && setup.Shoot(L"welcome"), "Welcome page"))
        return false;
    if (!Step(setup.Press(IDC_PAGE_NEXT) && setup.WaitForPage(Page::Progress, 10000), "installation started"))
        return false;
    // A small package is copied within a second: the first picture is kept when no tick with
    // its status lines comes before the page goes on.
    setup.Shoot(L"progress");
    DWORD start = GetTickCount();
    bool lines = false;
    while (GetTickCount() - start < 6000 && setup.CurrentPage() == Page::Progress) {
        if (!lines && StatusLinesShown(setup.wizard))
            lines = setup.Shoot(L"progress");
        Sleep(200);
    }
    Step(true, lines ? "Progress page with its status lines" : "Progress page");
    if (!Step(driver::WaitUntil(
                  [&] {
                      Page page = setup.CurrentPage();
                      return page == Page::Notice || page == Page::Complete;
                  },
                  180000),
              "installation finished"))
        return false;
    bool complete = setup.CurrentPage() == Page::Complete;
    Step(setup.Shoot(complete ? L"complete" : L"notice"), complete ? "Complete page" : "Notice page");
    DWORD code = 1;
    return Step(setup.Press(IDC_PAGE_CLOSE) && setup.Ended(15000, &code) && code == 0, "Setup closed");
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (__argc < 2) {
        Step(false, "usage: demo_tour.exe PATH\\Setup.exe");
        return 2;
    }
    return Tour(__wargv[1]) ? 0 : 1;
}
