// CSetupApp: the one application object of Setup; pages and the copy job reach it
// through a plain pointer.
#pragma once
#include "common/WindowsKind.h"

#include <windows.h>
#include <memory>
#include <string>

class CDlgBase;
class CSetupConfig;

enum PageState : int {
    NoPage = -1,
    Welcome = 0,
    Progress = 1,
    Complete = 2,
    Remove = 4,
    Notice = 5,
};

struct CSetupApp {
    // Initialises COM for the thread and reads the configuration of the package in the
    // working directory.
    explicit CSetupApp(HINSTANCE instance);
    ~CSetupApp();
    CSetupApp(const CSetupApp&) = delete;
    CSetupApp& operator=(const CSetupApp&) = delete;

    // Releases page, configuration, icon and window, then COM.
    void Shutdown();

    HINSTANCE instance = nullptr;
    HWND mainWindow = nullptr;
    HWND pageWindow = nullptr;
    std::wstring packageDir; // working directory at start, no trailing backslash
    wchar_t targetDrive = L'A';
    WindowsKind windowsKind = Unsupported;
    PageState pageState = NoPage;
    HICON windowIcon = nullptr;
    std::unique_ptr<CDlgBase> currentPage;
    std::unique_ptr<CSetupConfig> config;

  private:
    bool comInitialized_ = false;
};
