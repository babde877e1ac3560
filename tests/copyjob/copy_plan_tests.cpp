// The copy plan and what the job copies where: sources by Windows kind, order, subfolders,
// attributes, the boot loader file and the progress figures.
#include <doctest/doctest.h>

#include "CopyTestFiles.h"
#include "setup/CopyJob.h"
#include "setup/CopyPlan.h"
#include "setup/SetupApp.h"

namespace {

constexpr DWORD kEndWait = 20000;

CopyOutcome RunToEnd(CCopyJob& job) {
    job.ComputeTotal();
    REQUIRE(job.Start() == ERROR_SUCCESS);
    REQUIRE(job.WaitForEnd(kEndWait));
    return job.GetOutcome();
}

} // namespace

TEST_CASE("percentages are truncated and reach 100 only when the job has completed") {
    CHECK(ProgressPercent(3, 7, false) == 42);
    CHECK(ProgressPercent(0, 7, false) == 0);
    CHECK(ProgressPercent(7, 7, false) == 99);
    CHECK(ProgressPercent(9, 7, false) == 99);
    CHECK(ProgressPercent(5, 7, true) == 100);
    CHECK(ProgressPercent(0, 0, true) == 0);
    CHECK(ProgressPercent(0, 0, false) == 0);
    // 64-bit arithmetic: 3 TiB of 4 TiB would overflow 32 bits many times over.
    CHECK(ProgressPercent(3LL << 40, 4LL << 40, false) == 75);
}

TEST_CASE("the boot folder of the Windows kind comes first, then common, then disks") {
    auto bcd = CopySourceFolders(L"D:\\p", Bcd);
    CHECK(bcd[0] == L"D:\\p\\copyfiles\\bcd");
    CHECK(bcd[1] == L"D:\\p\\copyfiles\\common");
    CHECK(bcd[2] == L"D:\\p\\copyfiles\\disks");
    CHECK(CopySourceFolders(L"D:\\p", BootIni)[0] == L"D:\\p\\copyfiles\\ini");

    TestPackage package;
    package.Put(L"bcd", L"only-bcd", "b");
    package.Put(L"ini", L"only-ini", "i");
    package.Put(L"bcd", L"shared", "from bcd");
    package.Put(L"common", L"shared", "from common");
    package.Put(L"disks", L"shared", "from disks");
    package.Put(L"common", L"early", "common wins over bcd");
    package.Put(L"bcd", L"early", "bcd");

    SUBCASE("Bcd copies bcd, not ini; later sources overwrite earlier ones") {
        auto app = MakeApp(package.dir, Bcd);
        std::wstring target = NewTargetDir();
        CCopyJob job(app.get(), target);
        CopyOutcome end = RunToEnd(job);
        CHECK(end.state == CopyState::Completed);
        CHECK(job.totalBytes == 1 + 8 + 11 + 10 + 20 + 3);
        CHECK(job.GetCopiedBytes() == job.totalBytes);
        CHECK(job.GetPercent() == 100);
        CHECK(Exists(target + L"\\only-bcd"));
        CHECK_FALSE(Exists(target + L"\\only-ini"));
        CHECK(ReadText(target + L"\\shared") == "from disks");
        CHECK(ReadText(target + L"\\early") == "common wins over bcd");
    }
    SUBCASE("BootIni copies ini, not bcd") {
        auto app = MakeApp(package.dir, BootIni);
        std::wstring target = NewTargetDir();
        CCopyJob job(app.get(), target);
        CHECK(RunToEnd(job).state == CopyState::Completed);
        CHECK(Exists(target + L"\\only-ini"));
        CHECK_FALSE(Exists(target + L"\\only-bcd"));
        CHECK(ReadText(target + L"\\shared") == "from disks");
    }
}

TEST_CASE("a subfolder of a source is neither copied nor counted") {
    TestPackage package;
    package.Put(L"common", L"top", "0123456789");
    package.Put(L"common\\sub", L"inner", std::string(1000, 'x'));
    auto app = MakeApp(package.dir, Bcd);
    std::wstring target = NewTargetDir();
    CCopyJob job(app.get(), target);
    CHECK(RunToEnd(job).state == CopyState::Completed);
    CHECK(job.totalBytes == 10);
    CHECK(job.GetPercent() == 100);
    CHECK(ReadText(target + L"\\top") == "0123456789");
    CHECK_FALSE(Exists(target + L"\\sub"));
    CHECK_FALSE(Exists(target + L"\\inner"));
}

