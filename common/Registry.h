// CRegistry: holder of one key under HKEY_LOCAL_MACHINE, closed when the holder goes.
#pragma once
#include "common/ScopedWin.h"

#include <windows.h>
#include <string>

class CRegistry {
  public:
    CRegistry() = default;

    // Opens an existing subkey of HKEY_LOCAL_MACHINE (KEY_ALL_ACCESS unless told otherwise).
    bool Open(const wchar_t* subKey, REGSAM access = KEY_ALL_ACCESS);
    // Creates or opens a subkey of HKEY_LOCAL_MACHINE with KEY_ALL_ACCESS (and `view`, such as
    // KEY_WOW64_32KEY).
    bool Create(const wchar_t* subKey, REGSAM view = 0);
    void Close() { key_.Reset(); }
    HKEY Get() const { return key_.Get(); }

    bool WriteString(const wchar_t* name, const wchar_t* text);
    bool WriteDword(const wchar_t* name, DWORD value);
    // Reads at most 4 bytes, whatever the value's type; false when absent or longer.
    bool ReadDword(const wchar_t* name, DWORD& value);
    // At most `bytes` (up to 200) of the value, whatever its type; `text` gets it up to its
    // first null.
    bool ReadShortText(const wchar_t* name, DWORD bytes, std::wstring& text);
    // A REG_SZ value of at most 260 units; false when absent, of another type or longer.
    bool ReadText(const wchar_t* name, std::wstring& text);
    // True when the value is gone afterwards (also when there was none).
    bool DeleteValue(const wchar_t* name);

  private:
    zenta::ScopedRegKey key_;
};

// True when HKEY_LOCAL_MACHINE has no key `subKey` in `view` (not merely one we may not open).
bool RegistryKeyGone(const wchar_t* subKey, REGSAM view = 0);
// Deletes the key `subKey` of HKEY_LOCAL_MACHINE in `view` with every key below it; true
// when it is gone afterwards.
bool DeleteKeyTree(const wchar_t* subKey, REGSAM view);
