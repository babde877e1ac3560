#include "tests/shell/Pixels.h"

#include "common/ScopedWin.h"

#include <algorithm>

namespace {

Pixels ReadBitmap(HDC dc, HBITMAP bitmap, int width, int height) {
    Pixels pixels;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> raw(static_cast<size_t>(width) * height);
    if (width <= 0 || height <= 0 || !GetDIBits(dc, bitmap, 0, height, raw.data(), &info, DIB_RGB_COLORS))
        return pixels;
    pixels.width = width;
    pixels.height = height;
    pixels.colors.reserve(raw.size());
    for (DWORD value : raw) // 0x00RRGGBB in the DIB
        pixels.colors.push_back(RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF));
    return pixels;
}

} // namespace

Pixels CapturePixels(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    zenta::ScopedWindowDc dc(window);
    zenta::ScopedMemoryDc memory(CreateCompatibleDC(dc.Get()));
    zenta::ScopedBitmap bitmap(CreateCompatibleBitmap(dc.Get(), client.right, client.bottom));
    {
        zenta::ScopedSelect select(memory.Get(), bitmap.Get());
        BitBlt(memory.Get(), 0, 0, client.right, client.bottom, dc.Get(), 0, 0, SRCCOPY);
    }
    return ReadBitmap(memory.Get(), bitmap.Get(), client.right, client.bottom);
}

Pixels LoadFacePixels(int id) {
    zenta::ScopedBitmap bitmap(static_cast<HBITMAP>(LoadImageW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP info = {};
    if (!bitmap || !GetObjectW(bitmap.Get(), sizeof info, &info))
        return Pixels();
    zenta::ScopedMemoryDc dc(CreateCompatibleDC(nullptr));
    return ReadBitmap(dc.Get(), bitmap.Get(), info.bmWidth, info.bmHeight);
}

int CountDifferences(const Pixels& a, const Pixels& b, const std::function<bool(int, int)>& where) {
    if (a.width != b.width || a.height != b.height)
        return a.width * a.height + b.width * b.height;
    int count = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (where(x, y) && a.At(x, y) != b.At(x, y))
                ++count;
    return count;
}

int CountColor(const Pixels& pixels, COLORREF color) {
    return static_cast<int>(std::count(pixels.colors.begin(), pixels.colors.end(), color));
}
