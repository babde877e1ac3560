#include "common/Bcd.h"

#include "common/Log.h"
#include "common/SystemHelpers.h"
#include "common/Text.h"
#include "common/UserTexts.h"

using zenta::ComPtr;
using zenta::StringInput;
using zenta::StringsInput;
using zenta::Uint32Input;
using zenta::Uint64Input;
using zenta::WmiInput;

namespace {

const CLSID kClsidWbemLocator = {
    0x4590F811, 0x1D3A, 0x11D0, {0x89, 0x1F, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
// OpenStore is static: it is called on the class, not on an instance.
constexpr wchar_t kStoreClassPath[] = L"\\\\.\\ROOT\\WMI:BcdStore";

// A value read from an element: the element is there, but not of the kind asked for.
HRESULT Checked(bool read) {
    return read ? S_OK : static_cast<HRESULT>(WBEM_E_TYPE_MISMATCH);
}

} // namespace

bool IsNotFound(HRESULT hr) {
    switch (static_cast<DWORD>(hr)) {
    case WBEM_E_NOT_FOUND:
    case 0x80070002: // ERROR_FILE_NOT_FOUND
    case 0x80070490: // ERROR_NOT_FOUND
    case 0x800710D8: // ERROR_OBJECT_NOT_FOUND
    case 0xC0000034: // STATUS_OBJECT_NAME_NOT_FOUND
    case 0xD0000034: // the same as an HRESULT
    case 0xC0000225: // STATUS_NOT_FOUND
    case 0xD0000225:
        return true;
    default:
        return false;
    }
}

CBcdEditor::~CBcdEditor() {
    Teardown();
}

HRESULT CBcdEditor::Fail(const wchar_t* warning, HRESULT hr) {
    warning_ = warning;
    locator_.Reset();
    services_.Reset();
    CoUninitialize();
    GiveBackPrivileges();
    return FAILED(hr) ? hr : E_FAIL;
}

HRESULT CBcdEditor::Connect() {
    if (connected_)
        return S_OK;
    warning_.clear();
    EnableBcdPrivileges();
    HRESULT hr = CoInitialize(nullptr);
    if (FAILED(hr)) {
        warning_ = kComInitText;
        GiveBackPrivileges();
        return hr;
    }
    hr = CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                              RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
    // Security is set once per process; a second connection finds it already done.
    if (FAILED(hr) && hr != RPC_E_TOO_LATE)
        return Fail(kComSecurityText, hr);
    hr = CoCreateInstance(kClsidWbemLocator, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IWbemLocator),
                          locator_.PutVoid());
    if (FAILED(hr) || !locator_)
        return Fail(kWbemLocatorText, hr);
    zenta::ScopedBstr wmiNamespace(L"root\\wmi");
    hr = locator_->ConnectServer(wmiNamespace.Get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                 services_.Put());
    if (FAILED(hr) || !services_)
        return Fail(kWmiConnectText, hr);
    hr = CoSetProxyBlanket(services_.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                           RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    if (FAILED(hr))
        return Fail(kProxyBlanketText, hr);
    connected_ = true;
    return S_OK;
}

HRESULT CBcdEditor::OpenSystemStore() {
    if (store_)
        return S_OK;
    if (!services_)
        return E_UNEXPECTED;
    ComPtr<IWbemClassObject> out;
    HRESULT hr = zenta::CallWmiMethod(services_.Get(), L"BcdStore", L"OpenStore", kStoreClassPath,
                                      {StringInput(L"File", L"")}, out);
    if (hr == S_OK)
        store_ = zenta::GetEmbeddedObject(out.Get(), L"Store");
    if (store_)
        return S_OK;
    // Without the store nothing else can be done: the user hears of it.
    warning_ = kOpenStoreText;
    return hr == S_OK ? static_cast<HRESULT>(WBEM_E_NOT_FOUND) : hr;
}

HRESULT CBcdEditor::CallStore(const wchar_t* method, const std::vector<WmiInput>& inputs,
                              ComPtr<IWbemClassObject>& output, const char* trace) {
    std::wstring path;
    if (!store_ || !zenta::GetText(store_.Get(), L"__RELPATH", path))
        return E_UNEXPECTED;
    return zenta::CallWmiMethod(services_.Get(), L"BcdStore", method, path, inputs, output, trace);
}

HRESULT CBcdEditor::CallObject(IWbemClassObject* object, const wchar_t* method,
                               const std::vector<WmiInput>& inputs, ComPtr<IWbemClassObject>& output) {
    std::wstring path;
    if (!object || !zenta::GetText(object, L"__RELPATH", path))
        return E_UNEXPECTED;
    return zenta::CallWmiMethod(services_.Get(), L"BcdObject", method, path, inputs, output);
}

HRESULT CBcdEditor::OpenObject(const std::wstring& id, ComPtr<IWbemClassObject>& object) {
    object.Reset();
    ComPtr<IWbemClassObject> out;
    HRESULT hr = CallStore(L"OpenObject", {StringInput(L"Id", id)}, out,
                           "Parameter setting worked for OpenObject method.\n");
    if (hr == S_FALSE || IsNotFound(hr))
        return S_FALSE;
    if (hr != S_OK)
        return hr;
    object = zenta::GetEmbeddedObject(out.Get(), L"Object");
    // "Done" without an object is no answer to rely on either way.
    return object ? S_OK : static_cast<HRESULT>(WBEM_E_UNEXPECTED);
}

HRESULT CBcdEditor::CreateObject(const std::wstring& id, DWORD type, ComPtr<IWbemClassObject>& object) {
    object.Reset();
    ComPtr<IWbemClassObject> out;
    HRESULT hr = CallStore(L"CreateObject", {StringInput(L"Id", id), Uint32Input(L"Type", type)}, out);
    if (hr != S_OK)
        return hr;
    object = zenta::GetEmbeddedObject(out.Get(), L"Object");
    return object ? S_OK : static_cast<HRESULT>(WBEM_E_UNEXPECTED);
}

HRESULT CBcdEditor::DeleteObject(const std::wstring& id) {
    ComPtr<IWbemClassObject> out;
    return CallStore(L"DeleteObject", {StringInput(L"Id", id)}, out);
}

HRESULT CBcdEditor::ReadElement(IWbemClassObject* object, DWORD element, ComPtr<IWbemClassObject>& value) {
    ComPtr<IWbemClassObject> out;
    HRESULT hr = CallObject(object, L"GetElement", {Uint32Input(L"Type", element)}, out);
    if (hr == S_FALSE || IsNotFound(hr))
        return S_FALSE;
    if (hr != S_OK)
        return hr;
    value = zenta::GetEmbeddedObject(out.Get(), L"Element");
    return value ? S_OK : static_cast<HRESULT>(WBEM_E_UNEXPECTED);
}

HRESULT CBcdEditor::ReadText(IWbemClassObject* object, DWORD element, std::wstring& text) {
    ComPtr<IWbemClassObject> value;
    HRESULT hr = ReadElement(object, element, value);
    return hr != S_OK ? hr : Checked(zenta::GetText(value.Get(), L"String", text));
}

HRESULT CBcdEditor::ReadInteger(IWbemClassObject* object, DWORD element, unsigned long long& number) {
    ComPtr<IWbemClassObject> value;
    HRESULT hr = ReadElement(object, element, value);
    return hr != S_OK ? hr : Checked(zenta::GetNumber(value.Get(), L"Integer", number));
}

HRESULT CBcdEditor::ReadIds(IWbemClassObject* object, DWORD element, std::vector<std::wstring>& ids) {
    ComPtr<IWbemClassObject> value;
    HRESULT hr = ReadElement(object, element, value);
    return hr != S_OK ? hr : Checked(zenta::GetTextArray(value.Get(), L"Ids", ids));
}

HRESULT CBcdEditor::ReadId(IWbemClassObject* object, DWORD element, std::wstring& id) {
    ComPtr<IWbemClassObject> value;
    HRESULT hr = ReadElement(object, element, value);
    return hr != S_OK ? hr : Checked(zenta::GetText(value.Get(), L"Id", id));
}

HRESULT CBcdEditor::WriteText(IWbemClassObject* object, DWORD element, const std::wstring& text) {
    ComPtr<IWbemClassObject> out;
    return CallObject(object, L"SetStringElement",
                      {Uint32Input(L"Type", element), StringInput(L"String", text)}, out);
}

HRESULT CBcdEditor::WriteInteger(IWbemClassObject* object, DWORD element, unsigned long long value) {
    ComPtr<IWbemClassObject> out;
    return CallObject(object, L"SetIntegerElement",
                      {Uint32Input(L"Type", element), Uint64Input(L"Integer", value)}, out);
}

HRESULT CBcdEditor::WriteIds(IWbemClassObject* object, DWORD element, const std::vector<std::wstring>& ids) {
    ComPtr<IWbemClassObject> out;
    return CallObject(object, L"SetObjectListElement",
                      {Uint32Input(L"Type", element), StringsInput(L"Ids", ids)}, out);
}

HRESULT CBcdEditor::WritePartition(IWbemClassObject* object, DWORD element, const std::wstring& device) {
    ComPtr<IWbemClassObject> out;
    return CallObject(object, L"SetPartitionDeviceElement",
                      {Uint32Input(L"Type", element), Uint32Input(L"DeviceType", 2 /* partition */),
                       StringInput(L"AdditionalOptions", L""), StringInput(L"Path", device)},
                      out);
}

// The provider serves only callers that have enabled both privileges in their token; an
// elevated token holds them disabled. A privilege that cannot be enabled is only logged: the
// provider's answer is what counts.
void CBcdEditor::EnableBcdPrivileges() {
    const wchar_t* names[] = {L"SeBackupPrivilege", L"SeRestorePrivilege"};
    for (int i = 0; i < 2; ++i) {
        DWORD error = privileges_[i].Enable(names[i]);
        Log(L"%ls: %ls", names[i], error == ERROR_SUCCESS ? L"enabled" : ErrorText(error).c_str());
    }
}

// With them enabled every open with backup semantics would pass by access checks: they go
// back to what they were as soon as the store is done with, in the reverse order.
void CBcdEditor::GiveBackPrivileges() {
    privileges_[1].GiveBack();
    privileges_[0].GiveBack();
}

void CBcdEditor::Teardown() {
    // Objects from the provider go before COM does: releasing them later could call into a
    // provider that CoUninitialize has already unloaded.
    store_.Reset();
    if (connected_) {
        services_.Reset();
        locator_.Reset();
        CoUninitialize();
        connected_ = false;
    }
    GiveBackPrivileges();
}
