#include "tests/driver/Driver.h"

#include "common/InstallRecord.h"
#include "common/ScopedWin.h"
#include "common/SystemHelpers.h"
#include "resources/resource.h"
#include "tests/fakebcd/FakeBcd.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>

namespace driver {

namespace {

// The visible top-level window of `className` and process `pid` (0: any) that `match` takes.
template <typename Match> HWND FindTop(const wchar_t* className, DWORD pid, Match match) {
    for (HWND w = FindWindowExW(nullptr, nullptr, className, nullptr); w;
         w = FindWindowExW(nullptr, w, className, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (IsWindowVisible(w) && (!pid || owner == pid) && match(w))
            return w;
    }
    return nullptr;
}

bool CopyTree(const std::wstring& from, const std::wstring& to) {
    std::wstring source = from + L"\\*" + L'\0', target = to + L'\0'; // lists of one, doubly ended
    SHFILEOPSTRUCTW copy = {};
    copy.wFunc = FO_COPY;
    copy.pFrom = source.c_str();
    copy.pTo = target.c_str();
    copy.fFlags = FOF_NO_UI;
    return MakeDirs(to) && SHFileOperationW(&copy) == 0;
}

} // namespace

Process::~Process() {
    if (handle && WaitForSingleObject(handle, 0) == WAIT_TIMEOUT)
        TerminateProcess(handle, 1);
    if (handle)
        CloseHandle(handle);
}

bool Process::Ended(DWORD ms, DWORD* code) const {
    if (!handle || WaitForSingleObject(handle, ms) != WAIT_OBJECT_0)
        return false;
    if (code)
        GetExitCodeProcess(handle, code);
    return true;
}

bool Start(Process& process, const std::wstring& exe, const std::wstring& arguments,
           const std::wstring& dir) {
    std::wstring line = L"\"" + exe + L"\" " + arguments;
    std::wstring folder = dir.empty() ? exe.substr(0, exe.find_last_of(L'\\')) : dir;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &info))
        return false;
    CloseHandle(info.hThread);
    process.handle = info.hProcess;
    process.id = info.dwProcessId;
    return true;
}

HWND WaitForBox(DWORD pid, const std::wstring& part, DWORD ms) {
    HWND found = nullptr;
    auto match = [&](HWND w) { return BoxText(w).find(part) != std::wstring::npos; };
    WaitUntil([&] { return (found = FindTop(L"#32770", pid, match)) != nullptr; }, ms);
    return found;
}

std::wstring Text(HWND window) {
    wchar_t text[2048] = {};
    DWORD_PTR copied = 0;
    // Marshalled across processes: a hung target must not hang the test.
    SendMessageTimeoutW(window, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                        &copied);
    return text;
}

std::wstring BoxText(HWND box) {
    // The message is static 0xFFFF on Windows; otherwise the longest static text.
    std::wstring longest;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[16] = {};
        GetClassNameW(child, name, 16);
        std::wstring text = lstrcmpiW(name, L"Static") == 0 ? Text(child) : L"";
        if (GetDlgCtrlID(child) == 0xFFFF)
            return text;
        if (text.size() > longest.size())
            longest = text;
    }
    return longest;
}

bool Answer(HWND box, int id) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
    return WaitUntil([&] { return !IsWindow(box); }, 5000);
}

std::wstring AnswerBox(DWORD pid, const std::wstring& part, int id, DWORD ms, std::wstring* caption) {
    HWND box = WaitForBox(pid, part, ms);
    std::wstring text = box ? BoxText(box) : L"";
    if (caption)
        *caption = box ? Text(box) : L"";
    if (box)
        Answer(box, id);
    return text;
}

void Click(HWND control) {
    RECT client = {};
    GetClientRect(control, &client);
    LPARAM at = MAKELPARAM(client.right / 2, client.bottom / 2);
    PostMessageW(control, WM_MOUSEMOVE, 0, at);
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(control, WM_LBUTTONUP, 0, at);
}

void Key(HWND window, WPARAM key) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    HWND target = info.hwndFocus ? info.hwndFocus : window;
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

