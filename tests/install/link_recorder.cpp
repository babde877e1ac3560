// Stands in for the web browser in the test prefix: registered as the handler of http
// addresses, it appends the address it was given as one UTF-8 line to C:\opened-links.txt
// and ends. Nothing is ever opened.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    std::wstring address = __argc > 1 ? __wargv[1] : L"";
    int size = WideCharToMultiByte(CP_UTF8, 0, address.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string line(size > 0 ? size - 1 : 0, '\0');
    if (!line.empty())
        WideCharToMultiByte(CP_UTF8, 0, address.c_str(), -1, &line[0], size, nullptr, nullptr);
    line += "\r\n";
    HANDLE file = CreateFileW(L"C:\\opened-links.txt", FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
    return 0;
}
