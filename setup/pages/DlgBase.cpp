#include "setup/pages/DlgBase.h"

#include "common/Messages.h"

namespace {

HFONT CreateDefaultPageFont() {
    LOGFONTW lf = {};
    lf.lfHeight = 16;
    lf.lfWeight = FW_NORMAL;
    lstrcpynW(lf.lfFaceName, L"Segoe", LF_FACESIZE);
    return CreateFontIndirectW(&lf);
}

} // namespace

CDlgBase::CDlgBase(HINSTANCE instance_, int templateId_, HWND parent_)
    : parent(parent_), instance(instance_), templateId(templateId_), font(CreateDefaultPageFont()),
      whiteBrush(CreateSolidBrush(RGB(255, 255, 255))) {}

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
    CDlgBase* page = nullptr;
    if (message == WM_INITDIALOG) {
        page = reinterpret_cast<CDlgBase*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(page));
        if (page)
            page->hwnd = window;
    } else {
        page = reinterpret_cast<CDlgBase*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (!page)
        return FALSE;
    if (message == WM_NCDESTROY) {
        // The object may outlive its window; it must not be reached through it any more.
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        if (page->hwnd == window)
            page->hwnd = nullptr;
        return FALSE;
    }
    return page->HandleMessage(window, message, wParam, lParam);
}

INT_PTR CDlgBase::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_PAINT:
        OnPaint(window);
        return 1;
    case WM_CLOSE:
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
