// The page picture registry: each page's decoded background, drawn stretched over the
// page on every paint and released when the page closes.
#pragma once
#include <windows.h>
#include <string>

// Reads and decodes the file; on success the picture joins the window's pictures (at the
// head of the list) and the window's pictures are drawn at once. False when nothing was added.
bool LoadPagePicture(const std::wstring& path, HWND window, int width, int height);
// Draws the window's pictures, newest first, each over (0, 0)-(width, height).
void DrawPagePictures(HWND window, HDC dc, int width, int height);
void FreePagePictures(HWND window);
