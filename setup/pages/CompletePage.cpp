#include "setup/pages/CompletePage.h"

#include "common/Log.h"
#include "common/SystemHelpers.h"
#include "common/UserTexts.h"
#include "resources/resource.h"
#include "setup/Config.h"
#include "setup/SetupApp.h"
#include "setup/pages/PageFont.h"

namespace {

constexpr COLORREF kHintColor = 0x00FF0000;

} // namespace

CCompletePage::CCompletePage(HINSTANCE instance, HWND parent, CSetupApp* app)
    : CDlgBase(instance, IDD_COMPLETE, parent, app) {}

void CCompletePage::OnInitDialog(HWND) {
    int W = clientWidth, H = clientHeight;
    RECT later = {Scale(W, 0.222), Scale(H, 0.9), Scale(W, 0.222) + Scale(W, 0.06),
                  Scale(H, 0.9) + Scale(H, 0.02)};
    laterButton_ = AttachButton(IDC_PAGE_CLOSE, later, false, kRestartLaterCaption);
    RECT now = {Scale(W, 0.722), Scale(H, 0.9), Scale(W, 0.722) + Scale(W, 0.06),
                Scale(H, 0.9) + Scale(H, 0.02)};
    restartButton_ = AttachButton(IDC_PAGE_RESTART, now, false, kRestartNowCaption);
    LoadBackground(app->config->background4);
}

INT_PTR CCompletePage::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_PAGE_RESTART) {
        // Windows ends Setup when the restart goes ahead; otherwise the page simply stays.
        Log(L"restart %ls", RestartComputer() ? L"requested" : L"refused: no right to shut down");
        return 1;
    }
    return CDlgBase::HandleMessage(window, message, wParam, lParam);
}

void CCompletePage::OnPaint(HDC dc) {
    int W = clientWidth, H = clientHeight;
    LOGFONTW lf = PageFont(36, FW_NORMAL, L"Segoe");
    zenta::ScopedFont hintFont(CreateFontIndirectW(&lf));
    zenta::ScopedSelect select(dc, hintFont.Get());
    // Above the buttons, over the full width; a narrow window wraps it onto two lines.
    RECT hint = {Scale(W, 0.05), Scale(H, 0.72), Scale(W, 0.95), Scale(H, 0.88)};
    DrawColoredText(dc, kRestartHint, hint, kHintColor, DT_CENTER | DT_WORDBREAK);
    LOGFONTW small = PageFont(20, FW_NORMAL, L"Segoe");
    zenta::ScopedFont smallFont(CreateFontIndirectW(&small));
    zenta::ScopedSelect selectSmall(dc, smallFont.Get());
    // Above the hint: Fast Startup, and above that what to do about fragmented images.
    double bottom = app->turnOffFastStartup ? 0.66 : 0.72;
    if (app->turnOffFastStartup) {
        RECT line = {Scale(W, 0.05), Scale(H, 0.66), Scale(W, 0.95), Scale(H, 0.72)};
        DrawColoredText(dc, kFastStartupOffHint, line, kHintColor, DT_CENTER | DT_WORDBREAK);
    }
    RECT notes = {Scale(W, 0.05), Scale(H, bottom - 0.18), Scale(W, 0.95), Scale(H, bottom)};
    DrawColoredText(dc, app->completeNotes.c_str(), notes, kHintColor, DT_CENTER | DT_WORDBREAK);
}
