#include "setup/pages/SlideShow.h"

#include "common/SystemHelpers.h"
#include "setup/pages/Picture.h"

bool IsSlideFileName(const std::wstring& name) {
    std::wstring folded = name;
    size_t dot = folded.rfind(L'.');
    for (size_t i = dot == std::wstring::npos ? 0 : dot; i < folded.size(); ++i)
        if (folded[i] >= L'A' && folded[i] <= L'Z')
            folded[i] = static_cast<wchar_t>(folded[i] - L'A' + L'a');
    return folded.find(L".jpg") != std::wstring::npos || folded.find(L".jpeg") != std::wstring::npos;
}

CSlideShow::CSlideShow(HWND window_, const std::wstring& folder_, RECT rect)
    : folder(folder_), window(window_), targetRect(rect) {}

CSlideShow::~CSlideShow() {
    if (preparer_)
        WaitForSingleObject(preparer_.Get(), INFINITE);
}

void CSlideShow::Scan() {
    if (folder.empty())
        return;
    ForEachEntry(folder, [this](const WIN32_FIND_DATAW& entry) {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsSlideFileName(entry.cFileName))
            images.push_back(entry.cFileName);
        return true;
    });
}

bool CSlideShow::NextReady() const {
    return !preparer_ || WaitForSingleObject(preparer_.Get(), 0) != WAIT_TIMEOUT;
}

void CSlideShow::Advance() {
    if (images.empty() || !NextReady())
        return;
    if (preparer_) {
        preparer_.Reset();
        currentIndex = preparedIndex_;
        current = std::move(prepared_);
    } else {
        if (++currentIndex >= static_cast<int>(images.size()))
            currentIndex = 0;
        current.Reset(Render(currentIndex));
    }
    if (current) {
        zenta::ScopedWindowDc dc(window);
        if (dc.Get())
            Draw(dc.Get());
    }
    StartPreparing(currentIndex + 1 < static_cast<int>(images.size()) ? currentIndex + 1 : 0);
}

void CSlideShow::StartPreparing(int index) {
    preparedIndex_ = index;
    prepared_.Reset();
    // Without a thread the next Advance() prepares its slide itself.
    preparer_.Reset(CreateThread(nullptr, 0, &CSlideShow::PrepareMain, this, 0, nullptr));
}

DWORD WINAPI CSlideShow::PrepareMain(void* show) {
    zenta::ScopedCoInit com;
    auto* self = static_cast<CSlideShow*>(show);
    self->prepared_.Reset(self->Render(self->preparedIndex_));
    return 0;
}

HBITMAP CSlideShow::Render(int index) const {
    std::wstring path;
    DecodedPicture picture;
    if (!zenta::JoinPath(folder, images[index], path) || !LoadPictureFile(path, picture))
        return nullptr;
    const int width = targetRect.right - targetRect.left, height = targetRect.bottom - targetRect.top;
    zenta::ScopedWindowDc screen(nullptr);
    zenta::ScopedMemoryDc dc(CreateCompatibleDC(screen.Get()));
    zenta::ScopedBitmap bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
    if (!dc || !bitmap)
        return nullptr;
    {
        zenta::ScopedSelect select(dc.Get(), bitmap.Get());
        RenderStretched(picture, dc.Get(), RECT{0, 0, width, height});
    }
    // Drawn by now: the window's thread may use it once this thread has ended.
    GdiFlush();
    return bitmap.Release();
}

void CSlideShow::Draw(HDC dc) const {
    if (!current)
        return;
    zenta::ScopedMemoryDc source(CreateCompatibleDC(dc));
    zenta::ScopedSelect select(source.Get(), current.Get());
    BitBlt(dc, targetRect.left, targetRect.top, targetRect.right - targetRect.left,
           targetRect.bottom - targetRect.top, source.Get(), 0, 0, SRCCOPY);
}
