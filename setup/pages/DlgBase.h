// CDlgBase: a wizard page, a modeless dialog from a template in the program's resources,
// placed by the main window over its client area. What every page shares lives here: the
// client size, the application object, the background picture and the image buttons.
#pragma once
#include "common/ScopedWin.h"
#include "setup/pages/EmoButton.h"

#include <windows.h>
#include <memory>
#include <string>

struct CSetupApp;

class CDlgBase {
  public:
    CDlgBase(HINSTANCE instance, int templateId, HWND parent, CSetupApp* app);
    virtual ~CDlgBase();
    CDlgBase(const CDlgBase&) = delete;
    CDlgBase& operator=(const CDlgBase&) = delete;

    // The page window, made from the template as a child of the main window; null on failure.
    HWND Create();
    void DestroyPage();
    // Called by the main window right after placing the page, before it is shown.
    virtual void OnPlaced() {}
    // The path of the configured background picture `name` in the package's support folder;
    // false for no name or a path that does not fit.
    static bool BackgroundPath(const std::wstring& packageDir, const std::wstring& name, std::wstring& path);

  protected:
    // The page's messages. The base paints, initialises, posts the main window's command for
    // a press of one of the standard buttons, and frees the background when the page closes.
    virtual INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    virtual void OnInitDialog(HWND) {}
    // Draws the page's own texts over its background (already drawn, transparent text mode).
    virtual void OnPaint(HDC) {}

    // (int)(size x fraction), truncated: page positions are fractions of the client size.
    static int Scale(int size, double fraction) { return static_cast<int>(size * fraction); }
    // Where a page's one button sits before the image button takes its own size: the bottom
    // right, (0.822 W, 0.9 H), 0.06 W x 0.03 H.
    RECT ForwardButtonPlace() const;
    // Moves control `id` to `place`, attaches an image button to it and dresses it with
    // `caption` in the configured button font and colour.
    std::unique_ptr<CEmoButton> AttachButton(int id, const RECT& place, bool repaint, const wchar_t* caption);
    // The page's one button at the bottom right, with the keyboard focus.
    std::unique_ptr<CEmoButton> AttachForwardButton(int id, const wchar_t* caption);
    // Enables the button and gives it the keyboard focus.
    static void ActivateButton(const CEmoButton* button);
    // Takes the configured background picture `name` of the package's support folder,
    // stretched to the page (prepared ahead, see CSetupApp::PrepareBackgrounds).
    void LoadBackground(const std::wstring& name);
    // Draws the page's pictures over the whole page.
    void DrawBackground(HDC dc) const;
    // Draws `text` into `rect` in `color`, leaving the DC's text colour as it was.
    static void DrawColoredText(HDC dc, const wchar_t* text, RECT rect, COLORREF color, UINT format);

    HWND parent;
    HWND hwnd = nullptr;
    HINSTANCE instance;
    int templateId;
    CSetupApp* app;
    int clientWidth = 0, clientHeight = 0;
    zenta::ScopedFont font;
    zenta::ScopedBrush whiteBrush;

  private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
