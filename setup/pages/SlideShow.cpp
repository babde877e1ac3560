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
    if (images.empty())
        return;
    if (!preparer_) {
        // The first slide comes once it is ready, through the next Advance() or repaint.
        if (currentIndex < 0 && StartPreparing(0, true))
            return;
        // No worker: this slide is prepared here, and so is the next.
        currentIndex = currentIndex + 1 < static_cast<int>(images.size()) ? currentIndex + 1 : 0;
        current.Reset(Render(currentIndex));
        DrawNow();
        StartPreparing(currentIndex + 1 < static_cast<int>(images.size()) ? currentIndex + 1 : 0, false);
        return;
    }
    if (TakePrepared())
        DrawNow();
}

bool CSlideShow::TakePrepared() {
    if (!preparer_ || !NextReady())
        return false;
    preparer_.Reset();
    currentIndex = preparedIndex_;
    current = std::move(prepared_);
    StartPreparing(currentIndex + 1 < static_cast<int>(images.size()) ? currentIndex + 1 : 0, false);
    return true;
}

void CSlideShow::DrawNow() {
    zenta::ScopedWindowDc dc(window);
    if (current && dc.Get())
        Draw(dc.Get());
}

bool CSlideShow::StartPreparing(int index, bool first) {
    preparedIndex_ = index;
    first_ = first;
    prepared_.Reset();
    preparer_.Reset(CreateThread(nullptr, 0, &CSlideShow::PrepareMain, this, 0, nullptr));
    return static_cast<bool>(preparer_);
}

DWORD WINAPI CSlideShow::PrepareMain(void* show) {
    zenta::ScopedCoInit com;
    auto* self = static_cast<CSlideShow*>(show);
    self->prepared_.Reset(self->Render(self->preparedIndex_));
    // The window's thread draws the first slide at its next repaint.
    if (self->first_)
        InvalidateRect(self->window, &self->targetRect, FALSE);
    return 0;
}

HBITMAP CSlideShow::Render(int index) const {
    std::wstring path;
    if (!zenta::JoinPath(folder, images[index], path))
        return nullptr;
    // Drawn by now: the window's thread may use it once this thread has ended.
    return StretchPictureFile(path, targetRect.right - targetRect.left, targetRect.bottom - targetRect.top)
        .Release();
}

void CSlideShow::Draw(HDC dc) {
    if (currentIndex < 0)
        TakePrepared();
    if (!current)
        return;
    zenta::ScopedMemoryDc source(CreateCompatibleDC(dc));
    zenta::ScopedSelect select(source.Get(), current.Get());
    BitBlt(dc, targetRect.left, targetRect.top, targetRect.right - targetRect.left,
           targetRect.bottom - targetRect.top, source.Get(), 0, 0, SRCCOPY);
}
