// A program of the tests that does nothing but write down that it ran: one line with its
// command line, appended to C:\started.txt. It stands in for the web browser, and for a
// file planted where the uninstaller's copy would go.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    HANDLE file = CreateFileW(L"C:\\started.txt", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, 0, nullptr);
    const wchar_t* line = GetCommandLineW();
    DWORD written = 0;
    WriteFile(file, line, lstrlenW(line) * sizeof(wchar_t), &written, nullptr);
    WriteFile(file, L"\n", sizeof(wchar_t), &written, nullptr);
    CloseHandle(file);
    return 0;
}
