// The WMI method call, one step at a time: class object, input signature, input instance,
// typed inputs, the call with its call result, and the named outputs.
#pragma once
#include "common/ScopedWin.h"

#include <windows.h>
#include <wbemidl.h>
#include <string>
#include <vector>

namespace zenta {

// IWbemServices::GetObject of a class (flags 0, no context).
HRESULT GetWmiClass(IWbemServices* services, const wchar_t* className, ComPtr<IWbemClassObject>& classObject);
// GetMethod on a class object; a success without a signature counts as WBEM_E_NOT_FOUND.
HRESULT GetInputSignature(IWbemClassObject* classObject, const wchar_t* method,
                          ComPtr<IWbemClassObject>& signature);
HRESULT SpawnInput(IWbemClassObject* signature, ComPtr<IWbemClassObject>& input);
// Puts `text` as VT_BSTR with the CIM type (0: the property's declared type); numbers go
// as decimal text and the provider converts them.
HRESULT PutText(IWbemClassObject* object, const wchar_t* name, const wchar_t* text, CIMTYPE type);
// Puts a string array (VT_ARRAY | VT_BSTR, CIM_STRING | CIM_FLAG_ARRAY).
HRESULT PutTextArray(IWbemClassObject* object, const wchar_t* name, const std::vector<std::wstring>& texts);
// ExecMethod (synchronous, no context) asking for the outputs and a call result; then
// GetCallStatus(WBEM_INFINITE) and GetResultObject(0), which gives `output`.
HRESULT ExecuteMethod(IWbemServices* services, const wchar_t* objectPath, const wchar_t* method,
                      IWbemClassObject* input, ComPtr<IWbemClassObject>& output);

// Named values of an object; false when absent or of another variant type.
bool GetBool(IWbemClassObject* object, const wchar_t* name, bool& value);
bool GetText(IWbemClassObject* object, const wchar_t* name, std::wstring& text);
bool GetTextArray(IWbemClassObject* object, const wchar_t* name, std::vector<std::wstring>& texts);
// An embedded object (VT_UNKNOWN) queried for IWbemClassObject; empty when absent.
ComPtr<IWbemClassObject> GetEmbeddedObject(IWbemClassObject* object, const wchar_t* name);

} // namespace zenta
