#include "setup/pages/EmoButton.h"

#include "common/Text.h"
#include "resources/resource.h"
#include "setup/pages/PageFont.h"

namespace {

constexpr wchar_t kProperty[] = L"CEmoButton";

HFONT CreateDefaultCaptionFont() {
    LOGFONTW lf = PageFont(16, FW_NORMAL, L"Segoe");
    return CreateFontIndirectW(&lf);
}

HBITMAP LoadFace(int id) {
    return static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}

} // namespace

CEmoButton::CEmoButton(HWND button) : hwnd_(button) {
    SetPropW(hwnd_, kProperty, this);
    SetWindowLongPtrW(hwnd_, GWL_STYLE, GetWindowLongPtrW(hwnd_, GWL_STYLE) | BS_OWNERDRAW);
    oldWndProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CEmoButton::WindowProc)));
    normalFace_.Reset(LoadFace(IDB_FACE_NORMAL));
    hoverFace_.Reset(LoadFace(IDB_FACE_HOVER));
    pressedFace_.Reset(LoadFace(IDB_FACE_PRESSED));
    font_.Reset(CreateDefaultCaptionFont());
    if (enabled_)
        FitWindow();
}

CEmoButton::~CEmoButton() {
    if (IsWindow(hwnd_) && oldWndProc_)
        SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldWndProc_));
}

int CEmoButton::SetCaption(const wchar_t* text) {
    if (!text)
        return 0;
    zenta::CopyBounded(caption_, 64, text);
    // The window text is what the button shows, so that a screen reader says what is drawn.
    SetWindowTextW(hwnd_, caption_);
    return 1;
}

void CEmoButton::SetFont(const LOGFONTW& logFont, COLORREF color) {
    font_.Reset(CreateFontIndirectW(&logFont));
    textColor_ = color;
}

void CEmoButton::FitWindow() {
    // Without a normal face the button keeps the size the page gave it.
    if (!normalFace_ || !GetObjectW(normalFace_.Get(), sizeof faceInfo_, &faceInfo_))
        return;
    SetWindowPos(hwnd_, HWND_TOP, 0, 0, faceInfo_.bmWidth, faceInfo_.bmHeight,
                 SWP_NOMOVE | SWP_NOOWNERZORDER);
    RECT client = {};
    GetClientRect(hwnd_, &client);
    // The window owns the region once it is set.
    SetWindowRgn(hwnd_, CreateRectRgnIndirect(&client), TRUE);
    InvalidateRect(hwnd_, &client, TRUE);
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
        focused_ = true;
        Invalidate();
        break;
    case WM_KILLFOCUS:
        focused_ = false;
        keyDown_ = false;
        Invalidate();
        break;
    case WM_ENABLE:
        enabled_ = wParam != 0;
        Invalidate();
        break;
    case WM_PAINT:
        Paint();
        return 1;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETTEXT: {
        // The standard button would draw its own face with the new text at once.
        LRESULT set = DefWindowProcW(hwnd_, message, wParam, lParam);
        Invalidate();
        return set;
    }
    case WM_GETDLGCODE: {
        // The wizard's dialog keyboard handling would turn Enter into the page's default
        // command and never let it reach a focused button that is not the default one.
        LRESULT code = CallWindowProcW(oldWndProc_, hwnd_, message, wParam, lParam);
        const MSG* key = reinterpret_cast<const MSG*>(lParam);
        if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN)
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_KEYDOWN:
        if (wParam == VK_RETURN || wParam == VK_SPACE) {
            keyDown_ = true;
            Invalidate();
            // The standard button clicks on Space; Enter is made to do the same.
            wParam = VK_SPACE;
        }
        break;
    case WM_KEYUP:
        keyDown_ = false;
        Invalidate();
        if (wParam == VK_RETURN)
            wParam = VK_SPACE;
        break;
    case WM_MOUSEMOVE:
        TrackHover();
        break;
    case WM_LBUTTONDOWN:
        mouseDown_ = true;
        Invalidate();
        break;
    case WM_LBUTTONUP:
        mouseDown_ = false;
        Invalidate();
        break;
    case WM_MOUSELEAVE:
        hover_ = false;
        Invalidate();
        break;
    }
    return CallWindowProcW(oldWndProc_, hwnd_, message, wParam, lParam);
}

void CEmoButton::TrackHover() {
    if (!hover_) {
        hover_ = true;
        Invalidate();
        TRACKMOUSEEVENT tme = {sizeof tme, TME_LEAVE, hwnd_, 0};
        TrackMouseEvent(&tme);
    }
    if (GetCapture() != hwnd_) {
        hover_ = true;
        Invalidate();
        return;
    }
    // Between press and release: hover follows the cursor, the face changes on release.
    POINT cursor = {};
    GetCursorPos(&cursor);
    RECT bounds = {};
    GetWindowRect(hwnd_, &bounds);
    if (PtInRect(&bounds, cursor)) {
        hover_ = true;
    } else {
        hover_ = false;
        if (!mouseDown_)
            Invalidate();
    }
}

void CEmoButton::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    int saved = SaveDC(dc);
    zenta::ScopedRegion clip(CreateRectRgn(0, 0, 0, 0));
    if (GetWindowRgn(hwnd_, clip.Get()) != ERROR)
        SelectClipRgn(dc, clip.Get());
    SetBkMode(dc, TRANSPARENT);
    RECT client = {};
    GetClientRect(hwnd_, &client);
    int w = client.right, h = client.bottom;

    zenta::ScopedMemoryDc offscreen(CreateCompatibleDC(dc));
    zenta::ScopedBitmap image(CreateCompatibleBitmap(dc, w, h));
    {
        zenta::ScopedSelect selectImage(offscreen.Get(), image.Get());
        SetBkMode(offscreen.Get(), TRANSPARENT);
        HBITMAP face = nullptr;
        if (enabled_) {
            // Pressed beats hover beats normal; a face that did not load is skipped.
            if (normalFace_)
                face = normalFace_.Get();
            if (hover_ && hoverFace_)
                face = hoverFace_.Get();
            if (((mouseDown_ && hover_) || keyDown_) && pressedFace_)
                face = pressedFace_.Get();
        } else {
            face = normalFace_.Get();
        }
        if (face) {
            zenta::ScopedMemoryDc faceDc(CreateCompatibleDC(dc));
            zenta::ScopedSelect selectFace(faceDc.Get(), face);
            BitBlt(offscreen.Get(), 0, 0, w, h, faceDc.Get(), 0, 0, SRCCOPY);
        }
        if (caption_[0]) {
            COLORREF oldColor =
                SetTextColor(offscreen.Get(), enabled_ ? textColor_ : GetSysColor(COLOR_GRAYTEXT));
            zenta::ScopedSelect selectFont(offscreen.Get(), font_.Get());
            DrawTextW(offscreen.Get(), caption_, -1, &client, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
            SetTextColor(offscreen.Get(), oldColor);
        }
        if (enabled_ && focused_) {
            RECT focus = client;
            InflateRect(&focus, -2, -2);
            DrawFocusRect(offscreen.Get(), &focus);
        }
        BitBlt(dc, 0, 0, w, h, offscreen.Get(), 0, 0, SRCCOPY);
    }
    RestoreDC(dc, saved);
    EndPaint(hwnd_, &ps);
}
