// How WMI converts a value given to IWbemClassObject::Put into the property's CIM type.
#include "WbemObject.h"

#include <cwchar>

namespace fakebcd {
namespace {

// Decimal digits only, no sign, no blanks; false when the number exceeds `limit`.
bool ParseDecimal(const wchar_t* text, unsigned long long limit, unsigned long long& number) {
    if (!text || !*text)
        return false;
    number = 0;
    for (const wchar_t* p = text; *p; ++p) {
        if (*p < L'0' || *p > L'9')
            return false;
        unsigned digit = static_cast<unsigned>(*p - L'0');
        if (number > (limit - digit) / 10)
            return false;
        number = number * 10 + digit;
    }
    return true;
}

// Any integer variant as an unsigned number; false for negative values and non-integers.
bool IntegerOf(const VARIANT& value, unsigned long long& number) {
    switch (value.vt) {
    case VT_UI1:
        number = value.bVal;
        return true;
    case VT_UI2:
        number = value.uiVal;
        return true;
    case VT_UI4:
        number = value.ulVal;
        return true;
    case VT_UINT:
        number = value.uintVal;
        return true;
    case VT_UI8:
        number = value.ullVal;
        return true;
    case VT_I2:
        number = static_cast<unsigned long long>(value.iVal);
        return value.iVal >= 0;
    case VT_I4:
        number = static_cast<unsigned long long>(value.lVal);
        return value.lVal >= 0;
    case VT_INT:
        number = static_cast<unsigned long long>(value.intVal);
        return value.intVal >= 0;
    case VT_I8:
        number = static_cast<unsigned long long>(value.llVal);
        return value.llVal >= 0;
    default:
        return false;
    }
}

} // namespace

HRESULT CoerceToCim(const VARIANT& value, CIMTYPE declared, OwnedVariant& result) {
    VARIANT* out = result.Get();
    VariantClear(out);
    if (value.vt == VT_NULL || value.vt == VT_EMPTY) {
        out->vt = VT_NULL;
        return S_OK;
    }
    unsigned long long number = 0;
    switch (declared) {
    case CIM_STRING:
        if (value.vt != VT_BSTR)
            return WBEM_E_TYPE_MISMATCH;
        return VariantCopy(out, const_cast<VARIANT*>(&value));
    case CIM_BOOLEAN:
        if (value.vt != VT_BOOL)
            return WBEM_E_TYPE_MISMATCH;
        return VariantCopy(out, const_cast<VARIANT*>(&value));
    case CIM_UINT32:
        // uint32 travels as VT_I4, whatever it was given as.
        if (value.vt == VT_BSTR ? !ParseDecimal(value.bstrVal, 0xFFFFFFFFull, number)
                                : !IntegerOf(value, number) || number > 0xFFFFFFFFull)
            return WBEM_E_TYPE_MISMATCH;
        out->vt = VT_I4;
        out->lVal = static_cast<LONG>(static_cast<DWORD>(number));
        return S_OK;
    case CIM_UINT64: {
        // uint64 travels as decimal text.
        if (value.vt == VT_BSTR ? !ParseDecimal(value.bstrVal, ~0ull, number) : !IntegerOf(value, number))
            return WBEM_E_TYPE_MISMATCH;
        out->vt = VT_BSTR;
        out->bstrVal = SysAllocString(std::to_wstring(number).c_str());
        return S_OK;
    }
    case CIM_OBJECT: {
        if ((value.vt != VT_UNKNOWN && value.vt != VT_DISPATCH) || !value.punkVal)
            return WBEM_E_TYPE_MISMATCH;
        IWbemClassObject* object = nullptr;
        if (FAILED(
                value.punkVal->QueryInterface(__uuidof(IWbemClassObject), reinterpret_cast<void**>(&object))))
            return WBEM_E_TYPE_MISMATCH;
        out->vt = VT_UNKNOWN;
        out->punkVal = object;
        return S_OK;
    }
    case CIM_STRING | CIM_FLAG_ARRAY:
        if (value.vt != (VT_ARRAY | VT_BSTR) || !value.parray || SafeArrayGetDim(value.parray) != 1)
            return WBEM_E_TYPE_MISMATCH;
        return VariantCopy(out, const_cast<VARIANT*>(&value));
    default:
        return WBEM_E_TYPE_MISMATCH;
    }
}

} // namespace fakebcd
