#include "Methods.h"

#include "Classes.h"
#include "FakeStore.h"
#include "WbemObject.h"

#include "common/ScopedWin.h"

#include <cwchar>

namespace fakebcd {
namespace {

bool Text(WbemObject* in, const wchar_t* name, std::wstring& text) {
    const VARIANT* v = in->Value(name);
    if (!v || v->vt != VT_BSTR)
        return false;
    text = v->bstrVal ? v->bstrVal : L"";
    return true;
}

bool Number(WbemObject* in, const wchar_t* name, unsigned long long& number) {
    const VARIANT* v = in->Value(name);
    if (!v)
        return false;
    if (v->vt == VT_I4) {
        number = static_cast<DWORD>(v->lVal);
        return true;
    }
    if (v->vt == VT_BSTR && v->bstrVal) {
        number = wcstoull(v->bstrVal, nullptr, 10);
        return true;
    }
    return false;
}

bool Texts(WbemObject* in, const wchar_t* name, std::vector<std::wstring>& texts) {
    const VARIANT* v = in->Value(name);
    if (!v || v->vt != (VT_ARRAY | VT_BSTR))
        return false;
    LONG low = 0, high = -1;
    SafeArrayGetLBound(v->parray, 1, &low);
    SafeArrayGetUBound(v->parray, 1, &high);
    texts.clear();
    for (LONG i = low; i <= high; ++i) {
        zenta::ScopedBstr item;
        SafeArrayGetElement(v->parray, &i, item.Put());
        texts.push_back(item.Text());
    }
    return true;
}

IWbemClassObject* StoreInstance() {
    WbemObject* store = WbemObject::NewInstance(*FindClass(L"BcdStore"));
    store->SetText(L"FilePath", L"");
    return store;
}

IWbemClassObject* ObjectInstance(const Object& object) {
    WbemObject* instance = WbemObject::NewInstance(*FindClass(L"BcdObject"));
    instance->SetText(L"Id", object.id);
    instance->SetText(L"StoreFilePath", L"");
    instance->SetNumber(L"Type", object.type);
    return instance;
}

IWbemClassObject* ElementInstance(const std::wstring& objectId, const Element& e) {
    static const wchar_t* const kClasses[] = {L"BcdStringElement", L"BcdIntegerElement",
                                              L"BcdObjectListElement", L"BcdDeviceElement"};
    WbemObject* element = WbemObject::NewInstance(*FindClass(kClasses[static_cast<int>(e.kind)]));
    element->SetText(L"ObjectId", objectId);
    element->SetText(L"StoreFilePath", L"");
    element->SetNumber(L"Type", e.type);
    switch (e.kind) {
    case ElementKind::String:
        element->SetText(L"String", e.text);
        break;
    case ElementKind::Integer:
        element->SetNumber(L"Integer", e.integer);
        break;
    case ElementKind::ObjectList:
        element->SetTexts(L"Ids", e.ids);
        break;
    case ElementKind::Device: {
        WbemObject* device = WbemObject::NewInstance(*FindClass(L"BcdDevicePartitionData"));
        device->SetNumber(L"DeviceType", e.deviceType);
        device->SetText(L"AdditionalOptions", e.additionalOptions);
        device->SetText(L"Path", e.path);
        element->SetObject(L"Device", device);
        break;
    }
    }
    return element;
}

// One method call: the store as loaded, the inputs, the outputs being built.
struct Call {
    Store store;
    WbemObject* in;
    WbemObject* out;
    bool changed = false;
    // The element of `type` the method may set, checked against the value format it carries.
    bool ElementOfKind(WbemObject* input, ElementKind kind, Element& e) {
        unsigned long long type = 0;
        ElementKind typeKind;
        if (!Number(input, L"Type", type) || !KindOfType(static_cast<DWORD>(type), typeKind) ||
            typeKind != kind)
            return false;
        e.type = static_cast<DWORD>(type);
        e.kind = kind;
        return true;
    }
};

bool RunStoreMethod(Call& c, const std::wstring& method) {
    std::wstring id;
    if (method == L"OpenStore") {
        std::wstring file;
        if (!Text(c.in, L"File", file) || !file.empty())
            return false; // only the system store exists here
        c.out->SetObject(L"Store", StoreInstance());
        return true;
    }
    if (!Text(c.in, L"Id", id))
        return false;
    if (method == L"CreateObject") {
        unsigned long long type = 0;
        if (!IsBracedGuid(id) || c.store.Find(id) || !Number(c.in, L"Type", type) || type == 0 ||
            type > 0xFFFFFFFFull)
            return false;
        Object object;
        object.id = id;
        object.type = static_cast<DWORD>(type);
        c.store.objects.push_back(object);
        c.changed = true;
        c.out->SetObject(L"Object", ObjectInstance(object));
        return true;
    }
    if (method == L"OpenObject") {
        const Object* object = c.store.Find(id);
        if (object)
            c.out->SetObject(L"Object", ObjectInstance(*object));
        return object != nullptr;
    }
    if (method == L"DeleteObject") {
        // Like the real provider, nothing else refers to the object any more only when
        // the caller sees to it: display orders keep listing it.
        c.changed = c.store.Remove(id);
        return c.changed;
    }
    return false;
}

bool RunObjectMethod(Call& c, Object& object, const std::wstring& method) {
    Element e;
    if (method == L"GetElement") {
        unsigned long long type = 0;
        const Element* found = Number(c.in, L"Type", type) ? object.Find(static_cast<DWORD>(type)) : nullptr;
        if (found)
            c.out->SetObject(L"Element", ElementInstance(object.id, *found));
        return found != nullptr;
    }
    if (method == L"SetStringElement") {
        if (!c.ElementOfKind(c.in, ElementKind::String, e) || !Text(c.in, L"String", e.text))
            return false;
    } else if (method == L"SetIntegerElement") {
        if (!c.ElementOfKind(c.in, ElementKind::Integer, e) || !Number(c.in, L"Integer", e.integer))
            return false;
    } else if (method == L"SetObjectListElement") {
        if (!c.ElementOfKind(c.in, ElementKind::ObjectList, e) || !Texts(c.in, L"Ids", e.ids))
            return false;
        for (const std::wstring& id : e.ids)
            if (!IsBracedGuid(id))
                return false;
    } else if (method == L"SetPartitionDeviceElement") {
        unsigned long long deviceType = 0;
        if (!c.ElementOfKind(c.in, ElementKind::Device, e) || !Number(c.in, L"DeviceType", deviceType) ||
            !Text(c.in, L"AdditionalOptions", e.additionalOptions) || !Text(c.in, L"Path", e.path))
            return false;
        if (deviceType < 1 || deviceType > 5 || (deviceType == 2 && e.path.empty()) ||
            (!e.additionalOptions.empty() && !IsBracedGuid(e.additionalOptions)))
            return false;
        e.deviceType = static_cast<DWORD>(deviceType);
    } else {
        return false;
    }
    object.Set(e);
    c.changed = true;
    return true;
}

} // namespace

bool ObjectPath::Key(const wchar_t* name, std::wstring& value) const {
    for (const auto& key : keys)
        if (_wcsicmp(key.first.c_str(), name) == 0) {
            value = key.second;
            return true;
        }
    return false;
}

bool ParseObjectPath(const std::wstring& text, ObjectPath& path) {
    path = ObjectPath();
    // A namespace prefix ends at the last colon before any quoted key value.
    size_t quote = text.find(L'"');
    size_t colon = text.rfind(L':', quote == std::wstring::npos ? std::wstring::npos : quote);
    size_t start = colon == std::wstring::npos ? 0 : colon + 1;
    size_t dot = text.find(L'.', start);
    path.className = text.substr(start, dot == std::wstring::npos ? std::wstring::npos : dot - start);
    if (path.className.empty())
        return false;
    if (dot == std::wstring::npos)
        return true;
    path.isClass = false;
    size_t i = dot + 1;
    while (i < text.size()) {
        size_t equals = text.find(L'=', i);
        if (equals == std::wstring::npos)
            return false;
        std::wstring name = text.substr(i, equals - i), value;
        i = equals + 1;
        if (i < text.size() && text[i] == L'"') {
            for (++i; i < text.size() && text[i] != L'"'; ++i) {
                if (text[i] == L'\\' && i + 1 < text.size())
                    ++i;
                value += text[i];
            }
            if (i >= text.size())
                return false;
            ++i;
        } else {
            while (i < text.size() && text[i] != L',')
                value += text[i++];
        }
        path.keys.emplace_back(name, value);
        if (i < text.size() && text[i++] != L',')
            return false;
    }
    return true;
}

HRESULT ExecuteMethod(const std::wstring& pathText, const std::wstring& method, IWbemClassObject* in,
                      IWbemClassObject** out) {
    *out = nullptr;
    ObjectPath path;
    if (!ParseObjectPath(pathText, path))
        return WBEM_E_INVALID_OBJECT_PATH;
    const ClassDef* definition = FindClass(path.className);
    const MethodDef* signature = definition ? definition->FindMethod(method) : nullptr;
    if (!definition)
        return WBEM_E_INVALID_CLASS;
    if (!signature || (path.isClass && !signature->isStatic))
        return WBEM_E_INVALID_METHOD;
    zenta::ComPtr<WbemObject> input;
    *input.Put() = WbemObject::FromInterface(in);
    if (!input)
        return WBEM_E_INVALID_PARAMETER;
    for (const PropertyDef& p : signature->inputs) {
        const VARIANT* v = input->Value(p.name.c_str());
        if (!v || v->vt == VT_NULL)
            return WBEM_E_INVALID_PARAMETER;
    }

    Call call;
    if (!LoadStore(call.store))
        return WBEM_E_FAILED;
    if (call.store.Fails(L"ExecMethod", method))
        return WBEM_E_FAILED;
    zenta::ComPtr<WbemObject> output;
    *output.Put() = WbemObject::NewParameters(signature->outputs);
    call.in = input.Get();
    call.out = output.Get();
    bool result = false;
    std::wstring storePath, id;
    if (definition->name == L"BcdStore") {
        if (!path.isClass && (!path.Key(L"FilePath", storePath) || !storePath.empty()))
            return WBEM_E_NOT_FOUND;
        result = RunStoreMethod(call, signature->name);
    } else {
        Object* object = path.Key(L"Id", id) && path.Key(L"StoreFilePath", storePath) && storePath.empty()
                             ? call.store.Find(id)
                             : nullptr;
        if (!object)
            return WBEM_E_NOT_FOUND;
        result = RunObjectMethod(call, *object, signature->name);
    }
    if (call.changed && !SaveStore(call.store))
        return WBEM_E_FAILED;
    output->SetBool(L"ReturnValue", result);
    *out = output.Detach();
    return WBEM_S_NO_ERROR;
}

} // namespace fakebcd