HWND Control(HWND parent, int id) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(child) == id)
            return child;
        if (HWND inner = Control(child, id))
            return inner;
    }
    return nullptr;
}

Page ReadPage(HWND wizard) {
    HWND page = FindWindowExW(wizard, nullptr, L"#32770", nullptr);
    if (!page)
        return Page::None;
    if (GetDlgItem(page, IDC_PAGE_PROGRESS))
        return Page::Progress;
    if (GetDlgItem(page, IDC_PAGE_CLOSE))
        return GetDlgItem(page, IDC_PAGE_RESTART) ? Page::Complete : Page::Notice;
    return FindWindowExW(page, nullptr, L"ComboBox", nullptr) ? Page::Welcome : Page::Remove;
}

bool WaitForPage(HWND wizard, Page page, DWORD ms) {
    // A box of the wizard's program or its end means the page will not come: no need to wait.
    DWORD pid = 0;
    GetWindowThreadProcessId(wizard, &pid);
    auto box = [](HWND) { return true; };
    WaitUntil([&] { return ReadPage(wizard) == page || !IsWindow(wizard) || FindTop(L"#32770", pid, box); },
              ms);
    return ReadPage(wizard) == page;
}

bool Screenshot(HWND window, const std::wstring& name) {
    RECT r = {};
    if (!GetWindowRect(window, &r))
        return false;
    // The screen is read: the window goes on top and paints afresh first.
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    Sleep(300);
    int w = r.right - r.left, h = r.bottom - r.top;
    zenta::ScopedWindowDc screen(nullptr);
    zenta::ScopedMemoryDc memory(CreateCompatibleDC(screen.Get()));
    zenta::ScopedBitmap bitmap(CreateCompatibleBitmap(screen.Get(), w, h));
    {
        zenta::ScopedSelect select(memory.Get(), bitmap.Get());
        BitBlt(memory.Get(), 0, 0, w, h, screen.Get(), r.left, r.top, SRCCOPY);
    }
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = w;
    header.biHeight = h;
    header.biPlanes = 1;
    header.biBitCount = 24;
    std::string pixels(((w * 3 + 3) & ~3) * h, '\0');
    if (!GetDIBits(memory.Get(), bitmap.Get(), 0, h, &pixels[0], reinterpret_cast<BITMAPINFO*>(&header),
                   DIB_RGB_COLORS))
        return false;
    BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(sizeof file + sizeof header + pixels.size()), 0, 0,
                             sizeof file + sizeof header};
    return WriteBytes(L"S:\\" + name + L".bmp",
                      std::string(reinterpret_cast<char*>(&file), sizeof file) +
                          std::string(reinterpret_cast<char*>(&header), sizeof header) + pixels);
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    zenta::ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

std::string ReadBytes(const std::wstring& path) {
    zenta::ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, 0, nullptr));
    std::string bytes(file ? GetFileSize(file.Get(), nullptr) : 0, '\0');
    DWORD read = 0;
    if (!bytes.empty() && !ReadFile(file.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr))
        return std::string();
    return bytes;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MakeSparse(const std::wstring& path, unsigned long long size) {
    zenta::ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    return file && SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.Get());
}

bool MakeDirs(const std::wstring& path) {
    int made = SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
    return made == ERROR_SUCCESS || made == ERROR_ALREADY_EXISTS;
}

std::wstring ReadWide(const std::wstring& path) {
    std::string bytes = ReadBytes(path);
    size_t skip = bytes.compare(0, 2, "\xFF\xFE") == 0 ? 2 : 0;
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + skip), (bytes.size() - skip) / 2);
}

std::wstring ReadLog(const std::wstring& name) {
    return ReadWide(TempDirectory() + name);
}

bool InOrder(const std::wstring& text, std::initializer_list<const wchar_t*> parts) {
    size_t at = 0;
    for (const wchar_t* part : parts)
        if ((at = text.find(part, at)) == std::wstring::npos)
            return std::printf("not found, or not in order: %s\n", Utf8(part).c_str()), false;
    return true;
}

