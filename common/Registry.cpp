#include "common/Registry.h"

bool CRegistry::Open(const wchar_t* subKey, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey, 0, access, &key) != ERROR_SUCCESS)
        return false;
    Close();
    hKey = key;
    return true;
}

bool CRegistry::Create(const wchar_t* subKey) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    Close();
    hKey = key;
    return true;
}

void CRegistry::Close() {
    if (hKey && !IsRoot())
        RegCloseKey(hKey);
    hKey = nullptr;
}

bool CRegistry::WriteString(const wchar_t* name, const wchar_t* text) {
    if (!hKey || IsRoot() || !text)
        return false;
    DWORD bytes = static_cast<DWORD>((lstrlenW(text) + 1) * sizeof(wchar_t));
    return RegSetValueExW(hKey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes) == ERROR_SUCCESS;
}

bool CRegistry::WriteDword(const wchar_t* name, DWORD value) {
    if (!hKey || IsRoot())
        return false;
    return RegSetValueExW(hKey, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
           ERROR_SUCCESS;
}

bool CRegistry::ReadDword(const wchar_t* name, DWORD& value) {
    if (!hKey || IsRoot())
        return false;
    DWORD data = 0, size = sizeof data;
    if (RegQueryValueExW(hKey, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &size) !=
        ERROR_SUCCESS)
        return false;
    value = data;
    return true;
}

bool CRegistry::ReadGuid(std::wstring& text) {
    if (!hKey || IsRoot())
        return false;
    wchar_t buffer[101] = {}; // 200 bytes of value plus a terminator we add ourselves
    DWORD size = 200;
    if (RegQueryValueExW(hKey, L"Guid", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS)
        return false;
    buffer[100] = L'\0';
    text = buffer;
    return true;
}
