#include "setup/CopyPlan.h"

std::array<std::wstring, 3> CopySourceFolders(const std::wstring& packageDir, WindowsKind kind) {
    const std::wstring copyfiles = packageDir + L"\\copyfiles\\";
    return {copyfiles + (kind == Bcd ? L"bcd" : L"ini"), copyfiles + L"common", copyfiles + L"disks"};
}

int ProgressPercent(long long copied, long long total, bool completed) {
    if (total <= 0)
        return 0;
    if (completed)
        return 100;
    if (copied <= 0)
        return 0;
    // Counters stay far below 2^63 / 100 (that would be 92 PB), so the product cannot overflow.
    long long percent = copied * 100 / total;
    return percent >= 100 ? 99 : static_cast<int>(percent);
}
