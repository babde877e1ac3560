// The real Setup.exe and Uninstall.exe as on Windows 7, with the fake BCD provider registered
// for the prefix: an installation from start to end, and every way it can be cut short.
#include <doctest/doctest.h>

#include "common/FastStartup.h"
#include "common/InstallRecord.h"
#include "common/Messages.h"
#include "resources/resource.h"
#include "tests/driver/Driver.h"
#include "tests/fakebcd/FakeBcd.h"

#include <commctrl.h>
#include <shlwapi.h>
#include <tlhelp32.h>
#include <wbemidl.h>

using namespace driver;

namespace {

constexpr unsigned long long kSystemDisks = 1048576000ull; // from here on the Complete page

void SetFakeBcd(std::vector<std::wstring> failures, HRESULT notFound = S_OK) {
    fakebcd::Store store = fakebcd::LoadStore();
    store.failures = std::move(failures);
    store.notFound = notFound;
    REQUIRE(fakebcd::SaveStore(store));
}

// Suspends (or resumes) the thread of the program's windows, or every other thread of it: what
// is posted to the windows meanwhile waits in the queue, as behind a window that is busy; the
// copy worker hangs, as on a medium that no longer answers.
void Hold(HWND window, bool windows, bool hold) {
    DWORD pid = 0, ui = GetWindowThreadProcessId(window, &pid);
    zenta::ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot.Get(), &entry); more;
         more = Thread32Next(snapshot.Get(), &entry)) {
        if (entry.th32OwnerProcessID != pid || (entry.th32ThreadID == ui) != windows)
            continue;
        zenta::ScopedHandle thread(OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID));
        hold ? SuspendThread(thread.Get()) : ResumeThread(thread.Get());
    }
}

// The wizard's window answers for `ms` on end; a window that hangs fails within 5 s.
void KeepsAnswering(HWND wizard, DWORD ms) {
    for (DWORD start = GetTickCount();; Sleep(50)) {
        DWORD_PTR result = 0;
        REQUIRE(SendMessageTimeoutW(wizard, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result));
        if (GetTickCount() - start >= ms)
            return;
    }
}

// Windows 8 (6.2) with Fast Startup and hibernation on: Setup asks whether to turn it off.
bool FastStartupOn() {
    DWORD on = 1;
    return PrepareMachine(Kind::Bcd, L"win8") &&
           !SHSetValueW(HKEY_LOCAL_MACHINE, kPowerKey, L"HiberbootEnabled", REG_DWORD, &on, sizeof on) &&
           !SHSetValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Power", L"HibernateEnabled",
                        REG_DWORD, &on, sizeof on);
}

} // namespace

