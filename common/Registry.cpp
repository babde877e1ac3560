#include "common/Registry.h"

#include "common/DynamicApi.h"

namespace {

// The registry functions answer with their error instead of setting the thread's last error:
// callers that tell the user why read it from there, as for every other system call.
bool Succeeded(LONG status) {
    SetLastError(static_cast<DWORD>(status));
    return status == ERROR_SUCCESS;
}

} // namespace

bool CRegistry::Open(const wchar_t* subKey, REGSAM access) {
    HKEY key = nullptr;
    if (!Succeeded(RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey, 0, access, &key)))
        return false;
    key_.Reset(key);
    return true;
}

bool CRegistry::Create(const wchar_t* subKey, REGSAM view) {
    HKEY key = nullptr;
    if (!Succeeded(RegCreateKeyExW(HKEY_LOCAL_MACHINE, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_ALL_ACCESS | view, nullptr, &key, nullptr)))
        return false;
    key_.Reset(key);
    return true;
}

bool CRegistry::WriteString(const wchar_t* name, const wchar_t* text) {
    if (!key_ || !text)
        return false;
    DWORD bytes = static_cast<DWORD>((lstrlenW(text) + 1) * sizeof(wchar_t));
    return Succeeded(RegSetValueExW(key_.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes));
}

bool CRegistry::WriteDword(const wchar_t* name, DWORD value) {
    return key_ && Succeeded(RegSetValueExW(key_.Get(), name, 0, REG_DWORD,
                                            reinterpret_cast<const BYTE*>(&value), sizeof value));
}

bool CRegistry::ReadDword(const wchar_t* name, DWORD& value) {
    DWORD data = 0, size = sizeof data;
    if (!key_ || RegQueryValueExW(key_.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&data),
                                  &size) != ERROR_SUCCESS)
        return false;
    value = data;
    return true;
}

bool CRegistry::ReadShortText(const wchar_t* name, DWORD bytes, std::wstring& text) {
    wchar_t buffer[101] = {}; // 200 bytes of value plus a terminator we add ourselves
    DWORD size = bytes < 200 ? bytes : 200;
    if (!key_ || RegQueryValueExW(key_.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                                  &size) != ERROR_SUCCESS)
        return false;
    text = buffer;
    return true;
}

bool CRegistry::ReadText(const wchar_t* name, std::wstring& text) {
    wchar_t buffer[MAX_PATH + 1] = {}; // one unit more than the value may hold: always terminated
    DWORD type = 0, size = MAX_PATH * sizeof(wchar_t);
    if (!key_ ||
        RegQueryValueExW(key_.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    text = buffer;
    return true;
}

bool CRegistry::DeleteValue(const wchar_t* name) {
    if (!key_)
        return false;
    LONG status = RegDeleteValueW(key_.Get(), name);
    return Succeeded(status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status);
}

bool RegistryKeyGone(const wchar_t* subKey, REGSAM view) {
    HKEY key = nullptr;
    LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey, 0, KEY_READ | view, &key);
    if (status == ERROR_SUCCESS)
        RegCloseKey(key);
    return status == ERROR_FILE_NOT_FOUND;
}

bool DeleteKeyTree(const wchar_t* subKey, REGSAM view) {
    // An empty name would name HKEY_LOCAL_MACHINE itself.
    if (!subKey || !*subKey)
        return false;
    {
        CRegistry key;
        if (!key.Open(subKey, KEY_READ | view))
            return GetLastError() == ERROR_FILE_NOT_FOUND;
        for (;;) {
            // Always index 0: every pass deletes the subkey it found.
            wchar_t name[256] = {};
            DWORD length = 256;
            if (RegEnumKeyExW(key.Get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            if (!DeleteKeyTree((std::wstring(subKey) + L"\\" + name).c_str(), view))
                return false;
        }
    }
    // RegDeleteKeyExW names the view (Windows XP x64 and later); 32-bit Windows XP, which
    // has no other view, has only RegDeleteKeyW.
    using RegDeleteKeyExFn = LONG(WINAPI*)(HKEY, const wchar_t*, REGSAM, DWORD);
    auto deleteInView = LookupFunction<RegDeleteKeyExFn>(L"advapi32.dll", "RegDeleteKeyExW");
    LONG status = deleteInView ? deleteInView(HKEY_LOCAL_MACHINE, subKey, view, 0)
                               : RegDeleteKeyW(HKEY_LOCAL_MACHINE, subKey);
    return Succeeded(status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status);
}
