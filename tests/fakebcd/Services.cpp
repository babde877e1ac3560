#include "Services.h"

#include "Classes.h"
#include "FakeStore.h"
#include "Methods.h"
#include "WbemObject.h"

#include <string>

namespace fakebcd {

CallResult::CallResult(HRESULT status, IWbemClassObject* result) : status_(status), result_(result) {
    if (result_)
        result_->AddRef();
}

CallResult::~CallResult() {
    if (result_)
        result_->Release();
}

HRESULT CallResult::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == __uuidof(IWbemCallResult)) {
        *object = static_cast<IWbemCallResult*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CallResult::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG CallResult::Release() {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT CallResult::GetResultObject(LONG timeout, IWbemClassObject** result) {
    LogCall(L"GetResultObject " + std::to_wstring(timeout));
    if (!result)
        return WBEM_E_INVALID_PARAMETER;
    *result = result_;
    if (!result_)
        return FAILED(status_) ? status_ : static_cast<HRESULT>(WBEM_E_NOT_FOUND);
    result_->AddRef();
    return WBEM_S_NO_ERROR;
}

HRESULT CallResult::GetResultString(LONG, BSTR*) {
    return WBEM_E_INVALID_OPERATION;
}
HRESULT CallResult::GetResultServices(LONG, IWbemServices**) {
    return WBEM_E_INVALID_OPERATION;
}

HRESULT CallResult::GetCallStatus(LONG timeout, LONG* status) {
    LogCall(L"GetCallStatus " + std::to_wstring(timeout));
    if (!status)
        return WBEM_E_INVALID_PARAMETER;
    *status = status_;
    return WBEM_S_NO_ERROR;
}

HRESULT Services::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == __uuidof(IWbemServices))
        *object = static_cast<IWbemServices*>(this);
    else if (iid == __uuidof(IClientSecurity) && secured_)
        *object = static_cast<IClientSecurity*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG Services::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG Services::Release() {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT Services::QueryBlanket(IUnknown*, DWORD* authn, DWORD* authz, OLECHAR** principal, DWORD* level,
                               DWORD* impersonation, void** identity, DWORD* capabilities) {
    if (authn)
        *authn = blanket_[0];
    if (authz)
        *authz = blanket_[1];
    if (principal)
        *principal = nullptr;
    if (level)
        *level = blanket_[2];
    if (impersonation)
        *impersonation = blanket_[3];
    if (identity)
        *identity = nullptr;
    if (capabilities)
        *capabilities = 0;
    return S_OK;
}

HRESULT Services::SetBlanket(IUnknown*, DWORD authn, DWORD authz, OLECHAR* principal, DWORD level,
                             DWORD impersonation, void* identity, DWORD capabilities) {
    LogCall(L"SetBlanket authn=" + std::to_wstring(authn) + L" authz=" + std::to_wstring(authz) +
            L" principal=" + (principal ? principal : L"(none)") + L" level=" + std::to_wstring(level) +
            L" impersonation=" + std::to_wstring(impersonation) + L" identity=" +
            (identity ? L"set" : L"(none)") + L" capabilities=" + std::to_wstring(capabilities));
    blanket_[0] = authn;
    blanket_[1] = authz;
    blanket_[2] = level;
    blanket_[3] = impersonation;
    return S_OK;
}

HRESULT Services::CopyProxy(IUnknown*, IUnknown** copy) {
    if (!copy)
        return E_POINTER;
    *copy = static_cast<IWbemServices*>(this);
    AddRef();
    return S_OK;
}

HRESULT Services::GetObject(const BSTR path, LONG flags, IWbemContext*, IWbemClassObject** object,
                            IWbemCallResult** callResult) {
    std::wstring text = path ? path : L"";
    LogCall(L"GetObject " + text + L" flags=" + std::to_wstring(flags));
    if (callResult)
        *callResult = nullptr;
    if (!object)
        return WBEM_E_INVALID_PARAMETER;
    *object = nullptr;
    ObjectPath parsed;
    if (!ParseObjectPath(text, parsed))
        return WBEM_E_INVALID_OBJECT_PATH;
    if (!parsed.isClass)
        return WBEM_E_NOT_SUPPORTED; // instances come only from the provider's methods here
    const ClassDef* definition = FindClass(parsed.className);
    if (!definition)
        return WBEM_E_NOT_FOUND;
    Store store;
    if (LoadStore(store) && store.Fails(L"GetObject", definition->name))
        return WBEM_E_FAILED;
    *object = WbemObject::NewClass(*definition);
    return WBEM_S_NO_ERROR;
}

HRESULT Services::ExecMethod(const BSTR path, const BSTR method, LONG flags, IWbemContext*,
                             IWbemClassObject* in, IWbemClassObject** out, IWbemCallResult** callResult) {
    std::wstring pathText = path ? path : L"", methodText = method ? method : L"";
    LogCall(L"ExecMethod " + methodText + L" " + pathText + L" flags=" + std::to_wstring(flags));
    if (out)
        *out = nullptr;
    if (callResult)
        *callResult = nullptr;
    if ((flags & WBEM_FLAG_RETURN_IMMEDIATELY) && !callResult)
        return WBEM_E_INVALID_PARAMETER;
    IWbemClassObject* result = nullptr;
    HRESULT hr = ExecuteMethod(pathText, methodText, in, &result);
    if (FAILED(hr))
        return hr;
    if (out) {
        *out = result;
        result->AddRef();
    }
    if (callResult)
        *callResult = new CallResult(hr, result);
    result->Release();
    return WBEM_S_NO_ERROR;
}

// Everything else WMI offers is outside what the boot-entry code uses.
HRESULT Services::OpenNamespace(const BSTR, LONG, IWbemContext*, IWbemServices**, IWbemCallResult**) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT Services::CancelAsyncCall(IWbemObjectSink*) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT Services::QueryObjectSink(LONG, IWbemObjectSink**) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT Services::GetObjectAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT Services::PutClass(IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT Services::PutClassAsync(IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT Services::DeleteClass(const BSTR, LONG, IWbemContext*, IWbemCallResult**) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT Services::DeleteClassAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT Services::CreateClassEnum(const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT Services::CreateClassEnumAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT Services::PutInstance(IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT Services::PutInstanceAsync(IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT Services::DeleteInstance(const BSTR, LONG, IWbemContext*, IWbemCallResult**) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT Services::DeleteInstanceAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT Services::CreateInstanceEnum(const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT Services::CreateInstanceEnumAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT Services::ExecQuery(const BSTR, const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT Services::ExecQueryAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemObjectSink*) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT Services::ExecNotificationQuery(const BSTR, const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT Services::ExecNotificationQueryAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemObjectSink*) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT Services::ExecMethodAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*,
                                  IWbemObjectSink*) {
    return WBEM_E_NOT_SUPPORTED;
}

} // namespace fakebcd