namespace {

// HKEY_LOCAL_MACHINE as the shipped 32-bit programs see it, in either flavour.
bool ReadMachineValue(const std::wstring& subKey, const std::wstring& name, DWORD& type, void* data,
                      DWORD& size) {
    CRegistry key;
    return key.Open(subKey.c_str(), KEY_QUERY_VALUE | KEY_WOW64_32KEY) &&
           !RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, static_cast<BYTE*>(data), &size);
}

} // namespace

std::wstring RegText(const std::wstring& subKey, const std::wstring& name) {
    wchar_t value[512] = {};
    DWORD type = 0, size = sizeof value - sizeof(wchar_t);
    bool read = ReadMachineValue(subKey, name, type, value, size);
    return read && type == REG_SZ ? value : L"(missing)";
}

DWORD RegDword(const std::wstring& subKey, const std::wstring& name, DWORD missing) {
    DWORD value = 0, type = 0, size = sizeof value;
    bool read = ReadMachineValue(subKey, name, type, &value, size);
    return read && type == REG_DWORD ? value : missing;
}

bool SetRegValue(HKEY root, const std::wstring& subKey, const wchar_t* name, DWORD type, const void* data,
                 DWORD size) {
    HKEY opened = nullptr;
    const REGSAM view = root == HKEY_LOCAL_MACHINE ? KEY_WOW64_32KEY : 0;
    if (RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &opened, nullptr))
        return false;
    zenta::ScopedRegKey key(opened);
    return !RegSetValueExW(key.Get(), name, 0, type, static_cast<const BYTE*>(data), size);
}

bool SetRegText(HKEY root, const std::wstring& subKey, const wchar_t* name, const std::wstring& value) {
    return SetRegValue(root, subKey, name, REG_SZ, value.c_str(),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::string Utf8(const std::wstring& text) {
    std::string out(text.size() * 3 + 1, '\0');
    out.resize(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0],
                                   static_cast<int>(out.size()), nullptr, nullptr));
    return out;
}

std::wstring Build(const std::wstring& relative) {
    return L"Y:\\" + relative;
}

