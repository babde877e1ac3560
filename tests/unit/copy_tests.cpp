// The copy job on the test prefix's drives: what goes where, how, and when it stops.
#include <doctest/doctest.h>

#include "common/SystemHelpers.h"
#include "setup/CopyJob.h"
#include "tests/driver/Driver.h"

namespace {

constexpr long long MiB = 1 << 20;

// A fresh package on E: and target D:\zentaos (and D:\zeldr) with nothing in them.
struct Package {
    std::wstring dir = L"E:\\copy";
    Package() {
        DeleteDirectoryTree(dir.c_str());
        DeleteDirectoryTree(L"D:\\zentaos");
        SetFileAttributesW(L"D:\\zeldr", FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(L"D:\\zeldr");
        for (const wchar_t* folder : {L"\\common", L"\\bcd", L"\\ini", L"\\disks"})
            driver::MakeDirs(dir + L"\\copyfiles" + folder);
        Put(L"common", L"zeldr", "loader");
    }
    std::wstring Path(const wchar_t* folder, const wchar_t* name) const {
        return dir + L"\\copyfiles\\" + folder + L"\\" + name;
    }
    void Put(const wchar_t* folder, const wchar_t* name, const std::string& bytes) const {
        REQUIRE(driver::WriteBytes(Path(folder, name), bytes));
    }
    void Sparse(const wchar_t* folder, const wchar_t* name, long long size) const {
        REQUIRE(driver::MakeSparse(Path(folder, name), static_cast<unsigned long long>(size)));
    }
};

// A job with a control of its own, run on the test's thread as on the installation's worker.
struct Job {
    CWorkerControl control;
    CCopyJob job;
    CopyOutcome end;
    Job(const std::wstring& package, wchar_t drive) : job(package, Bcd, drive, control) {}
    CopyOutcome Run() {
        job.ComputeTotal();
        return end = job.Run();
    }
    static DWORD WINAPI Main(void* self) {
        static_cast<Job*>(self)->Run();
        return 0;
    }
};

} // namespace

TEST_CASE("what is copied: the kind's folder, then common, then disks; files only; the loader replaced") {
    Package p;
    p.Put(L"bcd", L"bcd-only", "bcd");
    p.Put(L"ini", L"ini-only", "ini");
    p.Put(L"common", L"same", "common");
    // A small file whose name an earlier source's read-only file took is made anew.
    p.Put(L"bcd", L"twice", "bcd");
    p.Put(L"common", L"Twice", "common");
    REQUIRE(SetFileAttributesW(p.Path(L"bcd", L"twice").c_str(), FILE_ATTRIBUTE_READONLY));
    // A later source's file replaces a read-only one of the same name (streamed: deleted first).
    p.Sparse(L"disks", L"SAME", 20 * MiB);
    REQUIRE(SetFileAttributesW(p.Path(L"common", L"same").c_str(), FILE_ATTRIBUTE_READONLY));
    REQUIRE(driver::MakeDirs(p.Path(L"disks", L"sub")));
    p.Put(L"disks", L"sub\\deep", "not copied");
    // An earlier installation's loader, read-only and hidden, is replaced all the same.
    REQUIRE(driver::WriteBytes(L"D:\\zeldr", "stale"));
    REQUIRE(SetFileAttributesW(L"D:\\zeldr", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    Job j(p.dir, L'D');
    CopyOutcome end = j.Run();
    CHECK(end.state == CopyState::Completed);
    CHECK(j.job.totalBytes == 3 + 3 + 6 + 6 + 6 + 20 * MiB);
    CHECK(driver::ReadBytes(L"D:\\zentaos\\twice") == "common");
    CHECK(j.job.GetPercent() == 100);
    CHECK(driver::ReadBytes(L"D:\\zentaos\\same").size() == 20 * MiB);
    CHECK(driver::Exists(L"D:\\zentaos\\bcd-only"));
    CHECK_FALSE(driver::Exists(L"D:\\zentaos\\ini-only"));
    CHECK_FALSE(driver::Exists(L"D:\\zentaos\\deep"));
    CHECK(driver::ReadBytes(L"D:\\zeldr") == "loader");
    DWORD loader = GetFileAttributesW(L"D:\\zeldr");
    CHECK((loader & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)) ==
          (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
}

TEST_CASE("below 20 MiB the system copy (time stamp kept), from 20 MiB on the job's own chunks") {
    for (long long size : {20 * MiB - 1, 20 * MiB}) {
        Package p;
        p.Sparse(L"disks", L"image", size);
        FILETIME old = {0x12345678, 0x01C00000};
        zenta::ScopedHandle source(CreateFileW(p.Path(L"disks", L"image").c_str(), FILE_WRITE_ATTRIBUTES, 0,
                                               nullptr, OPEN_EXISTING, 0, nullptr));
        REQUIRE(SetFileTime(source.Get(), nullptr, nullptr, &old));
        source.Reset();
        REQUIRE(Job(p.dir, L'D').Run().state == CopyState::Completed);
        WIN32_FILE_ATTRIBUTE_DATA copied = {};
        GetFileAttributesExW(L"D:\\zentaos\\image", GetFileExInfoStandard, &copied);
        CHECK((CompareFileTime(&copied.ftLastWriteTime, &old) == 0) == (size < 20 * MiB));
    }
}

TEST_CASE("a file that cannot be copied fails the job with its name; a link as target is refused") {
    Package p;
    p.Put(L"common", L"locked", "x");
    zenta::ScopedHandle held(CreateFileW(p.Path(L"common", L"locked").c_str(), GENERIC_READ, 0, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
    Job j(p.dir, L'D');
    CopyOutcome end = j.Run();
    CHECK(end.state == CopyState::Failed);
    CHECK(end.fileName == p.Path(L"common", L"locked"));
    CHECK(j.job.GetPercent() < 100);

    // E:\zentaos is a host link to E:\outside (tests/wine/run.sh).
    end = Job(p.dir, L'E').Run();
    CHECK(end.state == CopyState::Failed);
    CHECK(end.error == kLinkedTargetError);
    CHECK_FALSE(driver::Exists(L"E:\\outside\\zeldr"));
}

TEST_CASE("requests: a stop is seen after the next chunk; a paused worker stops at once") {
    Package p;
    p.Sparse(L"bcd", L"big", 60 * MiB);
    Job stopped(p.dir, L'D');
    stopped.control.Stop();
    CHECK(stopped.Run().state == CopyState::Stopped);
    CHECK(stopped.job.GetCopiedBytes() == MiB);

    Package q;
    q.Put(L"common", L"small", "abc");
    Job paused(q.dir, L'D');
    paused.control.Pause();
    zenta::ScopedHandle worker(CreateThread(nullptr, 0, &Job::Main, &paused, 0, nullptr));
    REQUIRE(worker);
    CHECK(WaitForSingleObject(worker.Get(), 300) == WAIT_TIMEOUT);
    paused.control.Stop();
    REQUIRE(WaitForSingleObject(worker.Get(), 20000) == WAIT_OBJECT_0); // a hang here is the fault
    CHECK(paused.end.state == CopyState::Stopped);
    CHECK_FALSE(driver::Exists(L"D:\\zentaos\\small"));
}

TEST_CASE("hard links planted in a folder already there or at the loader's name take none of our bytes") {
    Package p;
    REQUIRE(driver::WriteBytes(L"E:\\victim", "theirs"));
    REQUIRE(driver::MakeDirs(L"D:\\zentaos"));
    REQUIRE(CreateHardLinkW(L"D:\\zentaos\\zeldr", L"E:\\victim", nullptr));
    CHECK(Job(p.dir, L'D').Run().error == ERROR_ALREADY_EXISTS);
    REQUIRE(DeleteDirectoryTree(L"D:\\zentaos"));
    REQUIRE(CreateHardLinkW(L"D:\\zeldr", L"E:\\victim", nullptr));
    CHECK(Job(p.dir, L'D').Run().error == kLinkedTargetError);
    CHECK(driver::ReadBytes(L"E:\\victim") == "theirs");
    CHECK((GetFileAttributesW(L"E:\\victim") & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)) == 0);
    DeleteFileW(L"D:\\zeldr");
}

TEST_CASE(
    "the package is read as it was checked: a linked folder, a file with a second name are not copied") {
    enum Plant { LinkedFolder, SecondName, SecondNameLoader };
    for (Plant plant : {LinkedFolder, SecondName, SecondNameLoader}) {
        Package p;
        // E:\linkedsource\copyfiles\disks is a host link to E:\outside, which holds keep.txt
        // (tests/wine/run.sh).
        std::wstring package = plant == LinkedFolder ? L"E:\\linkedsource" : p.dir;
        std::wstring culprit = plant == LinkedFolder ? package + L"\\copyfiles\\disks"
                               : plant == SecondName ? p.Path(L"disks", L"image")
                                                     : p.Path(L"common", L"zeldr");
        if (plant != LinkedFolder) {
            DeleteFileW(culprit.c_str());
            REQUIRE(driver::WriteBytes(L"E:\\second", "theirs"));
            REQUIRE(CreateHardLinkW(culprit.c_str(), L"E:\\second", nullptr));
        }
        CopyOutcome end = Job(package, L'D').Run();
        DeleteFileW(L"E:\\second");
        CAPTURE(plant);
        CHECK(end.state == CopyState::Failed);
        CHECK(end.error == kLinkedSourceError);
        CHECK(end.fileName == culprit);
        CHECK_FALSE(driver::Exists(L"D:\\zentaos\\keep.txt"));
        CHECK_FALSE(driver::Exists(L"D:\\zentaos\\image"));
    }
}

TEST_CASE("the package's folders are held while the job runs: nobody may rename them") {
    Package p;
    p.Put(L"disks", L"image", "image");
    Job paused(p.dir, L'D');
    paused.control.Pause(); // the worker waits before its first file, once the loader is placed
    zenta::ScopedHandle worker(CreateThread(nullptr, 0, &Job::Main, &paused, 0, nullptr));
    REQUIRE(worker);
    REQUIRE(driver::WaitUntil([] { return driver::Exists(L"D:\\zeldr"); }, 20000));
    std::wstring disks = p.dir + L"\\copyfiles\\disks", aside = p.dir + L"\\aside";
    CHECK_FALSE(MoveFileW(disks.c_str(), aside.c_str()));
    CHECK(GetLastError() == ERROR_SHARING_VIOLATION);
    paused.control.Stop();
    REQUIRE(WaitForSingleObject(worker.Get(), 20000) == WAIT_OBJECT_0);
    MoveFileW(aside.c_str(), disks.c_str());
}
