// Helpers the pages share: positions as fractions of the client size, the package's
// support files, and image buttons dressed in the configured button font.
#pragma once
#include "setup/pages/EmoButton.h"

#include <windows.h>
#include <memory>
#include <string>

struct CSetupApp;
struct FontStyle;

// (int)(size x fraction), truncated.
inline int Scale(int size, double fraction) {
    return static_cast<int>(size * fraction);
}

// Where a page's one button sits before the image button takes its own size: the bottom
// right, (0.822 W, 0.9 H), 0.06 W x 0.03 H.
RECT ForwardButtonPlace(int width, int height);

// Enables the page's button and gives it the keyboard focus (on WM_PAGE_INIT).
void ActivateButton(const CEmoButton* button);

// Client size of the wizard window.
SIZE ClientSizeOf(HWND window);

// packageDir\support\name, or empty when the name is empty or the path would not fit.
std::wstring SupportFilePath(const CSetupApp& app, const std::wstring& name);

// Moves control `id` of `page`, attaches an image button, sets caption, font and colour.
std::unique_ptr<CEmoButton> AttachImageButton(HWND page, int id, const RECT& place, bool repaint,
                                              const wchar_t* caption, const FontStyle& style);

// Loads the configured background picture of a page (a missing one shows nothing).
void LoadPageBackground(const CSetupApp& app, const std::wstring& name, HWND page, SIZE client);
