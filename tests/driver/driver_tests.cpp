// The driver's own helpers against real windows, message boxes, files and registry keys of
// the test prefix, so that a failing GUI test points at the program, not at the driver.
#include <doctest/doctest.h>

#include "common/ScopedWin.h"
#include "tests/driver/Driver.h"

namespace {

int g_clicked = 0;

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == 77 && HIWORD(wParam) == BN_CLICKED)
        ++g_clicked;
    return DefWindowProcW(window, message, wParam, lParam);
}

struct BoxRequest {
    const wchar_t* text;
    const wchar_t* caption;
    UINT style;
    int answer = 0;
};

DWORD WINAPI ShowBox(void* param) {
    auto* request = static_cast<BoxRequest*>(param);
    request->answer = MessageBoxW(nullptr, request->text, request->caption, request->style);
    return 0;
}

} // namespace

TEST_CASE("files: folders, round trips, sparse sizes, tree copies") {
    REQUIRE(driver::MakeDirectories(L"D:\\a\\b\\c"));
    CHECK(driver::MakeDirectories(L"D:\\a\\b\\c")); // already there
    CHECK(driver::FileExists(L"D:\\a\\b\\c"));
    std::string bytes("one\0two", 7);
    REQUIRE(driver::WriteFileBytes(L"D:\\a\\b\\c\\f.bin", bytes));
    std::string back;
    REQUIRE(driver::ReadFileBytes(L"D:\\a\\b\\c\\f.bin", back));
    CHECK(back == bytes);
    CHECK_FALSE(driver::ReadFileBytes(L"D:\\a\\missing", back));

    const unsigned long long size = 5ull << 30;
    REQUIRE(driver::MakeSparseFile(L"D:\\a\\big.img", size));
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    REQUIRE(GetFileAttributesExW(L"D:\\a\\big.img", GetFileExInfoStandard, &data));
    CHECK(((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow) == size);

    REQUIRE(driver::CopyTree(L"D:\\a\\b", L"E:\\copy"));
    REQUIRE(driver::ReadFileBytes(L"E:\\copy\\c\\f.bin", back));
    CHECK(back == bytes);
    CHECK(driver::BuildPath(L"Setup.exe") == L"Y:\\Setup.exe");
}

TEST_CASE("registry: values read back by type, Windows version per program") {
    HKEY created = nullptr;
    REQUIRE(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\ZentaDriverTest", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &created, nullptr) == ERROR_SUCCESS);
    zenta::ScopedRegKey key(created);
    DWORD number = 0x45;
    const wchar_t text[] = L"text";
    RegSetValueExW(key.Get(), L"Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    RegSetValueExW(key.Get(), L"Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
    CHECK(driver::RegistryKeyExists(HKEY_CURRENT_USER, L"Software\\ZentaDriverTest"));
    CHECK_FALSE(driver::RegistryKeyExists(HKEY_CURRENT_USER, L"Software\\ZentaDriverTest\\None"));
    DWORD readNumber = 0;
    CHECK(driver::ReadRegistryDword(HKEY_CURRENT_USER, L"Software\\ZentaDriverTest", L"Number", readNumber));
    CHECK(readNumber == 0x45);
    std::wstring readText;
    CHECK(driver::ReadRegistryString(HKEY_CURRENT_USER, L"Software\\ZentaDriverTest", L"Text", readText));
    CHECK(readText == L"text");
    CHECK_FALSE(
        driver::ReadRegistryDword(HKEY_CURRENT_USER, L"Software\\ZentaDriverTest", L"Text", readNumber));
    CHECK_FALSE(
        driver::ReadRegistryString(HKEY_CURRENT_USER, L"Software\\ZentaDriverTest", L"Number", readText));

    REQUIRE(driver::SetWindowsVersion(L"Probe.exe", L"winxp"));
    CHECK(driver::ReadRegistryString(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\Probe.exe", L"Version",
                                     readText));
    CHECK(readText == L"winxp");
}

TEST_CASE("windows: found by class and title, controls at any depth, clicks, screenshots") {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = PanelProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    wc.lpszClassName = L"ZentaDriverProbe";
    RegisterClassW(&wc);
    HWND top = CreateWindowExW(0, wc.lpszClassName, L"探针", WS_POPUP | WS_VISIBLE, 50, 60, 300, 200, nullptr,
                               nullptr, wc.hInstance, nullptr);
    REQUIRE(top);
    HWND panel = CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 20, 20, 200, 120, top,
                                 nullptr, wc.hInstance, nullptr);
    HWND button = CreateWindowExW(0, L"BUTTON", L"Press", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 30, 40, 80,
                                  24, panel, reinterpret_cast<HMENU>(77), nullptr, nullptr);

    CHECK(driver::WaitForWindow(L"ZentaDriverProbe", L"探针", 2000) == top);
    CHECK(driver::WaitForWindow(L"ZentaDriverProbe", L"other", 200) == nullptr);
    CHECK(driver::WaitForProcessWindow(GetCurrentProcessId(), L"ZentaDriverProbe", L"", 2000) == top);
    CHECK(driver::WindowClass(button) == L"Button");
    CHECK(driver::WindowText(top) == L"探针");
    CHECK(driver::FindControl(top, 77) == button);
    CHECK(driver::FindControl(top, 78) == nullptr);

    g_clicked = 0;
    driver::Click(button);
    CHECK(driver::WaitUntil([] { return g_clicked == 1; }, 2000));
    // The button's centre in the top window's client coordinates: panel (20,20) + (30+40, 40+12).
    driver::ClickAt(top, 90, 72);
    CHECK(driver::WaitUntil([] { return g_clicked == 2; }, 2000));
    driver::ClickAt(top, 5, 5); // on the top window itself: no click
    driver::WaitUntil([] { return false; }, 200);
    CHECK(g_clicked == 2);

    CHECK(driver::Screenshot(top, L"driver-probe"));
    std::string bitmap;
    REQUIRE(driver::ReadFileBytes(L"S:\\driver-probe.bmp", bitmap));
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    REQUIRE(bitmap.size() >= sizeof file + sizeof info);
    memcpy(&file, bitmap.data(), sizeof file);
    memcpy(&info, bitmap.data() + sizeof file, sizeof info);
    CHECK(file.bfType == 0x4D42);
    CHECK(info.biWidth == 300);
    CHECK(info.biHeight == 200);
    CHECK(info.biBitCount == 24);
    CHECK(bitmap.size() == file.bfSize);
    DeleteFileW(L"S:\\driver-probe.bmp");

    DestroyWindow(top);
    CHECK(driver::WaitForWindowGone(top, 5000));
}

TEST_CASE("message boxes: found by text, read, answered") {
    BoxRequest request = {L"第一行\n确认继续吗？", L"提醒", MB_OKCANCEL};
    zenta::ScopedHandle thread(CreateThread(nullptr, 0, ShowBox, &request, 0, nullptr));
    REQUIRE(thread);
    CHECK(driver::WaitForMessageBox(GetCurrentProcessId(), L"不存在", 300) == nullptr);
    HWND box = driver::WaitForMessageBox(GetCurrentProcessId(), L"确认继续", 5000);
    REQUIRE(box);
    CHECK(driver::MessageBoxText(box) == L"第一行\n确认继续吗？");
    CHECK(driver::WindowText(box) == L"提醒");
    CHECK(driver::AnswerMessageBox(box, IDCANCEL));
    REQUIRE(WaitForSingleObject(thread.Get(), 5000) == WAIT_OBJECT_0);
    CHECK(request.answer == IDCANCEL);
}
