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

namespace {

// wine's own exports for crossing between Windows and host paths; absent on Windows.
std::string HostPath(const std::wstring& windowsPath) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix)
        return std::string();
    char* unixPath = toUnix(windowsPath.c_str());
    if (!unixPath)
        return std::string();
    std::string result = unixPath;
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

std::wstring HostProgram(const char* unixPath) {
    using ToDos = wchar_t*(CDECL*)(const char*);
    auto toDos = reinterpret_cast<ToDos>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    if (!toDos)
        return std::wstring();
    wchar_t* dosPath = toDos(unixPath);
    if (!dosPath)
        return std::wstring();
    std::wstring result = dosPath;
    HeapFree(GetProcessHeap(), 0, dosPath);
    return result;
}

std::wstring Widen(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

// Starts a host program with host paths as its arguments. Wine hands back no usable process
// handle for a host program (null, and a stray thread value that must not be closed: it may
// be some other live handle of ours), so callers poll for the program's effect.
bool StartHost(const char* program, const std::wstring& arguments) {
    std::wstring path = HostProgram(program);
    if (path.empty())
        return false;
    std::wstring command = L"\"" + path + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    return CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process) != 0;
}

template <typename Condition> bool PollFor(Condition condition) {
    for (int i = 0; i < 200; ++i) {
        if (condition())
            return true;
        Sleep(25);
    }
    return false;
}

std::wstring Quoted(const std::string& hostPath) {
    return L"\"" + Widen(hostPath) + L"\"";
}

bool IsLink(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

} // namespace

bool MakeFolderLink(const std::wstring& link, const std::wstring& target) {
    std::string hostLink = HostPath(link), hostTarget = HostPath(target);
    if (hostLink.empty() || hostTarget.empty())
        return false;
    return StartHost("/bin/ln", L"-s " + Quoted(hostTarget) + L" " + Quoted(hostLink)) &&
           PollFor([&] { return IsLink(link); });
}

bool RemoveFolderLink(const std::wstring& link) {
    std::string hostLink = HostPath(link);
    if (hostLink.empty() || !IsLink(link))
        return false;
    return StartHost("/bin/rm", Quoted(hostLink)) &&
           PollFor([&] { return GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES; });
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