TEST_CASE(
    "install from another working directory to the Complete page, restart Setup, remove with Uninstall") {
    REQUIRE(FastStartupOn());
    std::wstring package = MakePackage(L"full", kSystemDisks);
    Process setup;
    HWND wizard = StartSetup(setup, package, L"C:\\windows"); // the package is Setup's own folder
    REQUIRE(WaitForPage(wizard, Page::Welcome, 10000));
    CHECK(Screenshot(wizard, L"welcome"));
    Key(wizard, VK_ESCAPE);
    InstallTo(wizard);
    CHECK(AnswerBox(setup.id, L"是否关闭快速启动", IDYES).find(L"重启电脑不受影响") != std::wstring::npos);
    REQUIRE(WaitForPage(wizard, Page::Progress, 10000));
    Key(wizard, VK_ESCAPE);
    CHECK(Screenshot(wizard, L"progress"));
    REQUIRE(WaitForPage(wizard, Page::Complete, 120000));
    CHECK(Text(wizard) == L"星岚操作系统 Zenta LUM 安装完成");
    CHECK(Screenshot(wizard, L"complete"));
    Click(Control(wizard, IDC_PAGE_CLOSE));
    DWORD code = 1;
    CHECK(setup.Ended(10000, &code));
    CHECK(code == 0);

    CHECK(RegDword(kHardDiskKey, L"Hiberboot") == 1);
    CHECK(RegDword(kPowerKey, L"HiberbootEnabled") == 0);
    CHECK(ReadBytes(L"D:\\zentaos\\zeldr.mbr") == std::string(512, 'M'));
    CHECK(fakebcd::LoadStore().Find(RegText(kHardDiskKey, L"Guid")));
    std::wstring log = ReadLog(L"ZentaLUM-Setup.log");
    CHECK(InOrder(log, {L"Zenta LUM Setup 8.1", L"package E:\\full", L"Windows kind 2", L"firmware BIOS",
                        L"drive chosen: D:", L"installation record written", L"Fast Startup turned off",
                        L"copy planned: 4 file(s)", L"protected D:\\zentaos",
                        L"FSCTL_SET_COMPRESSION none D:\\zentaos: ", L"protected D:\\zeldr",
                        L"FileAllocationInfo D:\\zentaos\\zenta", L"copy completed: 4 file(s)",
                        L"FSCTL_GET_RETRIEVAL_POINTERS D:\\zentaos\\zenta: done, 1 extents",
                        L"BcdStore.CreateObject", L"boot entry registered", L"uninstall record written"}));

    Process again;
    wizard = StartSetup(again, package);
    REQUIRE(WaitForPage(wizard, Page::Remove, 10000));
    CHECK(Screenshot(wizard, L"remove"));
    Key(wizard, VK_ESCAPE);
    CHECK_FALSE(WaitUntil([&] { return ReadPage(wizard) != Page::Remove; }, 1000));
    PostMessageW(wizard, WM_CLOSE, 0, 0);
    CHECK(again.Ended(10000));
    CHECK(Leftovers(Kind::Bcd) != "");

    std::wstring caption;
    CHECK(Uninstall(L"", &caption) == L"已成功删除星岚LUM系统");
    CHECK(caption == L"提醒");
    CHECK(WaitUntil([] { return Leftovers(Kind::Bcd).empty(); }, 10000));
    CHECK(RegDword(kPowerKey, L"HiberbootEnabled") == 1);
}

TEST_CASE("a removal that cannot reach the store keeps the records, tells what is left, and is finished "
          "later; while the store hangs the wizard answers and stays") {
    REQUIRE(PrepareMachine(Kind::Bcd));
    SetFakeBcd({}, WBEM_E_NOT_FOUND); // the other way a provider may say "no such object"
    std::wstring package = MakePackage(L"small", 0);
    Process setup;
    HWND wizard = StartSetup(setup, package);
    InstallTo(wizard);
    REQUIRE(WaitForPage(wizard, Page::Notice, 30000));
    CHECK(Screenshot(wizard, L"notice"));
    // The link opens its address with the shell: the prefix's browser is the marker program.
    REQUIRE(SetRegText(HKEY_CLASSES_ROOT, L"http\\shell\\open\\command", nullptr,
                       L"\"" + Build(L"tests\\marker.exe") + L"\" \"%1\""));
    HWND link =
        FindWindowExW(FindWindowExW(wizard, nullptr, L"#32770", nullptr), nullptr, L"Static", nullptr);
    PostMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    CHECK(WaitUntil([] { return ReadWide(L"C:\\started.txt").find(L"catid=52") != std::wstring::npos; },
                    10000));
    Key(wizard, VK_ESCAPE);
    Key(wizard, VK_RETURN); // the Close button has the focus
    CHECK(setup.Ended(10000));

    SetFakeBcd({L"ConnectServer~"}, WBEM_E_NOT_FOUND);
    Process hung;
    wizard = StartSetup(hung, package);
    REQUIRE(WaitForPage(wizard, Page::Remove, 10000));
    Key(wizard, VK_RETURN);
    PostMessageW(wizard, WM_CLOSE, 0, 0);
    KeepsAnswering(wizard, 2000);
    CHECK(ReadPage(wizard) == Page::Remove);
    CHECK_FALSE(hung.Ended(0));
    TerminateProcess(hung.handle, 1);

    SetFakeBcd({L"ConnectServer"}, WBEM_E_NOT_FOUND);
    std::wstring caption;
    std::wstring report = Uninstall(L"无法连接上wmi", &caption);
    CHECK(caption == L"错误");
    for (const wchar_t* left :
         {L"启动菜单中的星岚系统启动项", L"D:\\zeldr", L"D:\\zentaos", L"再次运行安装程序", L"日志文件："})
        CHECK(report.find(left) != std::wstring::npos);
    CHECK_FALSE(InstallRecordGone());
    CHECK(Exists(L"D:\\zentaos\\zeldr.mbr"));

    SetFakeBcd({}, WBEM_E_NOT_FOUND);
    CHECK(Uninstall(L"", &caption) == L"已成功删除星岚LUM系统");
    CHECK(WaitUntil([] { return Leftovers(Kind::Bcd).empty(); }, 10000));
}

