// The provider's COM objects: a WMI locator whose root\wmi namespace knows BcdStore and
// BcdObject, with just the calls the product makes. Every method call reads the store from its
// file first and writes it back after a change, so all programs of a prefix share one store.
#include "FakeBcd.h"

#include <wbemidl.h>
#include <algorithm>
#include <regex>
#include <sstream>

namespace fakebcd {
namespace {

using std::wstring;

// Whatever the product never calls gets this one answer.
// clang-format off
#define NOT_SUPPORTED(method, ...) STDMETHOD(method)(__VA_ARGS__) override { return WBEM_E_NOT_SUPPORTED; }
// clang-format on

template <class First, class... Rest> class Unknown : public First, public Rest... {
  public:
    virtual ~Unknown() = default;
    STDMETHOD(QueryInterface)(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == __uuidof(First) ? static_cast<First*>(this) : nullptr;
        ((*out = *out || iid != __uuidof(Rest) ? *out : static_cast<Rest*>(this)), ...);
        return *out ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    STDMETHOD_(ULONG, AddRef)() override { return InterlockedIncrement(&refs_); }
    STDMETHOD_(ULONG, Release)() override {
        LONG left = InterlockedDecrement(&refs_);
        if (!left)
            delete this;
        return left;
    }

  private:
    LONG refs_ = 1; // the creator's
};

// An owned VARIANT; the empty one is VT_NULL, which is how WMI shows an unset property. A uint32
// goes out as VT_I4, as WMI hands it out; an object goes in with the reference it was made with.
struct Var {
    VARIANT v;
    Var() { VariantInit(&v), v.vt = VT_NULL; }
    Var(VARTYPE type, LONG number) : Var() { v.vt = type, v.lVal = number; } // VT_BOOL's boolVal overlaps
    Var(DWORD number) : Var(VT_I4, static_cast<LONG>(number)) {}
    Var(const wstring& s) : Var() { v.vt = VT_BSTR, v.bstrVal = SysAllocString(s.c_str()); }
    Var(const wchar_t* s) : Var(wstring(s)) {}
    Var(IWbemClassObject* object) : Var() { v.vt = VT_UNKNOWN, v.punkVal = object; }
    Var(const std::vector<wstring>& texts) : Var() {
        v.vt = VT_ARRAY | VT_BSTR;
        v.parray = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(texts.size()));
        for (LONG i = 0; v.parray && i < static_cast<LONG>(texts.size()); ++i)
            SafeArrayPutElement(v.parray, &i, Var(texts[i]).v.bstrVal); // puts a copy
    }
    Var(const Var& other) : Var() { VariantCopy(&v, const_cast<VARIANT*>(&other.v)); }
    Var& operator=(Var other) { return std::swap(v, other.v), *this; }
    ~Var() { VariantClear(&v); }
};

// Inputs are listed by name; the output besides ReturnValue, if any, is an object.
struct Method {
    const wchar_t *cls, *name, *in, *out;
};
const Method kMethods[] = {
    {L"BcdStore", L"OpenStore", L"File", L"Store"},
    {L"BcdStore", L"CreateObject", L"Id Type", L"Object"},
    {L"BcdStore", L"OpenObject", L"Id", L"Object"},
    {L"BcdStore", L"DeleteObject", L"Id", nullptr},
    {L"BcdObject", L"GetElement", L"Type", L"Element"},
    {L"BcdObject", L"SetStringElement", L"Type String", nullptr},
    {L"BcdObject", L"SetIntegerElement", L"Type Integer", nullptr},
    {L"BcdObject", L"SetObjectListElement", L"Type Ids", nullptr},
    {L"BcdObject", L"SetPartitionDeviceElement", L"Type DeviceType AdditionalOptions Path", nullptr},
};

// Without a method name: the class's first method, which tells that the class exists.
const Method* FindMethod(const wstring& cls, const wchar_t* name) {
    for (const Method& method : kMethods)
        if (Same(method.cls, cls) && (!name || Same(method.name, name)))
            return &method;
    return nullptr;
}

// The one object type behind every IWbemClassObject here: class object, method signature, input,
// output, BCD instance and embedded data. An output is also its own call result, the call being
// over by the time ExecMethod returns.
class WbemObject final : public Unknown<IWbemClassObject, IWbemCallResult> {
  public:
    explicit WbemObject(const wstring& cls, const wstring& path = L"", bool instance = true)
        : instance_(instance) {
        Add(L"__CLASS", cls)->Add(L"__RELPATH", path.empty() ? Var() : Var(path));
    }
    WbemObject* Add(const wstring& name, const Var& value) { return props_.emplace_back(name, value), this; }
    static WbemObject* Output(const Method& method, const Var& returned = {}, const Var& object = {}) {
        WbemObject* output = (new WbemObject(L"__PARAMETERS"))->Add(L"ReturnValue", returned);
        return method.out ? output->Add(method.out, object) : output;
    }

