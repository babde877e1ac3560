#include "FakeStore.h"

#include <cwchar>

namespace fakebcd {

bool KindOfType(DWORD type, ElementKind& kind) {
    switch ((type >> 24) & 0x0F) {
    case 1:
        kind = ElementKind::Device;
        return true;
    case 2:
        kind = ElementKind::String;
        return true;
    case 4:
        kind = ElementKind::ObjectList;
        return true;
    case 5:
        kind = ElementKind::Integer;
        return true;
    default:
        return false;
    }
}

const Element* Object::Find(DWORD elementType) const {
    for (const Element& e : elements)
        if (e.type == elementType)
            return &e;
    return nullptr;
}

void Object::Set(const Element& element) {
    for (Element& e : elements)
        if (e.type == element.type) {
            e = element;
            return;
        }
    elements.push_back(element);
}

bool Object::Remove(DWORD elementType) {
    for (size_t i = 0; i < elements.size(); ++i)
        if (elements[i].type == elementType) {
            elements.erase(elements.begin() + i);
            return true;
        }
    return false;
}

bool SameId(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (towlower(a[i]) != towlower(b[i]))
            return false;
    return true;
}

bool IsBracedGuid(const std::wstring& text) {
    static const char kPattern[] = "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}";
    if (text.size() != sizeof kPattern - 1)
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (kPattern[i] == 'x' ? !iswxdigit(text[i]) : text[i] != static_cast<wchar_t>(kPattern[i]))
            return false;
    }
    return true;
}

Object* Store::Find(const std::wstring& id) {
    for (Object& o : objects)
        if (SameId(o.id, id))
            return &o;
    return nullptr;
}

const Object* Store::Find(const std::wstring& id) const {
    return const_cast<Store*>(this)->Find(id);
}

bool Store::Remove(const std::wstring& id) {
    for (size_t i = 0; i < objects.size(); ++i)
        if (SameId(objects[i].id, id)) {
            objects.erase(objects.begin() + i);
            return true;
        }
    return false;
}

bool Store::Fails(const wchar_t* operation, const std::wstring& name) const {
    for (const Failure& f : failures)
        if (_wcsicmp(f.operation.c_str(), operation) == 0 &&
            (f.name.empty() || _wcsicmp(f.name.c_str(), name.c_str()) == 0))
            return true;
    return false;
}

bool Store::DisplayOrder(std::vector<std::wstring>& ids) const {
    const Object* manager = Find(kBootManagerId);
    const Element* order = manager ? manager->Find(kDisplayOrder) : nullptr;
    if (!order || order->kind != ElementKind::ObjectList)
        return false;
    ids = order->ids;
    return true;
}

bool Store::Timeout(unsigned long long& seconds) const {
    const Object* manager = Find(kBootManagerId);
    const Element* timeout = manager ? manager->Find(kTimeout) : nullptr;
    if (!timeout || timeout->kind != ElementKind::Integer)
        return false;
    seconds = timeout->integer;
    return true;
}

Store FreshStore() {
    Store store;
    Object manager;
    manager.id = kBootManagerId;
    manager.type = kBootManagerType;
    Element e;
    e.type = kDescription;
    e.kind = ElementKind::String;
    e.text = L"Windows Boot Manager";
    manager.Set(e);
    e = Element();
    e.type = kDisplayOrder;
    e.kind = ElementKind::ObjectList;
    e.ids.push_back(kWindowsLoaderId);
    manager.Set(e);
    e = Element();
    e.type = kTimeout;
    e.kind = ElementKind::Integer;
    e.integer = 30;
    manager.Set(e);
    store.objects.push_back(manager);

    Object loader;
    loader.id = kWindowsLoaderId;
    loader.type = kWindowsLoaderType;
    e = Element();
    e.type = kDescription;
    e.kind = ElementKind::String;
    e.text = L"Windows 7";
    loader.Set(e);
    e = Element();
    e.type = kApplicationPath;
    e.kind = ElementKind::String;
    e.text = L"\\Windows\\system32\\winload.exe";
    loader.Set(e);
    store.objects.push_back(loader);
    return store;
}

} // namespace fakebcd
