#include "setup/pages/PageLayout.h"

#include "common/Text.h"
#include "setup/Config.h"
#include "setup/SetupApp.h"
#include "setup/pages/PagePictures.h"

RECT ForwardButtonPlace(int width, int height) {
    int left = Scale(width, 0.822), top = Scale(height, 0.9);
    return RECT{left, top, left + Scale(width, 0.06), top + Scale(height, 0.03)};
}

void ActivateButton(const CEmoButton* button) {
    if (!button)
        return;
    EnableWindow(button->hwnd, TRUE);
    SetFocus(button->hwnd);
}

SIZE ClientSizeOf(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    return SIZE{client.right - client.left, client.bottom - client.top};
}

std::wstring SupportFilePath(const CSetupApp& app, const std::wstring& name) {
    std::wstring support, path;
    if (name.empty() || !zenta::JoinPath(app.packageDir, L"support", support) ||
        !zenta::JoinPath(support, name, path))
        return std::wstring();
    return path;
}

std::unique_ptr<CEmoButton> AttachImageButton(HWND page, int id, const RECT& place, bool repaint,
                                              const wchar_t* caption, const FontStyle& style) {
    HWND control = GetDlgItem(page, id);
    if (!control)
        return nullptr;
    MoveWindow(control, place.left, place.top, place.right - place.left, place.bottom - place.top, repaint);
    auto button = std::make_unique<CEmoButton>(control);
    button->SetCaption(caption);
    button->SetFont(style.logFont, style.foreColor);
    return button;
}

void LoadPageBackground(const CSetupApp& app, const std::wstring& name, HWND page, SIZE client) {
    std::wstring path = SupportFilePath(app, name);
    if (!path.empty())
        LoadPagePicture(path, page, client.cx, client.cy);
}
