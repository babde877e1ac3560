// CEmoButton: gives a dialog push button a bitmap face (normal, hover, pressed) with a
// caption drawn over it; the click itself stays the standard button's.
#pragma once
#include "common/ScopedWin.h"

#include <windows.h>

enum : int {
    IDB_FACE_PRESSED = 104,
    IDB_FACE_HOVER = 105,
    IDB_FACE_NORMAL = 106,
};

class CEmoButton {
  public:
    explicit CEmoButton(HWND button);
    virtual ~CEmoButton();
    CEmoButton(const CEmoButton&) = delete;
    CEmoButton& operator=(const CEmoButton&) = delete;

    // Copies at most 63 characters; 0 for a null text.
    int SetCaption(const wchar_t* text);
    // Replaces the caption font (the old one is deleted) and sets the caption colour.
    void SetFont(const LOGFONTW& logFont, COLORREF color);

    HWND hwnd;
    WNDPROC oldWndProc = nullptr;
    zenta::ScopedBitmap normalFace;
    zenta::ScopedBitmap hoverFace;
    zenta::ScopedBitmap pressedFace;
    BITMAP faceInfo = {};
    COLORREF textColor = RGB(36, 46, 73);
    int hover = 0;
    int mouseDown = 0;
    int enabled = 1;
    int focused = 0;
    int keyDown = 0;
    wchar_t caption[64] = {};
    zenta::ScopedFont font;

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void FitWindow();
    void Invalidate() { InvalidateRect(hwnd, nullptr, FALSE); }
    void TrackHover();
    void Paint();
};
