// A WMI object of the fake provider: a class object, an instance, or a method signature
// (__PARAMETERS), with typed properties that convert the way WMI converts them.
#pragma once
#include "Classes.h"
#include "Runtime.h"

#include <windows.h>
#include <wbemidl.h>
#include <string>
#include <vector>

namespace fakebcd {

// A VARIANT with value semantics.
class OwnedVariant {
  public:
    OwnedVariant() { VariantInit(&v_); }
    OwnedVariant(const OwnedVariant& other) : OwnedVariant() {
        VariantCopy(&v_, const_cast<VARIANT*>(&other.v_));
    }
    OwnedVariant& operator=(const OwnedVariant& other) {
        if (this != &other)
            VariantCopy(&v_, const_cast<VARIANT*>(&other.v_));
        return *this;
    }
    ~OwnedVariant() { VariantClear(&v_); }
    VARIANT* Get() { return &v_; }
    const VARIANT* Get() const { return &v_; }

  private:
    VARIANT v_;
};

// Converts a value given to Put into the form WMI keeps for the declared type (uint32 as
// VT_I4, uint64 as decimal VT_BSTR, ...); WBEM_E_TYPE_MISMATCH when it cannot.
HRESULT CoerceToCim(const VARIANT& value, CIMTYPE declared, OwnedVariant& result);

class WbemObject final : public IWbemClassObject, private CountedObject {
  public:
    static WbemObject* NewClass(const ClassDef& definition);
    static WbemObject* NewInstance(const ClassDef& definition);
    static WbemObject* NewSignature(const std::vector<PropertyDef>& properties);
    // An instance of __PARAMETERS, as a method's output comes back.
    static WbemObject* NewParameters(const std::vector<PropertyDef>& properties);
    // The fake behind an interface pointer of this provider; null for anyone else's object.
    // The caller gets a reference.
    static WbemObject* FromInterface(IUnknown* object);

    // Provider side: set a declared property without logging (converted as Put does).
    bool SetValue(const wchar_t* name, const VARIANT& value);
    bool SetText(const wchar_t* name, const std::wstring& text);
    bool SetNumber(const wchar_t* name, unsigned long long number);
    bool SetBool(const wchar_t* name, bool value);
    bool SetTexts(const wchar_t* name, const std::vector<std::wstring>& texts);
    // Takes over the caller's reference.
    bool SetObject(const wchar_t* name, IWbemClassObject* object);
    // The stored value of a declared property; null when not declared.
    const VARIANT* Value(const wchar_t* name) const;
    const std::wstring& ClassName() const { return className_; }
    std::wstring RelPath() const;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IWbemClassObject
    HRESULT STDMETHODCALLTYPE GetQualifierSet(IWbemQualifierSet** set) override;
    HRESULT STDMETHODCALLTYPE Get(LPCWSTR name, LONG flags, VARIANT* value, CIMTYPE* type,
                                  LONG* flavor) override;
    HRESULT STDMETHODCALLTYPE Put(LPCWSTR name, LONG flags, VARIANT* value, CIMTYPE type) override;
    HRESULT STDMETHODCALLTYPE Delete(LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE GetNames(LPCWSTR qualifier, LONG flags, VARIANT* qualifierValue,
                                       SAFEARRAY** names) override;
    HRESULT STDMETHODCALLTYPE BeginEnumeration(LONG flags) override;
    HRESULT STDMETHODCALLTYPE Next(LONG flags, BSTR* name, VARIANT* value, CIMTYPE* type,
                                   LONG* flavor) override;
    HRESULT STDMETHODCALLTYPE EndEnumeration() override;
    HRESULT STDMETHODCALLTYPE GetPropertyQualifierSet(LPCWSTR property, IWbemQualifierSet** set) override;
    HRESULT STDMETHODCALLTYPE Clone(IWbemClassObject** copy) override;
    HRESULT STDMETHODCALLTYPE GetObjectText(LONG flags, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE SpawnDerivedClass(LONG flags, IWbemClassObject** newClass) override;
    HRESULT STDMETHODCALLTYPE SpawnInstance(LONG flags, IWbemClassObject** instance) override;
    HRESULT STDMETHODCALLTYPE CompareTo(LONG flags, IWbemClassObject* other) override;
    HRESULT STDMETHODCALLTYPE GetPropertyOrigin(LPCWSTR name, BSTR* className) override;
    HRESULT STDMETHODCALLTYPE InheritsFrom(LPCWSTR ancestor) override;
    HRESULT STDMETHODCALLTYPE GetMethod(LPCWSTR name, LONG flags, IWbemClassObject** in,
                                        IWbemClassObject** out) override;
    HRESULT STDMETHODCALLTYPE PutMethod(LPCWSTR name, LONG flags, IWbemClassObject* in,
                                        IWbemClassObject* out) override;
    HRESULT STDMETHODCALLTYPE DeleteMethod(LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE BeginMethodEnumeration(LONG flags) override;
    HRESULT STDMETHODCALLTYPE NextMethod(LONG flags, BSTR* name, IWbemClassObject** in,
                                         IWbemClassObject** out) override;
    HRESULT STDMETHODCALLTYPE EndMethodEnumeration() override;
    HRESULT STDMETHODCALLTYPE GetMethodQualifierSet(LPCWSTR method, IWbemQualifierSet** set) override;
    HRESULT STDMETHODCALLTYPE GetMethodOrigin(LPCWSTR method, BSTR* className) override;

  private:
    struct Property {
        std::wstring name;
        CIMTYPE type;
        OwnedVariant value;
    };
    WbemObject() = default;
    ~WbemObject() = default;
    Property* Find(const wchar_t* name);
    const Property* Find(const wchar_t* name) const;
    bool GetSystemProperty(const std::wstring& name, VARIANT* value, CIMTYPE* type) const;

    LONG refs_ = 1;
    std::wstring className_;
    std::vector<std::wstring> ancestors_;
    bool isClass_ = false;
    const ClassDef* definition_ = nullptr; // methods and keys; null for signatures
    std::vector<Property> properties_;
    size_t enumeration_ = 0;
};

} // namespace fakebcd
