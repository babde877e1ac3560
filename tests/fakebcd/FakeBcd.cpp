// The store and its file C:\fakebcd\store.txt: UTF-16 text, one record a line, numbers in hex,
// texts quoted as std::quoted does (a backslash escapes a quote or a backslash):
//   notfound 80041002
//   failure "SetStringElement:12000004"
//   object "<id>" <type>
//   bitlocker 1                              (only when it has the namespace)
//   volume "D:" <conversion status> "<persistent volume id>"
//   element <type> "<text>" <integer> <device type> "<path>" "<options>" <id count> "<id>"...
// An element belongs to the object above it.
#include "FakeBcd.h"

#include <shlwapi.h>
#include <cstdio>
#include <iomanip>
#include <memory>
#include <sstream>

namespace fakebcd {

const wchar_t kWindowsLoaderId[] = L"{6b3c2f0e-51a4-4c8d-9e27-d0f4a1b85c36}";
constexpr wchar_t kFile[] = L"C:\\fakebcd\\store.txt";
constexpr wchar_t kFresh[] = LR"(notfound 0
object "{9dea862c-5cdd-4e70-acc1-f32b344d4795}" 10100002
element 12000004 "Windows Boot Manager" 0 0 "" "" 0
element 23000003 "{6b3c2f0e-51a4-4c8d-9e27-d0f4a1b85c36}" 0 0 "" "" 0
element 24000001 "" 0 0 "" "" 1 "{6b3c2f0e-51a4-4c8d-9e27-d0f4a1b85c36}"
element 25000004 "" 1e 0 "" "" 0
object "{6b3c2f0e-51a4-4c8d-9e27-d0f4a1b85c36}" 10200003
element 12000004 "Windows 7" 0 0 "" "" 0
element 12000002 "\\Windows\\system32\\winload.exe" 0 0 "" "" 0
element 11000001 "" 0 2 "\\Device\\HarddiskVolume1" "" 0
)";

// A damaged file gives the records before the damage.
static Store Parse(const std::wstring& text) {
    Store store;
    std::wistringstream in(text);
    in >> std::hex;
    unsigned long number = 0;
    for (std::wstring tag; in >> tag;) {
        Element e;
        size_t count = 0;
        if (tag == L"notfound" && in >> number) {
            store.notFound = static_cast<HRESULT>(number);
        } else if (tag == L"failure" && in >> std::quoted(tag)) {
            store.failures.push_back(tag);
        } else if (tag == L"bitlocker" && in >> number) {
            store.bitLocker = number != 0;
        } else if (tag == L"volume" && in >> std::quoted(tag) >> number >> std::quoted(e.text)) {
            store.volumes.push_back({tag, static_cast<DWORD>(number), e.text});
        } else if (tag == L"object" && in >> std::quoted(tag) >> number) {
            store.objects.push_back({tag, number, {}});
        } else if (tag == L"element" && !store.objects.empty() &&
                   in >> e.type >> std::quoted(e.text) >> e.integer >> e.deviceType >> std::quoted(e.path) >>
                       std::quoted(e.options) >> count) {
            e.ids.resize(count);
            for (std::wstring& id : e.ids)
                in >> std::quoted(id);
            store.objects.back().elements.push_back(e);
        } else {
            break;
        }
    }
    return store;
}

const Element* Object::Find(DWORD wanted) const {
    for (const Element& e : elements)
        if (e.type == wanted)
            return &e;
    return nullptr;
}

const Object* Store::Find(const std::wstring& id) const {
    for (const Object& object : objects)
        if (Same(object.id, id))
            return &object;
    return nullptr;
}

std::vector<std::wstring> Store::DisplayOrder() const {
    const Element* order = Find(kBootManagerId) ? Find(kBootManagerId)->Find(kDisplayOrder) : nullptr;
    return order ? order->ids : std::vector<std::wstring>();
}

unsigned long long Store::Timeout() const {
    const Element* timeout = Find(kBootManagerId) ? Find(kBootManagerId)->Find(kTimeout) : nullptr;
    return timeout ? timeout->integer : 0;
}

bool Same(const std::wstring& a, const std::wstring& b) {
    return lstrcmpiW(a.c_str(), b.c_str()) == 0;
}

Store FreshStore() {
    return Parse(kFresh);
}

std::wstring Serialize(const Store& store) {
    std::wostringstream out;
    out << std::hex << L"notfound " << static_cast<unsigned long>(store.notFound) << L"\n";
    for (const std::wstring& failure : store.failures)
        out << L"failure " << std::quoted(failure) << L"\n";
    if (store.bitLocker)
        out << L"bitlocker 1\n";
    for (const EncryptableVolume& v : store.volumes)
        out << L"volume " << std::quoted(v.letter) << L" " << v.conversionStatus << L" "
            << std::quoted(v.persistentId) << L"\n";
    for (const Object& object : store.objects) {
        out << L"object " << std::quoted(object.id) << L" " << object.type << L"\n";
        for (const Element& e : object.elements) {
            out << L"element " << e.type << L" " << std::quoted(e.text) << L" " << e.integer << L" "
                << e.deviceType << L" " << std::quoted(e.path) << L" " << std::quoted(e.options) << L" "
                << e.ids.size();
            for (const std::wstring& id : e.ids)
                out << L" " << std::quoted(id);
            out << L"\n";
        }
    }
    return out.str();
}

Store LoadStore() {
    std::unique_ptr<FILE, int (*)(FILE*)> file(_wfopen(kFile, L"rb"), fclose);
    std::wstring text;
    for (wchar_t c; file && fread(&c, sizeof c, 1, file.get()) == 1;)
        text += c;
    return Parse(file ? text : kFresh);
}

// Written aside and moved over the store in one step: the provider in another process polls the
// store while a test changes it, and must see the old store or the new one, never a torn one.
bool SaveStore(const Store& store) {
    std::wstring text = Serialize(store);
    CreateDirectoryW(L"C:\\fakebcd", nullptr); // fails harmlessly when it exists
    wchar_t aside[64];
    swprintf(aside, 64, L"%ls.%lu", kFile, GetCurrentThreadId());
    {
        std::unique_ptr<FILE, int (*)(FILE*)> file(_wfopen(aside, L"wb"), fclose);
        if (!file || fwrite(text.data(), sizeof(wchar_t), text.size(), file.get()) != text.size() ||
            fflush(file.get()) != 0)
            return false;
    }
    // A reader holding the store open refuses the replacement for a moment.
    for (int tries = 0; tries < 500; ++tries, Sleep(10))
        if (MoveFileExW(aside, kFile, MOVEFILE_REPLACE_EXISTING))
            return true;
    DeleteFileW(aside);
    return false;
}

bool RegisterDll(const std::wstring& dllPath) {
    auto set = [](const wchar_t* name, const std::wstring& value) {
        return SHSetValueW(HKEY_CLASSES_ROOT,
                           L"CLSID\\{4590F811-1D3A-11D0-891F-00AA004B2E24}\\InprocServer32", name, REG_SZ,
                           value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == 0;
    };
    return set(nullptr, dllPath) && set(L"ThreadingModel", L"Both");
}

} // namespace fakebcd
