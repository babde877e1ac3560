#include "setup/pages/DlgBase.h"

#include "common/Messages.h"
#include "common/Text.h"
#include "common/WindowBinding.h"
#include "resources/resource.h"
#include "setup/Config.h"
#include "setup/SetupApp.h"
#include "setup/pages/PageFont.h"
#include "setup/pages/PagePictures.h"

CDlgBase::CDlgBase(HINSTANCE instance_, int templateId_, HWND parent_, CSetupApp* app_)
    : parent(parent_), instance(instance_), templateId(templateId_), app(app_) {
    RECT client = {};
    GetClientRect(parent, &client);
    clientWidth = client.right - client.left;
    clientHeight = client.bottom - client.top;
    LOGFONTW pageFont = PageFont(16, FW_NORMAL, L"Segoe");
    font.Reset(CreateFontIndirectW(&pageFont));
    whiteBrush.Reset(CreateSolidBrush(RGB(255, 255, 255)));
}

CDlgBase::~CDlgBase() {
    DestroyPage();
}

HWND CDlgBase::Create() {
    return CreateDialogParamW(instance, MAKEINTRESOURCEW(templateId), parent, DialogProc,
                              reinterpret_cast<LPARAM>(this));
}

void CDlgBase::DestroyPage() {
    // Normally already gone: the main window sends WM_CLOSE before deleting a page.
    if (hwnd && IsWindow(hwnd))
        DestroyWindow(hwnd);
    hwnd = nullptr;
}

INT_PTR CALLBACK CDlgBase::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CDlgBase* page = BoundObject<CDlgBase>(window, message, lParam);
    if (!page)
        return FALSE;
    if (message == WM_INITDIALOG)
        page->hwnd = window;
    if (message == WM_NCDESTROY) {
        // The object may outlive its window; it must not be reached through it any more.
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        // A page destroyed without being closed (the last one, when the wizard ends) lets go
        // of its pictures here.
        FreePagePictures(window);
        if (page->hwnd == window)
            page->hwnd = nullptr;
        return FALSE;
    }
    return page->HandleMessage(window, message, wParam, lParam);
}

INT_PTR CDlgBase::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_PAINT: {
        zenta::ScopedPaint paint(window);
        DrawBackground(paint.Get());
        SetBkMode(paint.Get(), TRANSPARENT);
        OnPaint(paint.Get());
        return 1;
    }
    case WM_CLOSE:
        FreePagePictures(window);
        DestroyWindow(window);
        return 0;
    case WM_INITDIALOG:
        OnInitDialog(window);
        return 0;
    case WM_COMMAND:
        // Posted, not sent: the page finishes the click before the window replaces it.
        switch (LOWORD(wParam)) {
        case IDC_PAGE_NEXT:
            PostMessageW(parent, WM_COMMAND, CMD_NEXT, IDC_PAGE_NEXT);
            break;
        case IDC_PAGE_BACK:
            PostMessageW(parent, WM_COMMAND, CMD_BACK, IDC_PAGE_BACK);
            break;
        case IDC_PAGE_CLOSE:
            PostMessageW(parent, WM_COMMAND, CMD_EXIT, IDC_PAGE_CLOSE);
            break;
        }
        return 0;
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(whiteBrush.Get());
    }
    return 0;
}

RECT CDlgBase::ForwardButtonPlace() const {
    int left = Scale(clientWidth, 0.822), top = Scale(clientHeight, 0.9);
    return RECT{left, top, left + Scale(clientWidth, 0.06), top + Scale(clientHeight, 0.03)};
}

std::unique_ptr<CEmoButton> CDlgBase::AttachButton(int id, const RECT& place, bool repaint,
                                                   const wchar_t* caption) {
    HWND control = GetDlgItem(hwnd, id);
    if (!control)
        return nullptr;
    MoveWindow(control, place.left, place.top, place.right - place.left, place.bottom - place.top, repaint);
    auto button = std::make_unique<CEmoButton>(control);
    button->SetCaption(caption);
    button->SetFont(app->config->fontButtonText.logFont, app->config->fontButtonText.foreColor);
    return button;
}

std::unique_ptr<CEmoButton> CDlgBase::AttachForwardButton(int id, const wchar_t* caption) {
    auto button = AttachButton(id, ForwardButtonPlace(), true, caption);
    if (button)
        SetFocus(button->Window());
    return button;
}

void CDlgBase::ActivateButton(const CEmoButton* button) {
    if (!button)
        return;
    EnableWindow(button->Window(), TRUE);
    SetFocus(button->Window());
}

bool CDlgBase::BackgroundPath(const std::wstring& packageDir, const std::wstring& name, std::wstring& path) {
    std::wstring support;
    return !name.empty() && zenta::JoinPath(packageDir, L"support", support) &&
           zenta::JoinPath(support, name, path);
}

void CDlgBase::LoadBackground(const std::wstring& name) {
    std::wstring path;
    if (BackgroundPath(app->packageDir, name, path))
        LoadPagePicture(path, hwnd, clientWidth, clientHeight);
}

void CDlgBase::DrawBackground(HDC dc) const {
    DrawPagePictures(hwnd, dc, clientWidth, clientHeight);
}

void CDlgBase::DrawColoredText(HDC dc, const wchar_t* text, RECT rect, COLORREF color, UINT format) {
    COLORREF old = SetTextColor(dc, color);
    DrawTextW(dc, text, -1, &rect, format);
    SetTextColor(dc, old);
}
