#include "common/Bcd.h"

#include "common/Text.h"
#include "common/WmiCall.h"

#include <cstdio>

using zenta::ComPtr;

namespace {

const CLSID kClsidWbemLocator = {
    0x4590F811, 0x1D3A, 0x11D0, {0x89, 0x1F, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
// OpenStore is static: it is called on the class, not on an instance.
constexpr wchar_t kStoreClassPath[] = L"\\\\.\\ROOT\\WMI:BcdStore";

// Numbers travel as decimal text; the provider converts them to the declared type.
constexpr wchar_t kTypeBootSector[] = L"272629768"; // 0x10400008 real-mode boot-sector application

void Warn(const wchar_t* text) {
    MessageBoxW(nullptr, text, L"警告", MB_OK);
}

// The object path of an instance the provider gave us.
bool RelativePath(IWbemClassObject* object, std::wstring& path) {
    return zenta::GetText(object, L"__RELPATH", path);
}

} // namespace

CBcdEditor::CBcdEditor(const wchar_t* id, const wchar_t* target) {
    zenta::CopyBounded(bootManagerId, MAX_PATH, kBootManagerId);
    // A text too long for its buffer would name another object or directory once cut.
    if (id && lstrlenW(id) < MAX_PATH)
        zenta::CopyBounded(entryId, MAX_PATH, id);
    if (target && lstrlenW(target) < MAX_PATH)
        zenta::CopyBounded(targetPath, MAX_PATH, target);
}

CBcdEditor::~CBcdEditor() {
    Teardown();
}

HRESULT CBcdEditor::Connect() {
    if (connected)
        return S_OK;
    HRESULT hr = CoInitialize(nullptr);
    if (FAILED(hr)) {
        Warn(L"未能初始化COM库");
        return hr;
    }
    hr = CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                              RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
    // Security is set once per process; a second registration finds it already done.
    if (FAILED(hr) && hr != RPC_E_TOO_LATE) {
        Warn(L"未能初始化安全属性");
        CoUninitialize();
        return hr;
    }
    hr = CoCreateInstance(kClsidWbemLocator, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IWbemLocator),
                          locator.PutVoid());
    if (FAILED(hr) || !locator) {
        Warn(L"未能创建IWbemLocator");
        locator.Reset();
        CoUninitialize();
        return FAILED(hr) ? hr : E_NOINTERFACE;
    }
    zenta::ScopedBstr wmiNamespace(L"root\\wmi");
    hr = locator->ConnectServer(wmiNamespace.Get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                services.Put());
    if (FAILED(hr) || !services) {
        Warn(L"无法连接上wmi");
        services.Reset();
        locator.Reset();
        CoUninitialize();
        return FAILED(hr) ? hr : static_cast<HRESULT>(WBEM_E_FAILED);
    }
    hr = CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                           RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    if (FAILED(hr)) {
        Warn(L"svc无法设置proxy blanket");
        services.Reset();
        locator.Reset();
        CoUninitialize();
        return hr;
    }
    connected = 1;
    return S_OK;
}

HRESULT CBcdEditor::OpenSystemStore() {
    if (store)
        return 0;
    if (!services)
        return E_UNEXPECTED;
    ComPtr<IWbemClassObject> storeClass, signature, in, out;
    HRESULT hr = zenta::GetWmiClass(services.Get(), L"BcdStore", storeClass);
    if (FAILED(hr))
        return hr;
    hr = zenta::GetInputSignature(storeClass.Get(), L"OpenStore", signature);
    if (FAILED(hr)) {
        Warn(L"对OpenStore设置参数失败");
        return hr;
    }
    if (FAILED(hr = zenta::SpawnInput(signature.Get(), in)) ||
        FAILED(hr = zenta::PutText(in.Get(), L"File", L"", 0)) ||
        FAILED(hr = zenta::ExecuteMethod(services.Get(), kStoreClassPath, L"OpenStore", in.Get(), out)))
        return hr;
    ComPtr<IWbemClassObject> opened = zenta::GetEmbeddedObject(out.Get(), L"Store");
    if (!opened)
        return WBEM_E_NOT_FOUND;
    store = std::move(opened);
    return S_OK;
}

bool CBcdEditor::CreateEntryObject() {
    std::wstring storePath;
    if (!services || !store || !entryId[0] || !RelativePath(store.Get(), storePath))
        return false;
    ComPtr<IWbemClassObject> storeClass, signature, in, out;
    zenta::ScopedVariant typeReadBack;
    if (FAILED(zenta::GetWmiClass(services.Get(), L"BcdStore", storeClass)) ||
        FAILED(zenta::GetInputSignature(storeClass.Get(), L"CreateObject", signature)) ||
        FAILED(zenta::SpawnInput(signature.Get(), in)) ||
        FAILED(zenta::PutText(in.Get(), L"Id", entryId, 0)) ||
        FAILED(zenta::PutText(in.Get(), L"Type", kTypeBootSector, CIM_UINT32)) ||
        FAILED(in->Get(L"Type", 0, typeReadBack.Get(), nullptr, nullptr)) ||
        FAILED(zenta::ExecuteMethod(services.Get(), storePath.c_str(), L"CreateObject", in.Get(), out)))
        return false;
    bool created = false;
    if (!zenta::GetBool(out.Get(), L"ReturnValue", created) || !created)
        return false;
    ComPtr<IWbemClassObject> object = zenta::GetEmbeddedObject(out.Get(), L"Object");
    if (!object)
        return false;
    entry = std::move(object);
    return true;
}

ComPtr<IWbemClassObject> CBcdEditor::CallOpenObject(const wchar_t* id) {
    ComPtr<IWbemClassObject> storeClass, signature, in, out;
    std::wstring storePath;
    if (!services || !store || !id || !RelativePath(store.Get(), storePath) ||
        FAILED(zenta::GetWmiClass(services.Get(), L"BcdStore", storeClass)) ||
        FAILED(zenta::GetInputSignature(storeClass.Get(), L"OpenObject", signature)) ||
        FAILED(zenta::SpawnInput(signature.Get(), in)) || FAILED(zenta::PutText(in.Get(), L"Id", id, 0)))
        return out;
    std::fputs("Parameter setting worked for OpenObject method.\n", stdout);
    std::fflush(stdout);
    if (FAILED(zenta::ExecuteMethod(services.Get(), storePath.c_str(), L"OpenObject", in.Get(), out)))
        out.Reset();
    return out;
}

IWbemClassObject* CBcdEditor::OpenEntryObject(const wchar_t* id) {
    ComPtr<IWbemClassObject> out = CallOpenObject(id);
    return zenta::GetEmbeddedObject(out.Get(), L"Object").Detach();
}

bool CBcdEditor::EntryObjectGone(const wchar_t* id) {
    ComPtr<IWbemClassObject> out = CallOpenObject(id);
    bool opened = true;
    return out && zenta::GetBool(out.Get(), L"ReturnValue", opened) && !opened &&
           !zenta::GetEmbeddedObject(out.Get(), L"Object");
}

int CBcdEditor::DeleteEntryObject(const wchar_t* id) {
    if (FAILED(OpenSystemStore()) || !id)
        return 0;
    ComPtr<IWbemClassObject> storeClass, signature, in, out;
    std::wstring storePath;
    // The provider's answer for an unknown id is not looked at: nothing to delete is no failure.
    return RelativePath(store.Get(), storePath) &&
                   SUCCEEDED(zenta::GetWmiClass(services.Get(), L"BcdStore", storeClass)) &&
                   SUCCEEDED(zenta::GetInputSignature(storeClass.Get(), L"DeleteObject", signature)) &&
                   SUCCEEDED(zenta::SpawnInput(signature.Get(), in)) &&
                   SUCCEEDED(zenta::PutText(in.Get(), L"Id", id, 0)) &&
                   SUCCEEDED(zenta::ExecuteMethod(services.Get(), storePath.c_str(), L"DeleteObject",
                                                  in.Get(), out))
               ? 1
               : 0;
}

void CBcdEditor::Teardown() {
    // Objects from the provider go before COM does: releasing them later could call into a
    // provider that CoUninitialize has already unloaded.
    entry.Reset();
    store.Reset();
    if (connected != 1)
        return;
    services.Reset();
    locator.Reset();
    CoUninitialize();
    connected = 0;
}
