// The driver the GUI tests steer the real programs with: start them in the test prefix, find
// their windows and message boxes, press buttons and keys, keep screenshots, prepare
// packages and read back what an installation left on the machine.
#pragma once
#include <windows.h>
#include <string>

namespace driver {

// A started process; the destructor ends it if it still runs.
struct Process {
    HANDLE handle = nullptr;
    DWORD id = 0;
    ~Process();
    // Waits up to `ms`; true (and `code` set) when it ended.
    bool Ended(DWORD ms, DWORD* code = nullptr) const;
};
// Starts `exe` with `arguments` in `dir` (empty: the exe's own folder).
bool Start(Process& process, const std::wstring& exe, const std::wstring& arguments = L"",
           const std::wstring& dir = L"");

// Polls `condition` every 50 ms, pumping this thread's messages, until it holds or `ms` pass.
template <typename Condition> bool WaitUntil(Condition condition, DWORD ms) {
    for (DWORD start = GetTickCount();; Sleep(50)) {
        if (condition())
            return true;
        if (GetTickCount() - start >= ms)
            return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
}

// A message box of process `pid` (0: any) whose text contains `part`, or null after `ms`.
HWND WaitForBox(DWORD pid, const std::wstring& part, DWORD ms);
std::wstring Text(HWND window);
std::wstring BoxText(HWND box);
// Presses button `id` of a box and waits for the box to go.
bool Answer(HWND box, int id);
// Waits for a box containing `part`, presses `id`; its caption and text (empty when none came).
std::wstring AnswerBox(DWORD pid, const std::wstring& part, int id, DWORD ms = 20000,
                       std::wstring* caption = nullptr);

// A mouse click at the control's centre, as the system posts it.
void Click(HWND control);
// A key pressed and released on the window that has the focus in the thread of `window`.
void Key(HWND window, WPARAM key);
HWND Control(HWND parent, int id);

enum class Page { None, Welcome, Remove, Progress, Complete, Notice };
// Which page the wizard shows, told from its controls.
Page ReadPage(HWND wizard);
bool WaitForPage(HWND wizard, Page page, DWORD ms);
// Saves the window as S:\<name>.bmp (the runner turns it into a PNG among the artifacts).
bool Screenshot(HWND window, const std::wstring& name);

bool WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path); // "" when unreadable
bool Exists(const std::wstring& path);
bool MakeSparse(const std::wstring& path, unsigned long long size);
bool MakeDirs(const std::wstring& path);
// A UTF-16 text file (a log, the marker's record), without its byte-order mark.
std::wstring ReadWide(const std::wstring& path);
// The log `name` in the temporary directory the programs started by the test share.
std::wstring ReadLog(const std::wstring& name);
// True when `parts` occur in `text` in this order.
bool InOrder(const std::wstring& text, std::initializer_list<const wchar_t*> parts);
// Values under HKEY_LOCAL_MACHINE are read and written in the 32-bit view, the one the
// shipped programs use, in either flavour.
std::wstring RegText(const std::wstring& subKey, const std::wstring& name);
// A REG_DWORD value; `missing` when absent or of another type.
DWORD RegDword(const std::wstring& subKey, const std::wstring& name, DWORD missing = 0xFFFFFFFF);
bool SetRegValue(HKEY root, const std::wstring& subKey, const wchar_t* name, DWORD type, const void* data,
                 DWORD size);
bool SetRegText(HKEY root, const std::wstring& subKey, const wchar_t* name, const std::wstring& value);
std::string Utf8(const std::wstring& text);
// Build output as the runner maps it: Y:\<relative>.
std::wstring Build(const std::wstring& relative);

// What the installation cases share: the Windows kind (and `version`, when given, the wine
// version) each program is told, a package on E:
// with `disksBytes` of sparse system files (Setup.exe, the demo branding, zeldr, zeldr.mbr,
// Uninstall.exe), and the machine with nothing installed.
enum class Kind { Bcd, BootIni };
bool PrepareMachine(Kind kind, const wchar_t* version = nullptr);
std::wstring MakePackage(const std::wstring& name, unsigned long long disksBytes);
// Starts <package>\Setup.exe (from `dir`, default: the package) and waits for the wizard.
HWND StartSetup(Process& setup, const std::wstring& package, const std::wstring& dir = L"");
// Part of the question every drive meets under wine, which reports no disk under a volume.
extern const wchar_t kDiskQuestion[];
// Presses the Welcome page's button and (unless told not to) answers 是 when the first box that
// follows is the disk question; any other box (a refusal, another question) is left for the caller.
void PressInstall(HWND wizard, bool answerDiskQuestion = true);
// On the Welcome page: picks drive `letter` (D: unless told) and presses the button, as above.
void InstallTo(HWND wizard, wchar_t letter = L'D', bool answerDiskQuestion = true);
// Runs D:\zentaos\Uninstall.exe, confirms, answers the box containing `warning` (if any), and
// gives the report's text and caption.
std::wstring Uninstall(const std::wstring& warning = L"", std::wstring* caption = nullptr);
// Everything of an installation on D: that is present, named (UTF-8); empty when nothing is.
std::string Leftovers(Kind kind);

} // namespace driver
