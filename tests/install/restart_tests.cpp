// The Complete page's "现在重启系统" under wine, in a prefix of its own: wine answers a
// restart request by ending the prefix's programs, so nothing else may run in this prefix.
#include "tests/install/InstallKit.h"

#include "common/Messages.h"
#include "common/ScopedWin.h"
#include "common/SystemHelpers.h"

#include <doctest/doctest.h>

#include <vector>

using namespace installkit;

namespace {

// Setup on the Complete page without copying a gigabyte: the system disks lie in a subfolder,
// which counts for the package but is not copied.
std::wstring CompletePackage() {
    return MakePackage(L"restart", {{L"zenta", kSystemDisksBytes, L"parts"}});
}

bool ReachComplete(SetupRun& setup, const std::wstring& package, HANDLE token) {
    return setup.StartInstall(package, L'D', token) && setup.WaitForPage(Page::Complete, 30000);
}

// This process's token without the shutdown privilege, for the programs it starts.
zenta::ScopedHandle TokenWithoutShutdown() {
    HANDLE own = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &own))
        return zenta::ScopedHandle();
    zenta::ScopedHandle ownToken(own);
    LUID_AND_ATTRIBUTES removed = {};
    if (!LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &removed.Luid))
        return zenta::ScopedHandle();
    HANDLE restricted = nullptr;
    if (!CreateRestrictedToken(own, 0, 0, nullptr, 1, &removed, 0, nullptr, &restricted))
        return zenta::ScopedHandle();
    return zenta::ScopedHandle(restricted);
}

} // namespace

TEST_CASE("without the shutdown privilege the restart button does nothing and the page stays") {
    REQUIRE(PrepareMachine(Kind::Bcd));
    std::wstring package = CompletePackage();
    REQUIRE_FALSE(package.empty());
    zenta::ScopedHandle token = TokenWithoutShutdown();
    REQUIRE(token);
    SetupRun setup;
    REQUIRE(ReachComplete(setup, package, token.Get()));
    REQUIRE(setup.Press(IDC_PAGE_RESTART));
    CHECK_FALSE(setup.Ended(3000));
    CHECK(setup.CurrentPage() == Page::Complete);
    CHECK(driver::WaitForMessageBox(setup.process.id, L"", 200) == nullptr);
    REQUIRE(setup.Press(IDC_PAGE_CLOSE));
    CHECK(setup.Ended(10000));
    DeletePackage(package);
}

TEST_CASE("the restart button asks Windows to restart, and wine ends Setup") {
    REQUIRE(PrepareMachine(Kind::Bcd));
    std::wstring package = CompletePackage();
    REQUIRE_FALSE(package.empty());
    SetupRun setup;
    REQUIRE(ReachComplete(setup, package, nullptr));
    REQUIRE(setup.Press(IDC_PAGE_RESTART));
    CHECK(setup.Ended(20000));
    CHECK_FALSE(IsWindow(setup.wizard));
}

// Last in this program: the privilege does not come back to this process.
TEST_CASE("RestartComputer answers 0 when the shutdown privilege cannot be enabled") {
    HANDLE own = nullptr;
    REQUIRE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &own));
    zenta::ScopedHandle token(own);
    TOKEN_PRIVILEGES removal = {};
    removal.PrivilegeCount = 1;
    removal.Privileges[0].Attributes = SE_PRIVILEGE_REMOVED;
    REQUIRE(LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &removal.Privileges[0].Luid));
    REQUIRE(AdjustTokenPrivileges(own, FALSE, &removal, 0, nullptr, nullptr));
    REQUIRE(GetLastError() == ERROR_SUCCESS);
    // Only with the privilege really gone may the restart be asked for.
    std::vector<BYTE> buffer(4096);
    DWORD length = 0;
    REQUIRE(
        GetTokenInformation(own, TokenPrivileges, buffer.data(), static_cast<DWORD>(buffer.size()), &length));
    const auto* listed = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    REQUIRE(listed->PrivilegeCount > 0);
    for (DWORD i = 0; i < listed->PrivilegeCount; ++i) {
        const LUID& luid = listed->Privileges[i].Luid;
        REQUIRE_FALSE((luid.LowPart == removal.Privileges[0].Luid.LowPart &&
                       luid.HighPart == removal.Privileges[0].Luid.HighPart));
    }
    CHECK(RestartComputer() == 0);
}
