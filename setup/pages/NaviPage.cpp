#include "setup/pages/NaviPage.h"

#include "common/Messages.h"
#include "common/Text.h"
#include "common/UserTexts.h"
#include "resources/resource.h"
#include "setup/Config.h"
#include "setup/SetupApp.h"
#include "setup/pages/PageFont.h"

namespace {

constexpr COLORREF kHeadingColor = 0x00FFFF00;
constexpr COLORREF kNoticeColor = 0x00FFFFFF;
constexpr COLORREF kLinkColor = 0x000BFF18;

} // namespace

std::wstring FormatNotice(wchar_t drive) {
    std::wstring text = zenta::FormatText(kNoticeText, drive);
    return zenta::CutText(text, 520);
}

CNaviPage::CNaviPage(HINSTANCE instance, HWND parent, CSetupApp* app)
    : CDlgBase(instance, IDD_NOTICE, parent, app), textLeft_(Scale(clientWidth, 0.05)),
      textRight_(Scale(clientWidth, 0.9)), message_(FormatNotice(app->targetDrive)) {}

CNaviPage::~CNaviPage() {
    closeButton_.reset();
    for (auto& link : links_)
        link->Detach();
    links_.clear();
}

void CNaviPage::OnInitDialog(HWND window) {
    LoadBackground(app->config->background2);

    zenta::ScopedWindowDc screen(window);
    int height = MulDiv(24, GetDeviceCaps(screen.Get(), LOGPIXELSY), 96);
    logFont_ = DraftFont(height, 600, L"");
    // The texts are Chinese: asking for the Chinese character set makes the default face
    // one that has their glyphs, instead of a Western face that shows empty boxes.
    logFont_.lfCharSet = GB2312_CHARSET;
    LOGFONTW linkFont = DraftFont(height, FW_NORMAL, L"Segoe [Regular]");
    linkFont.lfUnderline = TRUE;

    RECT linkRect = {textLeft_, Scale(clientHeight, 0.4), textRight_, Scale(clientHeight, 0.6)};
    auto link = std::make_unique<CHyperText>();
    if (link->Create(nullptr, WS_CHILD | WS_VISIBLE | SS_NOTIFY, linkRect, window, app->instance)) {
        link->SetLink(kDownloadUrl, kDownloadUrl, linkFont, kLinkColor);
        links_.push_back(std::move(link));
    }
    closeButton_ = AttachForwardButton(IDC_PAGE_CLOSE, kCloseCaption);
}

INT_PTR CNaviPage::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAGE_INIT)
        ActivateButton(closeButton_.get());
    return CDlgBase::HandleMessage(window, message, wParam, lParam);
}

void CNaviPage::OnPaint(HDC dc) {
    int H = clientHeight;
    zenta::ScopedFont headingFont(CreateFontIndirectW(&logFont_));
    zenta::ScopedSelect selectHeading(dc, headingFont.Get());
    RECT rect = {textLeft_, Scale(H, 0.05), textRight_, Scale(H, 0.5)};
    DrawColoredText(dc, kNoticeHeading, rect, kHeadingColor, DT_WORDBREAK);
    OffsetRect(&rect, 0, Scale(H, 0.05));
    {
        zenta::ScopedFont noticeFont(CreateFontIndirectW(&logFont_));
        zenta::ScopedSelect selectNotice(dc, noticeFont.Get());
        DrawColoredText(dc, message_.c_str(), rect, kNoticeColor, DT_WORDBREAK);
    }
    OffsetRect(&rect, 0, Scale(H, 0.25));
    DrawColoredText(dc, kDownloadHeading, rect, kHeadingColor, DT_WORDBREAK);
}