TEST_CASE("cancel while the copy worker hangs: the wizard keeps answering, then everything is undone") {
    REQUIRE(PrepareMachine(Kind::Bcd));
    std::wstring package = MakePackage(L"cancel", kSystemDisks);
    Process setup;
    HWND wizard = StartSetup(setup, package);
    InstallTo(wizard);
    REQUIRE(WaitForPage(wizard, Page::Progress, 10000));
    // The question pauses the copy; while it is open the worker is made to hang for good.
    PostMessageW(wizard, WM_CLOSE, 0, 0);
    HWND question = WaitForBox(setup.id, L"确认放弃安装吗", 10000);
    REQUIRE(question);
    Hold(wizard, false, true);
    Answer(question, IDOK);
    KeepsAnswering(wizard, 2000);
    CHECK_FALSE(setup.Ended(0));
    Hold(wizard, false, false);
    CHECK(setup.Ended(30000));
    CHECK(Leftovers(Kind::Bcd) == "");
}

TEST_CASE(
    "the cancel question holds the installation where it is; the answer alone decides what comes next") {
    const struct {
        int answer;
        bool afterEnd;   // asked once the last step has ended, else while the boot entry is being made
        bool nextQueued; // the page's "next" posted just before the question opens
    } rows[] = {{IDOK, true, true}, {IDCANCEL, true, false}, {IDCANCEL, false, false}};
    for (const auto& row : rows) {
        CAPTURE(row.answer);
        CAPTURE(row.afterEnd);
        REQUIRE(PrepareMachine(Kind::Bcd));
        SetFakeBcd({L"ConnectServer~"}); // the registration waits until released
        std::wstring package = MakePackage(L"ask", 0);
        const size_t logged = ReadLog(L"ZentaLUM-Setup.log").size();
        auto reached = [&](const wchar_t* line) {
            return WaitUntil(
                [&] { return ReadLog(L"ZentaLUM-Setup.log").find(line, logged) != std::wstring::npos; },
                30000);
        };
        Process setup;
        HWND wizard = StartSetup(setup, package);
        InstallTo(wizard);
        REQUIRE(reached(L"copy completed"));
        if (row.afterEnd) {
            // The wizard is held while the installation ends: the question comes before the
            // page has seen the end, and the page's next tick falls while it is open.
            Hold(wizard, true, true);
            SetFakeBcd({});
            const bool ended = reached(L"uninstall record written");
            PostMessageW(wizard, WM_CLOSE, 0, 0);
            if (row.nextQueued)
                PostMessageW(wizard, WM_PAGE_NEXT, 0, 0);
            Hold(wizard, true, false);
            REQUIRE(ended);
        } else {
            // Once the registration is under way (held at the provider), not at a step before it.
            REQUIRE(reached(L"SeRestorePrivilege: enabled"));
            PostMessageW(wizard, WM_CLOSE, 0, 0);
        }
        HWND question = WaitForBox(setup.id, L"确认放弃安装吗", 10000);
        REQUIRE(question);
        if (row.afterEnd) {
            HWND bar = Control(wizard, IDC_PAGE_PROGRESS);
            CHECK(WaitUntil([&] { return SendMessageW(bar, PBM_GETPOS, 0, 0) == 100; }, 10000));
        } else {
            SetFakeBcd({});
            REQUIRE(reached(L"boot entry registered"));
        }
        CHECK(ReadPage(wizard) == Page::Progress);
        REQUIRE(Answer(question, row.answer));
        if (row.answer == IDOK) {
            CHECK(setup.Ended(30000));
            CHECK(Leftovers(Kind::Bcd) == "");
            CHECK(InOrder(ReadLog(L"ZentaLUM-Setup.log").substr(logged),
                          {L"cancel confirmed", L"installation cancelled after it had completed",
                           L"cancel done: the installation is undone"}));
            continue;
        }
        CHECK(WaitForPage(wizard, Page::Notice, 30000));
        if (!row.afterEnd) // the step after the one the question fell in waited for the answer
            CHECK(InOrder(ReadLog(L"ZentaLUM-Setup.log").substr(logged),
                          {L"boot entry registered", L"installation resumed", L"uninstall record written"}));
        CHECK(RegText(kUninstallKey, L"UninstallString") == L"D:\\zentaos\\Uninstall.exe");
        PostMessageW(wizard, WM_CLOSE, 0, 0);
        CHECK(setup.Ended(10000));
    }
}

