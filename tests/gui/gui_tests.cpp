// The controls and the start of Setup in this process: the image button's faces and keys,
// the link's hit area, the slide show's cycle, the page backgrounds prepared ahead, and the
// refusal of a UEFI machine.
#include <doctest/doctest.h>

#include "common/InstallRecord.h"
#include "common/SingleInstance.h"
#include "common/WizardWindow.h"
#include "common/SystemHelpers.h"
#include "resources/resource.h"
#include "setup/Protection.h"
#include "setup/SetupMain.h"
#include "setup/pages/EmoButton.h"
#include "setup/pages/HyperText.h"
#include "setup/pages/PageFont.h"
#include "setup/pages/PagePictures.h"
#include "setup/pages/Picture.h"
#include "setup/pages/SlideShow.h"
#include "tests/driver/Driver.h"

#include <memory>

namespace {

int clicks = 0;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED)
        ++clicks;
    return DefWindowProcW(window, message, wParam, lParam);
}

// A shown top-level window to put controls on.
struct Host {
    HWND window;
    Host() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = HostProc;
        wc.lpszClassName = L"ZentaTestHost";
        RegisterClassW(&wc);
        window = CreateWindowExW(0, L"ZentaTestHost", L"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 200, nullptr,
                                 nullptr, nullptr, nullptr);
        REQUIRE(window);
    }
    ~Host() { DestroyWindow(window); }
};

COLORREF Pixel(HWND window) {
    UpdateWindow(window);
    zenta::ScopedWindowDc dc(window);
    return GetPixel(dc.Get(), 5, 5);
}

COLORREF FacePixel(int id) {
    zenta::ScopedBitmap face(static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0)));
    zenta::ScopedMemoryDc dc(CreateCompatibleDC(nullptr));
    zenta::ScopedSelect select(dc.Get(), face.Get());
    return GetPixel(dc.Get(), 5, 5);
}

struct Link : CHyperText {
    using CHyperText::IsOverText;
    SIZE Extent() const { return textExtent; }
};

DWORD WINAPI AnswerOne(void* text) {
    *static_cast<std::wstring*>(text) = driver::AnswerBox(GetCurrentProcessId(), L"", IDOK, 20000);
    return 0;
}

} // namespace

TEST_CASE("image button: Enter clicks like Space, pressed while held; dragged off, the normal face") {
    Host host;
    HWND control = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 50, 20,
                                   host.window, reinterpret_cast<HMENU>(IDC_PAGE_NEXT), nullptr, nullptr);
    CEmoButton button(control);
    // What a screen reader says is what the button draws.
    button.SetCaption(L"开始安装");
    wchar_t said[64] = {};
    GetWindowTextW(control, said, 64);
    CHECK(std::wstring(said) == L"开始安装");
    RECT r = {};
    GetWindowRect(control, &r);
    CHECK(r.right - r.left == 120);
    CHECK(Pixel(control) == FacePixel(IDB_FACE_NORMAL));
    SetFocus(control);
    clicks = 0;
    SendMessageW(control, WM_KEYDOWN, VK_RETURN, 1);
    CHECK(Pixel(control) == FacePixel(IDB_FACE_PRESSED));
    SendMessageW(control, WM_KEYUP, VK_RETURN, 0xC0000001);
    CHECK(clicks == 1);
    CHECK(Pixel(control) == FacePixel(IDB_FACE_NORMAL));

    SetCursorPos(r.left + 5, r.top + 5);
    SendMessageW(control, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    CHECK(Pixel(control) == FacePixel(IDB_FACE_PRESSED));
    SetCursorPos(r.right + 100, r.bottom + 100);
    SendMessageW(control, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, 100));
    InvalidateRect(control, nullptr, FALSE);
    CHECK(Pixel(control) == FacePixel(IDB_FACE_NORMAL));
    SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(300, 100));
}

TEST_CASE("link: only the measured text is the link, to its last pixel and not one beyond") {
    Host host;
    Link link;
    REQUIRE(
        link.Create(nullptr, WS_CHILD | WS_VISIBLE | SS_NOTIFY, RECT{0, 0, 380, 60}, host.window, nullptr));
    link.SetLink(L"http://example/a&b", L"http://example/a&b", PageFont(20, FW_NORMAL, L"Segoe"), 0);
    InvalidateRect(host.window, nullptr, TRUE);
    UpdateWindow(host.window);
    SIZE extent = link.Extent();
    REQUIRE(extent.cx > 0);
    CHECK(link.IsOverText(extent.cx - 1, extent.cy - 1));
    CHECK_FALSE(link.IsOverText(extent.cx, 0));
    CHECK_FALSE(link.IsOverText(0, extent.cy));
    link.Detach();
}

TEST_CASE("slide show: the pictures of the folder in turn, the first again after the last") {
    REQUIRE(driver::MakeDirs(L"E:\\slides\\sub.jpg"));
    for (const wchar_t* name : {L"01.jpg", L"02.jpg"})
        REQUIRE(CopyFileW(driver::Build(std::wstring(L"test-data\\package\\ZentaImages\\") + name).c_str(),
                          (std::wstring(L"E:\\slides\\") + name).c_str(), FALSE));
    Host host;
    CSlideShow show(host.window, L"E:\\slides", RECT{0, 0, 100, 100});
    show.Scan();
    REQUIRE(show.images.size() == 2);
    for (int expected : {0, 1, 0}) {
        CHECK(driver::WaitUntil(
            [&] {
                show.Advance();
                return show.currentIndex == expected;
            },
            10000));
        CHECK(show.current);
    }
}

