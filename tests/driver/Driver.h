// Test driver helpers: start the real programs inside the test prefix, find their windows,
// press buttons, answer message boxes and take screenshots.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace driver {

// A started process; the destructor does not end it.
struct Process {
    HANDLE handle = nullptr;
    DWORD id = 0;
    // Waits up to timeoutMs; true and `exitCode` set when it ended.
    bool Wait(DWORD timeoutMs, DWORD* exitCode = nullptr) const;
    void Kill() const;
    void Close();
};

// Starts `exe` with `arguments` (may be empty) in `workingDir` (empty: the exe's folder).
// Programs started this way draw their own window frames (the test display has no window
// manager), so screenshots show the title bar.
Process Start(const std::wstring& exe, const std::wstring& arguments, const std::wstring& workingDir);

// Polls every 50 ms until a visible top-level window of the class (and title, when given)
// appears, or timeoutMs elapses; null on time-out. Empty class matches any.
HWND WaitForWindow(const std::wstring& className, const std::wstring& title, DWORD timeoutMs);
// The same, limited to the windows of one process (0: any).
HWND WaitForProcessWindow(DWORD processId, const std::wstring& className, const std::wstring& title,
                          DWORD timeoutMs);
// The window's class name.
std::wstring WindowClass(HWND window);
// A message box (class "#32770") of the given process (0: any) whose static text contains
// `textPart` (empty: any); null on time-out.
HWND WaitForMessageBox(DWORD processId, const std::wstring& textPart, DWORD timeoutMs);
// The box's caption and its message text.
std::wstring WindowText(HWND window);
std::wstring MessageBoxText(HWND box);
// Presses a message box button by id (IDOK, IDCANCEL, ...) and waits for the box to go.
bool AnswerMessageBox(HWND box, int buttonId, DWORD timeoutMs = 5000);
// Waits until the window is gone.
bool WaitForWindowGone(HWND window, DWORD timeoutMs);

// Clicks a child control the way a user does (mouse down and up at its centre).
void Click(HWND control);
// Sends a click at a point in the window's client coordinates.
void ClickAt(HWND window, int x, int y);
// The child with the given control id below `parent` at any depth; null when none.
HWND FindControl(HWND parent, int id);
// Polls until `condition` holds or timeoutMs elapses, pumping this thread's messages.
template <typename Condition> bool WaitUntil(Condition condition, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        Sleep(50);
    }
}

// Saves the window (with its frame) as S:\<name>.bmp; the test runner turns it into a PNG
// in the build's artifacts folder. True on success.
bool Screenshot(HWND window, const std::wstring& name);

// Registry and file helpers for preparing and checking a prefix.
bool SetWindowsVersion(const std::wstring& exeName, const std::wstring& version); // "winxp", "win7", ...
bool RegistryKeyExists(HKEY root, const std::wstring& subKey);
bool ReadRegistryDword(HKEY root, const std::wstring& subKey, const std::wstring& name, DWORD& value);
bool ReadRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& name, std::wstring& value);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool ReadFileBytes(const std::wstring& path, std::string& bytes);
// A sparse file of exactly `size` bytes (cheap even for gigabytes).
bool MakeSparseFile(const std::wstring& path, unsigned long long size);
bool FileExists(const std::wstring& path);
// Copies a whole folder tree; creates the target.
bool CopyTree(const std::wstring& from, const std::wstring& to);
// Creates every missing folder of the path.
bool MakeDirectories(const std::wstring& path);

// Build output, as the test runner maps it: Y:\Setup.exe, Y:\Uninstall.exe, ...
std::wstring BuildPath(const std::wstring& relative);

} // namespace driver
