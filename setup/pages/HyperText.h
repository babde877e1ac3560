// CHyperText: a one-line web link on a page, a subclassed transparent "STATIC" window that
// draws its own text, shows the hand over the text and opens the address when it is clicked.
#pragma once
#include <windows.h>

class CHyperText {
  public:
    CHyperText();
    CHyperText(const CHyperText&) = delete;
    CHyperText& operator=(const CHyperText&) = delete;

    HWND Create(const wchar_t* text, DWORD style, const RECT& rect, HWND parent, HINSTANCE instance);
    // Sets what is drawn and opened, how it looks; effective from the next paint.
    void SetLink(const wchar_t* text, const wchar_t* url, const LOGFONTW& font, COLORREF color);
    // Puts the "STATIC" procedure back on the window; the owner calls it before freeing the link.
    void Detach();

  protected:
    void OnClose();
    void OnPaint();
    void OnMouseMove(WPARAM keys, int x, int y);
    LRESULT OnMouseLeave();
    void OnLButtonDown(WPARAM keys, int x, int y);
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // True when the point (client coordinates) lies on the measured text.
    bool IsOverText(int x, int y) const;

    wchar_t text[MAX_PATH] = {};
    wchar_t url[MAX_PATH] = {};
    bool tracking = false;
    COLORREF textColor = 0;
    SIZE textExtent = {0, 0};
    LOGFONTW logFont;
    RECT textRect = {};
    HCURSOR handCursor;
    HCURSOR arrowCursor;
    HWND hwnd = nullptr;

    // The procedure every link replaced (always the "STATIC" class procedure).
    static WNDPROC oldWndProc;

  private:
    static LRESULT CALLBACK ClassWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
