#include "common/Registry.h"

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

bool CRegistry::Create(const wchar_t* subKey) {
    HKEY key = nullptr;
    if (!Succeeded(RegCreateKeyExW(HKEY_LOCAL_MACHINE, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_ALL_ACCESS, nullptr, &key, nullptr)))
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

bool CRegistry::ReadGuid(std::wstring& text) {
    wchar_t buffer[101] = {}; // 200 bytes of value plus a terminator we add ourselves
    DWORD size = 200;
    if (!key_ || RegQueryValueExW(key_.Get(), L"Guid", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
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

bool RegistryKeyGone(const wchar_t* subKey) {
    HKEY key = nullptr;
    LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey, 0, KEY_READ, &key);
    if (status == ERROR_SUCCESS)
        RegCloseKey(key);
    return status == ERROR_FILE_NOT_FOUND;
}
