// CEmoButton: gives a dialog push button a bitmap face (normal, hover, pressed) with a
// caption drawn over it; the click itself stays the standard button's.
#pragma once
#include "common/ScopedWin.h"

#include <windows.h>

class CEmoButton {
  public:
    // Subclasses the button and gives it the size of the normal face (120 x 36).
    explicit CEmoButton(HWND button);
    // Puts the button's own window procedure back.
    ~CEmoButton();
    CEmoButton(const CEmoButton&) = delete;
    CEmoButton& operator=(const CEmoButton&) = delete;

    // Copies at most 63 characters, which become the window's text too; 0 for a null text.
    int SetCaption(const wchar_t* text);
    // Replaces the caption font (the old one is deleted) and sets the caption colour.
    void SetFont(const LOGFONTW& logFont, COLORREF color);
    HWND Window() const { return hwnd_; }

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void FitWindow();
    void Invalidate() { InvalidateRect(hwnd_, nullptr, FALSE); }
    void TrackHover();
    void Paint();

    HWND hwnd_;
    WNDPROC oldWndProc_ = nullptr;
    zenta::ScopedBitmap normalFace_, hoverFace_, pressedFace_;
    BITMAP faceInfo_ = {};
    COLORREF textColor_ = RGB(36, 46, 73);
    bool hover_ = false;
    bool mouseDown_ = false;
    bool enabled_ = true;
    bool focused_ = false;
    bool keyDown_ = false;
    wchar_t caption_[64] = {};
    zenta::ScopedFont font_;
};
