// Functions newer than Windows XP are looked up at run time, never imported.
#pragma once
#include <windows.h>

template <typename Function> Function LookupFunction(const wchar_t* module, const char* name) {
    HMODULE handle = GetModuleHandleW(module);
    if (!handle)
        return nullptr;
    // Through void*: FARPROC and the real signature are unrelated function types.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(handle, name)));
}
