// The wizard's top-level window class, shared by Setup and the uninstaller's hidden window.
#pragma once
#include <windows.h>

constexpr wchar_t kWizardClassName[] = L"ZENTA_LUM_SetupWizardWND";

// Registers the class with the program's own window procedure; true on success.
bool RegisterWizardClass(HINSTANCE instance, WNDPROC procedure, HICON icon);

// Registers the class and creates the hidden, centred 800 x 600 window with creation
// parameter `param`; null on failure.
HWND CreateWizardFrame(HINSTANCE instance, WNDPROC procedure, HICON icon, void* param);

void CenterOnDesktop(HWND window);

// Shows and brings forward the shown wizard window of a running Setup (minimised counts);
// false when there is none.
bool BringWizardToFront();
