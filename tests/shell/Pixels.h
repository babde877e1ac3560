// Pixels of a window or a bitmap resource, read back for comparison.
#pragma once
#include <windows.h>
#include <functional>
#include <vector>

struct Pixels {
    int width = 0, height = 0;
    std::vector<COLORREF> colors; // row by row from the top, as COLORREF (0x00BBGGRR)
    COLORREF At(int x, int y) const { return colors[static_cast<size_t>(y) * width + x]; }
};

// The client area of `window` as it is drawn now.
Pixels CapturePixels(HWND window);
// A bitmap resource of this program.
Pixels LoadFacePixels(int id);
// Pixels where the two differ (all of them when the sizes differ), among those `where` accepts.
int CountDifferences(
    const Pixels& a, const Pixels& b,
    const std::function<bool(int, int)>& where = [](int, int) { return true; });
int CountColor(const Pixels& pixels, COLORREF color);
