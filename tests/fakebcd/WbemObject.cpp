#include "WbemObject.h"

#include "FakeStore.h"

#include "common/ScopedWin.h"

#include <cwchar>

namespace fakebcd {
namespace {

// Answers QueryInterface only inside this provider: how it recognises its own objects.
const IID kFakeObjectIid = {0x5e1f7a3c, 0x94d2, 0x4b8e, {0xa1, 0x07, 0x3d, 0x6c, 0x2b, 0x90, 0xf4, 0x18}};

std::wstring Quote(const std::wstring& text) {
    std::wstring out = L"\"";
    for (wchar_t c : text) {
        if (c == L'"' || c == L'\\')
            out += L'\\';
        out += c;
    }
    return out + L"\"";
}

void SetBstr(VARIANT* value, const std::wstring& text) {
    value->vt = VT_BSTR;
    value->bstrVal = SysAllocString(text.c_str());
}

} // namespace

WbemObject* WbemObject::NewClass(const ClassDef& definition) {
    WbemObject* object = NewInstance(definition);
    object->isClass_ = true;
    return object;
}

WbemObject* WbemObject::NewInstance(const ClassDef& definition) {
    WbemObject* object = NewSignature(definition.properties);
    object->className_ = definition.name;
    object->ancestors_ = Ancestors(definition);
    object->definition_ = &definition;
    object->isClass_ = false;
    return object;
}

WbemObject* WbemObject::NewSignature(const std::vector<PropertyDef>& properties) {
    WbemObject* object = new WbemObject();
    object->className_ = L"__PARAMETERS";
    object->isClass_ = true;
    for (const PropertyDef& p : properties) {
        Property property{p.name, p.type, OwnedVariant()};
        property.value.Get()->vt = VT_NULL;
        object->properties_.push_back(property);
    }
    return object;
}

WbemObject* WbemObject::NewParameters(const std::vector<PropertyDef>& properties) {
    WbemObject* object = NewSignature(properties);
    object->isClass_ = false;
    return object;
}

WbemObject* WbemObject::FromInterface(IUnknown* object) {
    WbemObject* fake = nullptr;
    if (!object || FAILED(object->QueryInterface(kFakeObjectIid, reinterpret_cast<void**>(&fake))))
        return nullptr;
    return fake;
}

WbemObject::Property* WbemObject::Find(const wchar_t* name) {
    for (Property& p : properties_)
        if (name && _wcsicmp(p.name.c_str(), name) == 0)
            return &p;
    return nullptr;
}

const WbemObject::Property* WbemObject::Find(const wchar_t* name) const {
    return const_cast<WbemObject*>(this)->Find(name);
}

bool WbemObject::SetValue(const wchar_t* name, const VARIANT& value) {
    Property* p = Find(name);
    return p && SUCCEEDED(CoerceToCim(value, p->type, p->value));
}

bool WbemObject::SetText(const wchar_t* name, const std::wstring& text) {
    OwnedVariant v;
    SetBstr(v.Get(), text);
    return SetValue(name, *v.Get());
}

bool WbemObject::SetNumber(const wchar_t* name, unsigned long long number) {
    OwnedVariant v;
    v.Get()->vt = VT_UI8;
    v.Get()->ullVal = number;
    return SetValue(name, *v.Get());
}

bool WbemObject::SetBool(const wchar_t* name, bool value) {
    OwnedVariant v;
    v.Get()->vt = VT_BOOL;
    v.Get()->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return SetValue(name, *v.Get());
}

bool WbemObject::SetTexts(const wchar_t* name, const std::vector<std::wstring>& texts) {
    OwnedVariant v;
    SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(texts.size()));
    if (!array)
        return false;
    for (LONG i = 0; i < static_cast<LONG>(texts.size()); ++i) {
        zenta::ScopedBstr item(texts[i].c_str());
        SafeArrayPutElement(array, &i, item.Get());
    }
    v.Get()->vt = VT_ARRAY | VT_BSTR;
    v.Get()->parray = array;
    return SetValue(name, *v.Get());
}

bool WbemObject::SetObject(const wchar_t* name, IWbemClassObject* object) {
    OwnedVariant v;
    if (object) {
        v.Get()->vt = VT_UNKNOWN;
        v.Get()->punkVal = object; // the variant now owns the caller's reference
    } else {
        v.Get()->vt = VT_NULL;
    }
    return SetValue(name, *v.Get());
}

const VARIANT* WbemObject::Value(const wchar_t* name) const {
    const Property* p = Find(name);
    return p ? p->value.Get() : nullptr;
}

std::wstring WbemObject::RelPath() const {
    if (isClass_)
        return className_;
    if (!definition_ || definition_->keys.empty())
        return std::wstring();
    std::wstring path = className_ + L".";
    for (size_t i = 0; i < definition_->keys.size(); ++i) {
        const Property* key = Find(definition_->keys[i].c_str());
        path += (i ? L"," : L"") + key->name + L"=";
        const VARIANT* v = key->value.Get();
        if (v->vt == VT_BSTR)
            path += Quote(v->bstrVal ? v->bstrVal : L"");
        else if (v->vt == VT_I4)
            path += std::to_wstring(static_cast<DWORD>(v->lVal));
        else
            path += L"\"\"";
    }
    return path;
}

