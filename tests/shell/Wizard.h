// Steering the real Setup.exe from a test: packages on D:, the wizard window of one started
// process, and which page it shows.
#pragma once
#include "common/Messages.h"
#include "tests/driver/Driver.h"
#include "tests/driver/WizardPages.h"

#include <windows.h>
#include <string>

constexpr wchar_t kWizardClass[] = L"ZENTA_LUM_SetupWizardWND";
constexpr wchar_t kHardDiskRecord[] = L"SOFTWARE\\Zenta\\HardDisk";
constexpr wchar_t kUninstallRecord[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZentaLUM";

// The messages other programs post to the wizard, spelled out as they know them (the pages'
// own messages and commands come from common/Messages.h).
enum : UINT { kSetupCancel = WM_USER + 718, kSetupNotify = WM_USER + 735 };

// The texts the test package's Config.xml gives the shell.
constexpr wchar_t kHeadTitle[] = L"星岚操作系统 安装向导";
constexpr wchar_t kCompleteMessage[] = L"星岚操作系统 安装完成";

// `dir`\Setup.exe (a copy of the build's) and `dir`\support\Config.xml.
bool MakePackage(const std::wstring& dir);

// Starts the machine of a case afresh: no installation records, no per-program Windows
// version, an XP-style C:\boot.ini.
void ResetMachine();

// One run of a package's Setup.exe; the destructor ends it if the case did not.
class WizardRun {
  public:
    WizardRun() = default;
    ~WizardRun();
    WizardRun(const WizardRun&) = delete;
    WizardRun& operator=(const WizardRun&) = delete;

    // Starts `packageDir`\Setup.exe in that directory and waits for its wizard window.
    bool Start(const std::wstring& packageDir, DWORD timeoutMs = 15000);
    // Starts it without waiting for any window.
    bool Launch(const std::wstring& packageDir);
    bool WaitForPage(Page page, DWORD timeoutMs = 10000);
    // Waits for the program's end; true with `exitCode` when it ended.
    bool WaitForExit(DWORD timeoutMs, DWORD& exitCode);
    // Saves a screenshot of the wizard window as <name>.
    void Shoot(const std::wstring& name);
    DWORD ThreadId() const;

    driver::Process process;
    HWND wizard = nullptr;
};
