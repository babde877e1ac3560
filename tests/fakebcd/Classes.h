// The WMI classes the fake provider knows: names, properties, keys and method signatures,
// as the BCD provider's MOF declares them (only what this system touches).
#pragma once
#include <windows.h>
#include <wbemidl.h>
#include <string>
#include <vector>

namespace fakebcd {

struct PropertyDef {
    std::wstring name;
    CIMTYPE type;
};

struct MethodDef {
    std::wstring name;
    bool isStatic;
    std::vector<PropertyDef> inputs;
    std::vector<PropertyDef> outputs; // ReturnValue first
};

struct ClassDef {
    std::wstring name;
    std::wstring superclass; // empty for none
    std::vector<PropertyDef> properties;
    std::vector<std::wstring> keys; // in __RELPATH order (alphabetical, as WMI writes them)
    std::vector<MethodDef> methods;
    const MethodDef* FindMethod(const std::wstring& method) const;
};

// Null for a class the provider does not know. Names compare without regard to case.
const ClassDef* FindClass(const std::wstring& name);
// The chain of superclasses, nearest first.
std::vector<std::wstring> Ancestors(const ClassDef& definition);

} // namespace fakebcd
