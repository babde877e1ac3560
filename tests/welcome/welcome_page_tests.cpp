#include "WelcomeTestKit.h"
#include "WineDrives.h"

#include "common/Messages.h"
#include "common/WizardWindow.h"
#include "setup/Config.h"
#include "setup/SetupApp.h"
#include "setup/WizardFlow.h"
#include "setup/pages/PageLayout.h"
#include "setup/pages/WelcomePage.h"

#include <doctest/doctest.h>

#include <commctrl.h>
#include <memory>

using namespace welcomekit;

namespace {

// The wizard of Setup inside the test program, started in `package` as Setup is.
class Wizard {
  public:
    explicit Wizard(const std::wstring& package) {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        SetCurrentDirectoryW(package.c_str());
        app = std::make_unique<CSetupApp>(GetModuleHandleW(nullptr));
        app->windowsKind = Bcd;
        if (CreateWizardWindow(app.get())) {
            ShowFirstPage(app.get());
            UpdateWindow(app->mainWindow);
        }
    }
    ~Wizard() {
        app->Shutdown(); // wine takes about 2 s to take a top-level window down without a window manager
        UnregisterClassW(kWizardClassName, GetModuleHandleW(nullptr));
        // The window's end posts WM_QUIT, which would end the next message box at once.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    CWelcomePage* Page() const { return dynamic_cast<CWelcomePage*>(app->currentPage.get()); }
    // The CMD_NEXT commands the page has posted to the window, taken out of the queue
    // so that the wizard stays on this page.
    int TakeNextCommands() const {
        int count = 0;
        MSG msg;
        while (PeekMessageW(&msg, app->mainWindow, WM_COMMAND, WM_COMMAND, PM_REMOVE))
            count += LOWORD(msg.wParam) == CMD_NEXT && msg.lParam == IDC_PAGE_NEXT;
        return count;
    }

    std::unique_ptr<CSetupApp> app;
};

// Answers the shortage box from a second thread while the page's thread waits in it.
struct BoxAnswer {
    std::wstring caption, text;
    bool answered = false;
    DWORD timeoutMs = 10000;

