// The page picture registry: each page's background, stretched once to the page's size into
// a bitmap, copied over the page on every paint and released when the page closes. The
// backgrounds are prepared ahead on a worker (CPagePicturePreparer), so that showing a page
// only copies a ready bitmap.
#pragma once
#include "common/ScopedWin.h"

#include <windows.h>
#include <memory>
#include <string>
#include <vector>

// Takes the picture at `path` stretched to width x height (from the preparer when it has one,
// otherwise read, decoded and stretched here); on success it joins the window's pictures (at
// the head of the list) and the window's pictures are drawn at once. False when nothing was
// added.
bool LoadPagePicture(const std::wstring& path, HWND window, int width, int height);
// Draws the window's pictures, newest first, each over (0, 0)-(width, height).
void DrawPagePictures(HWND window, HDC dc, int width, int height);
void FreePagePictures(HWND window);

// Prepares the page pictures of the pages to come on a worker thread of its own (with COM of
// its own), one after another in the order given, each stretched to width x height. While it
// lives, LoadPagePicture takes each listed picture from it once: ready, at once; being
// prepared, once it is (the page never paints without it); not begun yet, prepared by the
// caller. One preparer at a time, made and destroyed on the thread that loads the pictures.
class CPagePicturePreparer {
  public:
    CPagePicturePreparer(const std::vector<std::wstring>& paths, int width, int height);
    // Lets the worker finish the picture in hand, waits for it and frees every picture no
    // page has taken.
    ~CPagePicturePreparer();
    CPagePicturePreparer(const CPagePicturePreparer&) = delete;
    CPagePicturePreparer& operator=(const CPagePicturePreparer&) = delete;

    // Hands over the first untaken picture listed as `path` at width x height (an empty
    // bitmap for a file that could not be read); false when none is listed.
    bool Take(const std::wstring& path, int width, int height, zenta::ScopedBitmap& bitmap);

  private:
    enum class SlotState { Waiting, Preparing, Ready, Taken };
    struct Slot {
        std::wstring path;
        SlotState state = SlotState::Waiting;
        zenta::ScopedBitmap bitmap;
        zenta::ScopedHandle ready; // set once the worker has stored the bitmap
    };
    static DWORD WINAPI PrepareMain(void* preparer);
    // The next picture for the worker, marked as being prepared; null when none is left.
    Slot* NextForWorker();

    int width_, height_;
    zenta::CriticalSection lock_;
    std::vector<std::unique_ptr<Slot>> slots_; // states and bitmaps under lock_
    bool stopping_ = false;                    // under lock_
    zenta::ScopedHandle worker_;
};
