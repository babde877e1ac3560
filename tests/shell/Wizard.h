// Steering the real Setup.exe from a test: packages on D:, the wizard window of one started
// process, and which page it shows.
#pragma once
#include "tests/driver/Driver.h"

#include "tests/driver/WizardPages.h"

#include <windows.h>
#include <string>

constexpr wchar_t kWizardClass[] = L"ZENTA_LUM_SetupWizardWND";
constexpr wchar_t kHardDiskRecord[] = L"SOFTWARE\\Zenta\\HardDisk";
constexpr wchar_t kUninstallRecord[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZentaLUM";

// Custom messages and commands of the wizard, as a program outside it sees them.
enum : UINT {
    kPageInit = WM_USER + 707,
    kPageNext = WM_USER + 708,
    kPageNotify = WM_USER + 709,
    kSetupCancel = WM_USER + 718,
    kSetupNotify = WM_USER + 735,
};
enum : WORD { kCmdNext = 101, kCmdBack = 103, kCmdExit = 104 };

struct PackageTexts {
    std::wstring headTitle = L"星岚操作系统 安装向导";
    std::wstring completeMessage = L"星岚操作系统 安装完成";
    std::wstring continueCaption = L"继续";
};

// Config.xml (UTF-8) with the texts the shell shows.
std::string ConfigDocument(const PackageTexts& texts);
// `dir`\Setup.exe (a copy of the build's) and `dir`\support\Config.xml.
bool MakePackage(const std::wstring& dir, const PackageTexts& texts = PackageTexts());

// Starts the machine of a case afresh: no installation records, no per-program Windows
// version, an XP-style C:\boot.ini.
void ResetMachine();
bool WriteBootIni();

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

// Holds the wizard's user-interface thread, so that several requests queue up before it
// handles the first.
class FrozenThread {
  public:
    explicit FrozenThread(DWORD threadId);
    ~FrozenThread();
    FrozenThread(const FrozenThread&) = delete;
    FrozenThread& operator=(const FrozenThread&) = delete;
    bool Frozen() const { return frozen_; }

  private:
    HANDLE thread_ = nullptr;
    bool frozen_ = false;
};
