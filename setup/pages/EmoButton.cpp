#include "setup/pages/EmoButton.h"

#include "common/Text.h"

namespace {

constexpr wchar_t kProperty[] = L"CEmoButton";

HFONT CreateDefaultCaptionFont() {
    LOGFONTW lf = {};
    lf.lfHeight = 16;
    lf.lfWeight = FW_NORMAL;
    lstrcpynW(lf.lfFaceName, L"Segoe", LF_FACESIZE);
    return CreateFontIndirectW(&lf);
}

HBITMAP LoadFace(int id) {
    return static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}

} // namespace

CEmoButton::CEmoButton(HWND button) : hwnd(button) {
    SetPropW(hwnd, kProperty, this);
    SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) | BS_OWNERDRAW);
    oldWndProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CEmoButton::WindowProc)));
    normalFace.Reset(LoadFace(IDB_FACE_NORMAL));
    hoverFace.Reset(LoadFace(IDB_FACE_HOVER));
    pressedFace.Reset(LoadFace(IDB_FACE_PRESSED));
    font.Reset(CreateDefaultCaptionFont());
    if (enabled)
        FitWindow();
}

CEmoButton::~CEmoButton() {
    if (IsWindow(hwnd) && oldWndProc)
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldWndProc));
}

int CEmoButton::SetCaption(const wchar_t* text) {
    if (!text)
        return 0;
    zenta::CopyBounded(caption, 64, text);
    return 1;
}

void CEmoButton::SetFont(const LOGFONTW& logFont, COLORREF color) {
    font.Reset(CreateFontIndirectW(&logFont));
    textColor = color;
}

void CEmoButton::FitWindow() {
    // Without a normal face the button keeps the size the page gave it.
    if (!normalFace || !GetObjectW(normalFace.Get(), sizeof faceInfo, &faceInfo))
        return;
    SetWindowPos(hwnd, HWND_TOP, 0, 0, faceInfo.bmWidth, faceInfo.bmHeight, SWP_NOMOVE | SWP_NOOWNERZORDER);
    RECT client = {};
    GetClientRect(hwnd, &client);
    // The window owns the region once it is set.
    SetWindowRgn(hwnd, CreateRectRgnIndirect(&client), TRUE);
    InvalidateRect(hwnd, &client, TRUE);
}

LRESULT CALLBACK CEmoButton::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<CEmoButton*>(GetPropW(window, kProperty));
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
}

LRESULT CEmoButton::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETFOCUS:
        focused = 1;
        Invalidate();
        break;
    case WM_KILLFOCUS:
        focused = 0;
        keyDown = 0;
        Invalidate();
        break;
    case WM_ENABLE:
        enabled = static_cast<int>(wParam);
        Invalidate();
        break;
    case WM_PAINT:
        Paint();
        return 1;
    case WM_ERASEBKGND:
        return 1;
    case WM_GETDLGCODE: {
        // The wizard's dialog keyboard handling would turn Enter into the page's default
        // command and never let it reach a focused button that is not the default one.
        LRESULT code = CallWindowProcW(oldWndProc, hwnd, message, wParam, lParam);
        const MSG* key = reinterpret_cast<const MSG*>(lParam);
        if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN)
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_KEYDOWN:
        if (wParam == VK_RETURN || wParam == VK_SPACE) {
            keyDown = 1;
            Invalidate();
            // The standard button clicks on Space; Enter is made to do the same.
            wParam = VK_SPACE;
        }
        break;
    case WM_KEYUP:
        keyDown = 0;
        Invalidate();
        if (wParam == VK_RETURN)
            wParam = VK_SPACE;
        break;
    case WM_MOUSEMOVE:
        TrackHover();
        break;
    case WM_LBUTTONDOWN:
        mouseDown = 1;
        Invalidate();
        break;
    case WM_LBUTTONUP:
        mouseDown = 0;
        Invalidate();
        break;
    case WM_MOUSELEAVE:
        hover = 0;
        Invalidate();
        break;
    }
    return CallWindowProcW(oldWndProc, hwnd, message, wParam, lParam);
}

void CEmoButton::TrackHover() {
    if (!hover) {
        hover = 1;
        Invalidate();
        TRACKMOUSEEVENT tme = {sizeof tme, TME_LEAVE, hwnd, 0};
        TrackMouseEvent(&tme);
    }
    if (GetCapture() != hwnd) {
        hover = 1;
        Invalidate();
        return;
    }
    // Between press and release: hover follows the cursor, the face changes on release.
    POINT cursor = {};
    GetCursorPos(&cursor);
    RECT bounds = {};
    GetWindowRect(hwnd, &bounds);
    if (PtInRect(&bounds, cursor)) {
        hover = 1;
    } else {
        hover = 0;
        if (!mouseDown)
            Invalidate();
    }
}

void CEmoButton::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    int saved = SaveDC(dc);
    zenta::ScopedRegion clip(CreateRectRgn(0, 0, 0, 0));
    if (GetWindowRgn(hwnd, clip.Get()) != ERROR)
        SelectClipRgn(dc, clip.Get());
    SetBkMode(dc, TRANSPARENT);
    RECT client = {};
    GetClientRect(hwnd, &client);
    int w = client.right, h = client.bottom;

    zenta::ScopedMemoryDc offscreen(CreateCompatibleDC(dc));
    zenta::ScopedBitmap image(CreateCompatibleBitmap(dc, w, h));
    {
        zenta::ScopedSelect selectImage(offscreen.Get(), image.Get());
        SetBkMode(offscreen.Get(), TRANSPARENT);
        HBITMAP face = nullptr;
        if (enabled) {
            // Pressed beats hover beats normal; a face that did not load is skipped.
            if (normalFace)
                face = normalFace.Get();
            if (hover && hoverFace)
                face = hoverFace.Get();
            if (((mouseDown && hover) || keyDown) && pressedFace)
                face = pressedFace.Get();
        } else {
            face = normalFace.Get();
        }
        if (face) {
            zenta::ScopedMemoryDc faceDc(CreateCompatibleDC(dc));
            zenta::ScopedSelect selectFace(faceDc.Get(), face);
            BitBlt(offscreen.Get(), 0, 0, w, h, faceDc.Get(), 0, 0, SRCCOPY);
        }
        if (caption[0]) {
            COLORREF oldColor =
                SetTextColor(offscreen.Get(), enabled ? textColor : GetSysColor(COLOR_GRAYTEXT));
            zenta::ScopedSelect selectFont(offscreen.Get(), font.Get());
            DrawTextW(offscreen.Get(), caption, -1, &client, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
            SetTextColor(offscreen.Get(), oldColor);
        }
        if (enabled && focused) {
            RECT focus = client;
            InflateRect(&focus, -2, -2);
            DrawFocusRect(offscreen.Get(), &focus);
        }
        BitBlt(dc, 0, 0, w, h, offscreen.Get(), 0, 0, SRCCOPY);
    }
    RestoreDC(dc, saved);
    EndPaint(hwnd, &ps);
}
