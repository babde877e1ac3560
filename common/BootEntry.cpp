#include "common/BootEntry.h"

#include "common/Bcd.h"
#include "common/Log.h"
#include "common/Text.h"

#include <rpc.h>

#include <algorithm>
#include <vector>

using zenta::ComPtr;

namespace {

const unsigned long long kMenuTimeout = 10; // seconds

// Records `step` as the failure unless an earlier one is recorded; false, for chaining.
bool Failed(BcdResult& result, const wchar_t* step, HRESULT hr) {
    if (result.step.empty()) {
        result.step = step;
        result.error = hr == S_OK ? S_FALSE : hr;
    }
    return false;
}

// The NT device name of `drive` ('D' gives \Device\HarddiskVolume2).
bool DeviceOfDrive(wchar_t drive, std::wstring& device) {
    const wchar_t letter[3] = {drive, L':', L'\0'};
    wchar_t name[MAX_PATH] = {};
    if (!QueryDosDeviceW(letter, name, MAX_PATH) || !name[0])
        return false;
    device = name;
    return true;
}

// True when the object carries the three values every entry of ours has. With
// `absentIsOurs` a description or path that is not there at all counts as ours: a
// registration cut short after CreateObject leaves an entry of our type at our recorded
// identifier without them. Only a value that is there and different makes it someone else's.
bool IsOurs(CBcdEditor& editor, IWbemClassObject* object, bool absentIsOurs, BcdResult& result) {
    unsigned long long type = 0;
    std::wstring description, path;
    HRESULT hr = zenta::GetNumber(object, L"Type", type) ? S_OK : static_cast<HRESULT>(WBEM_E_TYPE_MISMATCH);
    if (hr != S_OK)
        return Failed(result, L"read the entry's type", hr);
    if (type != kBootSectorType)
        return Failed(result, L"the entry is of another type", S_FALSE);
    if ((hr = editor.ReadText(object, kElementDescription, description)) == S_FALSE && absentIsOurs)
        Log(L"the entry has no description: its registration was cut short");
    else if (hr != S_OK)
        return Failed(result, L"read the entry's description", hr);
    else if (description != kBootEntryDescription)
        return Failed(result, L"the entry has another description", S_FALSE);
    if ((hr = editor.ReadText(object, kElementAppPath, path)) == S_FALSE && absentIsOurs)
        Log(L"the entry has no application path: its registration was cut short");
    else if (hr != S_OK)
        return Failed(result, L"read the entry's application path", hr);
    else if (lstrcmpiW(path.c_str(), kBootEntryPath) != 0)
        return Failed(result, L"the entry has another path", S_FALSE);
    return true;
}

bool Listed(const std::vector<std::wstring>& ids, const std::wstring& id) {
    return std::any_of(ids.begin(), ids.end(),
                       [&](const std::wstring& item) { return zenta::SameId(item, id); });
}

// The boot menu as the Boot Manager shows it now. A Boot Manager without a display order
// starts its default entry without a menu; an entry of ours could not be chosen there, so the
// menu becomes the default entry followed by ours, as "bcdedit /displayorder /addlast" makes
// it. The removal takes ours out again and leaves the default alone in the menu, which starts
// it as before. S_FALSE when there is neither a display order nor a default entry to list.
HRESULT MenuBefore(CBcdEditor& editor, IWbemClassObject* manager, std::vector<std::wstring>& order) {
    HRESULT hr = editor.ReadIds(manager, kElementDisplayOrder, order);
    if (hr != S_FALSE)
        return hr;
    std::wstring fallback;
    if ((hr = editor.ReadId(manager, kElementDefault, fallback)) != S_OK)
        return hr;
    Log(L"the Windows Boot Manager has no display order: it will list %ls and the new entry",
        fallback.c_str());
    order.assign(1, fallback);
    return S_OK;
}

// Creates the entry and everything it needs; false (and `result` tells why) when a step
// failed. `created`, `orderWritten` say what the caller must undo.
bool Register(CBcdEditor& editor, const std::wstring& id, wchar_t drive, IMenuTimeoutRecorder& recorder,
              BcdResult& result, bool& created, std::vector<std::wstring>& order, bool& orderWritten) {
    HRESULT hr;
    std::wstring device;
    ComPtr<IWbemClassObject> manager, entry, check;
    if ((hr = editor.Connect()) != S_OK)
        return Failed(result, L"connect to WMI", hr);
    if ((hr = editor.OpenSystemStore()) != S_OK)
        return Failed(result, L"open the system store", hr);
    if ((hr = editor.OpenObject(kBootManagerId, manager)) != S_OK)
        return Failed(result, L"open the Windows Boot Manager", hr);
    if ((hr = MenuBefore(editor, manager.Get(), order)) != S_OK)
        return Failed(result, L"read the display order", hr);
    if (!DeviceOfDrive(drive, device))
        return Failed(result, L"find the device of the target drive", HRESULT_FROM_WIN32(GetLastError()));
    if ((hr = editor.CreateObject(id, kBootSectorType, entry)) != S_OK)
        return Failed(result, L"create the entry", hr);
    created = true;
    if ((hr = editor.WriteText(entry.Get(), kElementAppPath, kBootEntryPath)) != S_OK)
        return Failed(result, L"write the application path", hr);
    if ((hr = editor.WriteText(entry.Get(), kElementDescription, kBootEntryDescription)) != S_OK)
        return Failed(result, L"write the description", hr);
    if ((hr = editor.WritePartition(entry.Get(), kElementAppDevice, device)) != S_OK)
        return Failed(result, L"write the application device", hr);
    // What the store now holds is what counts, not what the calls answered.
    if ((hr = editor.OpenObject(id, check)) != S_OK)
        return Failed(result, L"open the new entry again", hr);
    if (!IsOurs(editor, check.Get(), false, result))
        return false;
    std::vector<std::wstring> menu = order;
    if (!Listed(menu, id)) {
        menu.push_back(id); // last in the boot menu
        if ((hr = editor.WriteIds(manager.Get(), kElementDisplayOrder, menu)) != S_OK)
            return Failed(result, L"write the display order", hr);
        orderWritten = true;
    }
    // The timeout as it was goes into the record first, for the removal to give it back.
    unsigned long long before = 0;
    if ((hr = editor.ReadInteger(manager.Get(), kElementTimeout, before)) != S_OK && hr != S_FALSE)
        return Failed(result, L"read the boot menu timeout", hr);
    if (hr == S_OK && before != kMenuTimeout && !recorder.RecordMenuTimeout(static_cast<DWORD>(before)))
        return Failed(result, L"record the boot menu timeout", HRESULT_FROM_WIN32(GetLastError()));
    if ((hr = editor.WriteInteger(manager.Get(), kElementTimeout, kMenuTimeout)) != S_OK)
        return Failed(result, L"write the boot menu timeout", hr);
    return true;
}

// Takes `id` out of the boot menu, every listing of it and nothing else.
HRESULT Unlist(CBcdEditor& editor, const std::wstring& id) {
    ComPtr<IWbemClassObject> manager;
    std::vector<std::wstring> order;
    HRESULT hr = editor.OpenObject(kBootManagerId, manager);
    if (hr == S_OK)
        hr = editor.ReadIds(manager.Get(), kElementDisplayOrder, order);
    if (hr == S_FALSE)
        return S_OK; // no display order lists anything
    if (hr != S_OK || !Listed(order, id))
        return hr;
    order.erase(std::remove_if(order.begin(), order.end(),
                               [&](const std::wstring& item) { return zenta::SameId(item, id); }),
                order.end());
    return editor.WriteIds(manager.Get(), kElementDisplayOrder, order);
}

// Gives the menu its timeout back while it is still the one the registration set, through a
// connected editor.
bool GiveBackTimeout(CBcdEditor& editor, DWORD timeout, BcdResult& result) {
    ComPtr<IWbemClassObject> manager;
    unsigned long long now = 0;
    HRESULT hr;
    if ((hr = editor.OpenObject(kBootManagerId, manager)) != S_OK)
        return Failed(result, L"open the Windows Boot Manager", hr);
    if ((hr = editor.ReadInteger(manager.Get(), kElementTimeout, now)) != S_OK && hr != S_FALSE)
        return Failed(result, L"read the boot menu timeout", hr);
    if (hr == S_OK && now == kMenuTimeout &&
        (hr = editor.WriteInteger(manager.Get(), kElementTimeout, timeout)) != S_OK)
        return Failed(result, L"write the boot menu timeout", hr);
    return true;
}

bool Remove(CBcdEditor& editor, const std::wstring& id, BcdResult& result, bool& foreign) {
    ComPtr<IWbemClassObject> entry;
    HRESULT hr;
    if ((hr = editor.Connect()) != S_OK)
        return Failed(result, L"connect to WMI", hr);
    if ((hr = editor.OpenSystemStore()) != S_OK)
        return Failed(result, L"open the system store", hr);
    if ((hr = editor.OpenObject(id, entry)) != S_OK && hr != S_FALSE)
        return Failed(result, L"open the recorded entry", hr);
    if (hr == S_OK) {
        if (!IsOurs(editor, entry.Get(), true, result)) {
            foreign = result.error == S_FALSE;
            return false;
        }
        entry.Reset();
        if ((hr = editor.DeleteObject(id)) != S_OK)
            return Failed(result, L"delete the entry", hr);
        // Gone is what the store says afterwards, whatever the deletion answered.
        if ((hr = editor.OpenObject(id, entry)) != S_FALSE)
            return Failed(result, L"find the entry gone", hr);
    }
    // An entry that is gone must not stay listed in the boot menu either.
    if ((hr = Unlist(editor, id)) != S_OK)
        return Failed(result, L"take the entry out of the display order", hr);
    return true;
}

} // namespace

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

