#include "setup/pages/PagePictures.h"

#include "setup/pages/Picture.h"

#include <list>

namespace {

struct PagePicture {
    zenta::ScopedBitmap bitmap; // the picture stretched to the page
    HWND owner;
};

// Newest first: the first picture a page loads is drawn last, on top of the others.
std::list<PagePicture>& Registry() {
    static std::list<PagePicture> pictures;
    return pictures;
}

// The preparer that LoadPagePicture takes from, while one lives.
CPagePicturePreparer* activePreparer = nullptr;

} // namespace

bool LoadPagePicture(const std::wstring& path, HWND window, int width, int height) {
    zenta::ScopedBitmap bitmap;
    if (!activePreparer || !activePreparer->Take(path, width, height, bitmap))
        bitmap = StretchPictureFile(path, width, height);
    if (!bitmap)
        return false;
    Registry().push_front(PagePicture{std::move(bitmap), window});
    zenta::ScopedWindowDc dc(window);
    if (dc.Get())
        DrawPagePictures(window, dc.Get(), width, height);
    return true;
}

void DrawPagePictures(HWND window, HDC dc, int width, int height) {
    zenta::ScopedMemoryDc source;
    for (const PagePicture& entry : Registry()) {
        if (entry.owner != window)
            continue;
        if (!source)
            source.Reset(CreateCompatibleDC(dc));
        zenta::ScopedSelect select(source.Get(), entry.bitmap.Get());
        BitBlt(dc, 0, 0, width, height, source.Get(), 0, 0, SRCCOPY);
    }
}

void FreePagePictures(HWND window) {
    Registry().remove_if([window](const PagePicture& entry) { return entry.owner == window; });
}

CPagePicturePreparer::CPagePicturePreparer(const std::vector<std::wstring>& paths, int width, int height)
    : width_(width), height_(height) {
    bool events = true;
    for (const std::wstring& path : paths) {
        auto slot = std::make_unique<Slot>();
        slot->path = path;
        slot->ready.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        events = events && slot->ready;
        slots_.push_back(std::move(slot));
    }
    // Without a worker every picture is prepared by the page that asks for it, as it comes.
    if (events && !slots_.empty())
        worker_.Reset(CreateThread(nullptr, 0, &CPagePicturePreparer::PrepareMain, this, 0, nullptr));
    activePreparer = this;
}

CPagePicturePreparer::~CPagePicturePreparer() {
    if (activePreparer == this)
        activePreparer = nullptr;
    {
        zenta::ScopedLock hold(lock_);
        stopping_ = true;
    }
    if (worker_)
        WaitForSingleObject(worker_.Get(), INFINITE);
}

bool CPagePicturePreparer::Take(const std::wstring& path, int width, int height,
                                zenta::ScopedBitmap& bitmap) {
    if (width != width_ || height != height_)
        return false;
    Slot* slot = nullptr;
    bool mine = false;
    {
        zenta::ScopedLock hold(lock_);
        for (const auto& candidate : slots_)
            if (candidate->state != SlotState::Taken && candidate->path == path) {
                slot = candidate.get();
                break;
            }
        if (!slot)
            return false;
        // Not begun yet: preparing it here costs no more than waiting for the worker to
        // finish what it has in hand first.
        mine = slot->state == SlotState::Waiting;
        if (mine)
            slot->state = SlotState::Preparing;
    }
    if (mine) {
        bitmap = StretchPictureFile(path, width, height);
        zenta::ScopedLock hold(lock_);
        slot->state = SlotState::Taken;
        return true;
    }
    // Being prepared or ready: the worker sets the event once the bitmap is stored.
    WaitForSingleObject(slot->ready.Get(), INFINITE);
    zenta::ScopedLock hold(lock_);
    bitmap = std::move(slot->bitmap);
    slot->state = SlotState::Taken;
    return true;
}

CPagePicturePreparer::Slot* CPagePicturePreparer::NextForWorker() {
    zenta::ScopedLock hold(lock_);
    if (stopping_)
        return nullptr;
    for (const auto& slot : slots_)
        if (slot->state == SlotState::Waiting) {
            slot->state = SlotState::Preparing;
            return slot.get();
        }
    return nullptr;
}

DWORD WINAPI CPagePicturePreparer::PrepareMain(void* preparer) {
    zenta::ScopedCoInit com;
    auto* self = static_cast<CPagePicturePreparer*>(preparer);
    while (Slot* slot = self->NextForWorker()) {
        zenta::ScopedBitmap bitmap = StretchPictureFile(slot->path, self->width_, self->height_);
        {
            zenta::ScopedLock hold(self->lock_);
            slot->bitmap = std::move(bitmap);
            slot->state = SlotState::Ready;
        }
        SetEvent(slot->ready.Get());
    }
    return 0;
}
