#include "setup/pages/NaviPage.h"

#include "common/Messages.h"
#include "common/Text.h"
#include "setup/Config.h"
#include "setup/SetupApp.h"
#include "setup/pages/PageLayout.h"
#include "setup/pages/PagePictures.h"

namespace {

constexpr COLORREF kHeadingColor = 0x00FFFF00;
constexpr COLORREF kNoticeColor = 0x00FFFFFF;
constexpr COLORREF kLinkColor = 0x000BFF18;

void DrawWrapped(HDC dc, const wchar_t* text, RECT rect, COLORREF color) {
    SetTextColor(dc, color);
    DrawTextExW(dc, const_cast<wchar_t*>(text), -1, &rect, DT_WORDBREAK, nullptr);
}

} // namespace

std::wstring FormatNotice(wchar_t drive) {
    std::wstring text = zenta::FormatText(
        L"亲，谢谢你安装星岚操作系统，跟亲报告一下，因为操作系统的文件较大，下载网站不允许上传如此大的文件，"
        L"所以亲现在只安装了其中一部份，另一部份需要亲去我们官网下载zenta和zldrw,并将这两个文件放到目录%lc:"
        L"\\zentaos下，才能正常运行。你也可以点击迅雷下载进行整个安装包的整体下载。",
        drive);
    return zenta::CutText(text, 520);
}

CNaviPage::CNaviPage(HINSTANCE instance, HWND parent, CSetupApp* app_)
    : CDlgBase(instance, 120, parent), app(app_) {
    SIZE client = ClientSizeOf(parent);
    clientWidth = client.cx;
    clientHeight = client.cy;
    textLeft = Scale(clientWidth, 0.05);
    textRight = Scale(clientWidth, 0.9);
    message = FormatNotice(app->targetDrive);
}

CNaviPage::~CNaviPage() {
    closeButton.reset();
    for (auto& link : links)
        link->Detach();
    links.clear();
}

void CNaviPage::OnInitDialog(HWND window) {
    int W = clientWidth, H = clientHeight;
    RECT place = ForwardButtonPlace(W, H);
    closeButton =
        AttachImageButton(window, IDC_PAGE_CLOSE, place, true, L"关闭", app->config->fontButtonText);
    LoadPageBackground(*app, app->config->background2, window, SIZE{W, H});

    zenta::ScopedWindowDc screen(window);
    int height = MulDiv(24, GetDeviceCaps(screen.Get(), LOGPIXELSY), 96);
    logFont = LOGFONTW{};
    logFont.lfHeight = height;
    logFont.lfWeight = 600;
    logFont.lfOutPrecision = OUT_STROKE_PRECIS;
    logFont.lfClipPrecision = CLIP_STROKE_PRECIS;
    logFont.lfQuality = DRAFT_QUALITY;
    // The texts are Chinese: asking for the Chinese character set makes the default face
    // one that has their glyphs, instead of a Western face that shows empty boxes.
    logFont.lfCharSet = GB2312_CHARSET;

    LOGFONTW linkFont = {};
    linkFont.lfHeight = height;
    linkFont.lfWeight = FW_NORMAL;
    linkFont.lfUnderline = TRUE;
    linkFont.lfOutPrecision = OUT_STROKE_PRECIS;
    linkFont.lfClipPrecision = CLIP_STROKE_PRECIS;
    linkFont.lfQuality = DRAFT_QUALITY;
    lstrcpynW(linkFont.lfFaceName, L"Segoe [Regular]", LF_FACESIZE);

    linkUrl = kDownloadUrl;
    linkCount = 1;
    RECT linkRect = {textLeft, Scale(H, 0.4), textRight, Scale(H, 0.6)};
    auto link = std::make_unique<CHyperText>();
    if (link->Create(nullptr, WS_CHILD | WS_VISIBLE | SS_NOTIFY, linkRect, window, app->instance)) {
        link->logFont = linkFont;
        zenta::CopyBounded(link->text, MAX_PATH, linkUrl.c_str());
        zenta::CopyBounded(link->url, MAX_PATH, linkUrl.c_str());
        link->textColor = kLinkColor;
        links.push_back(std::move(link));
    }
    if (closeButton)
        SetFocus(closeButton->hwnd);
}

INT_PTR CNaviPage::HandleMessage(HWND window, UINT message_, WPARAM wParam, LPARAM lParam) {
    switch (message_) {
    case WM_CLOSE:
        FreePagePictures(window);
        EndDialog(window, 0);
        break;
    case WM_PAGE_INIT:
        ActivateButton(closeButton.get());
        break;
    }
    return CDlgBase::HandleMessage(window, message_, wParam, lParam);
}

void CNaviPage::OnPaint(HWND window) {
    zenta::ScopedPaint paint(window);
    HDC dc = paint.Get();
    int H = clientHeight;
    DrawPagePictures(window, dc, clientWidth, H);
    SetBkMode(dc, TRANSPARENT);
    COLORREF oldColor = GetTextColor(dc);
    zenta::ScopedFont headingFont(CreateFontIndirectW(&logFont));
    zenta::ScopedSelect selectHeading(dc, headingFont.Get());

    RECT rect = {textLeft, Scale(H, 0.05), textRight, Scale(H, 0.5)};
    DrawWrapped(dc, L"温馨提示:", rect, kHeadingColor);
    OffsetRect(&rect, 0, Scale(H, 0.05));
    {
        zenta::ScopedFont noticeFont(CreateFontIndirectW(&logFont));
        zenta::ScopedSelect selectNotice(dc, noticeFont.Get());
        DrawWrapped(dc, message.c_str(), rect, kNoticeColor);
    }
    OffsetRect(&rect, 0, Scale(H, 0.25));
    DrawWrapped(dc, L"下载地址:", rect, kHeadingColor);
    SetTextColor(dc, oldColor);
}
