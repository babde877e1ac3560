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
#include <cwchar>

namespace {

bool HasArguments() {
    int count = 0;
    zenta::ScopedLocal arguments(CommandLineToArgvW(GetCommandLineW(), &count));
    return count > 1;
}

} // namespace

zenta::ScopedHandle AdoptFolderHold(const wchar_t* commandLine) {
    int count = 0;
    zenta::ScopedLocal arguments(CommandLineToArgvW(commandLine, &count));
    wchar_t** argv = static_cast<wchar_t**>(arguments.Get());
    if (!argv || count < 4)
        return zenta::ScopedHandle();
    wchar_t* end = nullptr;
    unsigned long value = wcstoul(argv[3], &end, 10);
    HANDLE handle = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(value));
    // Only a folder is taken as the hold; any other number is left alone.
    BY_HANDLE_FILE_INFORMATION info = {};
    if (*end || value == 0 || GetFileType(handle) != FILE_TYPE_DISK ||
        !GetFileInformationByHandle(handle, &info) || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return zenta::ScopedHandle();
    return zenta::ScopedHandle(handle);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // The second stage runs elevated from the temporary directory, beside whatever files lie
    // there: DLLs come from the system directory only.
    RestrictDllSearch();
    OpenLog(L"ZentaLUM-Uninstall.log");
    bool second = HasArguments();
    Log(L"---- Zenta LUM Uninstall %ls, %ls stage; Windows %ls; program %ls; command line %ls",
        L"" ZENTA_VERSION_TEXT, second ? L"second" : L"first", DescribeWindowsVersion().c_str(),
        OwnProgramPath().c_str(), GetCommandLineW());
    if (second) {
        zenta::ScopedHandle folder = AdoptFolderHold(GetCommandLineW());
        Log(L"own folder %ls", folder ? L"held" : L"not handed over");
        RunRemovalStage(instance);
    } else
        StartTemporaryCopy();
    return 0;
}
