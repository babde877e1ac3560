#include "setup/pages/ChangingText.h"

CChangingText::CChangingText(HDC sourceDC_, RECT rect_) : sourceDC(sourceDC_), rect(rect_) {}

CChangingText::~CChangingText() {
    DropSnapshot();
}

void CChangingText::DropSnapshot() {
    // A bitmap still selected into a DC cannot be deleted.
    if (snapshotDC && oldBitmap_)
        SelectObject(snapshotDC.Get(), oldBitmap_);
    oldBitmap_ = nullptr;
    snapshotBitmap.Reset();
    snapshotDC.Reset();
}

int CChangingText::Capture() {
    DropSnapshot();
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (!sourceDC || width <= 0 || height <= 0)
        return 0;
    zenta::ScopedMemoryDc memory(CreateCompatibleDC(sourceDC));
    if (!memory)
        return 0;
    zenta::ScopedBitmap bitmap(CreateCompatibleBitmap(sourceDC, width, height));
    if (!bitmap)
        return 0;
    HGDIOBJ old = SelectObject(memory.Get(), bitmap.Get());
    if (!old || old == HGDI_ERROR)
        return 0;
    BitBlt(memory.Get(), 0, 0, width, height, sourceDC, rect.left, rect.top, SRCCOPY);
    snapshotDC = std::move(memory);
    snapshotBitmap = std::move(bitmap);
    oldBitmap_ = old;
    return 1;
}

void CChangingText::Show(const std::wstring& text, HDC dc) {
    if (!dc)
        return;
    if (snapshotDC)
        BitBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, snapshotDC.Get(), 0,
               0, SRCCOPY);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kChangingTextColor);
    RECT area = rect;
    // Without DT_SINGLELINE, DT_BOTTOM has no effect: lines start at the top, centred.
    DrawTextW(dc, text.c_str(), -1, &area, DT_CENTER | DT_BOTTOM);
}
