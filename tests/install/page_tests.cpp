// The Notice page and its link inside the test program: what they draw, read back from the
// screen and from the fonts they choose.
#include "tests/install/InstallKit.h"

#include "common/ScopedWin.h"
#include "common/WizardWindow.h"
#include "setup/SetupApp.h"
#include "setup/WizardFlow.h"
#include "setup/pages/HyperText.h"
#include "setup/pages/NaviPage.h"

#include <doctest/doctest.h>

#include <commctrl.h>
#include <memory>

namespace {

constexpr COLORREF kLinkColor = RGB(0x18, 0xFF, 0x0B);

// The rightmost column (client coordinates) of `window` that shows `colour` on the screen;
// -1 when none does.
int RightmostColumnOf(HWND window, COLORREF colour) {
    RECT client = {};
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    const int width = client.right, height = client.bottom;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    zenta::ScopedWindowDc screen(nullptr);
    zenta::ScopedMemoryDc memory(CreateCompatibleDC(screen.Get()));
    zenta::ScopedBitmap image(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !image)
        return -1;
    zenta::ScopedSelect select(memory.Get(), image.Get());
    BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const DWORD wanted = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    const DWORD* pixels = static_cast<const DWORD*>(bits);
    int rightmost = -1;
    for (int y = 0; y < height; ++y)
        for (int x = rightmost + 1; x < width; ++x)
            if ((pixels[y * width + x] & 0xFFFFFF) == wanted)
                rightmost = x;
    return rightmost;
}

void Pump(DWORD milliseconds) {
    driver::WaitUntil([] { return false; }, milliseconds);
}

// A window's end may have posted WM_QUIT, which would end the next wait of a later case.
void DropQuit() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

// Glyphs the font of `logFont` lacks among the characters of `text`.
int MissingGlyphs(const LOGFONTW& logFont, const std::wstring& text) {
    zenta::ScopedWindowDc screen(nullptr);
    zenta::ScopedFont font(CreateFontIndirectW(&logFont));
    zenta::ScopedSelect select(screen.Get(), font.Get());
    std::vector<WORD> glyphs(text.size());
    GetGlyphIndicesW(screen.Get(), text.c_str(), static_cast<int>(text.size()), glyphs.data(),
                     GGI_MARK_NONEXISTING_GLYPHS);
    int missing = 0;
    for (WORD glyph : glyphs)
        missing += glyph == 0xFFFF;
    return missing;
}

} // namespace

TEST_CASE("a link draws its whole address, '&' included, exactly as far as it measures it") {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = L"LinkHost";
    REQUIRE(RegisterClassW(&wc));
    HWND host = CreateWindowExW(WS_EX_TOPMOST, L"LinkHost", L"", WS_POPUP | WS_VISIBLE, 0, 0, 700, 100,
                                nullptr, nullptr, wc.hInstance, nullptr);
    REQUIRE(host);
    {
        CHyperText link;
        REQUIRE(link.Create(nullptr, WS_CHILD | WS_VISIBLE | SS_NOTIFY, RECT{10, 10, 690, 70}, host,
                            wc.hInstance));
        lstrcpyW(link.text, L"http://a.b/i.php?m=1&c=2&a=3");
        lstrcpyW(link.url, link.text);
        link.textColor = kLinkColor;
        RedrawWindow(host, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump(300);
        REQUIRE(link.textExtent.cx > 100);
        int drawnEnd = RightmostColumnOf(link.hwnd, kLinkColor);
        CAPTURE(link.textExtent.cx);
        CHECK(drawnEnd < link.textExtent.cx);
        CHECK(drawnEnd >= link.textExtent.cx - 4);
        link.Detach();
    }
    DestroyWindow(host);
    UnregisterClassW(L"LinkHost", wc.hInstance);
    DropQuit();
}

TEST_CASE("the Notice page names the chosen drive in a font that has all its characters") {
    std::wstring package = installkit::MakePackage(L"notice", {});
    REQUIRE_FALSE(package.empty());
    REQUIRE(SetCurrentDirectoryW(package.c_str()));
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    {
        CSetupApp app(GetModuleHandleW(nullptr));
        app.windowsKind = Bcd;
        app.targetDrive = L'D';
        REQUIRE(CreateWizardWindow(&app));
        // As after a copy without the system disks.
        app.pageState = Progress;
        REQUIRE(AdvancePage(&app));
        auto* page = dynamic_cast<CNaviPage*>(app.currentPage.get());
        REQUIRE(page);
        CHECK(page->message.find(L"放到目录D:\\zentaos下") != std::wstring::npos);
        CHECK(MissingGlyphs(page->logFont, L"温馨提示:下载地址:" + page->message) == 0);
        REQUIRE(page->links.size() == 1);
        CHECK(std::wstring(page->links[0]->url) == kDownloadUrl);
        CHECK(MissingGlyphs(page->links[0]->logFont, page->links[0]->text) == 0);
        app.Shutdown();
    }
    UnregisterClassW(kWizardClassName, GetModuleHandleW(nullptr));
    DropQuit();
    SetCurrentDirectoryW(L"C:\\");
    installkit::DeletePackage(package);
}