TEST_CASE("page backgrounds: ready, being prepared, not begun or not listed, a page draws its picture") {
    zenta::ScopedCoInit com;
    constexpr int W = 794, H = 571;
    auto support = [](const wchar_t* name) {
        return driver::Build(std::wstring(L"test-data\\package\\support\\") + name);
    };
    // A grid of pixels of the window's page pictures drawn (registry) or of the file decoded
    // and stretched straight into the same kind of bitmap.
    auto drawn = [&](HWND window, const std::wstring& path, bool registry) {
        zenta::ScopedWindowDc screen(nullptr);
        zenta::ScopedMemoryDc dc(CreateCompatibleDC(screen.Get()));
        zenta::ScopedBitmap bitmap(CreateCompatibleBitmap(screen.Get(), W, H));
        zenta::ScopedSelect select(dc.Get(), bitmap.Get());
        DecodedPicture picture;
        if (registry)
            DrawPagePictures(window, dc.Get(), W, H);
        else if (LoadPictureFile(path, picture))
            RenderStretched(picture, dc.Get(), RECT{0, 0, W, H});
        std::vector<COLORREF> pixels;
        for (int y = 0; y < H; y += 37)
            for (int x = 0; x < W; x += 41)
                pixels.push_back(GetPixel(dc.Get(), x, y));
        return pixels;
    };
    // Asked for one after another: the unlisted one is prepared here while the worker begins
    // with the first listed, which is then most likely being prepared, and the worker goes on
    // with the second.
    const wchar_t* names[] = {L"complete.jpg", L"welcome.jpg", L"progress.jpg", L"welcome.jpg"};
    Host pages[4];
    CPagePicturePreparer preparer(
        {support(L"welcome.jpg"), support(L"progress.jpg"), support(L"welcome.jpg")}, W, H);
    for (int i = 0; i < 4; ++i)
        CHECK(LoadPagePicture(support(names[i]), pages[i].window, W, H));
    for (int i = 0; i < 4; ++i) {
        CAPTURE(i);
        CHECK(drawn(pages[i].window, L"", true) == drawn(nullptr, support(names[i]), false));
        FreePagePictures(pages[i].window);
    }
}

TEST_CASE("Setup on a computer started through UEFI: one error box, exit 0, nothing written") {
    DeleteRecords();
    std::wstring text;
    zenta::ScopedHandle answerer(CreateThread(nullptr, 0, AnswerOne, &text, 0, nullptr));
    CHECK(RunSetup(GetModuleHandleW(nullptr), [] { return Firmware::Uefi; }) == 0);
    WaitForSingleObject(answerer.Get(), 30000);
    CHECK(text.find(L"UEFI") != std::wstring::npos);
    CHECK(text.find(L"日志文件：") != std::wstring::npos);
    CHECK(InstallRecordGone());
    CHECK_FALSE(driver::Exists(L"D:\\zentaos"));
}

TEST_CASE("a second Setup brings the wizard forward once it shows; when none does, a box says Setup runs") {
    // The name held by a starting Setup, or (where it is a plain name) by a program that lets
    // nobody else open it.
    const struct { bool wizard, denied; } rows[] = {{true, false}, {false, false}, {false, true}};
    for (const auto& row : rows) {
        const bool wizard = row.wizard;
        CAPTURE(wizard);
        CAPTURE(row.denied);
        std::unique_ptr<CSingleInstance> first;
        zenta::ScopedHandle denying;
        if (row.denied) {
            zenta::ScopedLocal descriptor;
            REQUIRE(MakeSecurityDescriptor(L"D:(D;;GA;;;WD)", descriptor));
            SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor.Get(), FALSE};
            denying.Reset(CreateMutexW(&attributes, TRUE, kSetupMutexName));
            REQUIRE(denying);
        } else {
            first = std::make_unique<CSingleInstance>(kSetupMutexName);
            REQUIRE_FALSE(first->Another());
        }
        driver::Process second;
        REQUIRE(driver::Start(second, driver::Build(L"Setup.exe")));
        // The first one's wizard, shown a moment after the second started.
        RegisterWizardClass(GetModuleHandleW(nullptr), DefWindowProcW, nullptr);
        Sleep(500);
        HWND shown = wizard
                         ? CreateWindowExW(0, kWizardClassName, L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                           100, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)
                         : nullptr;
        if (!wizard)
            CHECK(driver::AnswerBox(second.id, L"已经在运行", IDOK) != L"");
        // The wizard answers while the second one brings it forward; a wizard of its own
        // would keep the second one running.
        DWORD code = 1;
        bool ended = false;
        for (int i = 0; i < 400 && !(ended = second.Ended(50, &code)); ++i)
            for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);)
                DispatchMessageW(&msg);
        CHECK(ended);
        CHECK(code == 0);
        DestroyWindow(shown);
    }
}
