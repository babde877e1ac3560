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
    ~CSlideShow();
    CSlideShow(const CSlideShow&) = delete;
    CSlideShow& operator=(const CSlideShow&) = delete;

    // Lists the folder's slide files in the order the file system gives them.
    void Scan();
    // Shows the next slide (after the last, the first again), draws it at once and starts
    // preparing the one after it. A call that finds the next slide not ready yet keeps the
    // slide shown. The first call only starts preparing the first slide: it is shown by the
    // repaint that follows once it is ready, or by the next call. A slide that cannot be read
    // leaves no picture until the next call.
    void Advance();
    // Draws the current slide into targetRect (the first one, once it is ready); nothing
    // without one.
    void Draw(HDC dc);

    std::wstring folder;
    std::vector<std::wstring> images;
    int currentIndex = -1;
    HWND window;
    RECT targetRect;
    zenta::ScopedBitmap current; // the slide shown, stretched to the size of targetRect

  private:
    static DWORD WINAPI PrepareMain(void* show);
    bool NextReady() const;
    // Shows the prepared slide when it is ready and starts preparing the next; false when not.
    bool TakePrepared();
    void DrawNow();
    // False when no worker could be started.
    bool StartPreparing(int index, bool first);
    // Slide `index` read, decoded and stretched; null when it cannot be read. Needs COM.
    HBITMAP Render(int index) const;

    zenta::ScopedHandle preparer_;
    // The preparer's until it has ended.
    int preparedIndex_ = -1;
    bool first_ = false; // the window is asked to repaint once the slide is ready
    zenta::ScopedBitmap prepared_;
};
