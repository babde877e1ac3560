// The fake BCD store: objects with typed elements, kept in a small UTF-8 text file so that
// the provider (in any process of the prefix) and the tests see the same store.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace fakebcd {

constexpr wchar_t kBootManagerId[] = L"{9dea862c-5cdd-4e70-acc1-f32b344d4795}";
// The Windows loader object of a fresh store.
constexpr wchar_t kWindowsLoaderId[] = L"{6a2f7d0e-3c41-4b5e-9d1a-0c8e2f4b7a13}";
constexpr DWORD kBootManagerType = 0x10100002;
constexpr DWORD kWindowsLoaderType = 0x10200003;
constexpr DWORD kDescription = 0x12000004;
constexpr DWORD kApplicationPath = 0x12000002;
constexpr DWORD kApplicationDevice = 0x11000001;
constexpr DWORD kDisplayOrder = 0x24000001;
constexpr DWORD kTimeout = 0x25000004;

enum class ElementKind { String, Integer, ObjectList, Device };

// The value format an element type carries (bits 24..27): 1 device, 2 string, 4 object
// list, 5 integer. Other formats are not modelled.
bool KindOfType(DWORD type, ElementKind& kind);

struct Element {
    DWORD type = 0;
    ElementKind kind = ElementKind::String;
    std::wstring text;              // String
    unsigned long long integer = 0; // Integer
    std::vector<std::wstring> ids;  // ObjectList
    DWORD deviceType = 0;           // Device
    std::wstring additionalOptions; // Device
    std::wstring path;              // Device
};

struct Object {
    std::wstring id;
    DWORD type = 0;
    std::vector<Element> elements;
    const Element* Find(DWORD elementType) const;
    // Replaces an element of the same type or adds one.
    void Set(const Element& element);
    bool Remove(DWORD elementType);
};

// A failure the provider is told to simulate: `operation` is one of ConnectServer,
// ClientSecurity, GetObject (class name), GetMethod (method name), ExecMethod (method name).
struct Failure {
    std::wstring operation;
    std::wstring name;
};

struct Store {
    std::vector<Object> objects;
    std::vector<Failure> failures;

    // Identifiers compare without regard to case, as GUIDs do.
    Object* Find(const std::wstring& id);
    const Object* Find(const std::wstring& id) const;
    bool Remove(const std::wstring& id);
    bool Fails(const wchar_t* operation, const std::wstring& name) const;

    // The Boot Manager's display order; false when it has none.
    bool DisplayOrder(std::vector<std::wstring>& ids) const;
    // The Boot Manager's timeout; false when it has none.
    bool Timeout(unsigned long long& seconds) const;
};

// The Windows Boot Manager (display order: the loader; timeout 30) and one Windows loader.
Store FreshStore();

bool SameId(const std::wstring& a, const std::wstring& b);
// "{" + 8-4-4-4-12 hexadecimal digits + "}".
bool IsBracedGuid(const std::wstring& text);

std::wstring Serialize(const Store& store);
// False for a line it does not understand.
bool Parse(const std::wstring& text, Store& store);

// C:\fakebcd\store.txt
std::wstring StoreFilePath();
bool SaveStore(const Store& store, const std::wstring& path = StoreFilePath());
// A missing file reads as a fresh store.
bool LoadStore(Store& store, const std::wstring& path = StoreFilePath());

} // namespace fakebcd
