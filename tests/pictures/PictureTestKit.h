// Drawing surfaces with readable pixels, solid-colour picture files and a throwaway window
// for the picture tests.
#pragma once
#include "common/ScopedWin.h"

#include <windows.h>
#include <string>
#include <vector>

namespace testkit {

// A 32-bit top-down DIB selected into a memory DC; pixels are read straight from memory.
class Canvas {
  public:
    Canvas(int width, int height, COLORREF fill) : width_(width), height_(height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_.Reset(CreateCompatibleDC(nullptr));
        bitmap_.Reset(
            CreateDIBSection(dc_.Get(), &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0));
        old_ = SelectObject(dc_.Get(), bitmap_.Get());
        Fill(fill);
    }
    ~Canvas() { SelectObject(dc_.Get(), old_); }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return dc_.Get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void Fill(COLORREF colour) {
        GdiFlush();
        for (int i = 0; i < width_ * height_; ++i)
            bits_[i] = ToPixel(colour);
    }
    COLORREF At(int x, int y) const {
        GdiFlush();
        DWORD p = bits_[y * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    // Number of pixels that differ from `other` (same size).
    int Differences(const Canvas& other) const {
        GdiFlush();
        int count = 0;
        for (int i = 0; i < width_ * height_; ++i)
            count += (bits_[i] & 0xFFFFFF) != (other.bits_[i] & 0xFFFFFF);
        return count;
    }
    void CopyFrom(const Canvas& other) {
        BitBlt(dc_.Get(), 0, 0, width_, height_, other.Dc(), 0, 0, SRCCOPY);
        GdiFlush();
    }

  private:
    static DWORD ToPixel(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }
    int width_, height_;
    zenta::ScopedMemoryDc dc_;
    zenta::ScopedBitmap bitmap_;
    HGDIOBJ old_ = nullptr;
    DWORD* bits_ = nullptr;
};

// A 24-bit BMP file image whose upper half is `top` and lower half `bottom`.
inline std::string BmpBytes(int width, int height, COLORREF top, COLORREF bottom) {
    const int row = (width * 3 + 3) & ~3;
    const int imageSize = row * height;
    std::string bytes(54 + imageSize, '\0');
    auto put32 = [&](size_t at, DWORD value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, static_cast<DWORD>(bytes.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, height); // positive: the first stored row is the bottom one
    bytes[26] = 1;
    bytes[28] = 24;
    put32(34, imageSize);
    put32(38, 3780);
    put32(42, 3780);
    for (int y = 0; y < height; ++y) {
        COLORREF c = y < height / 2 ? bottom : top;
        for (int x = 0; x < width; ++x) {
            size_t at = 54 + static_cast<size_t>(y) * row + x * 3;
            bytes[at] = static_cast<char>(GetBValue(c));
            bytes[at + 1] = static_cast<char>(GetGValue(c));
            bytes[at + 2] = static_cast<char>(GetRValue(c));
        }
    }
    return bytes;
}

inline std::string SolidBmp(COLORREF colour) {
    return BmpBytes(8, 8, colour, colour);
}

inline bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    zenta::ScopedHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file &&
           ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// A new empty folder on the test drive D: (doctest runs a test case again for each of its
// subcases, so every call gets a folder of its own).
inline std::wstring FreshFolder(const std::wstring& name) {
    static int serial = 0;
    std::wstring path = L"D:\\" + name + L"-" + std::to_wstring(++serial);
    CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

// A hidden top-level window that pictures can belong to and be drawn on.
class TestWindow {
  public:
    TestWindow() {
        window_ =
            CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 150, nullptr, nullptr, nullptr, nullptr);
    }
    ~TestWindow() {
        if (window_)
            DestroyWindow(window_);
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND Get() const { return window_; }

  private:
    HWND window_;
};

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGrey = RGB(128, 128, 128);

} // namespace testkit

namespace testkit {

// COM for the test thread, as Setup has it.
struct ComScope {
    ComScope() { CoInitialize(nullptr); }
    ~ComScope() { CoUninitialize(); }
};

} // namespace testkit
