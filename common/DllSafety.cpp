#include "common/DllSafety.h"

#include "common/DynamicApi.h"

void RestrictDllSearch() {
    // Windows 8, and Vista/7 with KB2533623: the system directory only.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    auto setDefault = LookupFunction<SetDefaultDllDirectoriesFn>(L"kernel32.dll", "SetDefaultDllDirectories");
    if (setDefault && setDefault(0x00000800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */))
        return;
    // XP SP1 and later: at least take the current directory out of the search path.
    using SetDllDirectoryFn = BOOL(WINAPI*)(LPCWSTR);
    auto setDirectory = LookupFunction<SetDllDirectoryFn>(L"kernel32.dll", "SetDllDirectoryW");
    if (setDirectory)
        setDirectory(L"");
}