bool PrepareMachine(Kind kind, const wchar_t* version) {
    version = version ? version : kind == Kind::Bcd ? L"win7" : L"winxp";
    for (const wchar_t* exe : {L"Setup.exe", L"Uninstall.exe", L"Del_ZentaUninstall.exe"})
        if (!SetRegText(HKEY_CURRENT_USER, std::wstring(L"Software\\Wine\\AppDefaults\\") + exe, L"Version",
                        version))
            return false;
    SetFileAttributesW(L"D:\\zeldr", FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(L"D:\\zeldr");
    DeleteDirectoryTree(L"D:\\zentaos");
    DeleteRecords();
    if (kind == Kind::BootIni)
        return WriteBytes(
            L"C:\\boot.ini",
            "[boot loader]\r\ntimeout=5\r\ndefault=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n"
            "[operating systems]\r\nmulti(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Windows XP\"\r\n");
    return fakebcd::RegisterDll() && fakebcd::SaveStore(fakebcd::FreshStore());
}

std::wstring MakePackage(const std::wstring& name, unsigned long long disksBytes) {
    std::wstring package = L"E:\\" + name, files = package + L"\\copyfiles";
    bool ok = CopyTree(Build(L"test-data\\package"), package) &&
              CopyFileW(Build(L"Setup.exe").c_str(), (package + L"\\Setup.exe").c_str(), FALSE);
    for (const wchar_t* folder : {L"\\common", L"\\bcd", L"\\ini", L"\\disks"})
        ok = ok && MakeDirs(files + folder);
    ok = ok &&
         CopyFileW(Build(L"Uninstall.exe").c_str(), (files + L"\\common\\Uninstall.exe").c_str(), FALSE) &&
         WriteBytes(files + L"\\common\\zeldr", std::string(512, 'L')) &&
         WriteBytes(files + L"\\bcd\\zeldr.mbr", std::string(512, 'M')) &&
         WriteBytes(files + L"\\ini\\zeldr.ini", std::string(64, 'I'));
    return ok && (!disksBytes || MakeSparse(files + L"\\disks\\zenta", disksBytes)) ? package : L"";
}

HWND StartSetup(Process& setup, const std::wstring& package, const std::wstring& dir) {
    if (!Start(setup, package + L"\\Setup.exe", L"", dir.empty() ? package : dir))
        return nullptr;
    HWND wizard = nullptr;
    WaitUntil(
        [&] {
            return (wizard = FindTop(L"ZENTA_LUM_SetupWizardWND", setup.id,
                                     [](HWND w) { return ReadPage(w) != Page::None; }));
        },
        20000);
    return wizard;
}

const wchar_t kDiskQuestion[] = L"位于哪一块磁盘上";

void PressInstall(HWND wizard, bool answerDiskQuestion) {
    HWND page = FindWindowExW(wizard, nullptr, L"#32770", nullptr);
    DWORD pid = 0;
    GetWindowThreadProcessId(wizard, &pid);
    Click(Control(page, IDC_PAGE_NEXT));
    if (!answerDiskQuestion)
        return;
    HWND box = nullptr;
    std::wstring text; // read once: a second read of a busy program's box may come back empty
    auto shown = [&](HWND w) { return !(text = BoxText(w)).empty(); };
    auto movedOn = [&] { return ReadPage(wizard) > Page::Remove || !IsWindow(wizard); };
    WaitUntil([&] { return (box = FindTop(L"#32770", pid, shown)) || movedOn(); }, 30000);
    if (box && text.find(kDiskQuestion) != std::wstring::npos)
        Answer(box, IDYES);
}

void InstallTo(HWND wizard, wchar_t letter, bool answerDiskQuestion) {
    const wchar_t drive[] = {letter, L':', 0};
    HWND page = nullptr, box = nullptr;
    LRESULT index = CB_ERR;
    WaitUntil( // the drive box is made, and filled, just after the page
        [&] {
            page = FindWindowExW(wizard, nullptr, L"#32770", nullptr);
            box = FindWindowExW(page, nullptr, L"ComboBox", nullptr);
            index = box ? SendMessageW(box, CB_FINDSTRING, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(drive))
                        : CB_ERR;
            return index != CB_ERR;
        },
        20000);
    SendMessageW(box, CB_SETCURSEL, index, 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
    PressInstall(wizard, answerDiskQuestion);
}

std::wstring Uninstall(const std::wstring& warning, std::wstring* caption) {
    Process first;
    if (!Start(first, L"D:\\zentaos\\Uninstall.exe") ||
        AnswerBox(0, L"确定删除星岚LUM系统", IDOK) != L"确定删除星岚LUM系统" ||
        (!warning.empty() && AnswerBox(0, warning, IDOK) != warning))
        return L"(no question or warning)";
    return AnswerBox(0, L"星岚LUM系统", IDOK, 20000, caption);
}

std::string Leftovers(Kind kind) {
    std::wstring left;
    for (const wchar_t* path : {L"D:\\zeldr", L"D:\\zentaos"})
        left += Exists(path) ? std::wstring(path) + L"; " : L"";
    left += InstallRecordGone() ? L"" : std::wstring(kHardDiskKey) + L"; ";
    left += UninstallRecordGone() ? L"" : std::wstring(kUninstallKey) + L"; ";
    std::string bootIni = ReadBytes(L"C:\\boot.ini");
    if (kind == Kind::BootIni && bootIni.find("D:\\zeldr") != std::string::npos)
        left += L"boot.ini entry; ";
    // The boot menu's timeout is given back: 5 s in boot.ini, 30 s in a fresh store.
    if (kind == Kind::BootIni && bootIni.find("\r\ntimeout=5\r\n") == std::string::npos)
        left += L"boot.ini timeout; ";
    fakebcd::Store store = fakebcd::LoadStore();
    if (kind == Kind::Bcd && (store.objects.size() != 2 || store.DisplayOrder().size() != 1))
        left += L"BCD entry; ";
    if (kind == Kind::Bcd && store.Timeout() != 30)
        left += L"BCD timeout; ";
    return Utf8(left);
}

} // namespace driver
