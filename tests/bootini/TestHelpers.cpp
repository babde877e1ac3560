#include "tests/bootini/TestHelpers.h"

#include "tests/driver/Driver.h"

namespace testhelp {

namespace {

struct BoxSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindOwnBox(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<BoxSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window) || driver::WindowClass(window) != L"#32770")
        return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

BoxAnswerer::BoxAnswerer(int button) : button_(button), stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_.Reset(CreateThread(nullptr, 0, Watch, this, 0, nullptr));
}

BoxAnswerer::~BoxAnswerer() {
    Finish();
}

void BoxAnswerer::Finish() {
    if (!thread_)
        return;
    SetEvent(stop_.Get());
    WaitForSingleObject(thread_.Get(), INFINITE);
    thread_.Reset();
}

DWORD WINAPI BoxAnswerer::Watch(void* param) {
    auto* self = static_cast<BoxAnswerer*>(param);
    while (WaitForSingleObject(self->stop_.Get(), 50) == WAIT_TIMEOUT) {
        BoxSearch search = {GetCurrentProcessId(), nullptr};
        EnumWindows(FindOwnBox, reinterpret_cast<LPARAM>(&search));
        if (!search.found)
            continue;
        self->caption_ = driver::WindowText(search.found);
        self->text_ = driver::MessageBoxText(search.found);
        ++self->count_;
        driver::AnswerMessageBox(search.found, self->button_);
    }
    return 0;
}

bool UseUnmanagedWindows() {
    HKEY created = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &created, nullptr) != ERROR_SUCCESS)
        return false;
    zenta::ScopedRegKey key(created);
    const wchar_t value[] = L"N";
    return RegSetValueExW(key.Get(), L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                          sizeof value) == ERROR_SUCCESS;
}

bool RunTestCaseInXpMode(const char* testCase) {
    wchar_t self[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    std::wstring path = self;
    std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
    if (!driver::SetWindowsVersion(name, L"winxp") || !UseUnmanagedWindows())
        return false;
    std::wstring command = L"\"" + path + L"\" --test-case=\"";
    for (const char* c = testCase; *c; ++c)
        command += static_cast<wchar_t>(*c);
    command += L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(path.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    zenta::ScopedHandle processHandle(process.hProcess), threadHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    return exitCode == 0;
}

} // namespace testhelp
