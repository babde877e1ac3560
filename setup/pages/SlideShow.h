// CSlideShow: a cycle of JPEG pictures from one folder, shown one at a time in a rectangle
// of a window.
#pragma once
#include "setup/pages/Picture.h"

#include <windows.h>
#include <memory>
#include <string>
#include <vector>

// True for the names the slide show takes: ".jpg" or ".jpeg" anywhere in the name, with
// the extension after the last dot compared without regard to ASCII case.
bool IsSlideFileName(const std::wstring& name);

class CSlideShow {
  public:
    CSlideShow(HWND window, const std::wstring& folder, RECT rect);
    virtual ~CSlideShow();
    CSlideShow(const CSlideShow&) = delete;
    CSlideShow& operator=(const CSlideShow&) = delete;

    // Lists the folder's slide files in the order the file system gives them.
    void Scan();
    // Shows the next slide (after the last, the first again) and draws it at once. A slide
    // that cannot be read leaves no picture until the next call.
    void Advance();
    // Draws the current slide stretched into targetRect; nothing without one.
    void Draw(HDC dc) const;

    std::wstring folder;
    std::vector<std::wstring> images;
    int currentIndex = -1;
    HWND window;
    RECT targetRect;
    std::unique_ptr<DecodedPicture> current;
};
