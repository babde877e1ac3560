#include "common/WizardWindow.h"

bool RegisterWizardClass(HINSTANCE instance, WNDPROC procedure, HICON icon) {
    WNDCLASSW wc = {};
    wc.style = 0;
    wc.lpfnWndProc = procedure;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = DLGWINDOWEXTRA; // the procedures hand messages on to DefDlgProcW
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hCursor = nullptr;
    wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = kWizardClassName;
    return RegisterClassW(&wc) != 0;
}

HWND CreateWizardFrame(HINSTANCE instance, WNDPROC procedure, HICON icon, void* param) {
    if (!RegisterWizardClass(instance, procedure, icon))
        return nullptr;
    HWND window =
        CreateWindowExW(WS_EX_CONTROLPARENT, kWizardClassName, L"", WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                        0, 0, 800, 600, nullptr, nullptr, instance, param);
    if (IsWindow(window))
        CenterOnDesktop(window);
    return window;
}

void CenterOnDesktop(HWND window) {
    RECT own = {}, desktop = {};
    GetWindowRect(window, &own);
    GetWindowRect(GetDesktopWindow(), &desktop);
    int width = own.right - own.left;
    int height = own.bottom - own.top;
    int x = desktop.left + ((desktop.right - desktop.left) - width) / 2;
    int y = desktop.top + ((desktop.bottom - desktop.top) - height) / 2;
    MoveWindow(window, x, y, width, height, TRUE);
}

namespace {

BOOL CALLBACK FindShownWizard(HWND window, LPARAM found) {
    wchar_t name[64] = {};
    if (!IsWindowVisible(window) || !GetClassNameW(window, name, 64) || lstrcmpW(name, kWizardClassName) != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

} // namespace

bool BringWizardToFront() {
    // The uninstaller's frame has the same class but is never shown: bringing it up would
    // show an empty window instead of a wizard, so only a shown wizard counts.
    HWND existing = nullptr;
    EnumWindows(FindShownWizard, reinterpret_cast<LPARAM>(&existing));
    if (!existing)
        return false;
    ShowWindow(existing, SW_SHOWNORMAL);
    SetForegroundWindow(existing);
    return true;
}
