// Decoded pictures for the pages: reading a picture file, decoding it with the system's
// picture loader, and drawing it stretched into a rectangle or into a bitmap of its own.
#pragma once
#include "common/ScopedWin.h"

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <string>
#include <vector>

// A decoded picture and its size in HIMETRIC units (hundredths of a millimetre).
struct DecodedPicture {
    zenta::ComPtr<IPicture> picture;
    int himetricWidth = 0;
    int himetricHeight = 0;
};

// Pictures bigger than this are refused unread: no page needs one, and reading one would
// tie up memory for nothing.
constexpr unsigned long long kMaxPictureFileBytes = 64ull * 1024 * 1024;

// The whole content of the file, read with read sharing. False for a missing, empty,
// unreadable or oversized file.
bool ReadPictureFile(const std::wstring& path, std::vector<BYTE>& content);

// Decodes any format the system's picture loader knows (BMP, JPEG, GIF, icon, metafile).
bool DecodePicture(const BYTE* bytes, size_t length, DecodedPicture& result);

// ReadPictureFile and DecodePicture in one.
bool LoadPictureFile(const std::wstring& path, DecodedPicture& result);

// Draws the picture upright, stretched over `rect` without keeping its aspect ratio.
void RenderStretched(const DecodedPicture& picture, HDC dc, const RECT& rect);

// Reads and decodes the file and stretches it (as RenderStretched) into a new bitmap of
// width x height, compatible with the screen; empty when the file cannot be read or decoded.
// Needs COM. The drawing is flushed: another thread may use the bitmap once this one has
// handed it over.
zenta::ScopedBitmap StretchPictureFile(const std::wstring& path, int width, int height);
