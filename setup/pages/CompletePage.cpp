#include "setup/pages/CompletePage.h"

#include "common/Messages.h"
#include "common/SystemHelpers.h"
#include "setup/Config.h"
#include "setup/SetupApp.h"
#include "setup/pages/PageLayout.h"
#include "setup/pages/PagePictures.h"

namespace {

// Names the entry the boot menu really shows, so the user can find it after the restart.
constexpr wchar_t kRestartHint[] = L"安装结束后请重启电脑，选择从‘星岚系统(boot zenta LUM)’ 启动";
constexpr COLORREF kHintColor = 0x00FF0000;

} // namespace

CCompletePage::CCompletePage(HINSTANCE instance, HWND parent, CSetupApp* app_)
    : CDlgBase(instance, 103, parent), app(app_) {
    SIZE client = ClientSizeOf(parent);
    clientWidth = client.cx;
    clientHeight = client.cy;
}

CCompletePage::~CCompletePage() = default;

void CCompletePage::OnInitDialog(HWND window) {
    int W = clientWidth, H = clientHeight;
    const FontStyle& style = app->config->fontButtonText;
    RECT later = {Scale(W, 0.222), Scale(H, 0.9), Scale(W, 0.222) + Scale(W, 0.06),
                  Scale(H, 0.9) + Scale(H, 0.02)};
    laterButton = AttachImageButton(window, IDC_PAGE_CLOSE, later, false, L"一会自己重启", style);
    RECT now = {Scale(W, 0.722), Scale(H, 0.9), Scale(W, 0.722) + Scale(W, 0.06),
                Scale(H, 0.9) + Scale(H, 0.02)};
    restartButton = AttachImageButton(window, IDC_PAGE_RESTART, now, false, L"现在重启系统", style);
    LoadPageBackground(*app, app->config->background4, window, SIZE{W, H});
}

INT_PTR CCompletePage::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_PAGE_RESTART) {
        // Windows ends Setup when the restart goes ahead; otherwise the page simply stays.
        RestartComputer();
        return 1;
    }
    return CDlgBase::HandleMessage(window, message, wParam, lParam);
}

void CCompletePage::OnPaint(HWND window) {
    zenta::ScopedPaint paint(window);
    HDC dc = paint.Get();
    int W = clientWidth, H = clientHeight;
    DrawPagePictures(window, dc, W, H);

    LOGFONTW lf = {};
    lf.lfHeight = 36;
    lf.lfWeight = FW_NORMAL;
    lstrcpynW(lf.lfFaceName, L"Segoe", LF_FACESIZE);
    zenta::ScopedFont font(CreateFontIndirectW(&lf));
    zenta::ScopedSelect select(dc, font.Get());
    SetBkMode(dc, TRANSPARENT);
    COLORREF oldColor = SetTextColor(dc, kHintColor);
    // Above the buttons, over the full width; a narrow window wraps it onto two lines.
    RECT hint = {Scale(W, 0.05), Scale(H, 0.72), Scale(W, 0.95), Scale(H, 0.88)};
    DrawTextW(dc, kRestartHint, -1, &hint, DT_CENTER | DT_WORDBREAK);
    SetTextColor(dc, oldColor);
}
