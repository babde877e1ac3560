// CRegistry: holder of one key under HKEY_LOCAL_MACHINE, closed when the holder goes.
#pragma once
#include "common/ScopedWin.h"

#include <windows.h>
#include <string>

// The installation record ("Drive", "Guid") and the uninstall record.
constexpr wchar_t kHardDiskKey[] = L"SOFTWARE\\Zenta\\HardDisk";
constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZentaLUM";

class CRegistry {
  public:
    CRegistry() = default;
    virtual ~CRegistry() = default;

    // Opens an existing subkey of HKEY_LOCAL_MACHINE (KEY_ALL_ACCESS unless told otherwise).
    bool Open(const wchar_t* subKey, REGSAM access = KEY_ALL_ACCESS);
    // Creates or opens a subkey of HKEY_LOCAL_MACHINE with KEY_ALL_ACCESS.
    bool Create(const wchar_t* subKey);
    void Close() { key_.Reset(); }
    HKEY Get() const { return key_.Get(); }

    bool WriteString(const wchar_t* name, const wchar_t* text);
    bool WriteDword(const wchar_t* name, DWORD value);
    // Reads at most 4 bytes, whatever the value's type; false when absent or longer.
    bool ReadDword(const wchar_t* name, DWORD& value);
    // "Guid" with a 200-byte limit; `text` gets the value up to its first null.
    bool ReadGuid(std::wstring& text);
    // A REG_SZ value of at most 260 units; false when absent, of another type or longer.
    bool ReadText(const wchar_t* name, std::wstring& text);
    // True when the value is gone afterwards (also when there was none).
    bool DeleteValue(const wchar_t* name);

  private:
    zenta::ScopedRegKey key_;
};

// True when HKEY_LOCAL_MACHINE has no key `subKey` (not merely one we may not open).
bool RegistryKeyGone(const wchar_t* subKey);
