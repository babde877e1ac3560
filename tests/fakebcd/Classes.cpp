#include "Classes.h"

#include <cwchar>

namespace fakebcd {
namespace {

constexpr CIMTYPE kString = CIM_STRING;
constexpr CIMTYPE kUint32 = CIM_UINT32;
constexpr CIMTYPE kUint64 = CIM_UINT64;
constexpr CIMTYPE kBool = CIM_BOOLEAN;
constexpr CIMTYPE kObject = CIM_OBJECT;
constexpr CIMTYPE kStrings = CIM_STRING | CIM_FLAG_ARRAY;

MethodDef Method(const wchar_t* name, std::vector<PropertyDef> inputs, std::vector<PropertyDef> outputs = {},
                 bool isStatic = false) {
    outputs.insert(outputs.begin(), PropertyDef{L"ReturnValue", kBool});
    return MethodDef{name, isStatic, std::move(inputs), std::move(outputs)};
}

const std::vector<ClassDef>& Classes() {
    static const std::vector<ClassDef> classes = {
        {L"BcdStore",
         L"",
         {{L"FilePath", kString}},
         {L"FilePath"},
         {Method(L"OpenStore", {{L"File", kString}}, {{L"Store", kObject}}, true),
          Method(L"CreateObject", {{L"Id", kString}, {L"Type", kUint32}}, {{L"Object", kObject}}),
          Method(L"OpenObject", {{L"Id", kString}}, {{L"Object", kObject}}),
          Method(L"DeleteObject", {{L"Id", kString}})}},
        {L"BcdObject",
         L"",
         {{L"Id", kString}, {L"StoreFilePath", kString}, {L"Type", kUint32}},
         {L"Id", L"StoreFilePath"},
         {Method(L"GetElement", {{L"Type", kUint32}}, {{L"Element", kObject}}),
          Method(L"SetStringElement", {{L"Type", kUint32}, {L"String", kString}}),
          Method(L"SetIntegerElement", {{L"Type", kUint32}, {L"Integer", kUint64}}),
          Method(L"SetObjectListElement", {{L"Type", kUint32}, {L"Ids", kStrings}}),
          Method(L"SetPartitionDeviceElement", {{L"Type", kUint32},
                                                {L"DeviceType", kUint32},
                                                {L"AdditionalOptions", kString},
                                                {L"Path", kString}})}},
        {L"BcdElement",
         L"",
         {{L"ObjectId", kString}, {L"StoreFilePath", kString}, {L"Type", kUint32}},
         {L"ObjectId", L"StoreFilePath", L"Type"},
         {}},
        {L"BcdStringElement",
         L"BcdElement",
         {{L"ObjectId", kString}, {L"StoreFilePath", kString}, {L"Type", kUint32}, {L"String", kString}},
         {L"ObjectId", L"StoreFilePath", L"Type"},
         {}},
        {L"BcdIntegerElement",
         L"BcdElement",
         {{L"ObjectId", kString}, {L"StoreFilePath", kString}, {L"Type", kUint32}, {L"Integer", kUint64}},
         {L"ObjectId", L"StoreFilePath", L"Type"},
         {}},
        {L"BcdObjectListElement",
         L"BcdElement",
         {{L"ObjectId", kString}, {L"StoreFilePath", kString}, {L"Type", kUint32}, {L"Ids", kStrings}},
         {L"ObjectId", L"StoreFilePath", L"Type"},
         {}},
        {L"BcdDeviceElement",
         L"BcdElement",
         {{L"ObjectId", kString}, {L"StoreFilePath", kString}, {L"Type", kUint32}, {L"Device", kObject}},
         {L"ObjectId", L"StoreFilePath", L"Type"},
         {}},
        {L"BcdDeviceData", L"", {{L"DeviceType", kUint32}, {L"AdditionalOptions", kString}}, {}, {}},
        {L"BcdDevicePartitionData",
         L"BcdDeviceData",
         {{L"DeviceType", kUint32}, {L"AdditionalOptions", kString}, {L"Path", kString}},
         {},
         {}},
    };
    return classes;
}

} // namespace

const MethodDef* ClassDef::FindMethod(const std::wstring& method) const {
    for (const MethodDef& m : methods)
        if (_wcsicmp(m.name.c_str(), method.c_str()) == 0)
            return &m;
    return nullptr;
}

const ClassDef* FindClass(const std::wstring& name) {
    for (const ClassDef& c : Classes())
        if (_wcsicmp(c.name.c_str(), name.c_str()) == 0)
            return &c;
    return nullptr;
}

std::vector<std::wstring> Ancestors(const ClassDef& definition) {
    std::vector<std::wstring> chain;
    for (const ClassDef* c = FindClass(definition.superclass); c; c = FindClass(c->superclass))
        chain.push_back(c->name);
    return chain;
}

} // namespace fakebcd
