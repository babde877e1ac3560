#include "Locator.h"

#include "FakeStore.h"
#include "Services.h"

#include <cwchar>
#include <string>

namespace fakebcd {

const CLSID kClsidWbemLocator = {
    0x4590F811, 0x1D3A, 0x11D0, {0x89, 0x1F, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};

HRESULT Locator::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == __uuidof(IWbemLocator)) {
        *object = static_cast<IWbemLocator*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG Locator::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG Locator::Release() {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT Locator::ConnectServer(const BSTR resource, const BSTR user, const BSTR password, const BSTR locale,
                               LONG flags, const BSTR authority, IWbemContext* context,
                               IWbemServices** services) {
    std::wstring name = resource ? resource : L"";
    LogCall(L"ConnectServer " + name + L" user=" + (user ? user : L"(none)") + L" password=" +
            (password ? L"set" : L"(none)") + L" locale=" + (locale ? locale : L"(none)") + L" flags=" +
            std::to_wstring(flags) + L" authority=" + (authority ? authority : L"(none)") + L" context=" +
            (context ? L"set" : L"(none)"));
    if (!services)
        return WBEM_E_INVALID_PARAMETER;
    *services = nullptr;
    for (wchar_t& c : name)
        c = c == L'/' ? L'\\' : towlower(c);
    if (name.compare(0, 4, L"\\\\.\\") == 0)
        name.erase(0, 4);
    if (name != L"root\\wmi")
        return WBEM_E_INVALID_NAMESPACE;
    Store store;
    if (!LoadStore(store))
        return WBEM_E_FAILED;
    if (store.Fails(L"ConnectServer", L""))
        return WBEM_E_ACCESS_DENIED;
    *services = new Services(!store.Fails(L"ClientSecurity", L""));
    return WBEM_S_NO_ERROR;
}

HRESULT LocatorFactory::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG LocatorFactory::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG LocatorFactory::Release() {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT LocatorFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    Locator* locator = new Locator();
    HRESULT hr = locator->QueryInterface(iid, object);
    locator->Release();
    return hr;
}

HRESULT LocatorFactory::LockServer(BOOL lock) {
    if (lock)
        AddLiveObject();
    else
        RemoveLiveObject();
    return S_OK;
}

} // namespace fakebcd
