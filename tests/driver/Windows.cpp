#include "tests/driver/Driver.h"

namespace driver {

namespace {

struct TopWindowQuery {
    std::wstring className;
    std::wstring title;
    DWORD processId = 0;
    HWND found = nullptr;
};

BOOL CALLBACK MatchTopWindow(HWND window, LPARAM param) {
    auto* query = reinterpret_cast<TopWindowQuery*>(param);
    if (!IsWindowVisible(window))
        return TRUE;
    if (query->processId) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != query->processId)
            return TRUE;
    }
    if (!query->className.empty() && WindowClass(window) != query->className)
        return TRUE;
    if (!query->title.empty() && WindowText(window) != query->title)
        return TRUE;
    query->found = window;
    return FALSE;
}

HWND FindTopWindow(TopWindowQuery& query) {
    query.found = nullptr;
    EnumWindows(MatchTopWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

struct ControlQuery {
    int id;
    HWND found = nullptr;
};

BOOL CALLBACK MatchControl(HWND window, LPARAM param) {
    auto* query = reinterpret_cast<ControlQuery*>(param);
    if (GetDlgCtrlID(window) != query->id)
        return TRUE;
    query->found = window;
    return FALSE;
}

struct BoxQuery {
    DWORD processId;
    std::wstring textPart;
    HWND found = nullptr;
};

BOOL CALLBACK MatchBox(HWND window, LPARAM param) {
    auto* query = reinterpret_cast<BoxQuery*>(param);
    if (!IsWindowVisible(window) || WindowClass(window) != L"#32770")
        return TRUE;
    if (query->processId) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != query->processId)
            return TRUE;
    }
    if (!query->textPart.empty() && MessageBoxText(window).find(query->textPart) == std::wstring::npos)
        return TRUE;
    query->found = window;
    return FALSE;
}

struct StaticTexts {
    std::wstring longest;
};

BOOL CALLBACK CollectStatic(HWND window, LPARAM param) {
    auto* texts = reinterpret_cast<StaticTexts*>(param);
    if (WindowClass(window) != L"Static")
        return TRUE;
    std::wstring text = WindowText(window);
    if (text.size() > texts->longest.size())
        texts->longest = text;
    return TRUE;
}

// Mouse messages as the system would post them for a press and release at `point`.
void PostClick(HWND control, POINT point) {
    LPARAM at = MAKELPARAM(point.x, point.y);
    PostMessageW(control, WM_MOUSEMOVE, 0, at);
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(control, WM_LBUTTONUP, 0, at);
}

} // namespace

std::wstring WindowClass(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

HWND WaitForWindow(const std::wstring& className, const std::wstring& title, DWORD timeoutMs) {
    return WaitForProcessWindow(0, className, title, timeoutMs);
}

HWND WaitForProcessWindow(DWORD processId, const std::wstring& className, const std::wstring& title,
                          DWORD timeoutMs) {
    TopWindowQuery query;
    query.className = className;
    query.title = title;
    query.processId = processId;
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopWindow(query)) != nullptr; }, timeoutMs);
    return found;
}

HWND WaitForMessageBox(DWORD processId, const std::wstring& textPart, DWORD timeoutMs) {
    BoxQuery query = {processId, textPart};
    WaitUntil(
        [&] {
            query.found = nullptr;
            EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&query));
            return query.found != nullptr;
        },
        timeoutMs);
    return query.found;
}

std::wstring WindowText(HWND window) {
    // WM_GETTEXT is marshalled across processes; a hung target must not hang the test.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
        return std::wstring();
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(&text[0]),
                             SMTO_ABORTIFHUNG, 2000, &copied))
        return std::wstring();
    text.resize(copied < length ? copied : length);
    return text;
}

std::wstring MessageBoxText(HWND box) {
    // The message text is the static control 0xFFFF on Windows; otherwise the longest static.
    HWND text = GetDlgItem(box, 0xFFFF);
    if (text && WindowClass(text) == L"Static")
        return WindowText(text);
    StaticTexts texts;
    EnumChildWindows(box, CollectStatic, reinterpret_cast<LPARAM>(&texts));
    return texts.longest;
}

bool AnswerMessageBox(HWND box, int buttonId, DWORD timeoutMs) {
    HWND button = GetDlgItem(box, buttonId);
    if (!button)
        return false;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return WaitForWindowGone(box, timeoutMs);
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs) {
    return WaitUntil([&] { return !IsWindow(window); }, timeoutMs);
}

void Click(HWND control) {
    RECT client = {};
    GetClientRect(control, &client);
    PostClick(control, POINT{client.right / 2, client.bottom / 2});
}

void ClickAt(HWND window, int x, int y) {
    // The deepest visible child under the point receives the click, in its own coordinates.
    HWND target = window;
    POINT point = {x, y};
    for (;;) {
        HWND child = ChildWindowFromPointEx(target, point, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
        if (!child || child == target)
            break;
        MapWindowPoints(target, child, &point, 1);
        target = child;
    }
    PostClick(target, point);
}

HWND FindControl(HWND parent, int id) {
    ControlQuery query = {id};
    EnumChildWindows(parent, MatchControl, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

} // namespace driver
