// Installation runs of the real Setup.exe for the end-to-end tests: packages on E:, the
// machine of a case (Windows kind, boot configuration, nothing installed), the wizard of one
// started Setup and what an installation leaves on drive D:.
#pragma once
#include "tests/driver/Driver.h"

#include "tests/driver/WizardPages.h"

#include <windows.h>
#include <string>
#include <vector>

namespace installkit {

constexpr unsigned long long MiB = 1ull << 20;
// From this size of copyfiles\disks on, the wizard ends on the Complete page.
constexpr unsigned long long kSystemDisksBytes = 1048576000ull;

constexpr wchar_t kTarget[] = L"D:\\zentaos";
constexpr wchar_t kLoader[] = L"D:\\zeldr";
constexpr wchar_t kUninstaller[] = L"D:\\zentaos\\Uninstall.exe";
constexpr wchar_t kHeadTitle[] = L"星岚操作系统 Zenta LUM 安装向导";
constexpr wchar_t kCompleteTitle[] = L"星岚操作系统 Zenta LUM 安装完成";
constexpr wchar_t kCancelQuestion[] = L"正在安装Zenta LUM，确认放弃安装吗？";

enum class Kind { Bcd, BootIni };

// One file of copyfiles\disks (sparse: cheap in the package, really written when copied).
// `folder` puts it into a subfolder, which counts for the package size but is not copied.
struct DiskFile {
    std::wstring name;
    unsigned long long size;
    std::wstring folder;
};

// E:\<name>: Setup.exe, the demo package's support and ZentaImages, and copyfiles with
// Uninstall.exe, zeldr and readme.txt (common), zeldr.mbr (bcd), zeldr.ini (ini) and `disks`.
std::wstring MakePackage(const std::wstring& name, const std::vector<DiskFile>& disks);
void DeletePackage(const std::wstring& package);

// The machine before a case: Setup.exe and both uninstaller stages told the Windows kind,
// the fake BCD provider with a fresh store (Bcd) or a fresh C:\boot.ini (BootIni), no
// installation on D: and no records. False when something could not be prepared.
bool PrepareMachine(Kind kind);
// C:\boot.ini as PrepareMachine writes it (timeout 5, one Windows line).
std::string FreshBootIni();
// The boot.ini line of an installation on D: ("星岚系统(boot zenta LUM)" in GBK).
std::string BootIniEntryOfD();

// Everything an installation leaves, each item named (UTF-8) when present; empty when
// nothing is.
std::string Leftovers(Kind kind);
// What is wrong with the installation on D: (files, attributes, records, boot entry), in
// UTF-8; empty when it is complete. `disks` are the files of the package's copyfiles\disks.
std::string InstallationFaults(Kind kind, const std::vector<DiskFile>& disks);

bool Exists(const std::wstring& path);
// For test messages: doctest prints narrow text only.
std::string Utf8(const std::wstring& text);
long long FileSize(const std::wstring& path); // -1 when missing

// One run of a package's Setup.exe; the destructor ends it if the case did not.
class SetupRun {
  public:
    SetupRun() = default;
    ~SetupRun();
    SetupRun(const SetupRun&) = delete;
    SetupRun& operator=(const SetupRun&) = delete;

    // Starts <package>\Setup.exe there and waits for the wizard window; with `token`, as
    // the user of that token (CreateProcessAsUserW).
    bool Start(const std::wstring& package, HANDLE token = nullptr);
    bool WaitForPage(Page page, DWORD timeoutMs);
    Page CurrentPage() const { return ReadPage(wizard); }
    // On the Welcome page: picks drive `letter` in the drive box and presses the button.
    bool InstallTo(wchar_t letter);
    // Start, wait for the Welcome page, and install to drive `letter`.
    bool StartInstall(const std::wstring& package, wchar_t letter, HANDLE token = nullptr);
    // Presses control `id` of the current page.
    bool Press(int id);
    bool Ended(DWORD timeoutMs, DWORD* exitCode = nullptr);
    // Saves the wizard as S:\<name>.bmp, raised and repainted first (the display is shared
    // by nothing else, but the page may still be painting).
    bool Shoot(const std::wstring& name);

    driver::Process process;
    HWND wizard = nullptr;
};

// Waits for a message box of any process whose text contains `textPart`, reads it and
// presses `button`. False when none came.
struct SeenBox {
    std::wstring caption, text;
    DWORD processId = 0;
};
bool AnswerBox(const std::wstring& textPart, int button, DWORD timeoutMs, SeenBox* seen = nullptr);

} // namespace installkit
