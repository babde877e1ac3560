#include "tests/driver/Driver.h"

#include "common/ScopedWin.h"

namespace driver {

namespace {

// Wine leaves window frames to the window manager, and the test display has none: programs
// started from here draw their own frames, so that screenshots show the title bar.
void LetWineDrawFrames() {
    HKEY created = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &created, nullptr) != ERROR_SUCCESS)
        return;
    zenta::ScopedRegKey key(created);
    static const wchar_t no[] = L"N";
    RegSetValueExW(key.Get(), L"Decorated", 0, REG_SZ, reinterpret_cast<const BYTE*>(no), sizeof no);
}

} // namespace

bool Process::Wait(DWORD timeoutMs, DWORD* exitCode) const {
    if (!handle || WaitForSingleObject(handle, timeoutMs) != WAIT_OBJECT_0)
        return false;
    if (exitCode && !GetExitCodeProcess(handle, exitCode))
        return false;
    return true;
}

void Process::Kill() const {
    if (!handle)
        return;
    // A test that gives up on a program must not leave it running into the next case.
    TerminateProcess(handle, 1);
    WaitForSingleObject(handle, 5000);
}

void Process::Close() {
    if (handle)
        CloseHandle(handle);
    handle = nullptr;
    id = 0;
}

Process Start(const std::wstring& exe, const std::wstring& arguments, const std::wstring& workingDir) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    std::wstring directory = workingDir;
    if (directory.empty()) {
        size_t slash = exe.find_last_of(L"\\/");
        if (slash != std::wstring::npos)
            directory = exe.substr(0, slash);
        if (directory.size() == 2 && directory[1] == L':')
            directory += L'\\';
    }
    LetWineDrawFrames();
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    Process process;
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &info))
        return process;
    CloseHandle(info.hThread);
    process.handle = info.hProcess;
    process.id = info.dwProcessId;
    return process;
}

} // namespace driver
