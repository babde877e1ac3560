#include "common/WmiCall.h"

namespace zenta {

HRESULT GetWmiClass(IWbemServices* services, const wchar_t* className,
                    ComPtr<IWbemClassObject>& classObject) {
    if (!services)
        return E_POINTER;
    ScopedBstr path(className);
    HRESULT hr = services->GetObject(path.Get(), 0, nullptr, classObject.Put(), nullptr);
    if (SUCCEEDED(hr) && !classObject)
        hr = WBEM_E_NOT_FOUND;
    return hr;
}

HRESULT GetInputSignature(IWbemClassObject* classObject, const wchar_t* method,
                          ComPtr<IWbemClassObject>& signature) {
    if (!classObject)
        return E_POINTER;
    HRESULT hr = classObject->GetMethod(method, 0, signature.Put(), nullptr);
    if (SUCCEEDED(hr) && !signature)
        hr = WBEM_E_NOT_FOUND;
    return hr;
}

HRESULT SpawnInput(IWbemClassObject* signature, ComPtr<IWbemClassObject>& input) {
    HRESULT hr = signature->SpawnInstance(0, input.Put());
    if (SUCCEEDED(hr) && !input)
        hr = WBEM_E_FAILED;
    return hr;
}

HRESULT PutText(IWbemClassObject* object, const wchar_t* name, const wchar_t* text, CIMTYPE type) {
    ScopedVariant value;
    value.Get()->vt = VT_BSTR;
    value.Get()->bstrVal = SysAllocString(text ? text : L"");
    if (!value.Get()->bstrVal)
        return E_OUTOFMEMORY;
    return object->Put(name, 0, value.Get(), type);
}

HRESULT PutTextArray(IWbemClassObject* object, const wchar_t* name, const std::vector<std::wstring>& texts) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(texts.size()));
    if (!array)
        return E_OUTOFMEMORY;
    ScopedVariant value;
    value.Get()->vt = VT_ARRAY | VT_BSTR;
    value.Get()->parray = array; // owned by the variant from here on
    for (LONG i = 0; i < static_cast<LONG>(texts.size()); ++i) {
        ScopedBstr item(texts[i].c_str()); // SafeArrayPutElement stores a copy
        HRESULT hr = item.Get() ? SafeArrayPutElement(array, &i, item.Get()) : E_OUTOFMEMORY;
        if (FAILED(hr))
            return hr;
    }
    return object->Put(name, 0, value.Get(), CIM_STRING | CIM_FLAG_ARRAY);
}

HRESULT ExecuteMethod(IWbemServices* services, const wchar_t* objectPath, const wchar_t* method,
                      IWbemClassObject* input, ComPtr<IWbemClassObject>& output) {
    if (!services)
        return E_POINTER;
    ScopedBstr path(objectPath), name(method);
    ComPtr<IWbemClassObject> directOutput;
    ComPtr<IWbemCallResult> callResult;
    HRESULT hr =
        services->ExecMethod(path.Get(), name.Get(), 0, nullptr, input, directOutput.Put(), callResult.Put());
    if (hr != S_OK)
        return FAILED(hr) ? hr : static_cast<HRESULT>(WBEM_E_FAILED);
    if (!callResult)
        return WBEM_E_FAILED;
    LONG status = WBEM_S_NO_ERROR;
    if (FAILED(callResult->GetCallStatus(WBEM_INFINITE, &status)))
        status = WBEM_S_NO_ERROR; // the result object below still tells
    hr = callResult->GetResultObject(0, output.Put());
    if (SUCCEEDED(hr) && FAILED(status))
        hr = status;
    if (SUCCEEDED(hr) && !output)
        hr = WBEM_E_FAILED;
    return hr;
}

bool GetBool(IWbemClassObject* object, const wchar_t* name, bool& value) {
    ScopedVariant v;
    if (!object || FAILED(object->Get(name, 0, v.Get(), nullptr, nullptr)) || v.Ref().vt != VT_BOOL)
        return false;
    value = v.Ref().boolVal != VARIANT_FALSE;
    return true;
}

bool GetText(IWbemClassObject* object, const wchar_t* name, std::wstring& text) {
    ScopedVariant v;
    if (!object || FAILED(object->Get(name, 0, v.Get(), nullptr, nullptr)) || v.Ref().vt != VT_BSTR)
        return false;
    text = v.Ref().bstrVal ? v.Ref().bstrVal : L"";
    return true;
}

bool GetTextArray(IWbemClassObject* object, const wchar_t* name, std::vector<std::wstring>& texts) {
    ScopedVariant v;
    if (!object || FAILED(object->Get(name, 0, v.Get(), nullptr, nullptr)) ||
        v.Ref().vt != (VT_ARRAY | VT_BSTR))
        return false;
    SAFEARRAY* array = v.Ref().parray;
    LONG low = 0, high = -1;
    if (!array || SafeArrayGetDim(array) != 1 || FAILED(SafeArrayGetLBound(array, 1, &low)) ||
        FAILED(SafeArrayGetUBound(array, 1, &high)))
        return false;
    std::vector<std::wstring> read;
    for (LONG i = low; i <= high; ++i) {
        ScopedBstr item;
        if (FAILED(SafeArrayGetElement(array, &i, item.Put())))
            return false;
        read.push_back(item.Text());
    }
    texts.swap(read);
    return true;
}

ComPtr<IWbemClassObject> GetEmbeddedObject(IWbemClassObject* object, const wchar_t* name) {
    ComPtr<IWbemClassObject> embedded;
    ScopedVariant v;
    if (object && SUCCEEDED(object->Get(name, 0, v.Get(), nullptr, nullptr)) && v.Ref().vt == VT_UNKNOWN &&
        v.Ref().punkVal)
        v.Ref().punkVal->QueryInterface(__uuidof(IWbemClassObject), embedded.PutVoid());
    return embedded;
}

} // namespace zenta
