#include "setup/pages/Picture.h"

#include <cstring>

bool ReadPictureFile(const std::wstring& path, std::vector<BYTE>& content) {
    if (path.empty())
        return false;
    zenta::ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0 ||
        static_cast<unsigned long long>(size.QuadPart) > kMaxPictureFileBytes)
        return false;
    std::vector<BYTE> buffer(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < buffer.size()) {
        DWORD read = 0;
        DWORD wanted = static_cast<DWORD>(buffer.size() - done);
        // A read of nothing means the file shrank under us: what we have is not the picture.
        if (!ReadFile(file.Get(), buffer.data() + done, wanted, &read, nullptr) || read == 0)
            return false;
        done += read;
    }
    content.swap(buffer);
    return true;
}

bool DecodePicture(const BYTE* bytes, size_t length, DecodedPicture& result) {
    if (!bytes || length == 0)
        return false;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, length);
    if (!block)
        return false;
    void* target = GlobalLock(block);
    if (!target) {
        GlobalFree(block);
        return false;
    }
    std::memcpy(target, bytes, length);
    GlobalUnlock(block);
    zenta::ComPtr<IStream> stream;
    // The stream owns the block from here on and frees it when released.
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, stream.Put()))) {
        GlobalFree(block);
        return false;
    }
    DecodedPicture decoded;
    HRESULT hr = OleLoadPicture(stream.Get(), 0, FALSE, IID_IPicture, decoded.picture.PutVoid());
    stream.Reset();
    if (FAILED(hr) || !decoded.picture)
        return false;
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    decoded.picture->get_Width(&width);
    decoded.picture->get_Height(&height);
    decoded.himetricWidth = static_cast<int>(width);
    decoded.himetricHeight = static_cast<int>(height);
    result = std::move(decoded);
    return true;
}

bool LoadPictureFile(const std::wstring& path, DecodedPicture& result) {
    std::vector<BYTE> content;
    return ReadPictureFile(path, content) && DecodePicture(content.data(), content.size(), result);
}

void RenderStretched(const DecodedPicture& picture, HDC dc, const RECT& rect) {
    if (!picture.picture || !dc)
        return;
    // The default stretch mode ANDs the rows it drops into their neighbours, which draws dark
    // streaks through a shrunken photo; halftone averages them instead.
    int oldMode = SetStretchBltMode(dc, HALFTONE);
    POINT oldOrigin = {};
    SetBrushOrgEx(dc, 0, 0, &oldOrigin);
    // HIMETRIC runs bottom-up, so the source is read from its bottom edge upwards. Flipping
    // the destination instead (start at the bottom, negative height) comes out one row low
    // on some GDI implementations and loses rows of small pictures.
    picture.picture->Render(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, 0,
                            picture.himetricHeight, picture.himetricWidth, -picture.himetricHeight, nullptr);
    SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
    if (oldMode)
        SetStretchBltMode(dc, oldMode);
}

zenta::ScopedBitmap StretchPictureFile(const std::wstring& path, int width, int height) {
    DecodedPicture picture;
    if (width <= 0 || height <= 0 || !LoadPictureFile(path, picture))
        return zenta::ScopedBitmap();
    zenta::ScopedWindowDc screen(nullptr);
    zenta::ScopedMemoryDc dc(CreateCompatibleDC(screen.Get()));
    zenta::ScopedBitmap bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
    if (!dc || !bitmap)
        return zenta::ScopedBitmap();
    {
        zenta::ScopedSelect select(dc.Get(), bitmap.Get());
        RenderStretched(picture, dc.Get(), RECT{0, 0, width, height});
    }
    // GDI batches calls per thread: what this thread drew must be in the bitmap before
    // another thread copies from it.
    GdiFlush();
    return bitmap;
}
