// The real Setup.exe started from a package folder on D:, steered like a user would.
#include "WelcomeTestKit.h"
#include "WineDrives.h"

#include "common/Messages.h"
#include "common/WizardWindow.h"

#include <doctest/doctest.h>

#include <cwchar>

using namespace welcomekit;

namespace {

// Setup.exe copied into the package and started there, as from an installation medium.
class RunningSetup {
  public:
    explicit RunningSetup(const std::wstring& package) {
        std::wstring exe = package + L"\\Setup.exe";
        if (!CopyFileW(driver::BuildPath(L"Setup.exe").c_str(), exe.c_str(), FALSE))
            return;
        process = driver::Start(exe, L"", package);
        if (process.handle)
            wizard = driver::WaitForProcessWindow(process.id, kWizardClassName, L"", 20000);
    }
    ~RunningSetup() {
        if (process.handle && !process.Wait(0)) {
            process.Kill();
            process.Wait(5000);
        }
        process.Close();
    }
    RunningSetup(const RunningSetup&) = delete;
    RunningSetup& operator=(const RunningSetup&) = delete;

    driver::Process process;
    HWND wizard = nullptr;
};

// Selects item `index` with the arrow keys and waits until the box shows it.
bool ChooseDrive(HWND box, int index) {
    for (int i = 0; i < index; ++i)
        PressKey(box, VK_DOWN, true);
    return driver::WaitUntil([&] { return SendMessageW(box, CB_GETCURSEL, 0, 0) == index; }, 5000);
}

// The GiB figure of a label such as "D:(73 GB空闲)", or -1.
long LabelGiB(const std::wstring& label) {
    size_t open = label.find(L'(');
    if (open == std::wstring::npos)
        return -1;
    return std::wcstol(label.c_str() + open + 1, nullptr, 10);
}

} // namespace

TEST_CASE("Setup refuses a drive without room for the package and stays on the Welcome page") {
    bool cdrom = winedrives::AddCdromDrive(L'F');
    std::wstring package = MakePackage(L"e2e-huge", LargestFreeSpace() + 16 * GiB);
    REQUIRE_FALSE(package.empty());
    RunningSetup setup(package);
    REQUIRE(setup.wizard);
    CHECK(driver::WindowText(setup.wizard) == L"星岚操作系统 Zenta LUM 安装向导");

    HWND box = FindDescendant(setup.wizard, L"ComboBox");
    REQUIRE(box);
    const std::wstring fixed = winedrives::FixedDrivesByType();
    if (cdrom)
        CHECK(fixed.find(L'F') == std::wstring::npos);
    REQUIRE(SendMessageW(box, CB_GETCOUNT, 0, 0) == static_cast<LRESULT>(fixed.size()));
    for (size_t i = 0; i < fixed.size(); ++i) {
        std::wstring label = ComboItem(box, static_cast<int>(i));
        CHECK(label.compare(0, 3, std::wstring(1, fixed[i]) + L":(") == 0);
        CHECK(label.size() > 8);
        CHECK(label.compare(label.size() - 6, 6, L" GB空闲)") == 0);
        ULARGE_INTEGER available = {};
        const wchar_t root[] = {fixed[i], L':', L'\\', 0};
        GetDiskFreeSpaceExW(root, &available, nullptr, nullptr);
        long gib = static_cast<long>(available.QuadPart >> 30);
        CHECK(LabelGiB(label) >= gib - 4); // other tests write and delete gigabytes meanwhile
        CHECK(LabelGiB(label) <= gib + 4);
    }
    CHECK(SendMessageW(box, CB_GETCURSEL, 0, 0) == 0);
    CHECK(driver::WindowText(box) == ComboItem(box, 0));

    // The last drive of the box, picked with the keyboard.
    const int last = static_cast<int>(fixed.size()) - 1;
    REQUIRE(ChooseDrive(box, last));
    CHECK(driver::WindowText(box) == ComboItem(box, last));

    // The label sits above the box, in light yellow.
    HWND page = GetParent(box);
    RECT client = {};
    GetClientRect(setup.wizard, &client);
    RECT label = {static_cast<LONG>(client.right * 0.222), static_cast<LONG>(client.bottom * 0.85),
                  static_cast<LONG>(client.right * 0.362), static_cast<LONG>(client.bottom * 0.88)};
    MapWindowPoints(page, nullptr, reinterpret_cast<POINT*>(&label), 2);
    CHECK(ScreenShows(setup.wizard, label, RGB(255, 255, 0x77), 20));
    CHECK(driver::Screenshot(setup.wizard, L"welcome_page"));

    HWND button = driver::FindControl(setup.wizard, IDC_PAGE_NEXT);
    REQUIRE(button);
    driver::Click(button);
    HWND shortage = driver::WaitForMessageBox(setup.process.id, L"磁盘空间不足", 10000);
    REQUIRE(shortage);
    CHECK(driver::WindowText(shortage) == L"提醒");
    CHECK(driver::MessageBoxText(shortage) == kShortageText);
    CHECK(driver::Screenshot(shortage, L"welcome_shortage"));
    REQUIRE(driver::AnswerMessageBox(shortage, IDOK));

    // Still the Welcome page, still the chosen drive; closing it ends Setup without a question.
    CHECK(IsWindow(box));
    CHECK(SendMessageW(box, CB_GETCURSEL, 0, 0) == last);
    CHECK(driver::FindControl(setup.wizard, IDC_PAGE_PROGRESS) == nullptr);
    PostMessageW(setup.wizard, WM_CLOSE, 0, 0);
    DWORD code = 1;
    CHECK(setup.process.Wait(15000, &code));
    CHECK(code == 0);
}

TEST_CASE("Setup goes on to the Progress page when the chosen drive has room") {
    std::wstring package = MakePackage(L"e2e-small", 0);
    REQUIRE_FALSE(package.empty());
    RunningSetup setup(package);
    REQUIRE(setup.wizard);
    HWND box = FindDescendant(setup.wizard, L"ComboBox");
    REQUIRE(box);
    REQUIRE(ChooseDrive(box, 1));
    HWND button = driver::FindControl(setup.wizard, IDC_PAGE_NEXT);
    REQUIRE(button);
    driver::Click(button);
    CHECK(driver::WaitUntil([&] { return driver::FindControl(setup.wizard, IDC_PAGE_PROGRESS) != nullptr; },
                            10000));
    CHECK_FALSE(IsWindow(box));
    CHECK(driver::WaitForMessageBox(setup.process.id, L"磁盘空间不足", 500) == nullptr);
    // The demo package's Progress background with its first slide, for a look.
    driver::Screenshot(setup.wizard, L"welcome_then_progress");
}
