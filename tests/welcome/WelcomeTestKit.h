// Packages for the Welcome page tests: the demo package's support files and pictures, with
// a copyfiles folder of any size (sparse files keep huge packages cheap).
#pragma once
#include "tests/driver/Driver.h"

#include <windows.h>
#include <string>

namespace welcomekit {

constexpr unsigned long long GiB = 1ull << 30;
const wchar_t kShortageText[] =
    L"安装目标盘磁盘空间不足，请删除部分不需要的程序，或者删除(移走)部分不需要的数据再安装";

// A package folder on D: with `copyBytes` bytes below copyfiles (none: no copyfiles folder).
inline std::wstring MakePackage(const std::wstring& name, unsigned long long copyBytes) {
    std::wstring package = L"D:\\" + name;
    if (!driver::CopyTree(driver::BuildPath(L"test-data\\welcome\\package"), package))
        return std::wstring();
    if (copyBytes > 0) {
        // Spread over two folders and two depths: the check counts everything below copyfiles.
        std::wstring disks = package + L"\\copyfiles\\disks", common = package + L"\\copyfiles\\common\\deep";
        if (!driver::MakeDirectories(disks) || !driver::MakeDirectories(common) ||
            !driver::MakeSparseFile(disks + L"\\zenta", copyBytes - copyBytes / 4) ||
            !driver::MakeSparseFile(common + L"\\part", copyBytes / 4))
            return std::wstring();
    }
    return package;
}

// Free bytes of the emptiest fixed drive: every drive of the box has at most this much.
inline unsigned long long LargestFreeSpace() {
    unsigned long long largest = 0;
    for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) {
        const wchar_t root[] = {letter, L':', L'\\', 0};
        ULARGE_INTEGER available = {};
        if (GetDriveTypeW(root) == DRIVE_FIXED && GetDiskFreeSpaceExW(root, &available, nullptr, nullptr) &&
            available.QuadPart > largest)
            largest = available.QuadPart;
    }
    return largest;
}

inline HWND FindDriveBox(HWND parent) {
    return FindWindowExW(parent, nullptr, L"ComboBox", nullptr);
}

// Item `index` of a combo box (of any process: the text is marshalled).
inline std::wstring ComboItem(HWND box, int index) {
    LRESULT length = SendMessageW(box, CB_GETLBTEXTLEN, index, 0);
    if (length < 0)
        return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = SendMessageW(box, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(copied < 0 ? 0 : static_cast<size_t>(copied));
    return text;
}

// The arrow keys as a user presses them in the box's edit field.
inline void PressKey(HWND box, UINT key, bool post) {
    HWND edit = FindWindowExW(box, nullptr, L"Edit", nullptr);
    HWND target = edit ? edit : box;
    if (post) {
        PostMessageW(target, WM_KEYDOWN, key, 1);
        PostMessageW(target, WM_KEYUP, key, 0xC0000001);
    } else {
        SendMessageW(target, WM_KEYDOWN, key, 1);
        SendMessageW(target, WM_KEYUP, key, 0xC0000001);
    }
}

// Pixels of exactly `colour` on the screen inside `rect` (screen coordinates).
inline int CountScreenPixels(const RECT& rect, COLORREF colour) {
    int count = 0;
    HDC screen = GetDC(nullptr);
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            count += GetPixel(screen, x, y) == colour;
    ReleaseDC(nullptr, screen);
    return count;
}

} // namespace welcomekit

namespace welcomekit {

struct DescendantQuery {
    std::wstring className;
    HWND found;
};

inline BOOL CALLBACK MatchDescendant(HWND window, LPARAM data) {
    auto* query = reinterpret_cast<DescendantQuery*>(data);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (lstrcmpiW(name, query->className.c_str()) != 0)
        return TRUE;
    query->found = window;
    return FALSE;
}

// The first window of class `className` below `parent`, at any depth.
inline HWND FindDescendant(HWND parent, const std::wstring& className) {
    DescendantQuery query = {className, nullptr};
    EnumChildWindows(parent, MatchDescendant, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

// Polls until at least `least` pixels of `colour` show in `rect` (screen coordinates).
// Other test programs may share the X display: the window is raised and repainted in
// between, so that a window of theirs over it only delays the answer.
inline bool ScreenShows(HWND window, const RECT& rect, COLORREF colour, int least) {
    return driver::WaitUntil(
        [&] {
            SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            return CountScreenPixels(rect, colour) >= least;
        },
        5000);
}

} // namespace welcomekit
