// The real Setup.exe, started from a package on D: and steered from outside as a user or
// another program would: its window, single instance, version check and page flow.
#include <doctest/doctest.h>

#include "common/ScopedWin.h"
#include "tests/driver/Driver.h"
#include "tests/shell/Wizard.h"

#include <vector>

namespace {

const wchar_t kUnsupportedText[] = L"抱歉，本程序暂不支持您的操作系统";

int CountWizardWindows() {
    int count = 0;
    for (HWND w = FindWindowExW(nullptr, nullptr, kWizardClass, nullptr); w;
         w = FindWindowExW(nullptr, w, kWizardClass, nullptr))
        ++count;
    return count;
}

void PostCommand(HWND wizard, WORD command, LPARAM control) {
    PostMessageW(wizard, WM_COMMAND, command, control);
}

void CheckExitsWith0(WizardRun& run) {
    DWORD code = 99;
    REQUIRE(run.WaitForExit(10000, code));
    CHECK(code == 0);
}

// Ends a run through CMD_EXIT and checks that it ended cleanly.
void ExitThroughCommand(WizardRun& run) {
    PostCommand(run.wizard, CMD_EXIT, 1007);
    CheckExitsWith0(run);
    CHECK_FALSE(IsWindow(run.wizard));
}

// A package in `dir` whose wizard shows Welcome.
void StartAtWelcome(WizardRun& run, const std::wstring& dir) {
    REQUIRE(MakePackage(dir));
    REQUIRE(run.Start(dir));
    REQUIRE(run.WaitForPage(Page::Welcome));
}

// Messages in the wizard's message range and commands that Setup took from its queue, seen
// through a hook library loaded into it.
struct Observed {
    UINT message;
    HWND target = nullptr;       // wizard messages, system commands
    bool withParameters = false; // wizard messages
    WPARAM wParam = 0;           // commands, system commands
    LPARAM lParam = 0;           // commands
};
std::vector<Observed> g_observed;

LRESULT CALLBACK ObserverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_APP && message <= WM_APP + 60)
        g_observed.push_back(
            {WM_USER + 700 + (message - WM_APP), reinterpret_cast<HWND>(wParam), lParam != 0});
    else if (message == WM_APP + 101)
        g_observed.push_back({WM_SYSCOMMAND, reinterpret_cast<HWND>(lParam), false, wParam});
    else if (message == WM_APP + 100)
        g_observed.push_back({WM_COMMAND, nullptr, false, wParam, lParam});
    else
        return DefWindowProcW(window, message, wParam, lParam);
    return 0;
}

// A hidden top-level window of this program, of a class registered for it.
HWND MakeWindow(const wchar_t* className, WNDPROC proc, DWORD style) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    RegisterClassW(&wc);
    return CreateWindowExW(0, className, L"", style, 0, 0, 800, 600, nullptr, nullptr, wc.hInstance, nullptr);
}

class PageMessageSpy {
  public:
    explicit PageMessageSpy(DWORD threadId) {
        observer_ = MakeWindow(L"ZentaShellHookObserver", ObserverProc, WS_POPUP);
        library_ = LoadLibraryW(driver::BuildPath(L"tests\\shell\\shell_notify_hook.dll").c_str());
        auto hook = [&](int type, const char* name) -> HHOOK {
            auto proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(library_, name)));
            return proc ? SetWindowsHookExW(type, proc, library_, threadId) : nullptr;
        };
        hook_ = hook(WH_GETMESSAGE, "PageMessageHook");
        sentHook_ = hook(WH_CALLWNDPROC, "SentMessageHook");
        g_observed.clear();
    }
    ~PageMessageSpy() {
        // Each call refuses a null handle harmlessly.
        UnhookWindowsHookEx(hook_);
        UnhookWindowsHookEx(sentHook_);
        FreeLibrary(library_);
        DestroyWindow(observer_);
    }
    PageMessageSpy(const PageMessageSpy&) = delete;
    PageMessageSpy& operator=(const PageMessageSpy&) = delete;
    bool Ready() const { return observer_ && hook_ && sentHook_; }
    // Waits until `message` has been seen; the count of its sightings.
    int WaitFor(UINT message, DWORD timeoutMs) {
        driver::WaitUntil([&] { return Count(message) > 0; }, timeoutMs);
        return Count(message);
    }
    // Sightings of `message`; for WM_SYSCOMMAND with a nonzero `command`, of that command.
    static int Count(UINT message, WPARAM command = 0) {
        int count = 0;
        for (const Observed& seen : g_observed)
            count += seen.message == message && (!command || (seen.wParam & 0xFFF0) == command);
        return count;
    }

  private:
    HWND observer_ = nullptr;
    HMODULE library_ = nullptr;
    HHOOK hook_ = nullptr;
    HHOOK sentHook_ = nullptr;
};

