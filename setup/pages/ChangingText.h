// CChangingText: a line of text that is redrawn over a fixed background; the background
// under the line is kept so that each new text first wipes out the old one.
#pragma once
#include "common/ScopedWin.h"

#include <windows.h>
#include <string>

// Colour of the changing texts (red 0, green 255, blue 16).
constexpr COLORREF kChangingTextColor = 0x0010FF00;

class CChangingText {
  public:
    // `sourceDC` is borrowed and only read by Capture(); `rect` is the text area in the
    // coordinates of both the source and the target DC.
    CChangingText(HDC sourceDC, RECT rect);
    ~CChangingText();
    CChangingText(const CChangingText&) = delete;
    CChangingText& operator=(const CChangingText&) = delete;

    // Copies the background under `rect` from sourceDC. 1 on success, 0 on failure.
    int Capture();
    // Puts the captured background back, then draws `text` centred in the current font.
    void Show(const std::wstring& text, HDC dc);

    HDC sourceDC;
    RECT rect;
    zenta::ScopedMemoryDc snapshotDC;
    zenta::ScopedBitmap snapshotBitmap;

  private:
    void DropSnapshot();
    HGDIOBJ oldBitmap_ = nullptr;
};
