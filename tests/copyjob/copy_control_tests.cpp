// Pause, resume and stop as the worker sees them, and where it looks for them: before every
// file below 20 MiB, after every 20th chunk of a larger one, and for a stop also after every
// chunk and during the system copy.
#include <doctest/doctest.h>

#include "CopyTestFiles.h"
#include "setup/CopyJob.h"
#include "setup/SetupApp.h"

namespace {

constexpr DWORD kEndWait = 20000;
constexpr long long kMiB = 1048576;

// True when the copied byte count reaches `bytes` and then stays there for a while, the job
// still running: the worker is paused.
bool PausesAt(CCopyJob& job, long long bytes) {
    if (!WaitUntil([&] { return job.GetCopiedBytes() >= bytes; }, kEndWait))
        return false;
    Sleep(300);
    return job.GetCopiedBytes() == bytes && job.GetOutcome().state == CopyState::Running &&
           !job.WaitForEnd(0);
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

} // namespace

TEST_CASE("20,971,519 bytes go through one system copy after a check, 20,971,520 bytes through 20 chunks") {
    TestPackage package;
    auto app = MakeApp(package.dir, Bcd);
    std::wstring target = NewTargetDir();

    SUBCASE("just below the threshold: the check comes before the copy") {
        std::wstring source = package.PutSparse(L"common", L"small", 20971519);
        SetLastWriteTime(source, 2001);
        CCopyJob job(app.get(), target);
        job.ComputeTotal();
        job.RequestPause();
        REQUIRE(job.Start() == ERROR_SUCCESS);
        CHECK(PausesAt(job, 0));
        CHECK_FALSE(Exists(target + L"\\small"));
        job.RequestResume();
        REQUIRE(job.WaitForEnd(kEndWait));
        CHECK(job.GetOutcome().state == CopyState::Completed);
        CHECK(SizeOfFile(target + L"\\small") == 20971519);
        // The system copy carries the source's time stamp over.
        CHECK(SameTime(LastWriteTime(target + L"\\small"), LastWriteTime(source)));
    }
    SUBCASE("at the threshold: all 20 chunks, then the one check") {
        std::wstring source = package.PutSparse(L"common", L"large", 20971520);
        SetLastWriteTime(source, 2001);
        CCopyJob job(app.get(), target);
        job.ComputeTotal();
        job.RequestPause();
        REQUIRE(job.Start() == ERROR_SUCCESS);
        CHECK(PausesAt(job, 20971520));
        CHECK(job.GetPercent() == 99);
        job.RequestResume();
        REQUIRE(job.WaitForEnd(kEndWait));
        CHECK(job.GetOutcome().state == CopyState::Completed);
        CHECK(job.GetPercent() == 100);
        CHECK(SizeOfFile(target + L"\\large") == 20971520);
        // Streamed, not system-copied: the copy is new.
        CHECK_FALSE(SameTime(LastWriteTime(target + L"\\large"), LastWriteTime(source)));
    }
}

TEST_CASE("3 of 7 bytes copied shows 42 percent") {
    TestPackage package;
    package.Put(L"bcd", L"three", "abc");
    package.Put(L"common", L"four", "defg");
    auto app = MakeApp(package.dir, Bcd);
    CCopyJob job(app.get(), NewTargetDir());
    job.ComputeTotal();
    CHECK(job.totalBytes == 7);
    job.RequestPause();
    REQUIRE(job.Start() == ERROR_SUCCESS);
    REQUIRE(PausesAt(job, 0));
    CHECK(job.GetPercent() == 0);
    // A pause given while paused waits for the next check: after the first file.
    job.RequestPause();
    job.RequestResume();
    REQUIRE(PausesAt(job, 3));
    CHECK(job.GetPercent() == 42);
    job.RequestResume();
    REQUIRE(job.WaitForEnd(kEndWait));
    CHECK(job.GetPercent() == 100);
}

TEST_CASE("pause, stop and resume requests") {
    TestPackage package;
    package.Put(L"bcd", L"first", "1");
    package.Put(L"common", L"second", "22");
    auto app = MakeApp(package.dir, Bcd);
    std::wstring target = NewTargetDir();
    CCopyJob job(app.get(), target);
    job.ComputeTotal();

    SUBCASE("stop while paused ends the job without copying further") {
        job.RequestPause();
        REQUIRE(job.Start() == ERROR_SUCCESS);
        REQUIRE(PausesAt(job, 0));
        job.RequestStop();
        REQUIRE(job.WaitForEnd(kEndWait));
        CHECK(job.GetOutcome().state == CopyState::Stopped);
        CHECK(job.GetCopiedBytes() == 0);
        CHECK_FALSE(Exists(target + L"\\first"));
        CHECK_FALSE(Exists(target + L"\\second"));
    }
    SUBCASE("stop wins over a pause given at the same time") {
        job.RequestPause();
        job.RequestStop();
        REQUIRE(job.Start() == ERROR_SUCCESS);
        REQUIRE(job.WaitForEnd(kEndWait));
        CHECK(job.GetOutcome().state == CopyState::Stopped);
        CHECK(job.GetCopiedBytes() == 0);
    }
    SUBCASE("a resume without a pause ends the next pause at once") {
        job.RequestResume();
        job.RequestPause();
        REQUIRE(job.Start() == ERROR_SUCCESS);
        REQUIRE(job.WaitForEnd(kEndWait));
        CHECK(job.GetOutcome().state == CopyState::Completed);
        CHECK(ReadText(target + L"\\second") == "22");
    }
    SUBCASE("Stop on a paused job returns once the worker has ended") {
        job.RequestPause();
        REQUIRE(job.Start() == ERROR_SUCCESS);
        REQUIRE(PausesAt(job, 0));
        job.Stop();
        CHECK(job.WaitForEnd(0));
        CHECK(job.GetOutcome().state == CopyState::Stopped);
    }
}

TEST_CASE("a stop is honoured within one chunk of a large file") {
    TestPackage package;
    package.PutSparse(L"disks", L"huge", 1024 * kMiB);
    auto app = MakeApp(package.dir, Bcd);
    std::wstring target = NewTargetDir();
    CCopyJob job(app.get(), target);
    job.ComputeTotal();
    REQUIRE(job.Start() == ERROR_SUCCESS);
    REQUIRE(WaitUntil([&] { return job.GetCopiedBytes() >= 2 * kMiB; }, kEndWait));
    job.RequestStop();
    // Once the request is given, only the chunk under way may still be counted (the margin
    // covers one more for a count read just as a chunk ends); a check every 20 chunks
    // alone would allow up to 20 MiB.
    long long atRequest = job.GetCopiedBytes();
    job.Stop();
    CHECK(job.GetOutcome().state == CopyState::Stopped);
    CHECK(job.GetCopiedBytes() - atRequest <= 2 * kMiB);
    CHECK(job.GetCopiedBytes() < 1024 * kMiB);
    CHECK(SizeOfFile(target + L"\\huge") == job.GetCopiedBytes());
}

TEST_CASE("a stop given as a system copy begins ends the job by the next check at the latest") {
    TestPackage package;
    package.PutSparse(L"common", L"almost", 20971519);
    package.Put(L"disks", L"after", "not reached");
    auto app = MakeApp(package.dir, Bcd);
    std::wstring target = NewTargetDir();
    CCopyJob job(app.get(), target);
    job.ComputeTotal();
    job.RequestPause();
    REQUIRE(job.Start() == ERROR_SUCCESS);
    REQUIRE(PausesAt(job, 0));
    // The worker wakes for the resume and starts the system copy, which the stop cancels
    // where the system reports copy progress (Windows; wine's copy runs to its end and the
    // stop is taken at the check before the next file).
    job.RequestResume();
    job.RequestStop();
    REQUIRE(job.WaitForEnd(kEndWait));
    CHECK(job.GetOutcome().state == CopyState::Stopped);
    CHECK_FALSE(Exists(target + L"\\after"));
    if (job.GetCopiedBytes() == 0)
        CHECK_FALSE(Exists(target + L"\\almost"));
    else
        CHECK(job.GetCopiedBytes() == 20971519);
}

TEST_CASE("destroying a running job stops its worker") {
    TestPackage package;
    package.PutSparse(L"disks", L"huge", 1024 * kMiB);
    auto app = MakeApp(package.dir, Bcd);
    std::wstring target = NewTargetDir();
    {
        CCopyJob job(app.get(), target);
        job.ComputeTotal();
        REQUIRE(job.Start() == ERROR_SUCCESS);
        REQUIRE(WaitUntil([&] { return job.GetCopiedBytes() > 0; }, kEndWait));
    }
    // Nothing writes to the target any more.
    long long size = SizeOfFile(target + L"\\huge");
    Sleep(100);
    CHECK(SizeOfFile(target + L"\\huge") == size);
    CHECK(size < 1024 * kMiB);
}
