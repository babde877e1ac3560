#include "common/BootEntry.h"

#include "common/Bcd.h"
#include "common/Registry.h"

#include <rpc.h>

bool MakeBootEntryId(std::wstring& id) {
    UUID uuid;
    if (CoCreateGuid(&uuid) != S_OK)
        return false;
    RPC_WSTR text = nullptr;
    if (UuidToStringW(&uuid, &text) != RPC_S_OK || !text)
        return false;
    std::wstring guid(reinterpret_cast<const wchar_t*>(text));
    RpcStringFreeW(&text);
    // UuidToStringW writes lower case already; the stored identifier depends on it.
    for (wchar_t& c : guid)
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    id = L"{" + guid + L"}";
    return true;
}

void RegisterBootEntry(const wchar_t* targetPath) {
    std::wstring id;
    if (!MakeBootEntryId(id))
        return; // without an identifier there is nothing to create or to record
    // Recorded before the store is touched, so that removal finds whatever gets created.
    // The key is made by the install sequence; without it nothing is recorded.
    CRegistry record;
    if (record.Open(kHardDiskKey))
        record.WriteString(L"Guid", id.c_str());

    CBcdEditor editor(id.c_str(), targetPath);
    if (FAILED(editor.Connect()))
        return;
    editor.OpenSystemStore();
    *editor.entry.Put() = editor.OpenEntryObject(editor.entryId);
    if (!editor.entry)
        editor.CreateEntryObject();
    // An entry that could not be made is not put into the boot menu either.
    if (editor.entry) {
        editor.WriteEntryElements();
        editor.AppendToDisplayOrder();
    }
    editor.Teardown();
}
