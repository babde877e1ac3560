#include "common/FastStartup.h"

#include "common/Log.h"
#include "common/Registry.h"
#include "common/WindowsKind.h"

namespace {

constexpr wchar_t kHiberboot[] = L"HiberbootEnabled";

bool ReadPowerDword(const wchar_t* subKey, const wchar_t* name, DWORD& value) {
    CRegistry key;
    return key.Open(subKey, KEY_QUERY_VALUE) && key.ReadDword(name, value);
}

// powrprof.dll is no KnownDLL: it is loaded from the system directory by its full path.
bool PowerCapabilitiesSayHibernation() {
    wchar_t path[MAX_PATH];
    UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length + 14 >= MAX_PATH)
        return false;
    lstrcatW(path, L"\\powrprof.dll");
    HMODULE module = LoadLibraryW(path);
    if (!module)
        return false;
    using GetPwrCapabilitiesFn = BOOLEAN(WINAPI*)(BYTE*);
    auto get = reinterpret_cast<GetPwrCapabilitiesFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "GetPwrCapabilities")));
    // SYSTEM_POWER_CAPABILITIES: SystemS4 at byte 6, HiberFilePresent at byte 8.
    BYTE capabilities[76] = {};
    bool available = get && get(capabilities) && capabilities[6] && capabilities[8];
    FreeLibrary(module);
    return available;
}

} // namespace

FastStartupState ReadFastStartup() {
    FastStartupState state;
    DWORD value = 0;
    state.hiberbootOn = ReadPowerDword(kPowerKey, kHiberboot, value) && value == 1;
    // powercfg /h on|off keeps "HibernateEnabled"; without it, the power capabilities tell.
    if (ReadPowerDword(L"SYSTEM\\CurrentControlSet\\Control\\Power", L"HibernateEnabled", value))
        state.hibernationAvailable = value != 0;
    else
        state.hibernationAvailable = PowerCapabilitiesSayHibernation();
    return state;
}

bool FastStartupQuestionNeeded(DWORD major, DWORD minor, const FastStartupState& state) {
    bool windows8OrLater = major > 6 || (major == 6 && minor >= 2);
    return windows8OrLater && state.hiberbootOn && state.hibernationAvailable;
}

namespace {

FastStartupState ReadAndLogFastStartup() {
    FastStartupState state = ReadFastStartup();
    Log(L"Fast Startup: HiberbootEnabled %ls, hibernation %ls", state.hiberbootOn ? L"1" : L"not 1",
        state.hibernationAvailable ? L"available" : L"off");
    return state;
}

} // namespace

bool FastStartupQuestionNeeded(DWORD major, DWORD minor, FastStartupState (*read)()) {
    // Nothing is read (and powrprof.dll not loaded) where there is no Fast Startup to ask about.
    if (!FastStartupQuestionNeeded(major, minor, FastStartupState{true, true}))
        return false;
    return FastStartupQuestionNeeded(major, minor, read());
}

bool FastStartupQuestionNeeded() {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExW(&info))
        return false;
    bool ask = FastStartupQuestionNeeded(info.dwMajorVersion, info.dwMinorVersion, ReadAndLogFastStartup);
    Log(L"Fast Startup on Windows %lu.%lu: %ls", static_cast<unsigned long>(info.dwMajorVersion),
        static_cast<unsigned long>(info.dwMinorVersion), ask ? L"the user is asked" : L"nothing to ask");
    return ask;
}

bool HiberbootBefore(DWORD& value) {
    return ReadPowerDword(kPowerKey, kHiberboot, value);
}

bool TurnOffFastStartup(DWORD before) {
    CRegistry power;
    if (!power.Open(kPowerKey, KEY_QUERY_VALUE | KEY_SET_VALUE))
        return false;
    DWORD after = 1;
    if (!power.WriteDword(kHiberboot, 0) || !power.ReadDword(kHiberboot, after))
        return false;
    if (after != 0) {
        SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    Log(L"Fast Startup turned off: HiberbootEnabled %lu -> 0, recorded", static_cast<unsigned long>(before));
    return true;
}

bool HiberbootToRestore(bool recorded, bool currentKnown, DWORD current) {
    return recorded && currentKnown && current == 0;
}

namespace {

bool WriteHiberboot(HKEY power, DWORD value) {
    return RegSetValueExW(power, kHiberboot, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value) == ERROR_SUCCESS;
}

HiberbootWrite hiberbootWrite = WriteHiberboot;

} // namespace

void SetHiberbootWrite(HiberbootWrite write) {
    hiberbootWrite = write ? write : WriteHiberboot;
}

bool RestoreFastStartup(const DWORD* recorded) {
    DWORD current = 0;
    if (!recorded)
        return true;
    CRegistry power;
    if (!power.Open(kPowerKey, KEY_QUERY_VALUE | KEY_SET_VALUE) && GetLastError() != ERROR_FILE_NOT_FOUND) {
        // Not to be looked at (or changed) now: still to be given back.
        Log(L"Fast Startup could NOT be given back: %ls", ErrorText(GetLastError()).c_str());
        return false;
    }
    bool known = power.Get() && power.ReadDword(kHiberboot, current);
    if (!HiberbootToRestore(true, known, current)) {
        // Not the 0 we wrote any more: the user's own setting now, nothing to give back.
        Log(L"Fast Startup left as it is: HiberbootEnabled %ls since the installation",
            known ? L"changed" : L"removed");
        return true;
    }
    DWORD after = 0;
    bool done = power.Get() && hiberbootWrite(power.Get(), *recorded) && power.ReadDword(kHiberboot, after) &&
                after == *recorded;
    Log(L"Fast Startup: HiberbootEnabled 0 -> %lu %ls", static_cast<unsigned long>(*recorded),
        done ? L"given back" : L"could NOT be given back");
    return done;
}