    // The type and flavour outputs are left alone: the product never asks for them.
    STDMETHOD(Get)(LPCWSTR name, LONG, VARIANT* value, CIMTYPE*, LONG*) override {
        Var* prop = Find(name);
        if (prop && value)
            return VariantInit(value), VariantCopy(value, &prop->v);
        return prop ? S_OK : HRESULT(WBEM_E_NOT_FOUND);
    }
    // As documented: on an instance the CIM type must be 0, and a value comes in the form of
    // its property's type (uint32 VT_I4, uint64 and string VT_BSTR, string array VT_ARRAY|VT_BSTR).
    STDMETHOD(Put)(LPCWSTR name, LONG, VARIANT* value, CIMTYPE type) override {
        Var* prop = Find(name);
        if (!prop || (type && instance_))
            return prop ? WBEM_E_INVALID_PARAMETER : WBEM_E_NOT_FOUND;
        VARTYPE form = Same(name, L"Type") || Same(name, L"DeviceType") ? VT_I4
                       : Same(name, L"Ids")                             ? VT_ARRAY | VT_BSTR
                                                                        : VT_BSTR;
        if (value && value->vt != VT_NULL && value->vt != form)
            return WBEM_E_TYPE_MISMATCH;
        return value ? VariantCopy(&prop->v, value) : (*prop = Var(), S_OK);
    }
    STDMETHOD(SpawnInstance)(LONG, IWbemClassObject** out) override {
        auto* instance = new WbemObject(Class());
        for (size_t i = 2; i < props_.size(); ++i) // past __CLASS and __RELPATH
            instance->Add(props_[i].first, Var());
        return *out = instance, S_OK;
    }
    STDMETHOD(GetMethod)(LPCWSTR name, LONG, IWbemClassObject** in, IWbemClassObject** out) override {
        const Method* method = name ? FindMethod(Class(), name) : nullptr;
        auto* signature = method && in ? new WbemObject(L"__PARAMETERS", L"", false) : nullptr;
        std::wistringstream inputs(method ? method->in : L"");
        for (wstring input; signature && inputs >> input;)
            signature->Add(input, Var());
        if (in)
            *in = signature;
        if (out)
            *out = method ? Output(*method) : nullptr;
        return method ? S_OK : HRESULT(WBEM_E_NOT_FOUND);
    }
    STDMETHOD(GetResultObject)(LONG, IWbemClassObject** out) override { return AddRef(), *out = this, S_OK; }
    STDMETHOD(GetCallStatus)(LONG, LONG* status) override {
        *status = WBEM_S_NO_ERROR; // the call was over before ExecMethod returned
        return S_OK;
    }
    NOT_SUPPORTED(GetResultString, LONG, BSTR*)
    NOT_SUPPORTED(GetResultServices, LONG, IWbemServices**)
    NOT_SUPPORTED(GetQualifierSet, IWbemQualifierSet**)
    NOT_SUPPORTED(Delete, LPCWSTR)
    NOT_SUPPORTED(GetNames, LPCWSTR, LONG, VARIANT*, SAFEARRAY**)
    NOT_SUPPORTED(BeginEnumeration, LONG)
    NOT_SUPPORTED(Next, LONG, BSTR*, VARIANT*, CIMTYPE*, LONG*)
    NOT_SUPPORTED(EndEnumeration)
    NOT_SUPPORTED(GetPropertyQualifierSet, LPCWSTR, IWbemQualifierSet**)
    NOT_SUPPORTED(Clone, IWbemClassObject**)
    NOT_SUPPORTED(GetObjectText, LONG, BSTR*)
    NOT_SUPPORTED(SpawnDerivedClass, LONG, IWbemClassObject**)
    NOT_SUPPORTED(CompareTo, LONG, IWbemClassObject*)
    NOT_SUPPORTED(GetPropertyOrigin, LPCWSTR, BSTR*)
    NOT_SUPPORTED(InheritsFrom, LPCWSTR)
    NOT_SUPPORTED(PutMethod, LPCWSTR, LONG, IWbemClassObject*, IWbemClassObject*)
    NOT_SUPPORTED(DeleteMethod, LPCWSTR)
    NOT_SUPPORTED(BeginMethodEnumeration, LONG)
    NOT_SUPPORTED(NextMethod, LONG, BSTR*, IWbemClassObject**, IWbemClassObject**)
    NOT_SUPPORTED(EndMethodEnumeration)
    NOT_SUPPORTED(GetMethodQualifierSet, LPCWSTR, IWbemQualifierSet**)
    NOT_SUPPORTED(GetMethodOrigin, LPCWSTR, BSTR*)

