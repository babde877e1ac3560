// A job that cannot do its work ends as failed, with the error and the path, and never shows
// 100 percent.
#include <doctest/doctest.h>

#include "CopyTestFiles.h"
#include "common/ScopedWin.h"
#include "setup/CopyJob.h"
#include "setup/SetupApp.h"

namespace {

constexpr DWORD kEndWait = 20000;
constexpr long long kMiB = 1048576;

CopyOutcome RunToEnd(CCopyJob& job) {
    job.ComputeTotal();
    REQUIRE(job.Start() == ERROR_SUCCESS);
    REQUIRE(job.WaitForEnd(kEndWait));
    return job.GetOutcome();
}

} // namespace

TEST_CASE("a source file held open without sharing fails the job with its name") {
    TestPackage package;
    package.Put(L"common", L"later", "not reached");
    auto app = MakeApp(package.dir, Bcd);
    std::wstring target = NewTargetDir();
    std::wstring held;
    SUBCASE("below 20 MiB") {
        held = package.Put(L"bcd", L"locked", "locked content");
    }
    SUBCASE("20 MiB and more") {
        held = package.PutSparse(L"bcd", L"locked", 20 * kMiB);
    }
    zenta::ScopedHandle lock(CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    REQUIRE(lock);

    CCopyJob job(app.get(), target);
    CopyOutcome end = RunToEnd(job);
    CHECK(end.state == CopyState::Failed);
    CHECK(end.error == ERROR_SHARING_VIOLATION);
    CHECK(end.fileName == held);
    CHECK(job.GetCopiedBytes() == 0);
    CHECK(job.GetPercent() == 0);
    CHECK_FALSE(Exists(target + L"\\later"));
}

TEST_CASE("an installation directory that cannot be made fails the job") {
    TestPackage package;
    package.Put(L"common", L"file", "x");
    auto app = MakeApp(package.dir, Bcd);
    std::wstring target;
    DWORD expected = 0;
    SUBCASE("a file has its name") {
        target = NewTargetDir();
        MakeFolders(target.substr(0, target.rfind(L'\\')));
        PutFile(target, "in the way");
        expected = ERROR_ALREADY_EXISTS;
    }
    SUBCASE("its parent is missing") {
        target = NewFolder(L"E:") + L"\\missing\\zentaos";
        expected = ERROR_PATH_NOT_FOUND;
    }
    CCopyJob job(app.get(), target);
    CopyOutcome end = RunToEnd(job);
    CHECK(end.state == CopyState::Failed);
    CHECK(end.error == expected);
    CHECK(end.fileName == target);
    CHECK(job.GetPercent() == 0);
}

TEST_CASE("paths longer than MAX_PATH are refused, not cut") {
    TestPackage package;
    auto app = MakeApp(package.dir, Bcd);
    SUBCASE("the installation directory") {
        package.Put(L"common", L"file", "x");
        std::wstring target = L"E:\\" + std::wstring(270, L'd');
        CCopyJob job(app.get(), target);
        CopyOutcome end = RunToEnd(job);
        CHECK(end.state == CopyState::Failed);
        CHECK(end.error == ERROR_FILENAME_EXCED_RANGE);
        CHECK(end.fileName == target);
    }
    SUBCASE("a file whose target path would not fit") {
        std::wstring name(40, L'n');
        package.Put(L"common", name, "x");
        std::wstring target = NewFolder(L"E:") + L"\\" + std::wstring(225, L'd');
        CCopyJob job(app.get(), target);
        CopyOutcome end = RunToEnd(job);
        CHECK(end.state == CopyState::Failed);
        CHECK(end.error == ERROR_FILENAME_EXCED_RANGE);
        CHECK(end.fileName == target + L"\\" + name);
        CHECK((GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0);
    }
}

TEST_CASE("a large source that ends before its listed size fails the job") {
    // Both files are listed together before either is opened. The worker pauses after 20 MiB
    // of whichever comes first; the other one is cut to 30 MiB meanwhile, so its listed size
    // (40 MiB) is never reached.
    TestPackage package;
    std::wstring one = package.PutSparse(L"disks", L"one", 40 * kMiB);
    std::wstring two = package.PutSparse(L"disks", L"two", 40 * kMiB);
    auto app = MakeApp(package.dir, Bcd);
    std::wstring target = NewTargetDir();
    CCopyJob job(app.get(), target);
    job.ComputeTotal();
    job.RequestPause();
    REQUIRE(job.Start() == ERROR_SUCCESS);
    REQUIRE(WaitUntil([&] { return job.GetCopiedBytes() == 20 * kMiB; }, kEndWait));
    std::wstring later = Exists(target + L"\\one") ? two : one;
    {
        zenta::ScopedHandle file(
            CreateFileW(later.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        REQUIRE(file);
        LARGE_INTEGER end;
        end.QuadPart = 30 * kMiB;
        REQUIRE(SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN));
        REQUIRE(SetEndOfFile(file.Get()));
    }
    job.RequestResume();
    REQUIRE(job.WaitForEnd(kEndWait));
    CopyOutcome end = job.GetOutcome();
    CHECK(end.state == CopyState::Failed);
    CHECK(end.error == ERROR_HANDLE_EOF);
    CHECK(end.fileName == later);
    CHECK(job.GetCopiedBytes() == 70 * kMiB);
    CHECK(job.GetPercent() < 100);
}