    static DWORD WINAPI Run(void* self) {
        auto* answer = static_cast<BoxAnswer*>(self);
        HWND box = driver::WaitForMessageBox(GetCurrentProcessId(), L"磁盘空间不足", answer->timeoutMs);
        if (box) {
            answer->caption = driver::WindowText(box);
            answer->text = driver::MessageBoxText(box);
            answer->answered = driver::AnswerMessageBox(box, IDOK);
        }
        return 0;
    }
};

// Presses the page's button; true when the shortage box came (and was answered).
bool PressButtonExpectingBox(CWelcomePage& page, BoxAnswer& answer, DWORD timeoutMs = 10000) {
    answer.timeoutMs = timeoutMs;
    zenta::ScopedHandle thread(CreateThread(nullptr, 0, BoxAnswer::Run, &answer, 0, nullptr));
    SendMessageW(page.nextButton->hwnd, BM_CLICK, 0, 0);
    WaitForSingleObject(thread.Get(), 15000);
    return answer.answered;
}

} // namespace

TEST_CASE("the Welcome page lists the fixed drives and follows the selection at once") {
    std::wstring package = MakePackage(L"page-drives", 0);
    REQUIRE_FALSE(package.empty());
    Wizard wizard(package);
    CWelcomePage* page = wizard.Page();
    REQUIRE(page);
    CHECK(wizard.app->pageState == Welcome);
    CHECK(page->dialogWindow == page->hwnd);

    std::wstring letters;
    for (const DriveEntry& entry : page->drives)
        letters += entry.letter;
    CHECK(letters == winedrives::FixedDrivesByType());
    REQUIRE(page->drives.size() >= 3); // C:, D:, E: at least

    HWND box = FindDriveBox(page->hwnd);
    REQUIRE(box);
    CHECK((GetWindowLongW(box, GWL_STYLE) & 0x3) == CBS_DROPDOWN);
    RECT place = {};
    GetWindowRect(box, &place);
    MapWindowPoints(nullptr, page->hwnd, reinterpret_cast<POINT*>(&place), 2);
    CHECK(place.left == Scale(page->clientWidth, 0.222));
    CHECK(place.top == Scale(page->clientHeight, 0.9));
    CHECK(place.right - place.left == Scale(page->clientWidth, 0.15));

    REQUIRE(SendMessageW(box, CB_GETCOUNT, 0, 0) == static_cast<LRESULT>(page->drives.size()));
    for (size_t i = 0; i < page->drives.size(); ++i) {
        CHECK(ComboItem(box, static_cast<int>(i)) == FormatDriveLabel(page->drives[i]));
        unsigned long long now = QueryFreeBytes(page->drives[i].letter);
        // Other tests on the machine write and delete gigabytes meanwhile: the figure must be
        // the drive's, not exact to the byte.
        CHECK(page->drives[i].freeBytes + 4 * GiB > now);
        CHECK(page->drives[i].freeBytes < now + 4 * GiB);
    }

    // The first drive is chosen from the start.
    CHECK(SendMessageW(box, CB_GETCURSEL, 0, 0) == 0);
    CHECK(page->selected == 0);
    CHECK(wizard.app->targetDrive == page->drives[0].letter);

    // Each change of the selection reaches targetDrive at once, without the button.
    PressKey(box, VK_DOWN, false);
    CHECK(SendMessageW(box, CB_GETCURSEL, 0, 0) == 1);
    CHECK(page->selected == 1);
    CHECK(wizard.app->targetDrive == page->drives[1].letter);
    PressKey(box, VK_DOWN, false);
    CHECK(page->selected == 2);
    CHECK(wizard.app->targetDrive == page->drives[2].letter);
    PressKey(box, VK_UP, false);
    CHECK(page->selected == 1);
    CHECK(wizard.app->targetDrive == page->drives[1].letter);
    CHECK(wizard.TakeNextCommands() == 0);

    // The button wears the configured caption and button font colour.
    REQUIRE(page->nextButton);
    CHECK(std::wstring(page->nextButton->caption) == wizard.app->config->buttonContinue);
    CHECK(page->nextButton->textColor == wizard.app->config->fontButtonText.foreColor);
    CHECK(GetFocus() == page->nextButton->hwnd);
}

TEST_CASE("the Welcome page paints its background and the yellow drive label") {
    std::wstring package = MakePackage(L"page-paint", 0);
    REQUIRE_FALSE(package.empty());
    Wizard wizard(package);
    CWelcomePage* page = wizard.Page();
    REQUIRE(page);
    const int W = page->clientWidth, H = page->clientHeight;
    RECT label = {Scale(W, 0.222), Scale(H, 0.85), Scale(W, 0.362), Scale(H, 0.88)};
    MapWindowPoints(page->hwnd, nullptr, reinterpret_cast<POINT*>(&label), 2);
    CHECK(ScreenShows(wizard.app->mainWindow, label, RGB(255, 255, 0x77), 20));
    // The label's text starts at the top left of its rectangle (no vertical centring).
    RECT firstRows = {label.left, label.top, label.left + 20, label.top + 6};
    CHECK(CountScreenPixels(firstRows, RGB(255, 255, 0x77)) > 0);

    // Above the label the demo background shows: a dark night sky, not the window colour.
    POINT sky = {W / 2, H / 2};
    ClientToScreen(page->hwnd, &sky);
    HDC screen = GetDC(nullptr);
    COLORREF pixel = GetPixel(screen, sky.x, sky.y);
    ReleaseDC(nullptr, screen);
    CHECK(GetRValue(pixel) < 80);
    CHECK(GetGValue(pixel) < 80);
    CHECK(GetBValue(pixel) < 120);
}

TEST_CASE("the button goes on only with room for the package on the chosen drive") {
    SUBCASE("a package bigger than any drive: the shortage message, and the page stays") {
        std::wstring package = MakePackage(L"page-huge", LargestFreeSpace() + GiB);
        REQUIRE_FALSE(package.empty());
        Wizard wizard(package);
        CWelcomePage* page = wizard.Page();
        REQUIRE(page);
        REQUIRE(page->nextButton);
        BoxAnswer answer;
        REQUIRE(PressButtonExpectingBox(*page, answer));
        CHECK(answer.caption == L"提醒");
        CHECK(answer.text == kShortageText);
        CHECK(wizard.TakeNextCommands() == 0);

        // Another drive: measured as when the page was set up, and refused the same way.
        PressKey(FindDriveBox(page->hwnd), VK_DOWN, false);
        REQUIRE(page->selected == 1);
        BoxAnswer again;
        REQUIRE(PressButtonExpectingBox(*page, again));
        CHECK(wizard.TakeNextCommands() == 0);
        CHECK(wizard.app->pageState == Welcome);
    }
    SUBCASE("a package that fits: exactly one CMD_NEXT to the window, no message") {
        std::wstring package = MakePackage(L"page-small", 3 * GiB);
        REQUIRE_FALSE(package.empty());
        Wizard wizard(package);
        CWelcomePage* page = wizard.Page();
        REQUIRE(page);
        REQUIRE(page->nextButton);
        REQUIRE(page->drives[page->selected].freeBytes >= 3 * GiB + GiB / 2 + 4 * GiB); // host room
        // Should a box come after all, the helper answers it and the click returns.
        BoxAnswer answer;
        CHECK_FALSE(PressButtonExpectingBox(*page, answer, 2000));
        CHECK(wizard.TakeNextCommands() == 1);
    }
    SUBCASE("no drive chosen: the shortage message instead of reading a missing entry") {
        std::wstring package = MakePackage(L"page-none", 0);
        REQUIRE_FALSE(package.empty());
        Wizard wizard(package);
        CWelcomePage* page = wizard.Page();
        REQUIRE(page);
        HWND box = FindDriveBox(page->hwnd);
        // Text typed over the choice leaves the box without a selection.
        SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        SendMessageW(page->hwnd, WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
        CHECK(page->selected == -1);
        BoxAnswer answer;
        REQUIRE(PressButtonExpectingBox(*page, answer));
        CHECK(wizard.TakeNextCommands() == 0);
    }
}
