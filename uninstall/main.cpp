// The uninstaller's entry: without arguments the installed copy hands over to a temporary
// copy of itself; with any argument, that copy asks and removes.
#include "common/DllSafety.h"
#include "common/Log.h"
#include "common/ScopedWin.h"
#include "common/SystemHelpers.h"
#include "common/WindowsKind.h"
#include "uninstall/Stages.h"
#include "version.h"

#include <shellapi.h>

namespace {

bool HasArguments() {
    int count = 0;
    zenta::ScopedLocal arguments(CommandLineToArgvW(GetCommandLineW(), &count));
    return count > 1;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // The second stage runs elevated from the temporary directory, beside whatever files lie
    // there: DLLs come from the system directory only.
    RestrictDllSearch();
    OpenLog(L"ZentaLUM-Uninstall.log");
    bool second = HasArguments();
    Log(L"---- Zenta LUM Uninstall %ls, %ls stage; Windows %ls; program %ls; command line %ls",
        L"" ZENTA_VERSION_TEXT, second ? L"second" : L"first", DescribeWindowsVersion().c_str(),
        OwnProgramPath().c_str(), GetCommandLineW());
    if (second)
        RunRemovalStage(instance);
    else
        StartTemporaryCopy();
    return 0;
}
