// Throughput of the copy job, measured inside one wine process; bench/run.sh drives it.
//   copy_bench job PACKAGE TARGET     runs CCopyJob from PACKAGE into TARGET (X:\zentaos)
//   copy_bench memory PACKAGE TARGET  the same, watching the process's private memory
//   copy_bench loop SOURCE TARGET     copies the files lying in SOURCE with a plain CopyFileW loop
// Each prints one line: "bytes=N seconds=S", for the job its end state, and for "memory"
// "peak_extra=B", the private memory above what the process held before the job.
#include "common/Log.h"
#include "common/ScopedWin.h"
#include "common/Text.h"
#include "setup/CopyJob.h"

#include <windows.h>
#include <psapi.h>
#include <cstdio>
#include <cwchar>

namespace {

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

PROCESS_MEMORY_COUNTERS Memory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

// Samples the private memory (heap, stacks) of the process every millisecond. The buffer of
// a large copy lives for the whole file and the worker's stack for the whole job, so the
// samples see them. Used in a run of its own: the sampling costs the copy some speed.
struct MemoryWatch {
    volatile LONG stop = 0;
    SIZE_T highest = 0;
    static DWORD WINAPI Main(void* self) {
        MemoryWatch* watch = static_cast<MemoryWatch*>(self);
        while (!watch->stop) {
            SIZE_T now = Memory().PagefileUsage;
            if (now > watch->highest)
                watch->highest = now;
            Sleep(1);
        }
        return 0;
    }
};

int RunJob(const wchar_t* package, const wchar_t* target, bool watchMemory) {
    MemoryWatch watch;
    zenta::ScopedHandle watcher;
    if (watchMemory) {
        watcher.Reset(CreateThread(nullptr, 0, &MemoryWatch::Main, &watch, 0, nullptr));
        Sleep(50);
    }
    SIZE_T before = Memory().PagefileUsage;
    watch.highest = before;

    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    CopyOutcome outcome;
    long long bytes = 0;
    {
        // The log as an installation keeps it: opened at the start, a line before and after.
        OpenLog(L"ZentaLUM-Bench.log");
        // TARGET names the installation directory; the job makes it on TARGET's drive.
        CWorkerControl control;
        CCopyJob job(package, Bcd, target[0], control);
        job.ComputeTotal();
        Log(L"copy planned: %d file(s), %lld bytes", job.totalFiles, job.totalBytes);
        outcome = job.Run();
        Log(L"copy ended: state %d, %d file(s) in %lu ms", static_cast<int>(outcome.state), outcome.files,
            outcome.milliseconds);
        QueryPerformanceCounter(&end);
        bytes = job.GetCopiedBytes();
    }
    watch.stop = 1;
    if (watcher)
        WaitForSingleObject(watcher.Get(), INFINITE);

    std::printf("bytes=%lld seconds=%.4f state=%d error=%lu", bytes, Seconds(start, end),
                static_cast<int>(outcome.state), outcome.error);
    if (watchMemory)
        std::printf(" peak_extra=%lld", static_cast<long long>(watch.highest - before));
    std::printf("\n");
    if (outcome.state != CopyState::Completed)
        std::fprintf(stderr, "copy failed: %ls\n", outcome.fileName.c_str());
    return outcome.state == CopyState::Completed ? 0 : 1;
}

int RunLoop(const wchar_t* source, const wchar_t* target) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    CreateDirectoryW(target, nullptr);
    long long bytes = 0;
    std::wstring pattern = std::wstring(source) + L"\\*";
    WIN32_FIND_DATAW entry;
    zenta::ScopedFindHandle find(FindFirstFileW(pattern.c_str(), &entry));
    if (find) {
        do {
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            std::wstring from = std::wstring(source) + L"\\" + entry.cFileName;
            std::wstring to = std::wstring(target) + L"\\" + entry.cFileName;
            if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) {
                std::fprintf(stderr, "CopyFileW failed: %ls (%lu)\n", from.c_str(), GetLastError());
                return 1;
            }
            bytes += (static_cast<long long>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
        } while (FindNextFileW(find.Get(), &entry));
    }
    QueryPerformanceCounter(&end);
    std::printf("bytes=%lld seconds=%.4f\n", bytes, Seconds(start, end));
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 4 && std::wcscmp(argv[1], L"job") == 0)
        return RunJob(argv[2], argv[3], false);
    if (argc == 4 && std::wcscmp(argv[1], L"memory") == 0)
        return RunJob(argv[2], argv[3], true);
    if (argc == 4 && std::wcscmp(argv[1], L"loop") == 0)
        return RunLoop(argv[2], argv[3]);
    std::fprintf(stderr, "usage: copy_bench job|memory PACKAGE TARGET | loop SOURCE TARGET\n");
    return 2;
}
