// CSlideShow: a cycle of JPEG pictures from one folder, shown one at a time in a rectangle
// of a window. Each slide is read, decoded and stretched to the rectangle ahead of time on a
// worker thread of its own, so that showing it only copies a ready bitmap to the window.
#pragma once
#include "common/ScopedWin.h"

#include <windows.h>
#include <string>
#include <vector>

// True for the names the slide show takes: ".jpg" or ".jpeg" anywhere in the name, with
// the extension after the last dot compared without regard to ASCII case.
bool IsSlideFileName(const std::wstring& name);

class CSlideShow {
  public:
    CSlideShow(HWND window, const std::wstring& folder, RECT rect);
    // Waits for a slide still being prepared.
    virtual ~CSlideShow();
    CSlideShow(const CSlideShow&) = delete;
    CSlideShow& operator=(const CSlideShow&) = delete;

    // Lists the folder's slide files in the order the file system gives them.
    void Scan();
    // Shows the next slide (after the last, the first again), draws it at once and starts
    // preparing the one after it. The first call prepares its slide itself; a call that finds
    // the next slide not ready yet keeps the slide shown. A slide that cannot be read leaves
    // no picture until the next call.
    void Advance();
    // True when the next Advance() shows the next slide.
    bool NextReady() const;
    // Draws the current slide into targetRect; nothing without one.
    void Draw(HDC dc) const;

    std::wstring folder;
    std::vector<std::wstring> images;
    int currentIndex = -1;
    HWND window;
    RECT targetRect;
    zenta::ScopedBitmap current; // the slide shown, stretched to the size of targetRect

  private:
    static DWORD WINAPI PrepareMain(void* show);
    // Slide `index` read, decoded and stretched; null when it cannot be read. Needs COM.
    HBITMAP Render(int index) const;
    void StartPreparing(int index);

    zenta::ScopedHandle preparer_;
    // The preparer's until it has ended.
    int preparedIndex_ = -1;
    zenta::ScopedBitmap prepared_;
};
