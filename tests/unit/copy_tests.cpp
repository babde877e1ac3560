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

CopyOutcome RunToEnd(CCopyJob& job) {
    job.ComputeTotal();
    REQUIRE(job.Start() == ERROR_SUCCESS);
    REQUIRE(job.WaitForEnd(60000));
    return job.GetOutcome();
}

FILETIME WriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

} // namespace

TEST_CASE("what is copied: the kind's folder, then common, then disks; files only; the loader replaced") {
    Package p;
    p.Put(L"bcd", L"bcd-only", "bcd");
    p.Put(L"ini", L"ini-only", "ini");
    p.Put(L"common", L"same", "common");
    p.Put(L"bcd", L"twice", "bcd");
    p.Put(L"common", L"Twice", "common");
    // A later source's file replaces a read-only one of the same name (streamed: deleted first).
    p.Sparse(L"disks", L"SAME", 20 * MiB);
    REQUIRE(SetFileAttributesW(p.Path(L"common", L"same").c_str(), FILE_ATTRIBUTE_READONLY));
    REQUIRE(driver::MakeDirs(p.Path(L"disks", L"sub")));
    p.Put(L"disks", L"sub\\deep", "not copied");
    // An earlier installation's loader, read-only and hidden, is replaced all the same.
    REQUIRE(driver::WriteBytes(L"D:\\zeldr", "stale"));
    REQUIRE(SetFileAttributesW(L"D:\\zeldr", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    CCopyJob job(p.dir, Bcd, L"D:\\zentaos");
    CopyOutcome end = RunToEnd(job);
    CHECK(end.state == CopyState::Completed);
    CHECK(job.totalBytes == 3 + 3 + 6 + 6 + 6 + 20 * MiB);
    CHECK(driver::ReadBytes(L"D:\\zentaos\\twice") == "common");
    CHECK(job.GetPercent() == 100);
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
        CCopyJob job(p.dir, Bcd, L"D:\\zentaos");
        REQUIRE(RunToEnd(job).state == CopyState::Completed);
        FILETIME copied = WriteTime(L"D:\\zentaos\\image");
        CHECK((CompareFileTime(&copied, &old) == 0) == (size < 20 * MiB));
    }
}

TEST_CASE("a file that cannot be copied fails the job with its name; a link as target is refused") {
    Package p;
    p.Put(L"common", L"locked", "x");
    zenta::ScopedHandle held(CreateFileW(p.Path(L"common", L"locked").c_str(), GENERIC_READ, 0, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
    CCopyJob job(p.dir, Bcd, L"D:\\zentaos");
    CopyOutcome end = RunToEnd(job);
    CHECK(end.state == CopyState::Failed);
    CHECK(end.fileName == p.Path(L"common", L"locked"));
    CHECK(job.GetPercent() < 100);

    // E:\zentaos is a host link to E:\outside (tests/wine/run.sh).
    CCopyJob linked(p.dir, Bcd, L"E:\\zentaos");
    end = RunToEnd(linked);
    CHECK(end.state == CopyState::Failed);
    CHECK(end.error == kLinkedTargetError);
    CHECK_FALSE(driver::Exists(L"E:\\outside\\zeldr"));
}

TEST_CASE("requests: a stop is seen after the next chunk; a paused worker stops at once") {
    Package p;
    p.Sparse(L"bcd", L"big", 60 * MiB);
    CCopyJob job(p.dir, Bcd, L"D:\\zentaos");
    job.RequestStop();
    CHECK(RunToEnd(job).state == CopyState::Stopped);
    CHECK(job.GetCopiedBytes() == MiB);

    Package q;
    q.Put(L"common", L"small", "abc");
    CCopyJob paused(q.dir, Bcd, L"D:\\zentaos");
    paused.ComputeTotal();
    paused.RequestPause();
    REQUIRE(paused.Start() == ERROR_SUCCESS);
    CHECK_FALSE(paused.WaitForEnd(300));
    paused.Stop(); // a hang here is the fault
    CHECK(paused.GetOutcome().state == CopyState::Stopped);
    CHECK_FALSE(driver::Exists(L"D:\\zentaos\\small"));
}

TEST_CASE("hard links planted in a folder already there or at the loader's name take none of our bytes") {
    Package p;
    REQUIRE(driver::WriteBytes(L"E:\\victim", "theirs"));
    REQUIRE(driver::MakeDirs(L"D:\\zentaos"));
    REQUIRE(CreateHardLinkW(L"D:\\zentaos\\zeldr", L"E:\\victim", nullptr));
    CCopyJob existing(p.dir, Bcd, L"D:\\zentaos");
    CHECK(RunToEnd(existing).error == ERROR_ALREADY_EXISTS);
    REQUIRE(DeleteDirectoryTree(L"D:\\zentaos"));
    REQUIRE(CreateHardLinkW(L"D:\\zeldr", L"E:\\victim", nullptr));
    CCopyJob loader(p.dir, Bcd, L"D:\\zentaos");
    CHECK(RunToEnd(loader).error == kLinkedTargetError);
    CHECK(driver::ReadBytes(L"E:\\victim") == "theirs");
    CHECK((GetFileAttributesW(L"E:\\victim") & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)) == 0);
    DeleteFileW(L"D:\\zeldr");
}
