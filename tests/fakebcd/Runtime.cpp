#include "Runtime.h"

#include "common/ScopedWin.h"

#include <cstdio>

namespace fakebcd {
namespace {

LONG liveObjects = 0;

// The log is kept per process; the provider is used from one thread at a time (the
// caller's single-threaded apartment), so it needs no lock of its own.
std::vector<std::wstring>& Log() {
    static std::vector<std::wstring> log;
    return log;
}

} // namespace

LONG LiveObjects() {
    return InterlockedCompareExchange(&liveObjects, 0, 0);
}
void AddLiveObject() {
    InterlockedIncrement(&liveObjects);
}
void RemoveLiveObject() {
    InterlockedDecrement(&liveObjects);
}

void LogCall(const std::wstring& line) {
    // A program that runs for long through the DLL must not grow without end.
    if (Log().size() < 10000)
        Log().push_back(line);
}

std::vector<std::wstring> CallLog() {
    return Log();
}
void ClearCallLog() {
    Log().clear();
}

std::wstring DescribeVariant(const VARIANT* value) {
    if (!value)
        return L"(none)";
    wchar_t buffer[64];
    switch (value->vt) {
    case VT_EMPTY:
        return L"VT_EMPTY";
    case VT_NULL:
        return L"VT_NULL";
    case VT_BSTR:
        return std::wstring(L"VT_BSTR ") + (value->bstrVal ? value->bstrVal : L"");
    case VT_I4:
        swprintf(buffer, 64, L"VT_I4 %ld", static_cast<long>(value->lVal));
        return buffer;
    case VT_UI4:
        swprintf(buffer, 64, L"VT_UI4 %lu", static_cast<unsigned long>(value->ulVal));
        return buffer;
    case VT_BOOL:
        return value->boolVal ? L"VT_BOOL true" : L"VT_BOOL false";
    case VT_UNKNOWN:
        return L"VT_UNKNOWN";
    case VT_ARRAY | VT_BSTR: {
        std::wstring text = L"VT_ARRAY|VT_BSTR [";
        SAFEARRAY* array = value->parray;
        LONG low = 0, high = -1;
        if (array && SafeArrayGetDim(array) == 1) {
            SafeArrayGetLBound(array, 1, &low);
            SafeArrayGetUBound(array, 1, &high);
        }
        for (LONG i = low; i <= high; ++i) {
            zenta::ScopedBstr item;
            SafeArrayGetElement(array, &i, item.Put());
            text += (i > low ? L"," : L"") + std::wstring(item.Text());
        }
        return text + L"]";
    }
    default:
        swprintf(buffer, 64, L"vt=0x%x", static_cast<unsigned>(value->vt));
        return buffer;
    }
}

} // namespace fakebcd
