// CDlgBase: a wizard page, a modeless dialog from a template in the program's resources,
// placed by the main window over its client area.
#pragma once
#include "common/ScopedWin.h"

#include <windows.h>

class CDlgBase {
  public:
    CDlgBase(HINSTANCE instance, int templateId, HWND parent);
    virtual ~CDlgBase();
    CDlgBase(const CDlgBase&) = delete;
    CDlgBase& operator=(const CDlgBase&) = delete;

    HWND Create();
    void DestroyPage();
    virtual void OnPlaced() {}
    virtual INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    virtual void OnInitDialog(HWND) {}
    virtual void OnPaint(HWND) {}

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND parent;
    HWND hwnd = nullptr;
    HINSTANCE instance;
    int templateId;
    zenta::ScopedFont font;
    zenta::ScopedBrush whiteBrush;
};
