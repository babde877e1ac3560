#include "uninstall/Stages.h"

#include "common/ScopedWin.h"
#include "common/Text.h"

#include <shellapi.h>
#include <string>

void StartTemporaryCopy() {
    wchar_t temp[520] = {};
    DWORD length = GetTempPathW(520, temp);
    if (length == 0 || length >= 520)
        return;
    wchar_t self[520] = {};
    length = GetModuleFileNameW(nullptr, self, 520);
    if (length == 0 || length >= 520) // cut short: not a path of ours to copy
        return;
    std::wstring copyPath;
    if (!zenta::JoinPath(temp, kTemporaryCopyName, copyPath))
        return;

    // A copy left by an earlier run is replaced. When it cannot be (it is still running),
    // starting it lets that run come forward instead of a second one starting.
    DeleteFileW(copyPath.c_str());
    CopyFileW(self, copyPath.c_str(), FALSE);

    // Any argument makes the copy the second stage; the number is this process's handle to
    // itself, as the uninstaller has always passed it.
    std::wstring arguments;
    {
        zenta::ScopedHandle own(OpenProcess(SYNCHRONIZE, TRUE, GetCurrentProcessId()));
        arguments = zenta::FormatText(L" %d 1", static_cast<int>(reinterpret_cast<INT_PTR>(own.Get())));
    }
    ShellExecuteW(nullptr, L"open", copyPath.c_str(), arguments.c_str(), temp, SW_HIDE);
}
