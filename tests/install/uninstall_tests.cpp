// The uninstaller's first stage as a hostile program of the same user would meet it, and
// one uninstaller at a time.
#include <doctest/doctest.h>

#include "common/ScopedWin.h"
#include "common/SingleInstance.h"
#include "common/WizardWindow.h"
#include "tests/driver/Driver.h"
#include "uninstall/Stages.h"

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace driver;

namespace {

// The uninstaller installed on D:, without anything else of an installation.
void PlaceUninstaller() {
    REQUIRE(MakeDirs(L"D:\\zentaos"));
    REQUIRE(CopyFileW(Build(L"Uninstall.exe").c_str(), L"D:\\zentaos\\Uninstall.exe", FALSE));
}

} // namespace

TEST_CASE("the copy goes into a new folder of its own: a planted file of its name is never started") {
    PlaceUninstaller();
    wchar_t buffer[MAX_PATH] = {};
    std::wstring temp(buffer, GetTempPathW(MAX_PATH, buffer));
    std::wstring planted = temp + kTemporaryCopyName;
    REQUIRE(CopyFileW(Build(L"tests\\marker.exe").c_str(), planted.c_str(), FALSE));
    REQUIRE(SetFileAttributesW(planted.c_str(), FILE_ATTRIBUTE_READONLY));
    zenta::ScopedHandle held(
        CreateFileW(planted.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));

    Process first;
    REQUIRE(Start(first, L"D:\\zentaos\\Uninstall.exe"));
    HWND question = WaitForBox(0, L"确定删除星岚LUM系统", 20000);
    REQUIRE(question);
    CHECK_FALSE(Exists(L"C:\\started.txt"));
    std::vector<std::wstring> folders; // the new ZentaUninstall.* folders
    WIN32_FIND_DATAW found;
    zenta::ScopedFindHandle find(FindFirstFileW((L"\\\\?\\" + temp + L"ZentaUninstall.*").c_str(), &found));
    for (BOOL more = find.Valid(); more; more = FindNextFileW(find.Get(), &found))
        folders.push_back(temp + found.cFileName);
    REQUIRE(folders.size() == 1);
    std::wstring copy = folders[0] + L"\\" + kTemporaryCopyName;
    CHECK(ReadBytes(copy) == ReadBytes(Build(L"Uninstall.exe")));
    // The first stage's hold on the folder went over to the copy before it let go.
    CHECK(ReadLog(L"ZentaLUM-Uninstall.log").find(L"own folder held") != std::wstring::npos);
    Answer(question, IDCANCEL);
    // The copy and its folder go at the next restart.
    HKEY opened = nullptr;
    REQUIRE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager", 0,
                          KEY_READ, &opened) == ERROR_SUCCESS);
    zenta::ScopedRegKey key(opened);
    std::wstring pending;
    CHECK(WaitUntil(
        [&] {
            wchar_t data[4096] = {};
            DWORD size = sizeof data - 4;
            RegQueryValueExW(key.Get(), L"PendingFileRenameOperations", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(data), &size);
            pending.assign(data, size / 2);
            return pending.find(folders[0] + L"\\" + kTemporaryCopyName) != std::wstring::npos;
        },
        10000));
    CHECK(pending.find(folders[0] + std::wstring(1, L'\0')) != std::wstring::npos);
}

TEST_CASE(
    "a temporary directory of 300 characters: the copy is made there and started, or the user is told") {
    PlaceUninstaller();
    std::wstring temp = L"E:\\";
    while (temp.size() < 300) {
        temp += std::wstring(std::min<size_t>(40, 299 - temp.size()), L't') + L"\\";
        REQUIRE(CreateDirectoryW((L"\\\\?\\" + temp).c_str(), nullptr));
    }
    SetEnvironmentVariableW(L"TMP", temp.c_str());
    SetEnvironmentVariableW(L"TEMP", temp.c_str());
    Process first;
    REQUIRE(Start(first, L"D:\\zentaos\\Uninstall.exe"));
    // Windows starts the copy by its short (8.3) path; wine 8 starts no program whose path
    // is longer than MAX_PATH, in any form, and the uninstaller then says so.
    std::wstring seen = AnswerBox(0, L"", IDCANCEL, 20000);
    std::printf("%s\n", Utf8(seen).c_str());
    CHECK((seen.find(L"确定删除星岚LUM系统") == 0 ||
           seen.find(L"无法启动卸载程序的副本") != std::wstring::npos));
}

TEST_CASE("a second uninstaller brings the running one forward and asks nothing") {
    PlaceUninstaller();
    Process running, second;
    REQUIRE(Start(running, L"D:\\zentaos\\Uninstall.exe", L"1"));
    HWND question = WaitForBox(running.id, L"确定删除星岚LUM系统", 20000);
    REQUIRE(question);
    REQUIRE(Start(second, L"D:\\zentaos\\Uninstall.exe", L"1"));
    CHECK(second.Ended(20000));
    CHECK_FALSE(WaitForBox(second.id, L"", 500));
    Answer(question, IDCANCEL);
    REQUIRE(running.Ended(20000));
    // The name held, and a window of the wizard's class, by a program that is not ours: the
    // uninstaller asks all the same.
    CSingleInstance name(kUninstallMutexName);
    RegisterWizardClass(GetModuleHandleW(nullptr), DefWindowProcW, nullptr);
    HWND stranger = CreateWindowExW(0, kWizardClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                    nullptr, GetModuleHandleW(nullptr), nullptr);
    REQUIRE(stranger);
    Process third;
    REQUIRE(Start(third, L"D:\\zentaos\\Uninstall.exe", L"1"));
    CHECK(AnswerBox(third.id, L"确定删除星岚LUM系统", IDCANCEL, 20000) != L"");
    DestroyWindow(stranger);
}

TEST_CASE("the private folder is held from the moment it exists: nobody can swap it") {
    std::wstring folder;
    zenta::ScopedHandle hold;
    REQUIRE(MakeTemporaryFolder(L"E:\\", folder, hold));
    CHECK_FALSE(MoveFileW(folder.c_str(), L"E:\\moved"));
    hold.Reset();
    CHECK(MoveFileW(folder.c_str(), L"E:\\moved")); // what the hold prevented
}