// The wizard thread's GUI state: which window has the keyboard focus, and menu mode.
GUITHREADINFO GuiState(const WizardRun& run) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(run.ThreadId(), &info);
    return info;
}

HWND FocusOf(const WizardRun& run) {
    return GuiState(run).hwndFocus;
}

// The page's button `id`, once it has the keyboard focus.
HWND FocusedButton(const WizardRun& run, int id) {
    HWND button = driver::FindControl(PageWindow(run.wizard), id);
    REQUIRE(driver::WaitUntil([&] { return FocusOf(run) == button; }, 5000));
    return button;
}

// A key press and release as the keyboard driver queues them for the focus window.
void PressKey(HWND target, WPARAM key, bool system = false) {
    UINT scan = MapVirtualKeyW(static_cast<UINT>(key), 0);
    LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16) | (system ? (1 << 29) : 0);
    LPARAM up = down | (1u << 30) | (1u << 31);
    PostMessageW(target, system ? WM_SYSKEYDOWN : WM_KEYDOWN, key, down);
    PostMessageW(target, system ? WM_SYSKEYUP : WM_KEYUP, key, up);
}

void RecordInstallation(DWORD type, const void* data, DWORD size) {
    HKEY created = nullptr;
    REQUIRE(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kHardDiskRecord, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &created, nullptr) == ERROR_SUCCESS);
    zenta::ScopedRegKey key(created);
    REQUIRE(RegSetValueExW(key.Get(), L"Drive", 0, type, static_cast<const BYTE*>(data), size) ==
            ERROR_SUCCESS);
}

} // namespace

