// CSetupApp: the one application object of Setup; pages and the installation reach it
// through a plain pointer.
#pragma once
#include "common/Firmware.h"
#include "common/ScopedWin.h"
#include "common/WindowsKind.h"

#include <windows.h>
#include <memory>
#include <string>
#include <vector>

class CDlgBase;
class CPagePicturePreparer;
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
    // Initialises COM for the thread and reads the configuration of the package in
    // `packageDir` (the folder of Setup.exe).
    CSetupApp(HINSTANCE instance, const std::wstring& packageDir);
    ~CSetupApp();
    CSetupApp(const CSetupApp&) = delete;
    CSetupApp& operator=(const CSetupApp&) = delete;

    // Starts preparing the page backgrounds at the size of the main window's client area, in
    // the order the pages come: the Remove page's first when the wizard starts there, then
    // the Welcome, Progress, Complete and Notice pages'.
    void PrepareBackgrounds(bool removeFirst);
    // Releases page, prepared backgrounds, configuration, icon and window, then COM.
    void Shutdown();

    // Declared first, so that COM outlives everything below that uses it.
    std::unique_ptr<zenta::ScopedCoInit> com;
    HINSTANCE instance = nullptr;
    HWND mainWindow = nullptr;
    HWND pageWindow = nullptr;
    std::wstring packageDir; // no trailing backslash: a package at a drive root gives "E:"
    wchar_t targetDrive = L'A';
    // The user's answer on the Welcome page: the installation turns Fast Startup off.
    bool turnOffFastStartup = false;
    // What the completed installation asks the user to do before starting Zenta LUM.
    std::wstring completeNotes;
    WindowsKind windowsKind = Unsupported;
    Firmware firmware = Firmware::Bios;
    PageState pageState = NoPage;
    zenta::ScopedIcon windowIcon;
    std::unique_ptr<CDlgBase> currentPage;
    std::unique_ptr<CPagePicturePreparer> backgrounds;
    std::unique_ptr<CSetupConfig> config;
};
