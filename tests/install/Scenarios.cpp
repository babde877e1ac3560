#include "tests/install/Scenarios.h"

#include "common/Messages.h"
#include "common/ScopedWin.h"

#include <doctest/doctest.h>

#include <cstdio>

namespace installkit {

namespace {

const char* KindName(Kind kind) {
    return kind == Kind::Bcd ? "Windows 7, BCD" : "Windows XP, boot.ini";
}

// Waits for the uninstaller's report box and answers it; the text, or empty when none came.
std::wstring UninstallReport(DWORD processId) {
    HWND report = driver::WaitForMessageBox(processId, L"", 20000);
    if (!report)
        return std::wstring();
    std::wstring text = driver::MessageBoxText(report);
    driver::AnswerMessageBox(report, IDOK);
    return text;
}

// Installs the small package in a Setup run of its own, ending on the Notice page.
void InstallSmall(const std::wstring& package) {
    SetupRun setup;
    REQUIRE(setup.StartInstall(package, L'D'));
    REQUIRE(setup.WaitForPage(Page::Notice, 30000));
    REQUIRE(setup.Press(IDC_PAGE_CLOSE));
    REQUIRE(setup.Ended(10000));
}

} // namespace

bool CopyReached(const std::wstring& file) {
    return driver::WaitUntil([&] { return FileSize(file) > 0; }, 30000);
}

void FullPackageScenario(Kind kind, const std::wstring& shots) {
    REQUIRE(PrepareMachine(kind));
    const std::vector<DiskFile> disks = {{L"zenta", kSystemDisksBytes, L""}};
    std::wstring package = MakePackage(L"full", disks);
    REQUIRE_FALSE(package.empty());
    SetupRun setup;
    REQUIRE(setup.Start(package));
    REQUIRE(setup.WaitForPage(Page::Welcome, 10000));
    CHECK(setup.Shoot(shots + L"welcome"));
    DWORD start = GetTickCount();
    REQUIRE(setup.InstallTo(L'D'));
    CHECK(driver::WindowText(setup.wizard) == kHeadTitle);

    // From the first byte of the large file to its last, the wizard answers at once.
    const std::wstring copied = std::wstring(kTarget) + L"\\zenta";
    REQUIRE(CopyReached(copied));
    int samples = 0;
    double worst = WorstAnswerMs(
        setup.wizard,
        [&] {
            return FileSize(copied) < static_cast<long long>(kSystemDisksBytes) &&
                   setup.CurrentPage() == Page::Progress;
        },
        samples);
    std::printf("%s: worst answer of the wizard %.1f ms over %d messages during the copy\n", KindName(kind),
                worst, samples);
    CHECK(samples >= 3);
    CHECK(worst < 100.0);

    REQUIRE(setup.WaitForPage(Page::Complete, 120000));
    std::printf("%s: installation of 1,048,576,000 bytes in %lu ms\n", KindName(kind),
                GetTickCount() - start);
    CHECK(driver::WindowText(setup.wizard) == kCompleteTitle);
    std::string faults = InstallationFaults(kind, disks);
    CAPTURE(faults);
    CHECK(faults.empty());
    CHECK(setup.Shoot(shots + L"complete"));

    // "一会自己重启" ends Setup and leaves everything installed.
    REQUIRE(setup.Press(IDC_PAGE_CLOSE));
    DWORD code = 1;
    CHECK(setup.Ended(10000, &code));
    CHECK(code == 0);
    CHECK(InstallationFaults(kind, disks).empty());
    DeletePackage(package);
}

void RemoveAndUninstallScenario(Kind kind, const std::wstring& shots) {
    REQUIRE(PrepareMachine(kind));
    std::wstring package = MakePackage(L"again", {});
    REQUIRE_FALSE(package.empty());
    InstallSmall(package);
    REQUIRE(InstallationFaults(kind, {}).empty());
    {
        SetupRun second;
        REQUIRE(second.Start(package));
        REQUIRE(second.WaitForPage(Page::Remove, 10000));
        CHECK(driver::WindowText(second.wizard) == kHeadTitle);
        CHECK(second.Shoot(shots + L"remove"));
        REQUIRE(second.Press(IDC_PAGE_NEXT));
        REQUIRE(second.WaitForPage(Page::Welcome, 20000));
        std::string left = Leftovers(kind);
        CAPTURE(left);
        CHECK(left.empty());
        // Closing the Welcome page asks nothing.
        PostMessageW(second.wizard, WM_CLOSE, 0, 0);
        REQUIRE(second.Ended(10000));
    }
    InstallSmall(package);
    std::string faults = InstallationFaults(kind, {});
    CAPTURE(faults);
    REQUIRE(faults.empty());

    driver::Process uninstaller = driver::Start(kUninstaller, L"", kTarget);
    REQUIRE(uninstaller.handle);
    CHECK(uninstaller.Wait(15000));
    uninstaller.Close();
    SeenBox question;
    REQUIRE(AnswerBox(L"确定删除星岚LUM系统", IDOK, 20000, &question));
    CHECK(question.caption == L"提醒");
    CHECK(UninstallReport(question.processId) == L"已成功删除星岚LUM系统");
    zenta::ScopedHandle stage(OpenProcess(SYNCHRONIZE, FALSE, question.processId));
    CHECK((!stage || WaitForSingleObject(stage.Get(), 15000) == WAIT_OBJECT_0));
    std::string left = Leftovers(kind);
    CAPTURE(left);
    CHECK(left.empty());
    DeletePackage(package);
}

} // namespace installkit
