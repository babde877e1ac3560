#include "tests/uninstall/ProcessStart.h"

#include "common/ScopedWin.h"

#include <winternl.h>

namespace {

// Offsets in the 32-bit RTL_USER_PROCESS_PARAMETERS, as Windows and wine lay it out.
const size_t kParametersInPeb = 0x10;
const size_t kCurrentDirectory = 0x24;
const size_t kCommandLine = 0x40;
const size_t kWindowFlags = 0x68;
const size_t kShowWindowFlags = 0x6C;

template <typename T> bool ReadAt(HANDLE process, const void* address, T& value) {
    SIZE_T got = 0;
    return ReadProcessMemory(process, address, &value, sizeof value, &got) && got == sizeof value;
}

bool ReadText(HANDLE process, const BYTE* address, std::wstring& text) {
    UNICODE_STRING header = {};
    if (!ReadAt(process, address, header))
        return false;
    text.assign(header.Length / sizeof(wchar_t), L'\0');
    SIZE_T got = 0;
    return header.Length == 0 ||
           (ReadProcessMemory(process, header.Buffer, &text[0], header.Length, &got) && got == header.Length);
}

} // namespace

bool ReadProcessStart(DWORD processId, ProcessStart& start) {
    using QueryFn = LONG(NTAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
    auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    zenta::ScopedHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!query || !process)
        return false;
    PROCESS_BASIC_INFORMATION basic = {};
    if (query(process.Get(), ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0)
        return false;
    const BYTE* parameters = nullptr;
    if (!ReadAt(process.Get(), reinterpret_cast<const BYTE*>(basic.PebBaseAddress) + kParametersInPeb,
                parameters))
        return false;
    return ReadText(process.Get(), parameters + kCommandLine, start.commandLine) &&
           ReadText(process.Get(), parameters + kCurrentDirectory, start.currentDirectory) &&
           ReadAt(process.Get(), parameters + kWindowFlags, start.windowFlags) &&
           ReadAt(process.Get(), parameters + kShowWindowFlags, start.showWindow);
}