bool WbemObject::GetSystemProperty(const std::wstring& name, VARIANT* value, CIMTYPE* type) const {
    const wchar_t* n = name.c_str();
    VARIANT result;
    VariantInit(&result);
    CIMTYPE cim = CIM_STRING;
    if (_wcsicmp(n, L"__CLASS") == 0) {
        SetBstr(&result, className_);
    } else if (_wcsicmp(n, L"__SUPERCLASS") == 0) {
        if (ancestors_.empty())
            result.vt = VT_NULL;
        else
            SetBstr(&result, ancestors_.front());
    } else if (_wcsicmp(n, L"__GENUS") == 0) {
        cim = CIM_SINT32;
        result.vt = VT_I4;
        result.lVal = isClass_ ? WBEM_GENUS_CLASS : WBEM_GENUS_INSTANCE;
    } else if (_wcsicmp(n, L"__NAMESPACE") == 0) {
        SetBstr(&result, L"ROOT\\WMI");
    } else if (_wcsicmp(n, L"__SERVER") == 0) {
        SetBstr(&result, L".");
    } else if (_wcsicmp(n, L"__RELPATH") == 0 || _wcsicmp(n, L"__PATH") == 0) {
        std::wstring relPath = RelPath();
        if (relPath.empty())
            result.vt = VT_NULL;
        else
            SetBstr(&result, n[2] == L'R' || n[2] == L'r' ? relPath : L"\\\\.\\ROOT\\WMI:" + relPath);
    } else {
        return false;
    }
    if (value)
        *value = result;
    else
        VariantClear(&result);
    if (type)
        *type = cim;
    return true;
}