  private:
    Var* Find(LPCWSTR name) {
        for (auto& prop : props_)
            if (name && Same(prop.first, name))
                return &prop.second;
        return nullptr;
    }
    wstring Class() const { return props_[0].second.v.bstrVal; }

    bool instance_;
    std::vector<std::pair<wstring, Var>> props_;
};

WbemObject* Instance(const Object& object) {
    return (new WbemObject(L"BcdObject", L"BcdObject.Id=\"" + object.id + L"\",StoreFilePath=\"\""))
        ->Add(L"Id", object.id)
        ->Add(L"StoreFilePath", L"")
        ->Add(L"Type", object.type);
}

// The class by bits 24..27 of the element type: 1 device, 2 string, 3 object (its identifier
// kept as the text), 4 object list, 5 integer.
WbemObject* Instance(const Object& object, const Element& e) {
    const wchar_t* kinds[] = {L"Integer", L"Device", L"String", L"Object", L"ObjectList", L"Integer"};
    wstring kind = kinds[std::min<DWORD>(e.type >> 24 & 0xF, 5)], cls = L"Bcd" + kind + L"Element";
    Var value = kind == L"String" || kind == L"Object" ? Var(e.text)
                : kind == L"ObjectList"                ? Var(e.ids)
                                                       : Var(std::to_wstring(e.integer));
    if (kind == L"Device")
        value = (new WbemObject(L"BcdDevicePartitionData"))
                    ->Add(L"DeviceType", e.deviceType)
                    ->Add(L"AdditionalOptions", e.options)
                    ->Add(L"Path", e.path);
    return (new WbemObject(cls))
        ->Add(L"ObjectId", object.id)
        ->Add(L"StoreFilePath", L"")
        ->Add(L"Type", e.type)
        ->Add(kind == L"ObjectList" ? L"Ids"
              : kind == L"Object"   ? L"Id"
                                    : kind,
              value);
}

// The class of an object path such as \\.\ROOT\WMI:BcdStore or BcdObject.Id="{...}",StoreFilePath="".
wstring PathClass(const wstring& path) {
    size_t start = path.compare(0, 2, L"\\\\") ? 0 : path.find(L':') + 1;
    return path.substr(start, path.find(L'.', start) - start);
}
// The quoted value of key `name` in an object path, backslash escapes undone.
bool PathKey(const wstring& path, const wstring& name, wstring& value) {
    std::wsmatch match;
    bool found = std::regex_search(
        path, match, std::wregex(L"[.,]" + name + L"=\"((\\\\.|[^\"\\\\])*)\"", std::regex::icase));
    value = found ? std::regex_replace(match[1].str(), std::wregex(L"\\\\(.)"), L"$1") : L"";
    return found;
}

// An input as text, VT_I4 as its decimal text; false when it is neither.
bool Text(IWbemClassObject* in, const wchar_t* name, wstring& text) {
    Var value;
    if (in)
        in->Get(name, 0, &value.v, nullptr, nullptr);
    text = value.v.vt == VT_I4                        ? std::to_wstring(static_cast<ULONG>(value.v.lVal))
           : value.v.vt == VT_BSTR && value.v.bstrVal ? value.v.bstrVal
                                                      : L"";
    return value.v.vt == VT_I4 || value.v.vt == VT_BSTR;
}
bool Number(IWbemClassObject* in, const wchar_t* name, ULONGLONG& number) {
    wstring text;
    bool valid = Text(in, name, text) && std::regex_match(text, std::wregex(L"\\d{1,19}"));
    return number = valid ? std::stoull(text) : 0, valid;
}
bool IsGuid(const wstring& id) {
    return std::regex_match(
        id, std::wregex(L"\\{[0-9a-f]{8}(-[0-9a-f]{4}){3}-[0-9a-f]{12}\\}", std::regex::icase));
}

// The store's failure that names `method`, alone or with the call's element type; null for none.
const wstring* Failure(const Store& store, const wstring& method, IWbemClassObject* in) {
    ULONGLONG type = 0;
    bool typed = Number(in, L"Type", type);
    auto found = std::find_if(store.failures.begin(), store.failures.end(), [&](const wstring& failure) {
        if (failure.back() == L'~')
            return false; // a call held, not refused
        size_t colon = failure.find_first_of(L":!+");
        return Same(failure.substr(0, colon), method) &&
               (colon == wstring::npos || failure[colon] != L':' ||
                (typed && wcstoull(&failure[colon + 1], nullptr, 16) == type));
    });
    return found == store.failures.end() ? nullptr : &*found;
}

// A call of `method` named with "~" in the store's failures waits until a test takes it out.
void WaitWhileHeld(const wstring& method) {
    auto held = [&] {
        Store store = LoadStore();
        return std::any_of(store.failures.begin(), store.failures.end(),
                           [&](const wstring& failure) { return Same(failure, method + L"~"); });
    };
    while (held())
        Sleep(50);
}

// The provider serves only a caller whose token (the thread's when it impersonates, else the
// process's) has both SeBackupPrivilege and SeRestorePrivilege enabled.
bool Privileged() {
    HANDLE token = nullptr;
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token) &&
        !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    DWORD size = 0;
    GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
    std::vector<BYTE> buffer(size + sizeof(TOKEN_PRIVILEGES));
    auto* held = reinterpret_cast<TOKEN_PRIVILEGES*>(buffer.data());
    bool read = GetTokenInformation(token, TokenPrivileges, held, size, &size);
    CloseHandle(token);
    int enabled = 0;
    for (const wchar_t* name : {L"SeBackupPrivilege", L"SeRestorePrivilege"}) {
        LUID luid = {};
        LookupPrivilegeValueW(nullptr, name, &luid);
        for (DWORD i = 0; read && i < held->PrivilegeCount; ++i)
            enabled += !memcmp(&held->Privileges[i].Luid, &luid, sizeof luid) &&
                       (held->Privileges[i].Attributes & SE_PRIVILEGE_ENABLED);
    }
    return enabled == 2;
}

enum class Answer { Refused, Missing, Done, Changed };

Answer Run(Store& store, const Method& method, const wstring& path, IWbemClassObject* in, Var& result) {
    const wstring name = method.name;
    wstring id, text;
    if (name == L"OpenStore") { // only the system store exists
        if (!Text(in, L"File", text) || !text.empty())
            return Answer::Refused;
        result = (new WbemObject(L"BcdStore", L"BcdStore.FilePath=\"\""))->Add(L"FilePath", L"");
        return Answer::Done;
    }
    bool onObject = Same(method.cls, L"BcdObject");
    if (!PathKey(path, onObject ? L"StoreFilePath" : L"FilePath", text) || !text.empty())
        return Answer::Missing;
    onObject ? PathKey(path, L"Id", id) : Text(in, L"Id", id);
    auto& objects = store.objects;
    auto object = std::find_if(objects.begin(), objects.end(), [&](auto& o) { return Same(o.id, id); });
    ULONGLONG type = 0, device = 0;
    bool typed = Number(in, L"Type", type) && type && type <= 0xFFFFFFFF;
    if (name == L"CreateObject") {
        if (!IsGuid(id) || object != objects.end() || !typed)
            return Answer::Refused;
        objects.push_back({id, static_cast<DWORD>(type), {}});
        result = Instance(objects.back());
        return Answer::Changed;
    }
    if (object == objects.end())
        return Answer::Missing;
    if (name == L"OpenObject") {
        result = Instance(*object);
        return Answer::Done;
    }
    if (name == L"DeleteObject") {
        objects.erase(object); // display orders that list it keep doing so
        return Answer::Changed;
    }
    auto& elements = object->elements;
    auto element = std::find_if(elements.begin(), elements.end(), [&](auto& e) { return e.type == type; });
    if (name == L"GetElement") {
        if (element == elements.end())
            return Answer::Missing;
        result = Instance(*object, *element);
        return Answer::Done;
    }
    // A Set method: the element type's format must be the method's, and the value valid.
    Element value;
    value.type = static_cast<DWORD>(type);
    Var ids;
    in->Get(L"Ids", 0, &ids.v, nullptr, nullptr);
    SAFEARRAY* array = ids.v.vt == (VT_ARRAY | VT_BSTR) ? ids.v.parray : nullptr;
    for (ULONG i = 0; array && i < array->rgsabound[0].cElements; ++i)
        value.ids.emplace_back(static_cast<BSTR*>(array->pvData)[i],
                               SysStringLen(static_cast<BSTR*>(array->pvData)[i]));
    Text(in, L"Path", value.path);
    Text(in, L"AdditionalOptions", value.options);
    DWORD format = typed ? type >> 24 & 0xF : 0;
    bool valid = name == L"SetStringElement"    ? format == 2 && Text(in, L"String", value.text)
                 : name == L"SetIntegerElement" ? format == 5 && Number(in, L"Integer", value.integer)
                 : name == L"SetObjectListElement"
                     ? format == 4 && array && std::all_of(value.ids.begin(), value.ids.end(), IsGuid)
                     : format == 1 && Number(in, L"DeviceType", device) && device >= 1 && device <= 5 &&
                           (device != 2 || !value.path.empty()) &&
                           (value.options.empty() || IsGuid(value.options));
    value.deviceType = static_cast<DWORD>(device);
    if (valid)
        element == elements.end() ? elements.push_back(value) : void(*element = value);
    return valid ? Answer::Changed : Answer::Refused;
}

// BitLocker's namespace serves only calls made with packet privacy, on each proxy; the level a
// caller set on one through CoSetProxyBlanket arrives here.
template <class... Interfaces> class Blanketed : public Unknown<Interfaces..., IClientSecurity> {
  public:
    STDMETHOD(SetBlanket)(IUnknown*, DWORD, DWORD, OLECHAR*, DWORD level, DWORD, void*, DWORD) override {
        level_ = level;
        return S_OK;
    }
    NOT_SUPPORTED(QueryBlanket, IUnknown*, DWORD*, DWORD*, OLECHAR**, DWORD*, DWORD*, void**, DWORD*)
    NOT_SUPPORTED(CopyProxy, IUnknown*, IUnknown**)

  protected:
    bool Private() const { return level_ >= RPC_C_AUTHN_LEVEL_PKT_PRIVACY; }
    DWORD level_ = RPC_C_AUTHN_LEVEL_CONNECT; // the default of an unset blanket
};

const wchar_t kVolumeNamespace[] = L"Root\\CIMV2\\Security\\MicrosoftVolumeEncryption";

wstring DeviceId(const EncryptableVolume& v) {
    return L"\\\\?\\Volume{fa4e0000-0000-0000-0000-0000000000" + std::to_wstring(v.letter[0]) + L"}\\";
}

WbemObject* Instance(const EncryptableVolume& v) {
    wstring path = L"Win32_EncryptableVolume.DeviceID=\"" +
                   std::regex_replace(DeviceId(v), std::wregex(L"\\\\"), L"\\\\") + L"\"";
    return (new WbemObject(L"Win32_EncryptableVolume", path))
        ->Add(L"DeviceID", DeviceId(v))
        ->Add(L"DriveLetter", v.letter)
        ->Add(L"PersistentVolumeID", v.persistentId);
}

// The answer to a query: at most one instance.
class Found final : public Blanketed<IEnumWbemClassObject> {
  public:
    explicit Found(WbemObject* item) : item_(item) {}
    ~Found() override {
        if (item_)
            item_->Release();
    }
    STDMETHOD(Next)(LONG, ULONG count, IWbemClassObject** objects, ULONG* returned) override {
        *returned = 0;
        if (!Private())
            return WBEM_E_ENCRYPTED_CONNECTION_REQUIRED;
        if (count && item_)
            objects[0] = item_, item_ = nullptr, *returned = 1;
        return *returned == count ? WBEM_S_NO_ERROR : WBEM_S_FALSE;
    }
    NOT_SUPPORTED(Reset)
    NOT_SUPPORTED(NextAsync, ULONG, IWbemObjectSink*)
    NOT_SUPPORTED(Clone, IEnumWbemClassObject**)
    NOT_SUPPORTED(Skip, LONG, ULONG)

