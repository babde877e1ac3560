// The image button on a real push button in a window of this process: faces read back as
// pixels, caption cut, size after attaching, keyboard and mouse handling.
#include <doctest/doctest.h>

#include "common/ScopedWin.h"
#include "setup/pages/EmoButton.h"
#include "tests/shell/Pixels.h"

#include <memory>
#include <string>

namespace {

constexpr int kButtonId = 1001;
constexpr int kPlainId = 1002;

struct Clicks {
    int count = 0;
    int lastId = 0;
    int lastCode = -1;
};
Clicks g_clicks;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        ++g_clicks.count;
        g_clicks.lastId = LOWORD(wParam);
        g_clicks.lastCode = HIWORD(wParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// With a `dialog`, key strokes go through the dialog keyboard handling, as the wizard's
// message loop runs them.
void Pump(HWND dialog = nullptr) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (dialog && IsDialogMessageW(dialog, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// One visible top-level window for all cases (under wine a top-level window takes seconds to
// go away); each case gets fresh buttons in it: the one the image button attaches to, and a
// plain one.
HWND HostWindow() {
    static HWND window = [] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
        wc.lpszClassName = L"ZentaButtonHost";
        RegisterClassW(&wc);
        return CreateWindowExW(0, L"ZentaButtonHost", L"host", WS_POPUP | WS_VISIBLE, 100, 100, 400, 200,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }();
    return window;
}

struct Host {
    Host() : window(HostWindow()) {
        button =
            CreateWindowExW(0, L"BUTTON", L"Next", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 30, 40,
                            50, 20, window, reinterpret_cast<HMENU>(kButtonId), nullptr, nullptr);
        plain = CreateWindowExW(0, L"BUTTON", L"Plain", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                250, 40, 80, 24, window, reinterpret_cast<HMENU>(kPlainId), nullptr, nullptr);
        originalProc = GetWindowLongPtrW(button, GWLP_WNDPROC);
        Pump();
        g_clicks = Clicks();
    }
    ~Host() {
        emo.reset();
        DestroyWindow(button);
        DestroyWindow(plain);
        Pump();
    }
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    CEmoButton& Attach() {
        emo = std::make_unique<CEmoButton>(button);
        // Keep the focus away from the button unless a case asks for it.
        SetFocus(plain);
        Pump();
        return *emo;
    }
    Pixels Shot() {
        UpdateWindow(button);
        return CapturePixels(button);
    }
    // The face after a new caption.
    Pixels ShotWith(const std::wstring& caption) {
        emo->SetCaption(caption.c_str());
        InvalidateRect(button, nullptr, FALSE);
        return Shot();
    }

    const Pixels normal = LoadFacePixels(IDB_FACE_NORMAL);
    const Pixels hover = LoadFacePixels(IDB_FACE_HOVER);
    const Pixels pressed = LoadFacePixels(IDB_FACE_PRESSED);
    HWND window = nullptr;
    HWND button = nullptr;
    HWND plain = nullptr;
    LONG_PTR originalProc = 0;
    std::unique_ptr<CEmoButton> emo;
};

// The focus rectangle's ring (2 pixels in from the edge) is left out of face comparisons.
bool OnFocusRing(int x, int y, int w, int h) {
    bool inside = x >= 2 && y >= 2 && x <= w - 3 && y <= h - 3;
    return inside && (x == 2 || y == 2 || x == w - 3 || y == h - 3);
}

// Differing pixels on the ring, or off it.
int Differences(const Pixels& shot, const Pixels& face, bool onRing) {
    return CountDifferences(
        shot, face, [&](int x, int y) { return OnFocusRing(x, y, shot.width, shot.height) == onRing; });
}
int DifferencesOffRing(const Pixels& shot, const Pixels& face) {
    return Differences(shot, face, false);
}

std::wstring Digits(size_t count) {
    std::wstring text;
    for (size_t i = 0; i < count; ++i)
        text += static_cast<wchar_t>(L'0' + i % 10);
    return text;
}

} // namespace

TEST_CASE("attaching takes the normal face's size at the same corner") {
    Host host;
    CEmoButton& emo = host.Attach();
    RECT bounds = {};
    GetWindowRect(host.button, &bounds);
    MapWindowPoints(nullptr, host.window, reinterpret_cast<POINT*>(&bounds), 2);
    const RECT placed = {30, 40, 30 + 120, 40 + 36}, face = {0, 0, 120, 36};
    CHECK(EqualRect(&bounds, &placed));
    CHECK(emo.faceInfo.bmWidth == 120);
    CHECK(emo.faceInfo.bmHeight == 36);
    zenta::ScopedRegion region(CreateRectRgn(0, 0, 0, 0));
    REQUIRE(GetWindowRgn(host.button, region.Get()) == SIMPLEREGION);
    RECT box = {};
    GetRgnBox(region.Get(), &box);
    CHECK(EqualRect(&box, &face));
    CHECK((GetWindowLongPtrW(host.button, GWL_STYLE) & BS_OWNERDRAW) == BS_OWNERDRAW);
    CHECK(GetPropW(host.button, L"CEmoButton") == &emo);
    CHECK(GetWindowLongPtrW(host.button, GWLP_WNDPROC) != host.originalProc);

    host.emo.reset();
    CHECK(IsWindow(host.button));
    CHECK(GetWindowLongPtrW(host.button, GWLP_WNDPROC) == host.originalProc);
}

TEST_CASE("each state shows its face") {
    Host host;
    CEmoButton& emo = host.Attach();
    REQUIRE(host.normal.width == 120);
    REQUIRE(host.normal.height == 36);
    // The three faces must be told apart for the checks below to mean anything.
    REQUIRE(DifferencesOffRing(host.normal, host.hover) > 100);
    REQUIRE(DifferencesOffRing(host.normal, host.pressed) > 100);
    REQUIRE(DifferencesOffRing(host.hover, host.pressed) > 100);

    CHECK(DifferencesOffRing(host.Shot(), host.normal) == 0);
    CHECK(Differences(host.Shot(), host.normal, true) == 0); // no focus, no ring

    const LPARAM inside = MAKELPARAM(10, 10);
    SendMessageW(host.button, WM_MOUSEMOVE, 0, inside);
    CHECK(emo.hover == 1);
    CHECK(DifferencesOffRing(host.Shot(), host.hover) == 0);

    SendMessageW(host.button, WM_LBUTTONDOWN, MK_LBUTTON, inside);
    CHECK(emo.mouseDown == 1);
    Pixels down = host.Shot();
    CHECK(DifferencesOffRing(down, host.pressed) == 0);
    // The press gave the button the focus: the dotted rectangle shows on the ring.
    CHECK(emo.focused == 1);
    CHECK(Differences(down, host.pressed, true) > 0);

    SendMessageW(host.button, WM_LBUTTONUP, 0, inside);
    CHECK(emo.mouseDown == 0);
    CHECK(DifferencesOffRing(host.Shot(), host.hover) == 0);
    CHECK(g_clicks.count == 1);

    SendMessageW(host.button, WM_MOUSELEAVE, 0, 0);
    CHECK(emo.hover == 0);
    CHECK(DifferencesOffRing(host.Shot(), host.normal) == 0);

    SendMessageW(host.button, WM_KEYDOWN, VK_RETURN, 0);
    CHECK(emo.keyDown == 1);
    CHECK(DifferencesOffRing(host.Shot(), host.pressed) == 0);
    // Any key's release ends the pressed look.
    SendMessageW(host.button, WM_KEYUP, 'A', 0);
    CHECK(emo.keyDown == 0);
    CHECK(DifferencesOffRing(host.Shot(), host.normal) == 0);

    SUBCASE("disabled: the normal face whatever the mouse does, no focus rectangle") {
        EnableWindow(host.button, FALSE);
        CHECK(emo.enabled == 0);
        SendMessageW(host.button, WM_SETFOCUS, 0, 0);
        SendMessageW(host.button, WM_MOUSEMOVE, 0, inside);
        SendMessageW(host.button, WM_LBUTTONDOWN, MK_LBUTTON, inside);
        Pixels shot = host.Shot();
        CHECK(DifferencesOffRing(shot, host.normal) == 0);
        CHECK(Differences(shot, host.normal, true) == 0);
        SendMessageW(host.button, WM_LBUTTONUP, 0, inside);
        EnableWindow(host.button, TRUE);
        CHECK(emo.enabled == 1);
    }
}

TEST_CASE("the caption: cut at 63 characters, drawn in its colour, grey when disabled") {
    Host host;
    CEmoButton& emo = host.Attach();
    CHECK(emo.SetCaption(nullptr) == 0);
    CHECK(emo.caption[0] == L'\0');

    // A caption wider than the button is centred, so one character more or less moves it.
    std::wstring longText = Digits(70);
    CHECK(emo.SetCaption(longText.c_str()) == 1);
    CHECK(std::wstring(emo.caption) == Digits(63));
    InvalidateRect(host.button, nullptr, FALSE);
    Pixels cut = host.Shot();
    CHECK(CountDifferences(cut, host.ShotWith(Digits(63))) == 0);
    CHECK(CountDifferences(cut, host.ShotWith(Digits(62))) > 0);
    CHECK(CountDifferences(cut, host.normal) > 0);

    emo.textColor = RGB(200, 0, 0);
    CHECK(CountColor(host.ShotWith(L"Go"), RGB(200, 0, 0)) > 0);

    EnableWindow(host.button, FALSE);
    Pixels grey = host.Shot();
    CHECK(CountColor(grey, RGB(200, 0, 0)) == 0);
    CHECK(CountColor(grey, GetSysColor(COLOR_GRAYTEXT)) > 0);
}

TEST_CASE("Enter on the focused button clicks it, as Space does") {
    Host host;
    CEmoButton& emo = host.Attach();

    // Through the message queue, as key strokes arrive.
    SetFocus(host.button);
    Pump();
    CHECK(emo.focused == 1);
    PostMessageW(host.button, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    Pump();
    CHECK(emo.keyDown == 1);
    CHECK(DifferencesOffRing(host.Shot(), host.pressed) == 0);
    CHECK(g_clicks.count == 0);
    PostMessageW(host.button, WM_KEYUP, VK_RETURN, 0xC01C0001);
    Pump();
    CHECK(emo.keyDown == 0);
    CHECK(g_clicks.count == 1);
    CHECK(g_clicks.lastId == kButtonId);

    PostMessageW(host.button, WM_KEYDOWN, VK_SPACE, 0x00390001);
    PostMessageW(host.button, WM_KEYUP, VK_SPACE, 0xC0390001);
    Pump();
    CHECK(g_clicks.count == 2);

    // Under dialog keyboard handling Enter would become the dialog's default command (IDOK)
    // unless the button asks for it.
    SetFocus(host.button);
    PostMessageW(host.button, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageW(host.button, WM_KEYUP, VK_RETURN, 0xC01C0001);
    Pump(host.window);
    CHECK(g_clicks.count == 3);
    CHECK(g_clicks.lastId == kButtonId);

    // A plain push button ignores Enter: the clicks above are the image button's doing.
    SetFocus(host.plain);
    PostMessageW(host.plain, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageW(host.plain, WM_KEYUP, VK_RETURN, 0xC01C0001);
    Pump();
    CHECK(g_clicks.count == 3);
}

TEST_CASE("dragging off a held button clears hover without repainting; release shows the normal face") {
    Host host;
    CEmoButton& emo = host.Attach();
    RECT bounds = {};
    GetWindowRect(host.button, &bounds);

    REQUIRE(SetCursorPos(bounds.left + 10, bounds.top + 10));
    SendMessageW(host.button, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    SendMessageW(host.button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    REQUIRE(GetCapture() == host.button);
    CHECK(DifferencesOffRing(host.Shot(), host.pressed) == 0);

    REQUIRE(SetCursorPos(bounds.right + 40, bounds.bottom + 40));
    SendMessageW(host.button, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(160, 76));
    CHECK(emo.hover == 0);
    CHECK(emo.mouseDown == 1);
    CHECK_FALSE(GetUpdateRect(host.button, nullptr, FALSE));

    SendMessageW(host.button, WM_LBUTTONUP, 0, MAKELPARAM(160, 76));
    CHECK(emo.mouseDown == 0);
    CHECK(DifferencesOffRing(host.Shot(), host.normal) == 0);
    CHECK(g_clicks.count == 0); // released outside: no click
}