HRESULT WbemObject::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    if (iid == kFakeObjectIid) {
        *object = this;
        AddRef();
        return S_OK;
    }
    if (iid == IID_IUnknown || iid == __uuidof(IWbemClassObject)) {
        *object = static_cast<IWbemClassObject*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG WbemObject::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG WbemObject::Release() {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT WbemObject::Get(LPCWSTR name, LONG, VARIANT* value, CIMTYPE* type, LONG* flavor) {
    if (!name)
        return WBEM_E_INVALID_PARAMETER;
    if (value)
        VariantInit(value);
    if (flavor)
        *flavor = WBEM_FLAVOR_ORIGIN_LOCAL;
    if (name[0] == L'_' && name[1] == L'_')
        return GetSystemProperty(name, value, type) ? WBEM_S_NO_ERROR : WBEM_E_NOT_FOUND;
    LogCall(L"Get " + std::wstring(name));
    Property* p = Find(name);
    if (!p)
        return WBEM_E_NOT_FOUND;
    if (type)
        *type = p->type;
    return value ? VariantCopy(value, p->value.Get()) : static_cast<HRESULT>(WBEM_S_NO_ERROR);
}

HRESULT WbemObject::Put(LPCWSTR name, LONG, VARIANT* value, CIMTYPE type) {
    if (!name)
        return WBEM_E_INVALID_PARAMETER;
    LogCall(L"Put " + std::wstring(name) + L" " + DescribeVariant(value) + L" cim=" + std::to_wstring(type));
    if (name[0] == L'_' && name[1] == L'_')
        return WBEM_E_SYSTEM_PROPERTY;
    Property* p = Find(name);
    if (!p)
        return WBEM_E_NOT_FOUND;
    if (type != 0 && type != p->type)
        return WBEM_E_TYPE_MISMATCH;
    VARIANT null;
    VariantInit(&null);
    null.vt = VT_NULL;
    OwnedVariant converted;
    HRESULT hr = CoerceToCim(value ? *value : null, p->type, converted);
    if (SUCCEEDED(hr))
        p->value = converted;
    return hr;
}

HRESULT WbemObject::Delete(LPCWSTR name) {
    Property* p = Find(name);
    if (!p)
        return WBEM_E_NOT_FOUND;
    VariantClear(p->value.Get());
    p->value.Get()->vt = VT_NULL;
    return WBEM_S_RESET_TO_DEFAULT;
}

HRESULT WbemObject::GetNames(LPCWSTR, LONG, VARIANT*, SAFEARRAY** names) {
    if (!names)
        return WBEM_E_INVALID_PARAMETER;
    std::vector<std::wstring> list;
    for (const Property& p : properties_)
        list.push_back(p.name);
    *names = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(list.size()));
    for (LONG i = 0; i < static_cast<LONG>(list.size()); ++i) {
        zenta::ScopedBstr item(list[i].c_str());
        SafeArrayPutElement(*names, &i, item.Get());
    }
    return WBEM_S_NO_ERROR;
}

HRESULT WbemObject::BeginEnumeration(LONG) {
    enumeration_ = 0;
    return WBEM_S_NO_ERROR;
}

HRESULT WbemObject::Next(LONG, BSTR* name, VARIANT* value, CIMTYPE* type, LONG* flavor) {
    if (enumeration_ >= properties_.size())
        return WBEM_S_NO_MORE_DATA;
    Property& p = properties_[enumeration_++];
    if (name)
        *name = SysAllocString(p.name.c_str());
    if (value) {
        VariantInit(value);
        VariantCopy(value, p.value.Get());
    }
    if (type)
        *type = p.type;
    if (flavor)
        *flavor = WBEM_FLAVOR_ORIGIN_LOCAL;
    return WBEM_S_NO_ERROR;
}

HRESULT WbemObject::EndEnumeration() {
    enumeration_ = properties_.size();
    return WBEM_S_NO_ERROR;
}

HRESULT WbemObject::Clone(IWbemClassObject** copy) {
    if (!copy)
        return WBEM_E_INVALID_PARAMETER;
    WbemObject* clone = new WbemObject();
    clone->className_ = className_;
    clone->ancestors_ = ancestors_;
    clone->isClass_ = isClass_;
    clone->definition_ = definition_;
    clone->properties_ = properties_;
    *copy = clone;
    return WBEM_S_NO_ERROR;
}

HRESULT WbemObject::GetObjectText(LONG, BSTR* text) {
    if (!text)
        return WBEM_E_INVALID_PARAMETER;
    std::wstring mof = (isClass_ ? L"class " : L"instance of ") + className_ + L"\n{\n";
    for (const Property& p : properties_)
        mof += L"\t" + p.name + L" = " + DescribeVariant(p.value.Get()) + L";\n";
    *text = SysAllocString((mof + L"};\n").c_str());
    return WBEM_S_NO_ERROR;
}

HRESULT WbemObject::SpawnInstance(LONG, IWbemClassObject** instance) {
    if (!instance)
        return WBEM_E_INVALID_PARAMETER;
    LogCall(L"SpawnInstance " + className_);
    if (!isClass_)
        return WBEM_E_INVALID_OPERATION;
    WbemObject* spawned = nullptr;
    if (Clone(reinterpret_cast<IWbemClassObject**>(&spawned)) != WBEM_S_NO_ERROR)
        return WBEM_E_FAILED;
    spawned->isClass_ = false;
    for (Property& p : spawned->properties_) {
        VariantClear(p.value.Get());
        p.value.Get()->vt = VT_NULL;
    }
    *instance = spawned;
    return WBEM_S_NO_ERROR;
}

HRESULT WbemObject::InheritsFrom(LPCWSTR ancestor) {
    for (const std::wstring& a : ancestors_)
        if (ancestor && _wcsicmp(a.c_str(), ancestor) == 0)
            return WBEM_S_NO_ERROR;
    return WBEM_S_FALSE;
}

HRESULT WbemObject::GetMethod(LPCWSTR name, LONG, IWbemClassObject** in, IWbemClassObject** out) {
    LogCall(L"GetMethod " + std::wstring(name ? name : L""));
    if (in)
        *in = nullptr;
    if (out)
        *out = nullptr;
    if (!name)
        return WBEM_E_INVALID_PARAMETER;
    if (!isClass_ || !definition_)
        return WBEM_E_ILLEGAL_OPERATION;
    const MethodDef* method = definition_->FindMethod(name);
    if (!method)
        return WBEM_E_NOT_FOUND;
    Store store;
    if (LoadStore(store) && store.Fails(L"GetMethod", method->name))
        return WBEM_E_FAILED;
    if (LoadStore(store) && store.Fails(L"NullSignature", method->name))
        return WBEM_S_NO_ERROR; // a success that yields no signature, as a broken provider might
    if (in)
        *in = NewSignature(method->inputs);
    if (out)
        *out = NewSignature(method->outputs);
    return WBEM_S_NO_ERROR;
}

// Qualifiers, derived classes, method definition and origins are not part of the fake.
HRESULT WbemObject::GetQualifierSet(IWbemQualifierSet**) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT WbemObject::GetPropertyQualifierSet(LPCWSTR, IWbemQualifierSet**) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT WbemObject::SpawnDerivedClass(LONG, IWbemClassObject**) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT WbemObject::CompareTo(LONG, IWbemClassObject*) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT WbemObject::GetPropertyOrigin(LPCWSTR, BSTR*) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT WbemObject::PutMethod(LPCWSTR, LONG, IWbemClassObject*, IWbemClassObject*) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT WbemObject::DeleteMethod(LPCWSTR) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT WbemObject::BeginMethodEnumeration(LONG) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT WbemObject::NextMethod(LONG, BSTR*, IWbemClassObject**, IWbemClassObject**) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT WbemObject::EndMethodEnumeration() {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT WbemObject::GetMethodQualifierSet(LPCWSTR, IWbemQualifierSet**) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT WbemObject::GetMethodOrigin(LPCWSTR, BSTR*) {
    return WBEM_E_NOT_SUPPORTED;
}

} // namespace fakebcd
