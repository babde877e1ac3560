// A WMI method call, as the BCD provider takes them: the class's input signature, an input
// instance with the typed inputs, the call with its call result, and the named outputs.
#pragma once
#include "common/ScopedWin.h"

#include <windows.h>
#include <wbemidl.h>
#include <string>
#include <vector>

namespace zenta {

// One input, in the form WMI documents for its CIM type: a uint32 as VT_I4, a uint64 as
// decimal text in a VT_BSTR, a string as VT_BSTR, a string array as VT_ARRAY | VT_BSTR.
// Made by the functions below.
struct WmiInput {
    const wchar_t* name;
    CIMTYPE type;
    std::wstring text;                                // CIM_STRING, CIM_UINT64 (decimal)
    DWORD number = 0;                                 // CIM_UINT32
    const std::vector<std::wstring>* texts = nullptr; // CIM_STRING | CIM_FLAG_ARRAY
};
WmiInput StringInput(const wchar_t* name, const std::wstring& text);
WmiInput Uint32Input(const wchar_t* name, DWORD number);
WmiInput Uint64Input(const wchar_t* name, unsigned long long number);
WmiInput StringsInput(const wchar_t* name, const std::vector<std::wstring>& texts);

// Runs `method` of `className` on the object at `objectPath`. S_OK when the provider carried
// it out (ReturnValue true), S_FALSE when it answered ReturnValue false, otherwise the
// failing call's HRESULT. Every call and its result goes to the log; `trace`, when given, is
// written to standard output once the inputs are in place.
HRESULT CallWmiMethod(IWbemServices* services, const wchar_t* className, const wchar_t* method,
                      const std::wstring& objectPath, const std::vector<WmiInput>& inputs,
                      ComPtr<IWbemClassObject>& output, const char* trace = nullptr);

// Named values of an object; false when absent or of another variant type.
bool GetText(IWbemClassObject* object, const wchar_t* name, std::wstring& text);
bool GetTextArray(IWbemClassObject* object, const wchar_t* name, std::vector<std::wstring>& texts);
// A number however it travels: VT_I4 / VT_UI4 or decimal text (as uint64 values do).
bool GetNumber(IWbemClassObject* object, const wchar_t* name, unsigned long long& number);
// An embedded object (VT_UNKNOWN) queried for IWbemClassObject; empty when absent.
ComPtr<IWbemClassObject> GetEmbeddedObject(IWbemClassObject* object, const wchar_t* name);

} // namespace zenta
