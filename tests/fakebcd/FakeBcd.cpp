#include "FakeBcd.h"

#include "Locator.h"
#include "Runtime.h"

#include "common/ScopedWin.h"

namespace fakebcd {

InProcessProvider::InProcessProvider() {
    zenta::ComPtr<IClassFactory> factory;
    *factory.Put() = new LocatorFactory();
    if (FAILED(CoRegisterClassObject(kClsidWbemLocator, factory.Get(), CLSCTX_INPROC_SERVER,
                                     REGCLS_MULTIPLEUSE, &cookie_)))
        cookie_ = 0;
}

InProcessProvider::~InProcessProvider() {
    if (cookie_)
        CoRevokeClassObject(cookie_);
}

std::wstring DefaultDllPath() {
    wchar_t exe[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        std::wstring folder(exe, length);
        folder.erase(folder.find_last_of(L'\\'));     // the test's folder
        folder.erase(folder.find_last_of(L'\\') + 1); // its parent: the tests folder
        std::wstring candidate = folder + L"fakebcd\\fakebcd.dll";
        if (GetFileAttributesW(candidate.c_str()) != INVALID_FILE_ATTRIBUTES)
            return candidate;
    }
    return L"Y:\\tests\\fakebcd\\fakebcd.dll";
}

bool RegisterDll(const std::wstring& dllPath) {
    zenta::ScopedRegKey key;
    HKEY opened = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, L"CLSID\\{4590F811-1D3A-11D0-891F-00AA004B2E24}\\InprocServer32",
                        0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr) != ERROR_SUCCESS)
        return false;
    key.Reset(opened);
    static const wchar_t kBoth[] = L"Both";
    DWORD pathBytes = static_cast<DWORD>((dllPath.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(dllPath.c_str()),
                          pathBytes) == ERROR_SUCCESS &&
           RegSetValueExW(key.Get(), L"ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(kBoth),
                          sizeof kBoth) == ERROR_SUCCESS;
}

bool InstallProvider(const std::wstring& dllPath) {
    return RegisterDll(dllPath) && ResetStore();
}

bool ResetStore() {
    return SaveStore(FreshStore());
}

Store ReadStore() {
    Store store;
    if (!LoadStore(store))
        store = Store();
    return store;
}

bool WriteStore(const Store& store) {
    return SaveStore(store);
}

bool MakeDisplayOrderUnreadable() {
    Store store = ReadStore();
    Object* manager = store.Find(kBootManagerId);
    return manager && manager->Remove(kDisplayOrder) && WriteStore(store);
}

bool PreListInDisplayOrder(const std::wstring& id) {
    Store store = ReadStore();
    Object* manager = store.Find(kBootManagerId);
    if (!manager)
        return false;
    Element order;
    order.type = kDisplayOrder;
    order.kind = ElementKind::ObjectList;
    if (const Element* existing = manager->Find(kDisplayOrder))
        order = *existing;
    order.ids.push_back(id);
    manager->Set(order);
    return WriteStore(store);
}

bool AddFailure(const std::wstring& operation, const std::wstring& name) {
    Store store = ReadStore();
    store.failures.push_back({operation, name});
    return WriteStore(store);
}

LONG LiveProviderObjects() {
    return LiveObjects();
}
std::vector<std::wstring> ProviderCalls() {
    return CallLog();
}
void ClearProviderCalls() {
    ClearCallLog();
}

} // namespace fakebcd