TEST_CASE("first start: a fixed 800 x 600 window, centred, titled, showing Welcome") {
    ResetMachine();
    REQUIRE(MakePackage(L"D:\\first"));
    WizardRun run;
    REQUIRE(run.Start(L"D:\\first"));

    CHECK(driver::WindowClass(run.wizard) == kWizardClass);
    RECT bounds = {}, desktop = {};
    GetWindowRect(run.wizard, &bounds);
    GetWindowRect(GetDesktopWindow(), &desktop);
    int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    CHECK(width == 800);
    CHECK(height == 600);
    CHECK(bounds.left == desktop.left + (desktop.right - desktop.left - 800) / 2);
    CHECK(bounds.top == desktop.top + (desktop.bottom - desktop.top - 600) / 2);

    const LONG frame = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;
    CHECK((GetWindowLongW(run.wizard, GWL_STYLE) & frame) == (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX));
    CHECK((GetWindowLongW(run.wizard, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) != 0);
    CHECK(driver::WindowText(run.wizard) == kHeadTitle);

    REQUIRE(run.WaitForPage(Page::Welcome));
    HWND page = PageWindow(run.wizard);
    RECT client = {}, pageBounds = {};
    GetClientRect(run.wizard, &client);
    GetWindowRect(page, &pageBounds);
    MapWindowPoints(nullptr, run.wizard, reinterpret_cast<POINT*>(&pageBounds), 2);
    CHECK(EqualRect(&pageBounds, &client));
    CHECK(IsWindowVisible(page));
    run.Shoot(L"page-welcome");

    // Neither the frame's edges nor a double click on the title bar resize the window.
    DWORD_PTR hit = 0;
    SendMessageTimeoutW(run.wizard, WM_NCHITTEST, 0, MAKELPARAM(bounds.right - 1, bounds.bottom - 1),
                        SMTO_ABORTIFHUNG, 2000, &hit);
    CHECK((hit < HTLEFT || hit > HTBOTTOMRIGHT)); // no sizing border
    POINT title = {bounds.left + 300, bounds.top + GetSystemMetrics(SM_CYFRAME) + 2};
    SendMessageTimeoutW(run.wizard, WM_NCHITTEST, 0, MAKELPARAM(title.x, title.y), SMTO_ABORTIFHUNG, 2000,
                        &hit);
    CHECK(hit == HTCAPTION);
    PostMessageW(run.wizard, WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(title.x, title.y));
    Sleep(300);
    CHECK_FALSE(IsZoomed(run.wizard));
    RECT after = {};
    GetWindowRect(run.wizard, &after);
    CHECK(EqualRect(&after, &bounds));

    ExitThroughCommand(run);
}

TEST_CASE("closing outside the Progress page ends Setup at once with exit code 0") {
    ResetMachine();
    WizardRun run;
    StartAtWelcome(run, L"D:\\close");
    UINT message = WM_CLOSE;
    SUBCASE("WM_CLOSE") {}
    SUBCASE("WM_SETUP_CANCEL") {
        message = kSetupCancel;
    }
    PostMessageW(run.wizard, message, 0, 0);
    CheckExitsWith0(run);
    CHECK(driver::WaitForMessageBox(run.process.id, L"", 0) == nullptr);
}

TEST_CASE("a second start brings the first wizard forward and ends with 0") {
    ResetMachine();
    WizardRun first;
    StartAtWelcome(first, L"D:\\twice");
    PostMessageW(first.wizard, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    REQUIRE(driver::WaitUntil([&] { return IsIconic(first.wizard) != FALSE; }, 5000));

    WizardRun second;
    REQUIRE(second.Launch(L"D:\\twice"));
    int mostWindows = 0;
    DWORD code = 99;
    driver::WaitUntil(
        [&] {
            int count = CountWizardWindows();
            mostWindows = count > mostWindows ? count : mostWindows;
            return second.process.Wait(0, &code);
        },
        15000);
    CHECK(code == 0);
    CHECK(mostWindows == 1);
    CHECK(driver::WaitUntil([&] { return !IsIconic(first.wizard); }, 5000));
    CHECK(IsWindowVisible(first.wizard));
    CHECK(GetForegroundWindow() == first.wizard);
    ExitThroughCommand(first);
}

TEST_CASE("a held mutex without a wizard window gives a full second wizard") {
    ResetMachine();
    zenta::ScopedHandle mutex(CreateMutexW(nullptr, TRUE, L"MUTEX_ZENTA_SETUP"));
    REQUIRE(mutex);
    WizardRun run;
    StartAtWelcome(run, L"D:\\mutex");
    CHECK(IsWindowVisible(run.wizard));
    ExitThroughCommand(run);
}

TEST_CASE("a hidden window of the wizard class (the uninstaller's) is not taken for a running wizard") {
    ResetMachine();
    zenta::ScopedHandle mutex(CreateMutexW(nullptr, TRUE, L"MUTEX_ZENTA_SETUP"));
    REQUIRE(mutex);
    HWND frame = MakeWindow(kWizardClass, DefWindowProcW, WS_CAPTION | WS_SYSMENU);
    REQUIRE(frame);

    WizardRun run;
    StartAtWelcome(run, L"D:\\hidden");
    CHECK_FALSE(IsWindowVisible(frame));
    ExitThroughCommand(run);
    DestroyWindow(frame);
}

TEST_CASE("Windows 2000: the unsupported box, no wizard, exit code 0") {
    ResetMachine();
    REQUIRE(MakePackage(L"D:\\w2k"));
    REQUIRE(driver::SetWindowsVersion(L"Setup.exe", L"win2k"));
    WizardRun run;
    REQUIRE(run.Launch(L"D:\\w2k"));
    HWND box = driver::WaitForMessageBox(run.process.id, L"", 15000);
    REQUIRE(box);
    CHECK(driver::MessageBoxText(box) == kUnsupportedText);
    CHECK(driver::WindowText(box) == L"错误");
    CHECK(GetDlgItem(box, IDOK) != nullptr);
    CHECK(GetDlgItem(box, IDCANCEL) == nullptr);
    CHECK(driver::WaitForProcessWindow(run.process.id, kWizardClass, L"", 0) == nullptr);
    driver::Screenshot(box, L"box-unsupported");
    REQUIRE(driver::AnswerMessageBox(box, IDOK));
    CheckExitsWith0(run);
}

TEST_CASE("a recorded installation: Remove page first; its button removes it and leads to Welcome") {
    ResetMachine();
    REQUIRE(MakePackage(L"D:\\remove"));
    REQUIRE(driver::SetWindowsVersion(L"Setup.exe", L"winxp"));

    SUBCASE("Drive as a DWORD, the way Setup records it") {
        DWORD drive = L'E';
        RecordInstallation(REG_DWORD, &drive, sizeof drive);
        REQUIRE(driver::MakeDirectories(L"E:\\zentaos\\sub"));
        REQUIRE(driver::WriteFileBytes(L"E:\\zentaos\\sub\\file.bin", "data"));
        REQUIRE(driver::WriteFileBytes(L"E:\\zeldr", "loader"));
        SetFileAttributesW(L"E:\\zeldr", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);

        WizardRun run;
        REQUIRE(run.Start(L"D:\\remove"));
        REQUIRE(run.WaitForPage(Page::Remove));
        CHECK(driver::WindowText(run.wizard) == kHeadTitle);
        run.Shoot(L"page-remove");
        HWND button = driver::FindControl(PageWindow(run.wizard), 1001);
        REQUIRE(button);
        driver::Click(button);
        REQUIRE(run.WaitForPage(Page::Welcome));
        CHECK_FALSE(driver::RegistryKeyExists(HKEY_LOCAL_MACHINE, kHardDiskRecord));
        CHECK_FALSE(driver::FileExists(L"E:\\zentaos"));
        CHECK_FALSE(driver::FileExists(L"E:\\zeldr"));
        ExitThroughCommand(run);
    }
    SUBCASE("any 4-byte value counts, whatever its type; a longer one does not") {
        const wchar_t text[] = L"E";
        unsigned long long wide = L'E';
        for (bool shortValue : {true, false}) {
            CAPTURE(shortValue);
            RecordInstallation(shortValue ? REG_SZ : REG_QWORD,
                               shortValue ? static_cast<const void*>(text) : &wide,
                               shortValue ? sizeof text : sizeof wide);
            WizardRun run;
            REQUIRE(run.Start(L"D:\\remove"));
            CHECK(run.WaitForPage(shortValue ? Page::Remove : Page::Welcome));
            ExitThroughCommand(run);
            // Leaving through the window removes nothing.
            CHECK(driver::RegistryKeyExists(HKEY_LOCAL_MACHINE, kHardDiskRecord));
        }
    }
}

TEST_CASE("WM_SETUP_NOTIFY reaches the page as WM_PAGE_NOTIFY, and nothing else happens") {
    ResetMachine();
    WizardRun run;
    StartAtWelcome(run, L"D:\\notify");
    HWND page = PageWindow(run.wizard);
    PageMessageSpy spy(run.ThreadId());
    REQUIRE(spy.Ready());

    PostMessageW(run.wizard, kSetupNotify, 12, 34);
    REQUIRE(spy.WaitFor(WM_PAGE_NOTIFY, 5000) == 1);
    Sleep(200);
    driver::WaitUntil([] { return false; }, 200); // collect late reports
    CHECK(spy.Count(WM_PAGE_NOTIFY) == 1);
    for (const Observed& seen : g_observed) {
        if (seen.message != WM_PAGE_NOTIFY)
            continue;
        CHECK(seen.target == page);
        CHECK_FALSE(seen.withParameters);
    }
    CHECK(PageWindow(run.wizard) == page);
    CHECK(ReadPage(run.wizard) == Page::Welcome);
    CHECK(driver::WaitForMessageBox(run.process.id, L"", 0) == nullptr);
    ExitThroughCommand(run);
}

namespace {

// A package whose copyfiles\Disks holds 1,000,000,000 bytes plus `more` in a subfolder, run
// past Welcome and Progress without installing.
void ReachEndPage(WizardRun& run, const std::wstring& dir, unsigned long long more, Page expected) {
    // Two files at different depths: the whole tree counts.
    REQUIRE(driver::MakeDirectories(dir + L"\\copyfiles\\Disks\\part"));
    REQUIRE(driver::MakeSparseFile(dir + L"\\copyfiles\\Disks\\system.img", 1000000000ull));
    REQUIRE(driver::MakeSparseFile(dir + L"\\copyfiles\\Disks\\part\\data.img", more));
    StartAtWelcome(run, dir);
    // Both advances queue before the wizard runs again, so the Progress page is closed
    // before its initialisation message arrives and no installation starts.
    zenta::ScopedHandle thread(OpenThread(THREAD_SUSPEND_RESUME, FALSE, run.ThreadId()));
    REQUIRE(thread);
    REQUIRE(SuspendThread(thread.Get()) != static_cast<DWORD>(-1));
    PostCommand(run.wizard, CMD_NEXT, 1001);
    PostCommand(run.wizard, CMD_NEXT, 1001);
    ResumeThread(thread.Get());
    REQUIRE(run.WaitForPage(expected));
    CHECK_FALSE(driver::RegistryKeyExists(HKEY_LOCAL_MACHINE, kHardDiskRecord));
}

} // namespace

TEST_CASE("the end page follows the size of copyfiles\\Disks") {
    struct Case {
        const wchar_t* dir;
        unsigned long long more;
        Page expected;
        const wchar_t* shot;
    };
    for (Case c : {Case{L"D:\\small", 48575999ull, Page::Notice, L"page-notice"},
                   Case{L"D:\\full", 48576000ull, Page::Complete, L"page-complete"}}) {
        CAPTURE(PageName(c.expected));
        ResetMachine();
        WizardRun run;
        ReachEndPage(run, c.dir, c.more, c.expected);
        CHECK(driver::WindowText(run.wizard) ==
              (c.expected == Page::Complete ? kCompleteMessage : kHeadTitle));
        run.Shoot(c.shot);
        ExitThroughCommand(run);
    }
}

TEST_CASE("on the Complete page a further advance or CMD_BACK leaves the window empty") {
    ResetMachine();
    WizardRun run;
    ReachEndPage(run, L"D:\\again", 48576000ull, Page::Complete);
    SUBCASE("WM_PAGE_NEXT") {
        PostMessageW(run.wizard, WM_PAGE_NEXT, 0, 0);
    }
    SUBCASE("CMD_BACK") {
        PostCommand(run.wizard, CMD_BACK, IDC_PAGE_BACK);
    }
    REQUIRE(run.WaitForPage(Page::None));
    Sleep(300);
    CHECK(IsWindowVisible(run.wizard));
    CHECK(driver::WindowText(run.wizard) == kCompleteMessage);
    PostMessageW(run.wizard, WM_CLOSE, 0, 0);
    CheckExitsWith0(run);
}

TEST_CASE("closing the Notice page ends Setup: its download link ends the program with it") {
    ResetMachine();
    WizardRun run;
    ReachEndPage(run, L"D:\\notice", 0, Page::Notice);
    PostMessageW(run.wizard, WM_PAGE_NEXT, 0, 0);
    CheckExitsWith0(run);
}

TEST_CASE("the flow a user walks: Welcome, Progress, then the end page; its button ends Setup") {
    ResetMachine();
    // Windows XP keeps the boot menu in C:\boot.ini, which the test prefix can offer.
    REQUIRE(driver::SetWindowsVersion(L"Setup.exe", L"winxp"));
    WizardRun run;
    StartAtWelcome(run, L"D:\\walk");
    HWND next = driver::FindControl(PageWindow(run.wizard), 1001);
    REQUIRE(next);
    PageMessageSpy spy(run.ThreadId());
    REQUIRE(spy.Ready());
    driver::Click(next);
    REQUIRE(run.WaitForPage(Page::Progress));
    // One click, one CMD_NEXT from control 1001; the new page is told it was placed.
    HWND progress = PageWindow(run.wizard);
    REQUIRE(spy.WaitFor(WM_PAGE_INIT, 5000) >= 1);
    int advances = 0;
    for (const Observed& seen : g_observed) {
        if (seen.message == WM_COMMAND && LOWORD(seen.wParam) == CMD_NEXT) {
            ++advances;
            CHECK(seen.wParam == CMD_NEXT);
            CHECK(seen.lParam == 1001);
        }
    }
    CHECK(advances == 1);
    CHECK(g_observed.back().message == WM_PAGE_INIT);
    CHECK(g_observed.back().target == progress);
    run.Shoot(L"page-progress");
    CHECK(driver::WindowText(run.wizard) == kHeadTitle);

    // A package without copyfiles finishes at once; a Progress page that does not move on
    // by itself is moved on as the finished installation would.
    if (!run.WaitForPage(Page::Notice, 20000)) {
        MESSAGE("the Progress page did not finish by itself; advancing it");
        PostMessageW(run.wizard, WM_PAGE_NEXT, 0, 0);
        REQUIRE(run.WaitForPage(Page::Notice));
    }
    run.Shoot(L"page-notice-after-install");
    HWND close = driver::FindControl(PageWindow(run.wizard), 1007);
    REQUIRE(close);
    driver::Click(close);
    CheckExitsWith0(run);
    ResetMachine();
}

TEST_CASE("keyboard: Enter presses the focused page button; Alt alone opens no menu; Alt+F4 closes") {
    ResetMachine();
    REQUIRE(driver::SetWindowsVersion(L"Setup.exe", L"winxp"));
    WizardRun run;
    SUBCASE("Enter on Welcome's button starts the installation") {
        StartAtWelcome(run, L"D:\\keys");
        PressKey(FocusedButton(run, 1001), VK_RETURN);
        CHECK(run.WaitForPage(Page::Progress));
    }
    SUBCASE("Enter on the Notice page's button ends Setup") {
        ReachEndPage(run, L"D:\\keysnotice", 0, Page::Notice);
        PressKey(FocusedButton(run, 1007), VK_RETURN);
        CheckExitsWith0(run);
    }
    SUBCASE("Tab moves the focus between the Complete page's two buttons") {
        ReachEndPage(run, L"D:\\keystab", 48576000ull, Page::Complete);
        HWND page = PageWindow(run.wizard);
        HWND later = driver::FindControl(page, 1007), restart = driver::FindControl(page, 1013);
        REQUIRE(later);
        REQUIRE(restart);
        HWND start = FocusOf(run);
        PressKey(start && IsChild(page, start) ? start : page, VK_TAB);
        REQUIRE(driver::WaitUntil(
            [&] {
                HWND focus = FocusOf(run);
                return focus != start && (focus == later || focus == restart);
            },
            5000));
        HWND first = FocusOf(run);
        HWND other = first == later ? restart : later;
        PressKey(first, VK_TAB);
        CHECK(driver::WaitUntil([&] { return FocusOf(run) == other; }, 5000));
        PressKey(other, VK_TAB);
        CHECK(driver::WaitUntil([&] { return FocusOf(run) == first; }, 5000));
        ExitThroughCommand(run);
    }
    SUBCASE("Alt alone neither opens the system menu nor stops the keyboard; Alt+F4 closes") {
        StartAtWelcome(run, L"D:\\alt");
        HWND button = FocusedButton(run, 1001);
        PageMessageSpy spy(run.ThreadId());
        REQUIRE(spy.Ready());
        PressKey(button, VK_MENU, true);
        Sleep(500);
        driver::WaitUntil([] { return false; }, 300); // collect the reports
        // Handled as a system key, Alt alone would start the keyboard menu (SC_KEYMENU).
        CHECK(spy.Count(WM_SYSCOMMAND, SC_KEYMENU) == 0);
        CHECK((GuiState(run).flags & (GUI_INMENUMODE | GUI_SYSTEMMENUMODE)) == 0);
        CHECK(FocusOf(run) == button);
        PressKey(button, VK_F4, true);
        CHECK(spy.WaitFor(WM_SYSCOMMAND, 5000) >= 1);
        CHECK(spy.Count(WM_SYSCOMMAND, SC_CLOSE) == 1);
        CheckExitsWith0(run);
    }
}
