#include "common/Firmware.h"

#include "common/DynamicApi.h"

namespace {
constexpr DWORD kFirmwareTypeBios = 1;
constexpr DWORD kFirmwareTypeUefi = 2;
} // namespace

Firmware DecideFirmware(bool typeKnown, DWORD type, DWORD probeError) {
    if (typeKnown && (type == kFirmwareTypeBios || type == kFirmwareTypeUefi))
        return type == kFirmwareTypeBios ? Firmware::Bios : Firmware::Uefi;
    return probeError == ERROR_INVALID_FUNCTION ? Firmware::Bios : Firmware::Uefi;
}

Firmware DetectFirmware() {
    using GetFirmwareTypeFn = BOOL(WINAPI*)(DWORD*);
    using GetVariableFn = DWORD(WINAPI*)(LPCWSTR, LPCWSTR, PVOID, DWORD);
    auto getType = LookupFunction<GetFirmwareTypeFn>(L"kernel32.dll", "GetFirmwareType");
    DWORD type = 0;
    bool typeKnown = getType && getType(&type) && (type == kFirmwareTypeBios || type == kFirmwareTypeUefi);
    DWORD probeError = ERROR_INVALID_FUNCTION; // a system without the probe predates UEFI
    auto getVariable = LookupFunction<GetVariableFn>(L"kernel32.dll", "GetFirmwareEnvironmentVariableW");
    if (!typeKnown && getVariable)
        probeError = getVariable(L"", L"{00000000-0000-0000-0000-000000000000}", nullptr, 0) ? ERROR_SUCCESS
                                                                                             : GetLastError();
    return DecideFirmware(typeKnown, type, probeError);
}

const wchar_t* FirmwareName(Firmware firmware) {
    return firmware == Firmware::Bios ? L"BIOS" : L"UEFI";
}