  private:
    WbemObject* item_;
};

// Class object, locator and root\wmi namespace in one, as none of them holds anything.
// IClientSecurity is here because CoSetProxyBlanket asks an in-process object for it. The same
// object with `volumes` is BitLocker's namespace (Win32_EncryptableVolume), when the store has it.
class Namespace final : public Blanketed<IClassFactory, IWbemLocator, IWbemServices> {
  public:
    explicit Namespace(bool volumes = false) : volumes_(volumes) {}
    STDMETHOD(CreateInstance)(IUnknown* outer, REFIID iid, void** out) override {
        return outer ? CLASS_E_NOAGGREGATION : QueryInterface(iid, out);
    }
    STDMETHOD(LockServer)(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ConnectServer(const BSTR wmiNamespace, const BSTR, const BSTR, const BSTR, LONG,
                                            const BSTR, IWbemContext*, IWbemServices** out) override {
        *out = nullptr;
        if (wmiNamespace && Same(wmiNamespace, kVolumeNamespace) && LoadStore().bitLocker)
            return *out = new Namespace(true), S_OK;
        if (!wmiNamespace || !Same(wmiNamespace, L"root\\wmi"))
            return WBEM_E_INVALID_NAMESPACE;
        WaitWhileHeld(L"ConnectServer"); // a provider that does not answer yet
        Store store = LoadStore();
        if (!Privileged() || Failure(store, L"ConnectServer", nullptr))
            return WBEM_E_ACCESS_DENIED;
        return QueryInterface(__uuidof(IWbemServices), reinterpret_cast<void**>(out));
    }
    HRESULT STDMETHODCALLTYPE GetObject(const BSTR path, LONG, IWbemContext*, IWbemClassObject** out,
                                        IWbemCallResult** call) override {
        const Method* any = path ? FindMethod(path, nullptr) : nullptr;
        if (call)
            *call = nullptr;
        *out = any && Privileged() ? new WbemObject(any->cls, any->cls, false) : nullptr;
        return *out ? S_OK : HRESULT(any ? WBEM_E_ACCESS_DENIED : WBEM_E_NOT_FOUND);
    }
    HRESULT STDMETHODCALLTYPE ExecMethod(const BSTR path, const BSTR name, LONG, IWbemContext*,
                                         IWbemClassObject* in, IWbemClassObject** out,
                                         IWbemCallResult** call) override {
        if (out)
            *out = nullptr;
        if (call)
            *call = nullptr;
        if (volumes_)
            return out ? VolumeMethod(path, name, out) : HRESULT(WBEM_E_INVALID_PARAMETER);
        const Method* method = path && name ? FindMethod(PathClass(path), name) : nullptr;
        if (!method || !in)
            return method ? WBEM_E_INVALID_PARAMETER : WBEM_E_INVALID_METHOD;
        if (!Privileged())
            return WBEM_E_ACCESS_DENIED;
        WaitWhileHeld(method->name);
        Store store = LoadStore();
        Var object;
        // A failure ending in "!" is a provider that answers "done" and changes nothing; one
        // ending in "+" lets this call through and fails every later one.
        const wstring* failure = Failure(store, method->name, in);
        const bool once = failure && failure->back() == L'+';
        if (once) {
            store.failures[failure - store.failures.data()].pop_back();
            failure = nullptr;
        }
        Answer answer = !failure                  ? Run(store, *method, path, in, object)
                        : failure->back() == L'!' ? Answer::Done
                                                  : Answer::Refused;
        if (once && answer != Answer::Changed && !SaveStore(store))
            return WBEM_E_FAILED;
        if (answer == Answer::Missing && store.notFound)
            return store.notFound;
        if (answer == Answer::Changed && !SaveStore(store))
            return WBEM_E_FAILED;
        auto* result =
            WbemObject::Output(*method, Var(VT_BOOL, answer >= Answer::Done ? VARIANT_TRUE : 0), object);
        if (out)
            (*out = result)->AddRef();
        if (call)
            (*call = result)->AddRef();
        return result->Release(), S_OK;
    }
    // The one query the product makes: the volume with a drive letter.
    HRESULT STDMETHODCALLTYPE ExecQuery(const BSTR language, const BSTR query, LONG, IWbemContext*,
                                        IEnumWbemClassObject** out) override {
        *out = nullptr;
        std::wsmatch letter;
        wstring text = query ? query : L"";
        if (!volumes_ || !language || !Same(language, L"WQL") ||
            !std::regex_match(
                text, letter,
                std::wregex(L"SELECT \\* FROM Win32_EncryptableVolume WHERE DriveLetter *= *'([A-Z]:)'",
                            std::regex::icase)))
            return WBEM_E_INVALID_QUERY;
        WaitWhileHeld(L"ExecQuery"); // a provider that takes its time
        Store store = LoadStore();
        if (!Private() || Failure(store, L"ExecQuery", nullptr))
            return Private() ? WBEM_E_ACCESS_DENIED : WBEM_E_ENCRYPTED_CONNECTION_REQUIRED;
        auto v = std::find_if(store.volumes.begin(), store.volumes.end(),
                              [&](const EncryptableVolume& v) { return Same(v.letter, letter[1].str()); });
        return *out = new Found(v == store.volumes.end() ? nullptr : Instance(*v)), S_OK;
    }
    // GetConversionStatus, the one method called; its input (PrecisionFactor) is optional.
    HRESULT VolumeMethod(const BSTR path, const BSTR name, IWbemClassObject** out) {
        wstring id;
        if (!name || !Same(name, L"GetConversionStatus"))
            return WBEM_E_INVALID_METHOD;
        if (!path || PathClass(path) != L"Win32_EncryptableVolume" || !PathKey(path, L"DeviceID", id))
            return WBEM_E_INVALID_OBJECT_PATH;
        if (!Private())
            return WBEM_E_ENCRYPTED_CONNECTION_REQUIRED;
        Store store = LoadStore();
        auto v = std::find_if(store.volumes.begin(), store.volumes.end(),
                              [&](const EncryptableVolume& v) { return DeviceId(v) == id; });
        if (v == store.volumes.end())
            return WBEM_E_NOT_FOUND;
        DWORD locked =
            Failure(store, L"GetConversionStatus", nullptr) ? 0x80310000 : 0; // FVE_E_LOCKED_VOLUME
        *out = (new WbemObject(L"__PARAMETERS"))
                   ->Add(L"ReturnValue", locked)
                   ->Add(L"ConversionStatus", v->conversionStatus)
                   ->Add(L"EncryptionPercentage", v->conversionStatus ? 100u : 0u);
        return S_OK;
    }
    NOT_SUPPORTED(OpenNamespace, const BSTR, LONG, IWbemContext*, IWbemServices**, IWbemCallResult**)
    NOT_SUPPORTED(CancelAsyncCall, IWbemObjectSink*)
    NOT_SUPPORTED(QueryObjectSink, LONG, IWbemObjectSink**)
    NOT_SUPPORTED(GetObjectAsync, const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
    NOT_SUPPORTED(PutClass, IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**)
    NOT_SUPPORTED(PutClassAsync, IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*)
    NOT_SUPPORTED(DeleteClass, const BSTR, LONG, IWbemContext*, IWbemCallResult**)
    NOT_SUPPORTED(DeleteClassAsync, const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
    NOT_SUPPORTED(CreateClassEnum, const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**)
    NOT_SUPPORTED(CreateClassEnumAsync, const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
    NOT_SUPPORTED(PutInstance, IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**)
    NOT_SUPPORTED(PutInstanceAsync, IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*)
    NOT_SUPPORTED(DeleteInstance, const BSTR, LONG, IWbemContext*, IWbemCallResult**)
    NOT_SUPPORTED(DeleteInstanceAsync, const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
    NOT_SUPPORTED(CreateInstanceEnum, const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**)
    NOT_SUPPORTED(CreateInstanceEnumAsync, const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
    NOT_SUPPORTED(ExecQueryAsync, const BSTR, const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
    NOT_SUPPORTED(ExecNotificationQuery, const BSTR, const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**)
    NOT_SUPPORTED(ExecNotificationQueryAsync, const BSTR, const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
    NOT_SUPPORTED(ExecMethodAsync, const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*,
                  IWbemObjectSink*)

  private:
    bool volumes_;
};

} // namespace

InProcess::InProcess() {
    auto* wmi = new Namespace;
    CoRegisterClassObject(__uuidof(WbemLocator), static_cast<IClassFactory*>(wmi), CLSCTX_INPROC_SERVER,
                          REGCLS_MULTIPLEUSE, &cookie_);
    wmi->Release(); // COM holds a reference of its own while registered
}

InProcess::~InProcess() {
    CoRevokeClassObject(cookie_); // the cookie 0 of a failed registration is refused harmlessly
}

} // namespace fakebcd

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    auto* wmi = new fakebcd::Namespace;
    HRESULT hr = clsid == __uuidof(WbemLocator) ? wmi->QueryInterface(iid, out) : CLASS_E_CLASSNOTAVAILABLE;
    wmi->Release();
    return hr;
}

// Loaded once into a test prefix's program and never unloaded: nothing to count.
STDAPI DllCanUnloadNow() {
    return S_FALSE;
}
