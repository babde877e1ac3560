// The uninstaller's entry: without arguments the installed copy hands over to a temporary
// copy of itself; with any argument, that copy asks and removes.
#include "common/DllSafety.h"
#include "uninstall/Stages.h"

#include <shellapi.h>

namespace {

bool HasArguments() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments)
        LocalFree(arguments);
    return count > 1;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // The second stage runs elevated from the temporary directory, beside whatever files lie
    // there: DLLs come from the system directory only.
    RestrictDllSearch();
    if (HasArguments())
        RunRemovalStage(instance);
    else
        StartTemporaryCopy();
    return 0;
}
