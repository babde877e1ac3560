// Scenarios that both Windows kinds go through, with the kind's own boot configuration.
#pragma once
#include "tests/install/InstallKit.h"

#include <string>

namespace installkit {

// Waits until the copy has begun writing `file` into the installation directory.
bool CopyReached(const std::wstring& file);

// The worst time in milliseconds the wizard took to answer a sent message, asked every
// 50 ms for as long as `going` holds; `samples` counts the questions.
template <typename Going> double WorstAnswerMs(HWND wizard, Going going, int& samples) {
    LARGE_INTEGER frequency, before, after;
    QueryPerformanceFrequency(&frequency);
    double worst = 0;
    samples = 0;
    while (going()) {
        DWORD_PTR result = 0;
        QueryPerformanceCounter(&before);
        if (!SendMessageTimeoutW(wizard, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result))
            return 5000;
        QueryPerformanceCounter(&after);
        double ms = 1000.0 * static_cast<double>(after.QuadPart - before.QuadPart) /
                    static_cast<double>(frequency.QuadPart);
        worst = ms > worst ? ms : worst;
        ++samples;
        Sleep(50);
    }
    return worst;
}

// A package with exactly the system disks' threshold in one file: installed to D: with the
// wizard answering within 100 ms all through the copy, the Complete page, everything in
// place; "一会自己重启" ends Setup. Screenshots <shots>welcome and <shots>complete.
void FullPackageScenario(Kind kind, const std::wstring& shots);

// An installation, then the next start's Remove page removes it and leads to Welcome, a
// fresh installation follows, and the installed Uninstall.exe removes that one. Screenshot
// <shots>remove.
void RemoveAndUninstallScenario(Kind kind, const std::wstring& shots);

} // namespace installkit
