// The provider's methods of BcdStore and BcdObject, run against the store file.
#pragma once
#include <windows.h>
#include <wbemidl.h>
#include <string>
#include <vector>

namespace fakebcd {

// A parsed WMI object path: "\\.\ROOT\WMI:BcdStore" (a class) or
// BcdObject.Id="{...}",StoreFilePath="" (an instance, keys as written).
struct ObjectPath {
    std::wstring className;
    bool isClass = true;
    std::vector<std::pair<std::wstring, std::wstring>> keys;
    // False when the key is not in the path.
    bool Key(const wchar_t* name, std::wstring& value) const;
};
bool ParseObjectPath(const std::wstring& text, ObjectPath& path);

// Runs `method` on the object at `path` with the input instance `in`; on success `out`
// receives the output parameters (a new reference). Loads the store first and saves it
// when the method changed it.
HRESULT ExecuteMethod(const std::wstring& path, const std::wstring& method, IWbemClassObject* in,
                      IWbemClassObject** out);

} // namespace fakebcd
