#include "tests/driver/Driver.h"

#include "common/ScopedWin.h"

namespace driver {

namespace {

// A 24-bit bottom-up BMP file of the bitmap.
bool WriteBitmapFile(const std::wstring& path, HDC dc, HBITMAP bitmap, int width, int height) {
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    DWORD imageBytes = rowBytes * static_cast<DWORD>(height);
    std::string pixels(imageBytes, '\0');
    if (!GetDIBits(dc, bitmap, 0, height, &pixels[0], reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS))
        return false;
    header.biSizeImage = imageBytes;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + imageBytes;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&header), sizeof header);
    bytes += pixels;
    return WriteFileBytes(path, bytes);
}

} // namespace

bool Screenshot(HWND window, const std::wstring& name) {
    RECT bounds = {};
    if (!IsWindow(window) || !GetWindowRect(window, &bounds))
        return false;
    int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    if (width <= 0 || height <= 0)
        return false;
    // The screen is read, so the window goes on top (without taking the focus) and paints
    // afresh; the program gets a moment to do so.
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    Sleep(200);
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    zenta::ScopedWindowDc screen(nullptr);
    if (!screen.Get())
        return false;
    zenta::ScopedMemoryDc memory(CreateCompatibleDC(screen.Get()));
    zenta::ScopedBitmap bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
    if (!memory || !bitmap)
        return false;
    bool copied = false;
    {
        zenta::ScopedSelect select(memory.Get(), bitmap.Get());
        copied = BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), bounds.left, bounds.top,
                        SRCCOPY | CAPTUREBLT);
    }
    bool saved =
        copied && WriteBitmapFile(L"S:\\" + name + L".bmp", memory.Get(), bitmap.Get(), width, height);
    return saved;
}

} // namespace driver