TEST_CASE("empty and missing sources copy nothing and stay at 0 percent") {
    TestPackage package;
    SUBCASE("missing") {}
    SUBCASE("empty") {
        MakeFolders(package.Folder(L"bcd"));
        MakeFolders(package.Folder(L"common"));
        MakeFolders(package.Folder(L"disks"));
    }
    auto app = MakeApp(package.dir, Bcd);
    std::wstring target = NewTargetDir();
    CCopyJob job(app.get(), target);
    CHECK(RunToEnd(job).state == CopyState::Completed);
    CHECK(job.totalBytes == 0);
    CHECK(job.GetPercent() == 0);
    CHECK((GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0);
}

TEST_CASE("read-only, hidden and system targets are overwritten") {
    TestPackage package;
    package.Put(L"common", L"small", "new small");
    std::wstring bigSource = package.PutSparse(L"disks", L"big", 20971520);
    auto app = MakeApp(package.dir, Bcd);
    std::wstring target = NewTargetDir();
    MakeFolders(target);
    PutFile(target + L"\\small", "old");
    PutFile(target + L"\\big", "old");
    const DWORD protecting = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    REQUIRE(SetFileAttributesW((target + L"\\small").c_str(), protecting));
    REQUIRE(SetFileAttributesW((target + L"\\big").c_str(), protecting));

    CCopyJob job(app.get(), target);
    CHECK(RunToEnd(job).state == CopyState::Completed);
    CHECK(ReadText(target + L"\\small") == "new small");
    CHECK(SizeOfFile(target + L"\\big") == 20971520);
    CHECK((GetFileAttributesW((target + L"\\small").c_str()) & protecting) == 0);
    CHECK((GetFileAttributesW((target + L"\\big").c_str()) & protecting) == 0);
}

TEST_CASE("a read-only file of an earlier source is replaced by a later source's file") {
    // The system copy makes the first copy read-only, like its source; the second one is
    // streamed, which has to delete the first.
    TestPackage package;
    std::wstring first = package.Put(L"common", L"Same.img", "from common");
    REQUIRE(SetFileAttributesW(first.c_str(), FILE_ATTRIBUTE_READONLY));
    package.PutSparse(L"disks", L"same.IMG", 20971520);
    auto app = MakeApp(package.dir, Bcd);
    std::wstring target = NewTargetDir();
    CCopyJob job(app.get(), target);
    CopyOutcome end = RunToEnd(job);
    CHECK(end.state == CopyState::Completed);
    CHECK(end.error == ERROR_SUCCESS);
    CHECK(SizeOfFile(target + L"\\same.img") == 20971520);
    SetFileAttributesW(first.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_CASE("the boot loader file goes to the drive root, read-only and hidden") {
    TestPackage package;
    package.Put(L"common", L"zeldr", "loader v2");
    auto app = MakeApp(package.dir, Bcd);
    const std::wstring rootLoader = L"E:\\zeldr";
    ForceDelete(rootLoader);

    SUBCASE("a fresh drive gets the loader at once, before any worker runs") {
        CCopyJob job(app.get(), NewTargetDir());
        CHECK(ReadText(rootLoader) == "loader v2");
        DWORD attributes = GetFileAttributesW(rootLoader.c_str());
        CHECK((attributes & FILE_ATTRIBUTE_READONLY));
        CHECK((attributes & FILE_ATTRIBUTE_HIDDEN));
    }
    SUBCASE("a read-only loader left by an earlier installation stays; the copy goes on") {
        PutFile(rootLoader, "loader v1");
        REQUIRE(SetFileAttributesW(rootLoader.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
        std::wstring target = NewTargetDir();
        CCopyJob job(app.get(), target);
        CHECK(ReadText(rootLoader) == "loader v1");
        CHECK(RunToEnd(job).state == CopyState::Completed);
        // The installation directory gets the package's loader like any other file.
        CHECK(ReadText(target + L"\\zeldr") == "loader v2");
        CHECK(job.GetPercent() == 100);
    }
    ForceDelete(rootLoader);
}
