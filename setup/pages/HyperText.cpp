#include "setup/pages/HyperText.h"

#include "common/ScopedWin.h"
#include "common/Text.h"
#include "setup/pages/PageFont.h"

#include <shellapi.h>

namespace {
constexpr wchar_t kProperty[] = L"CHyperText";
}

WNDPROC CHyperText::oldWndProc = nullptr;

CHyperText::CHyperText()
    : logFont(DraftFont(20, FW_NORMAL, L"Segoe [Regular]")), handCursor(LoadCursorW(nullptr, IDC_HAND)),
      arrowCursor(LoadCursorW(nullptr, IDC_ARROW)) {
    logFont.lfUnderline = TRUE;
}

void CHyperText::SetLink(const wchar_t* text_, const wchar_t* url_, const LOGFONTW& font, COLORREF color) {
    zenta::CopyBounded(text, MAX_PATH, text_);
    zenta::CopyBounded(url, MAX_PATH, url_);
    logFont = font;
    textColor = color;
}

HWND CHyperText::Create(const wchar_t* text_, DWORD style, const RECT& rect, HWND parent,
                        HINSTANCE instance) {
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    hwnd = CreateWindowExW(WS_EX_TRANSPARENT, L"STATIC", text_, style, rect.left, rect.top, width, height,
                           parent, nullptr, instance, this);
    if (!hwnd)
        return nullptr;
    oldWndProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CHyperText::ClassWindowProc)));
    SetPropW(hwnd, kProperty, this);
    textRect = RECT{0, 0, width, height};
    return hwnd;
}

void CHyperText::Detach() {
    if (hwnd && IsWindow(hwnd)) {
        RemovePropW(hwnd, kProperty);
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldWndProc));
    }
}

LRESULT CALLBACK CHyperText::ClassWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<CHyperText*>(GetPropW(window, kProperty));
    if (self)
        return self->WindowProc(window, message, wParam, lParam);
    return CallWindowProcW(oldWndProc, window, message, wParam, lParam);
}

LRESULT CHyperText::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        // A link lives only on a page whose end is the end of Setup.
        PostQuitMessage(0);
        return 0;
    case WM_PAINT:
        OnPaint();
        break;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(wParam, LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_LBUTTONDOWN:
        OnLButtonDown(wParam, LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        break;
    }
    return CallWindowProcW(oldWndProc, window, message, wParam, lParam);
}

void CHyperText::OnClose() {
    PostQuitMessage(0);
}

void CHyperText::OnPaint() {
    zenta::ScopedPaint paint(hwnd);
    SetTextColor(paint.Get(), textColor);
    SetBkMode(paint.Get(), TRANSPARENT);
    zenta::ScopedFont font(CreateFontIndirectW(&logFont));
    zenta::ScopedSelect select(paint.Get(), font.Get());
    // Addresses carry '&' between their query fields: drawn as it is, not as a mnemonic.
    DrawTextW(paint.Get(), text, -1, &textRect, DT_NOPREFIX);
    GetTextExtentPoint32W(paint.Get(), text, lstrlenW(text), &textExtent);
}

bool CHyperText::IsOverText(int x, int y) const {
    return x >= 0 && x < textExtent.cx && y >= 0 && y < textExtent.cy;
}

void CHyperText::OnMouseMove(WPARAM, int x, int y) {
    if (!tracking) {
        TRACKMOUSEEVENT tme = {sizeof tme, TME_LEAVE, hwnd, 0};
        TrackMouseEvent(&tme);
        tracking = true;
    }
    SetCursor(IsOverText(x, y) ? handCursor : arrowCursor);
}

LRESULT CHyperText::OnMouseLeave() {
    tracking = false;
    SetCursor(arrowCursor);
    return 0;
}

void CHyperText::OnLButtonDown(WPARAM, int x, int y) {
    if (IsOverText(x, y))
        ShellExecuteW(hwnd, L"open", url, nullptr, nullptr, SW_SHOWMAXIMIZED);
}
