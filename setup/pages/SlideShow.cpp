#include "setup/pages/SlideShow.h"

#include "common/SystemHelpers.h"

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

CSlideShow::~CSlideShow() = default;

void CSlideShow::Scan() {
    if (folder.empty())
        return;
    ForEachEntry(folder, [this](const WIN32_FIND_DATAW& entry) {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsSlideFileName(entry.cFileName))
            images.push_back(entry.cFileName);
        return true;
    });
}

void CSlideShow::Advance() {
    current.reset();
    if (images.empty())
        return;
    if (++currentIndex >= static_cast<int>(images.size()))
        currentIndex = 0;
    std::wstring path;
    auto next = std::make_unique<DecodedPicture>();
    if (!zenta::JoinPath(folder, images[currentIndex], path) || !LoadPictureFile(path, *next))
        return;
    current = std::move(next);
    zenta::ScopedWindowDc dc(window);
    if (dc.Get())
        Draw(dc.Get());
}

void CSlideShow::Draw(HDC dc) const {
    if (current)
        RenderStretched(*current, dc, targetRect);
}
