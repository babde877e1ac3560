// Uninstall.exe end to end: the real program, started the way users start it, answered
// through its message boxes, on an installation prepared on drive D: of the test prefix.
#include <doctest/doctest.h>

#include "common/Registry.h"
#include "common/SystemHelpers.h"
#include "common/WizardWindow.h"
#include "tests/bootini/TestHelpers.h"
#include "tests/driver/Driver.h"
#include "tests/fakebcd/FakeBcd.h"
#include "tests/uninstall/ProcessStart.h"

#include <string>

namespace {

const wchar_t kInstalled[] = L"D:\\zentaos\\Uninstall.exe";
const wchar_t kQuestion[] = L"确定删除星岚LUM系统";
const wchar_t kSuccess[] = L"已成功删除星岚LUM系统";
const std::string kEntryD = "\r\nD:\\zeldr=\"\xD0\xC7\xE1\xB0\xCF\xB5\xCD\xB3(boot zenta LUM)\"";
const std::string kEntryE = "\r\nE:\\zeldr=\"\xD0\xC7\xE1\xB0\xCF\xB5\xCD\xB3(boot zenta LUM)\"";
const std::string kIniStart =
    "[boot loader]\r\ntimeout=10\r\ndefault=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n"
    "[operating systems]\r\nmulti(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"XP\"\r\n";
const wchar_t kEntryGuid[] = L"{0b7c6a52-2f1e-4d3a-9c8b-5e4f3a2b1c0d}";

std::wstring TempFolder() {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return folder;
}

std::wstring TempCopy() {
    return TempFolder() + L"Del_ZentaUninstall.exe";
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Content(const std::wstring& path) {
    std::string bytes;
    return driver::ReadFileBytes(path, bytes) ? bytes : "(unreadable)";
}

bool KeyExists(const wchar_t* subKey) {
    return driver::RegistryKeyExists(HKEY_LOCAL_MACHINE, subKey);
}

// Windows XP unless a test says otherwise; the boxes of the programs close without delay.
const bool kPrefixReady = driver::SetWindowsVersion(L"Del_ZentaUninstall.exe", L"winxp") &&
                          driver::SetWindowsVersion(L"Uninstall.exe", L"winxp") &&
                          testhelp::UseUnmanagedWindows();

void PrepareInstallation() {
    REQUIRE(kPrefixReady);
    DeleteDirectoryTree(L"D:\\zentaos");
    SetFileAttributesW(L"D:\\zeldr", FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(L"D:\\zeldr");
    REQUIRE(driver::MakeDirectories(L"D:\\zentaos\\bin"));
    REQUIRE(CopyFileW(driver::BuildPath(L"Uninstall.exe").c_str(), kInstalled, FALSE));
    REQUIRE(driver::WriteFileBytes(L"D:\\zentaos\\bin\\tool.dll", "tool"));
    REQUIRE(driver::WriteFileBytes(L"D:\\zentaos\\zeldr.mbr", std::string(512, 'U')));
    REQUIRE(driver::WriteFileBytes(L"D:\\zeldr", "loader"));
    SetFileAttributesW(L"D:\\zeldr", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    {
        CRegistry record;
        REQUIRE(record.Create(kHardDiskKey));
        REQUIRE(record.WriteDword(L"Drive", L'D'));
        CRegistry uninstall;
        REQUIRE(uninstall.Create(kUninstallKey));
        REQUIRE(uninstall.WriteString(L"UninstallString", kInstalled));
    }
    SetFileAttributesW(L"C:\\boot.ini", FILE_ATTRIBUTE_NORMAL);
    REQUIRE(driver::WriteFileBytes(L"C:\\boot.ini", kIniStart + kEntryE + kEntryD));
}

bool InstallationUntouched() {
    return Exists(kInstalled) && Exists(L"D:\\zentaos\\bin\\tool.dll") && Exists(L"D:\\zeldr") &&
           KeyExists(kHardDiskKey) && KeyExists(kUninstallKey) &&
           Content(L"C:\\boot.ini") == kIniStart + kEntryE + kEntryD;
}

bool NothingLeft() {
    return !Exists(L"D:\\zentaos") && !Exists(L"D:\\zeldr") && !KeyExists(kHardDiskKey) &&
           !KeyExists(kUninstallKey);
}

// A process the test waits for, identified by one of its windows or its start; ended by
// force only when a test gives up on it.
class Running {
  public:
    explicit Running(DWORD processId)
        : handle_(
              OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, processId)) {}
    explicit Running(const driver::Process& process) : Running(process.id) {}
    ~Running() {
        if (handle_ && WaitForSingleObject(handle_.Get(), 0) == WAIT_TIMEOUT)
            TerminateProcess(handle_.Get(), 1);
    }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;
    // Waits, pumping this thread's messages (another program may be showing our window).
    bool Ended(DWORD timeoutMs) {
        return handle_ &&
               driver::WaitUntil([&] { return WaitForSingleObject(handle_.Get(), 0) == WAIT_OBJECT_0; },
                                 timeoutMs);
    }
    DWORD ExitCode() {
        DWORD code = 259;
        GetExitCodeProcess(handle_.Get(), &code);
        return code;
    }

  private:
    zenta::ScopedHandle handle_;
};

DWORD ProcessOf(HWND window) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    return id;
}

// The second stage, started directly as the first stage would start it.
driver::Process StartRemovalStage(const std::wstring& arguments = L"1 1") {
    CopyFileW(driver::BuildPath(L"Uninstall.exe").c_str(), TempCopy().c_str(), FALSE);
    return driver::Start(TempCopy(), arguments, TempFolder());
}

// What follows the program name in a command line.
std::wstring ArgumentsOf(const std::wstring& commandLine) {
    size_t end = commandLine[0] == L'"' ? commandLine.find(L'"', 1) + 1 : commandLine.find(L' ');
    return end == std::wstring::npos || end == 0 ? std::wstring() : commandLine.substr(end);
}

bool IsNumberAndOne(std::wstring arguments) {
    size_t start = arguments.find_first_not_of(L' ');
    if (start == std::wstring::npos)
        return false;
    arguments = arguments.substr(start);
    size_t digits = arguments.find_first_not_of(L"0123456789");
    return digits != 0 && digits != std::wstring::npos && arguments.substr(digits) == L" 1";
}

} // namespace

TEST_CASE("the installed uninstaller hands over to a hidden temporary copy; Cancel leaves everything") {
    PrepareInstallation();
    REQUIRE(driver::WriteFileBytes(TempCopy(), "left by an earlier run"));
    driver::Process first = driver::Start(kInstalled, L"", L"D:\\zentaos");
    REQUIRE(first.handle);
    DWORD code = 259;
    CHECK(first.Wait(10000, &code));
    CHECK(code == 0);
    first.Close();
    CHECK(Content(TempCopy()) == Content(driver::BuildPath(L"Uninstall.exe")));

    HWND question = driver::WaitForMessageBox(0, kQuestion, 15000);
    REQUIRE(question);
    Running second(ProcessOf(question));
    CHECK(driver::WindowText(question) == L"提醒");
    CHECK(driver::MessageBoxText(question) == kQuestion);
    ProcessStart start;
    REQUIRE(ReadProcessStart(ProcessOf(question), start));
    CAPTURE(start.commandLine);
    CHECK(start.commandLine.find(L"Del_ZentaUninstall.exe") != std::wstring::npos);
    CHECK(IsNumberAndOne(ArgumentsOf(start.commandLine)));
    CHECK((start.windowFlags & STARTF_USESHOWWINDOW) != 0);
    CHECK(start.showWindow == SW_HIDE);
    CHECK(lstrcmpiW(start.currentDirectory.c_str(), TempFolder().c_str()) == 0);
    driver::Screenshot(question, L"uninstall_question");

    REQUIRE(driver::AnswerMessageBox(question, IDCANCEL));
    CHECK(second.Ended(10000));
    CHECK(second.ExitCode() == 0);
    CHECK(InstallationUntouched());
    CHECK(Exists(TempCopy()));
}

TEST_CASE("OK removes everything, the installed program included, and says so") {
    PrepareInstallation();
    driver::Process first = driver::Start(kInstalled, L"", L"D:\\zentaos");
    CHECK(first.Wait(10000));
    first.Close();
    HWND question = driver::WaitForMessageBox(0, kQuestion, 15000);
    REQUIRE(question);
    Running second(ProcessOf(question));
    REQUIRE(driver::AnswerMessageBox(question, IDOK));
    HWND report = driver::WaitForMessageBox(ProcessOf(question), L"", 20000);
    REQUIRE(report);
    CHECK(driver::WindowText(report) == L"提醒");
    CHECK(driver::MessageBoxText(report) == kSuccess);
    driver::Screenshot(report, L"uninstall_success");
    REQUIRE(driver::AnswerMessageBox(report, IDOK));
    CHECK(second.Ended(10000));
    CHECK(second.ExitCode() == 0);
    CHECK(NothingLeft());
    CHECK(Content(L"C:\\boot.ini") == kIniStart + kEntryE + "\r\n");
    CHECK(Exists(TempCopy()));
}

TEST_CASE("a removal that cannot finish says what is left") {
    PrepareInstallation();
    zenta::ScopedHandle held(
        CreateFileW(L"D:\\zentaos\\bin\\tool.dll", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    REQUIRE(held);
    driver::Process stage = StartRemovalStage();
    Running running(stage);
    HWND question = driver::WaitForMessageBox(stage.id, kQuestion, 15000);
    REQUIRE(question);
    REQUIRE(driver::AnswerMessageBox(question, IDOK));
    HWND report = driver::WaitForMessageBox(stage.id, L"", 20000);
    REQUIRE(report);
    CHECK(driver::WindowText(report) == L"错误");
    std::wstring text = driver::MessageBoxText(report);
    CAPTURE(text);
    CHECK(text.find(L"没有完全删除") != std::wstring::npos);
    CHECK(text.find(L"文件夹 D:\\zentaos") != std::wstring::npos);
    CHECK(text.find(L"zeldr") == std::wstring::npos);
    CHECK(text != kSuccess);
    driver::Screenshot(report, L"uninstall_incomplete");
    REQUIRE(driver::AnswerMessageBox(report, IDOK));
    CHECK(running.Ended(10000));
    stage.Close();
    held.Reset();
    CHECK(Exists(L"D:\\zentaos\\bin\\tool.dll"));
    CHECK_FALSE(Exists(kInstalled));
    CHECK_FALSE(Exists(L"D:\\zeldr"));
}

TEST_CASE("a second uninstaller brings the running one forward and removes nothing") {
    PrepareInstallation();
    driver::Process a = StartRemovalStage(L"11 1");
    Running runningA(a);
    HWND question = driver::WaitForMessageBox(a.id, kQuestion, 15000);
    REQUIRE(question);

    driver::Process b = driver::Start(TempCopy(), L"22 1", TempFolder());
    Running runningB(b);
    CHECK(runningB.Ended(10000));
    CHECK(runningB.ExitCode() == 0);
    CHECK(driver::WaitForMessageBox(b.id, L"", 200) == nullptr);
    CHECK(IsWindow(question));
    CHECK(GetForegroundWindow() == question);
    // The running uninstaller's frame stays hidden: it is its question that comes forward.
    HWND frame = FindWindowW(kWizardClassName, nullptr);
    REQUIRE(frame);
    CHECK(ProcessOf(frame) == a.id);
    CHECK_FALSE(IsWindowVisible(frame));
    CHECK(InstallationUntouched());

    REQUIRE(driver::AnswerMessageBox(question, IDCANCEL));
    CHECK(runningA.Ended(10000));
    a.Close();
    b.Close();
    CHECK(InstallationUntouched());
}

namespace {
LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}
} // namespace

TEST_CASE("with the mutex taken, a visible wizard window of the shared class is restored instead") {
    PrepareInstallation();
    zenta::ScopedHandle mutex(CreateMutexW(nullptr, TRUE, L"MUTEX_ZENTA_UNINSTALL"));
    REQUIRE(mutex);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = PlainWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kWizardClassName;
    REQUIRE(RegisterClassW(&wc));
    HWND wizard = CreateWindowExW(0, kWizardClassName, L"Setup stand-in", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    REQUIRE(wizard);
    ShowWindow(wizard, SW_SHOWMINIMIZED);
    REQUIRE(IsIconic(wizard));

    driver::Process stage = StartRemovalStage();
    Running running(stage);
    CHECK(running.Ended(10000));
    CHECK_FALSE(IsIconic(wizard));
    CHECK(IsWindowVisible(wizard));
    CHECK(InstallationUntouched());
    stage.Close();
    DestroyWindow(wizard);
    UnregisterClassW(kWizardClassName, wc.hInstance);
}

TEST_CASE("an unsupported Windows is refused before anything is asked") {
    PrepareInstallation();
    REQUIRE(driver::SetWindowsVersion(L"Del_ZentaUninstall.exe", L"win2k"));
    driver::Process stage = StartRemovalStage();
    Running running(stage);
    HWND box = driver::WaitForMessageBox(stage.id, L"", 15000);
    REQUIRE(box);
    CHECK(driver::WindowText(box) == L"错误");
    CHECK(driver::MessageBoxText(box) == L"抱歉，本程序暂不支持您的操作系统");
    REQUIRE(driver::AnswerMessageBox(box, IDOK));
    CHECK(running.Ended(10000));
    CHECK(running.ExitCode() == 0);
    stage.Close();
    CHECK(InstallationUntouched());
    REQUIRE(driver::SetWindowsVersion(L"Del_ZentaUninstall.exe", L"winxp"));
}

TEST_CASE("on Windows 7 the recorded BCD entry is removed and boot.ini is not touched") {
    PrepareInstallation();
    REQUIRE(fakebcd::InstallProvider());
    fakebcd::Store store = fakebcd::FreshStore();
    fakebcd::Object entry;
    entry.id = kEntryGuid;
    entry.type = 0x10400008;
    store.objects.push_back(entry);
    REQUIRE(fakebcd::WriteStore(store));
    REQUIRE(fakebcd::PreListInDisplayOrder(kEntryGuid));
    {
        CRegistry record;
        REQUIRE(record.Open(kHardDiskKey));
        REQUIRE(record.WriteString(L"Guid", kEntryGuid));
    }
    REQUIRE(driver::SetWindowsVersion(L"Del_ZentaUninstall.exe", L"win7"));
    driver::Process stage = StartRemovalStage();
    Running running(stage);
    HWND question = driver::WaitForMessageBox(stage.id, kQuestion, 15000);
    REQUIRE(question);
    REQUIRE(driver::AnswerMessageBox(question, IDOK));
    HWND report = driver::WaitForMessageBox(stage.id, L"", 20000);
    REQUIRE(report);
    CHECK(driver::MessageBoxText(report) == kSuccess);
    REQUIRE(driver::AnswerMessageBox(report, IDOK));
    CHECK(running.Ended(10000));
    stage.Close();
    REQUIRE(driver::SetWindowsVersion(L"Del_ZentaUninstall.exe", L"winxp"));

    CHECK(NothingLeft());
    fakebcd::Store after = fakebcd::ReadStore();
    CHECK(after.Find(kEntryGuid) == nullptr);
    std::vector<std::wstring> order;
    REQUIRE(after.DisplayOrder(order));
    CHECK(order == std::vector<std::wstring>{fakebcd::kWindowsLoaderId});
    CHECK(Content(L"C:\\boot.ini") == kIniStart + kEntryE + kEntryD);
}
