// CUninstallApp: the uninstaller's application object, with the hidden main window that
// shares Setup's window class so that either program can find a running one.
#pragma once
#include "common/ScopedWin.h"
#include "common/WindowsKind.h"

#include <windows.h>

class CUninstallApp {
  public:
    // Initialises COM for the thread and loads the program's icon.
    explicit CUninstallApp(HINSTANCE instance);
    // Destroys the window, then the icon, then leaves COM.
    ~CUninstallApp();
    CUninstallApp(const CUninstallApp&) = delete;
    CUninstallApp& operator=(const CUninstallApp&) = delete;

    // The hidden, centred 800 x 600 window of the wizard class; false when it cannot be made.
    bool CreateMainWindow();

    // Declared first, so that COM outlives the window and everything else.
    zenta::ScopedCoInit com;
    HINSTANCE instance;
    HWND mainWindow = nullptr;
    // While a removal runs the window refuses to close: the removal is never cut off.
    bool removing = false;
    WindowsKind windowsKind = Unsupported;
    zenta::ScopedIcon windowIcon;

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