BcdResult RegisterBootEntry(const std::wstring& id, wchar_t drive, IMenuTimeoutRecorder& recorder) {
    BcdResult result;
    if (!zenta::IsBracedGuid(id)) {
        Failed(result, L"name the entry", E_INVALIDARG);
        return result;
    }
    CBcdEditor editor;
    bool created = false, orderWritten = false;
    std::vector<std::wstring> order;
    result.done = Register(editor, id, drive, recorder, result, created, order, orderWritten);
    result.warning = editor.Warning();
    if (!result.done) {
        ComPtr<IWbemClassObject> manager;
        bool undone = true;
        if (orderWritten)
            undone = editor.OpenObject(kBootManagerId, manager) == S_OK &&
                     editor.WriteIds(manager.Get(), kElementDisplayOrder, order) == S_OK;
        if (created)
            undone = editor.DeleteObject(id) == S_OK && undone;
        result.entryLeft = !undone;
    }
    return result;
}

BcdResult RemoveBootEntry(const std::wstring& id, bool& foreign, const DWORD* timeout, BcdResult* restored) {
    BcdResult result;
    foreign = false;
    // Only what the record can name exactly, and never the Boot Manager itself.
    if (!zenta::IsBracedGuid(id) || zenta::SameId(id, kBootManagerId)) {
        foreign = true;
        Failed(result, L"the record names no entry of ours", E_INVALIDARG);
        return result;
    }
    CBcdEditor editor;
    result.done = Remove(editor, id, result, foreign);
    result.warning = editor.Warning();
    if (result.done && timeout && restored) {
        // Through the connection the removal made: the provider is slow to reach.
        restored->done = GiveBackTimeout(editor, *timeout, *restored);
        restored->warning = editor.Warning();
    }
    return result;
}