TEST_CASE("a copy that fails and a boot entry that cannot be made: an error box each, logged, nothing left") {
    REQUIRE(PrepareMachine(Kind::Bcd));
    std::wstring package = MakePackage(L"locked", 0);
    std::wstring locked = package + L"\\copyfiles\\common\\readme.txt";
    REQUIRE(WriteBytes(locked, "x"));
    zenta::ScopedHandle held(
        CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    Process setup;
    InstallTo(StartSetup(setup, package));
    std::wstring caption, text = AnswerBox(setup.id, L"无法复制文件", IDOK, 30000, &caption);
    CHECK(caption == L"错误");
    CHECK(text.find(locked) != std::wstring::npos);
    CHECK(setup.Ended(20000));
    CHECK(Leftovers(Kind::Bcd) == "");
    CHECK(InOrder(ReadLog(L"ZentaLUM-Setup.log"), {L"copy failed", L"error 32 ", locked.c_str()}));
    held.Reset();

    SetFakeBcd({L"SetPartitionDeviceElement"});
    Process refused;
    InstallTo(StartSetup(refused, package));
    text = AnswerBox(refused.id, L"无法创建星岚系统的启动项", IDOK, 30000);
    CHECK(text.find(L"write the application device") != std::wstring::npos);
    CHECK(refused.Ended(20000));
    SetFakeBcd({});
    CHECK(Leftovers(Kind::Bcd) == "");
    CHECK(InOrder(ReadLog(L"ZentaLUM-Setup.log"), {L"SetPartitionDeviceElement", L"ReturnValue false",
                                                   L"installation failed", L"removal: boot entry removed"}));
}

TEST_CASE("the recorded volume under its letter now, or gone; a removal no later run can finish asks to "
          "forget the installation") {
    enum Change { EntryEdited, VolumeGone, LettersMoved };
    const struct {
        Change change;
        int answer;
    } rows[] = {{EntryEdited, IDYES}, {EntryEdited, IDNO}, {VolumeGone, 0}, {LettersMoved, 0}};
    for (const auto& row : rows) {
        CAPTURE(row.change);
        CAPTURE(row.answer);
        REQUIRE((row.change == LettersMoved ? FastStartupOn() : PrepareMachine(Kind::Bcd)));
        std::wstring package = MakePackage(L"small", 0);
        {
            Process setup;
            HWND wizard = StartSetup(setup, package);
            InstallTo(wizard);
            if (row.change == LettersMoved) // and Fast Startup is left on when the user says so
                CHECK(AnswerBox(setup.id, L"是否关闭快速启动", IDNO) != L"");
            REQUIRE(WaitForPage(wizard, Page::Notice, 30000));
            PostMessageW(wizard, WM_CLOSE, 0, 0);
            REQUIRE(setup.Ended(10000));
        }
        const std::wstring id = RegText(kHardDiskKey, L"Guid");
        if (row.change == LettersMoved) {
            CHECK(RegDword(kPowerKey, L"HiberbootEnabled") == 1);
            CHECK(RegDword(kHardDiskKey, L"Hiberboot") == 0xFFFFFFFF);
            // The record says E:, another volume's letter now; ours is D:.
            DWORD e = L'E';
            REQUIRE(SetRegValue(HKEY_LOCAL_MACHINE, kHardDiskKey, L"Drive", REG_DWORD, &e, sizeof e));
            REQUIRE(WriteBytes(L"E:\\zeldr", "not ours"));
            CHECK(Uninstall() == L"已成功删除星岚LUM系统");
            CHECK(WaitUntil([] { return Leftovers(Kind::Bcd).empty(); }, 10000));
            CHECK(ReadBytes(L"E:\\zeldr") == "not ours");
            continue;
        }
        if (row.change == VolumeGone) {
            // The disk was taken out: no volume of that name exists (the files stay on D: here).
            REQUIRE(SetRegText(HKEY_LOCAL_MACHINE, kHardDiskKey, L"Volume",
                               L"\\\\?\\Volume{0000abcd-0000-0000-0000-000000000000}\\"));
            std::wstring caption;
            CHECK(Uninstall(L"", &caption).find(L"磁盘分区已不存在") != std::wstring::npos);
            CHECK(caption == L"提醒");
            CHECK(WaitUntil([] { return Leftovers(Kind::Bcd) == "D:\\zeldr; D:\\zentaos; "; }, 10000));
            continue;
        }
        fakebcd::Store store = fakebcd::LoadStore();
        for (fakebcd::Object& object : store.objects)
            for (fakebcd::Element& element : object.elements)
                if (fakebcd::Same(object.id, id) && element.type == fakebcd::kDescription)
                    element.text = L"my own entry";
        REQUIRE(fakebcd::SaveStore(store));
        Process again;
        HWND wizard = StartSetup(again, package);
        REQUIRE(WaitForPage(wizard, Page::Remove, 10000));
        Key(wizard, VK_RETURN);
        std::wstring caption, text = AnswerBox(again.id, L"是否忘记这次安装", row.answer, 20000, &caption);
        CHECK(caption == L"警告");
        CHECK(text.find(L"bcdedit /delete " + id) != std::wstring::npos);
        if (row.answer == IDYES) {
            CHECK(WaitForPage(wizard, Page::Welcome, 10000));
            // The page is placed before its line is logged: wait for the line.
            CHECK(WaitUntil(
                [] {
                    return InOrder(ReadLog(L"ZentaLUM-Setup.log"),
                                   {L"the installation forgotten", L"page 0 shown"});
                },
                10000));
            PostMessageW(wizard, WM_CLOSE, 0, 0);
        } else {
            CHECK(AnswerBox(again.id, L"没有完全删除", IDOK) != L"");
        }
        CHECK(again.Ended(10000));
        CHECK(InstallRecordGone() == (row.answer == IDYES));
        CHECK(fakebcd::LoadStore().Find(id));
        CHECK(Exists(L"D:\\zentaos\\Uninstall.exe"));
    }
}

TEST_CASE("BitLocker on the target: encrypted is refused, unknown is asked; the page answers meanwhile") {
    const struct {
        const wchar_t* failure; // "ExecQuery~": the provider takes its time; "ExecQuery": it fails
        int answer;
        const wchar_t *box, *caption, *logged;
    } rows[] = {
        {L"ExecQuery~", IDOK, L"已启用 BitLocker", L"错误", L"D: refused: BitLocker, conversion status 1"},
        {L"ExecQuery", IDNO, L"是否启用了 BitLocker", L"警告", L"the user keeps the page"},
        {L"ExecQuery", IDYES, L"是否启用了 BitLocker", L"警告", L"D: the user installs there all the same"}};
    for (const auto& row : rows) {
        CAPTURE(row.answer);
        REQUIRE(PrepareMachine(Kind::Bcd));
        fakebcd::Store store = fakebcd::LoadStore();
        store.bitLocker = true;
        store.volumes = {{L"D:", 1, L"{5be3f3d1-7e2a-4c39-9a7d-1b2c3d4e5f60}"}};
        store.failures = {row.failure};
        REQUIRE(fakebcd::SaveStore(store));
        const size_t logged = ReadLog(L"ZentaLUM-Setup.log").size();
        auto inLog = [&](const wchar_t* line) {
            return ReadLog(L"ZentaLUM-Setup.log").find(line, logged) != std::wstring::npos;
        };
        Process setup;
        HWND wizard = StartSetup(setup, MakePackage(L"small", 0));
        HWND page = FindWindowExW(wizard, nullptr, L"#32770", nullptr), button = Control(page, IDC_PAGE_NEXT);
        HWND drives = FindWindowExW(page, nullptr, L"ComboBox", nullptr);
        auto enabled = [&] { return IsWindowEnabled(button) && IsWindowEnabled(drives); };
        InstallTo(wizard, L'D', false);
        if (wcschr(row.failure, L'~')) { // the worker waits for the provider: the window does not
            REQUIRE(WaitUntil([&] { return inLog(L"packet privacy"); }, 30000));
            KeepsAnswering(wizard, 0);
            SetFakeBcd({});
        }
        HWND box = WaitForBox(setup.id, row.box, 30000);
        REQUIRE(box);
        CHECK(Text(box) == row.caption);
        CHECK_FALSE((IsWindowEnabled(button) || IsWindowEnabled(drives))); // until the boxes are answered
        Answer(box, row.answer);
        if (row.answer == IDYES)
            CHECK(AnswerBox(setup.id, kDiskQuestion, IDYES) != L"");
        CHECK((row.answer == IDYES ? WaitForPage(wizard, Page::Notice, 30000)
                                   : WaitUntil(enabled, 10000) && ReadPage(wizard) == Page::Welcome &&
                                         Leftovers(Kind::Bcd).empty()));
        CHECK(inLog(row.logged));
        PostMessageW(wizard, WM_CLOSE, 0, 0);
        CHECK(setup.Ended(10000));
    }
}

TEST_CASE("a package folder replaced by a link after the check: the installation fails, nothing it leads to "
          "is copied") {
    REQUIRE(FastStartupOn());
    std::wstring package = MakePackage(L"swap", 0), files = package + L"\\copyfiles";
    REQUIRE(!package.empty());
    Process setup;
    HWND wizard = StartSetup(setup, package);
    InstallTo(wizard);
    // The package has been checked; while Setup asks about Fast Startup, its copyfiles is
    // replaced by one whose disks folder is a host link to E:\outside, which holds keep.txt
    // (E:\linkedsource, tests/wine/run.sh).
    HWND question = WaitForBox(setup.id, L"是否关闭快速启动", 20000);
    REQUIRE(question);
    REQUIRE(MoveFileW(files.c_str(), (package + L"\\checked").c_str()));
    REQUIRE(MoveFileW(L"E:\\linkedsource\\copyfiles", files.c_str()));
    Answer(question, IDNO);
    CHECK(AnswerBox(setup.id, L"变成了链接", IDOK, 60000).find(files + L"\\disks") != std::wstring::npos);
    CHECK(setup.Ended(30000));
    CHECK_FALSE(Exists(L"D:\\zentaos\\keep.txt"));
    CHECK(Leftovers(Kind::Bcd) == "");
    CHECK(InOrder(ReadLog(L"ZentaLUM-Setup.log"), {L"not a plain folder", L"copy failed"}));
    MoveFileW(files.c_str(), L"E:\\linkedsource\\copyfiles");
}
