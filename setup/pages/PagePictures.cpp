#include "setup/pages/PagePictures.h"

#include "common/ScopedWin.h"
#include "setup/pages/Picture.h"

#include <list>

namespace {

struct PagePicture {
    DecodedPicture decoded;
    HWND owner;
};

// Newest first: the first picture a page loads is drawn last, on top of the others.
std::list<PagePicture>& Registry() {
    static std::list<PagePicture> pictures;
    return pictures;
}

} // namespace

bool LoadPagePicture(const std::wstring& path, HWND window, int width, int height) {
    PagePicture entry{DecodedPicture(), window};
    if (!LoadPictureFile(path, entry.decoded))
        return false;
    Registry().push_front(std::move(entry));
    zenta::ScopedWindowDc dc(window);
    if (dc.Get())
        DrawPagePictures(window, dc.Get(), width, height);
    return true;
}

void DrawPagePictures(HWND window, HDC dc, int width, int height) {
    const RECT whole = {0, 0, width, height};
    for (const PagePicture& entry : Registry())
        if (entry.owner == window)
            RenderStretched(entry.decoded, dc, whole);
}

void FreePagePictures(HWND window) {
    Registry().remove_if([window](const PagePicture& entry) { return entry.owner == window; });
}
