#include "common/WmiCall.h"

#include "common/Log.h"

#include <cstdio>
#include <cwchar>

namespace zenta {

namespace {

// The in-parameters are an instance: the CIM type passed to Put must be 0, the variant's
// form says what the value is.
HRESULT PutInput(IWbemClassObject* in, const WmiInput& input) {
    ScopedVariant value;
    VARIANT& v = *value.Get();
    if (input.type == CIM_UINT32) {
        v.vt = VT_I4;
        v.lVal = static_cast<LONG>(input.number);
        return in->Put(input.name, 0, &v, 0);
    }
    if (input.type != (CIM_STRING | CIM_FLAG_ARRAY)) {
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocString(input.text.c_str());
        return v.bstrVal ? in->Put(input.name, 0, &v, 0) : E_OUTOFMEMORY;
    }
    const std::vector<std::wstring>& texts = *input.texts;
    SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(texts.size()));
    if (!array)
        return E_OUTOFMEMORY;
    v.vt = VT_ARRAY | VT_BSTR;
    v.parray = array; // owned by the variant from here on
    for (LONG i = 0; i < static_cast<LONG>(texts.size()); ++i) {
        ScopedBstr item(texts[i].c_str()); // SafeArrayPutElement stores a copy
        HRESULT hr = item.Get() ? SafeArrayPutElement(array, &i, item.Get()) : E_OUTOFMEMORY;
        if (FAILED(hr))
            return hr;
    }
    return in->Put(input.name, 0, &v, 0);
}

HRESULT Call(IWbemServices* services, const wchar_t* className, const wchar_t* method,
             const std::wstring& objectPath, const std::vector<WmiInput>& inputs,
             ComPtr<IWbemClassObject>& output, const char* trace) {
    output.Reset();
    if (!services)
        return E_POINTER;
    ComPtr<IWbemClassObject> classObject, signature, in;
    ScopedBstr classPath(className);
    HRESULT hr = services->GetObject(classPath.Get(), 0, nullptr, classObject.Put(), nullptr);
    if (SUCCEEDED(hr) && !classObject)
        hr = WBEM_E_NOT_FOUND;
    if (SUCCEEDED(hr))
        hr = classObject->GetMethod(method, 0, signature.Put(), nullptr);
    if (SUCCEEDED(hr) && !signature)
        hr = WBEM_E_NOT_FOUND;
    if (SUCCEEDED(hr))
        hr = signature->SpawnInstance(0, in.Put());
    if (SUCCEEDED(hr) && !in)
        hr = WBEM_E_FAILED;
    for (size_t i = 0; SUCCEEDED(hr) && i < inputs.size(); ++i)
        hr = PutInput(in.Get(), inputs[i]);
    if (FAILED(hr))
        return hr;
    if (trace) {
        std::fputs(trace, stdout);
        std::fflush(stdout);
    }
    ScopedBstr path(objectPath.c_str()), name(method);
    ComPtr<IWbemClassObject> directOutput;
    ComPtr<IWbemCallResult> callResult;
    hr = services->ExecMethod(path.Get(), name.Get(), 0, nullptr, in.Get(), directOutput.Put(),
                              callResult.Put());
    if (hr != S_OK)
        return FAILED(hr) ? hr : static_cast<HRESULT>(WBEM_E_FAILED);
    LONG status = WBEM_S_NO_ERROR;
    if (callResult && FAILED(callResult->GetCallStatus(WBEM_INFINITE, &status)))
        status = WBEM_S_NO_ERROR; // the result object below still tells
    if (FAILED(status))
        return status;
    if (callResult)
        hr = callResult->GetResultObject(0, output.Put());
    if (!output)
        output = std::move(directOutput);
    if (FAILED(hr) || !output)
        return FAILED(hr) ? hr : static_cast<HRESULT>(WBEM_E_FAILED);
    ScopedVariant done;
    if (FAILED(output->Get(L"ReturnValue", 0, done.Get(), nullptr, nullptr)) || done.Ref().vt != VT_BOOL)
        return WBEM_E_UNEXPECTED;
    return done.Ref().boolVal != VARIANT_FALSE ? S_OK : S_FALSE;
}

} // namespace

WmiInput StringInput(const wchar_t* name, const std::wstring& text) {
    return WmiInput{name, CIM_STRING, text};
}
WmiInput Uint32Input(const wchar_t* name, DWORD number) {
    return WmiInput{name, CIM_UINT32, std::to_wstring(number), number};
}
WmiInput Uint64Input(const wchar_t* name, unsigned long long number) {
    return WmiInput{name, CIM_UINT64, std::to_wstring(number)};
}
WmiInput StringsInput(const wchar_t* name, const std::vector<std::wstring>& texts) {
    return WmiInput{name, CIM_STRING | CIM_FLAG_ARRAY, L"", 0, &texts};
}

HRESULT CallWmiMethod(IWbemServices* services, const wchar_t* className, const wchar_t* method,
                      const std::wstring& objectPath, const std::vector<WmiInput>& inputs,
                      ComPtr<IWbemClassObject>& output, const char* trace) {
    HRESULT hr = Call(services, className, method, objectPath, inputs, output, trace);
    std::wstring arguments;
    for (const WmiInput& input : inputs)
        arguments += std::wstring(arguments.empty() ? L"" : L", ") + input.name + L"=" +
                     (input.texts ? L"[" + std::to_wstring(input.texts->size()) + L" ids]" : input.text);
    Log(L"BCD %ls.%ls(%ls) on %ls: %ls", className, method, arguments.c_str(), objectPath.c_str(),
        hr == S_OK      ? L"done"
        : hr == S_FALSE ? L"ReturnValue false"
                        : ErrorText(hr).c_str());
    return hr;
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

bool GetNumber(IWbemClassObject* object, const wchar_t* name, unsigned long long& number) {
    ScopedVariant v;
    if (!object || FAILED(object->Get(name, 0, v.Get(), nullptr, nullptr)))
        return false;
    switch (v.Ref().vt) {
    case VT_I4:
    case VT_UI4:
        number = static_cast<DWORD>(v.Ref().lVal);
        return true;
    case VT_BSTR: {
        wchar_t* end = nullptr;
        if (!v.Ref().bstrVal || !*v.Ref().bstrVal)
            return false;
        number = wcstoull(v.Ref().bstrVal, &end, 10);
        return end && *end == L'\0';
    }
    default:
        return false;
    }
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
