// The fake provider itself: its store file, object paths, value conversion, and the
// answers the reference describes for the real provider.
#include "BcdTestSupport.h"

#include "Locator.h"
#include "Methods.h"
#include "WbemObject.h"
#include "common/WmiCall.h"

using namespace fakebcd;

TEST_CASE("the store text keeps every kind of element") {
    Store store = FreshStore();
    Object entry;
    entry.id = kEntry;
    entry.type = 0x10400008;
    Element e;
    e.type = kDescription;
    e.text = L"星岚系统(boot zenta LUM)\twith a tab, 100% and\na line end";
    entry.Set(e);
    e = Element();
    e.type = kApplicationDevice;
    e.kind = ElementKind::Device;
    e.deviceType = 2;
    e.path = L"\\Device\\HarddiskVolume2";
    entry.Set(e);
    store.objects.push_back(entry);
    e = Element(); // an empty display order
    e.type = kDisplayOrder;
    e.kind = ElementKind::ObjectList;
    store.Find(fakebcd::kBootManagerId)->Set(e);
    store.failures.push_back({L"GetMethod", L"OpenStore"});

    Store read;
    REQUIRE(Parse(Serialize(store), read));
    CHECK(Serialize(read) == Serialize(store));
    CHECK(read.Find(entry.id)->Find(kDescription)->text == entry.elements[0].text);
    std::vector<std::wstring> ids = {L"x"};
    CHECK(read.DisplayOrder(ids));
    CHECK(ids.empty());
    CHECK(read.Fails(L"getmethod", L"openstore"));
    CHECK_FALSE(read.Fails(L"GetMethod", L"OpenObject"));
    CHECK_FALSE(Parse(L"object\tno-type\n", read));
}

TEST_CASE("object paths with and without namespace and keys") {
    ObjectPath path;
    REQUIRE(ParseObjectPath(L"\\\\.\\ROOT\\WMI:BcdStore", path));
    CHECK(path.className == L"BcdStore");
    CHECK(path.isClass);
    REQUIRE(ParseObjectPath(
        L"BcdObject.Id=\"{9dea862c-5cdd-4e70-acc1-f32b344d4795}\",StoreFilePath=\"C:\\\\b:cd\"", path));
    CHECK(path.className == L"BcdObject");
    CHECK_FALSE(path.isClass);
    std::wstring value;
    CHECK(path.Key(L"id", value));
    CHECK(value == fakebcd::kBootManagerId);
    CHECK(path.Key(L"StoreFilePath", value));
    CHECK(value == L"C:\\b:cd");
    CHECK_FALSE(ParseObjectPath(L"BcdObject.Id=\"{unterminated", path));
}

TEST_CASE("Put converts decimal text and integers the way WMI does") {
    OwnedVariant out;
    zenta::ScopedVariant text;
    text.Get()->vt = VT_BSTR;
    text.Get()->bstrVal = SysAllocString(L"272629768");
    REQUIRE(CoerceToCim(text.Ref(), CIM_UINT32, out) == S_OK);
    CHECK(out.Get()->vt == VT_I4);
    CHECK(static_cast<DWORD>(out.Get()->lVal) == 0x10400008u);
    REQUIRE(CoerceToCim(text.Ref(), CIM_UINT64, out) == S_OK);
    CHECK(out.Get()->vt == VT_BSTR);
    CHECK(std::wstring(out.Get()->bstrVal) == L"272629768");

    VARIANT number;
    VariantInit(&number);
    number.vt = VT_I4;
    number.lVal = 10;
    REQUIRE(CoerceToCim(number, CIM_UINT64, out) == S_OK);
    CHECK(std::wstring(out.Get()->bstrVal) == L"10");
    number.lVal = -1;
    CHECK(CoerceToCim(number, CIM_UINT32, out) == WBEM_E_TYPE_MISMATCH);

    for (const wchar_t* bad : {L"", L"12a", L"-5", L"4294967296"}) {
        zenta::ScopedVariant b;
        b.Get()->vt = VT_BSTR;
        b.Get()->bstrVal = SysAllocString(bad);
        CHECK(CoerceToCim(b.Ref(), CIM_UINT32, out) == WBEM_E_TYPE_MISMATCH);
    }
    CHECK(CoerceToCim(number, CIM_STRING, out) == WBEM_E_TYPE_MISMATCH);
}

namespace {

struct Input {
    const wchar_t* name;
    const wchar_t* text;
    CIMTYPE type;
};

// One provider method through the same helpers the editor uses; the output, or empty.
zenta::ComPtr<IWbemClassObject> Call(IWbemServices* services, const wchar_t* className,
                                     const std::wstring& path, const wchar_t* method,
                                     const std::vector<Input>& inputs) {
    zenta::ComPtr<IWbemClassObject> classObject, signature, in, out;
    if (FAILED(zenta::GetWmiClass(services, className, classObject)) ||
        FAILED(zenta::GetInputSignature(classObject.Get(), method, signature)) ||
        FAILED(zenta::SpawnInput(signature.Get(), in)))
        return out;
    for (const Input& input : inputs)
        if (FAILED(zenta::PutText(in.Get(), input.name, input.text, input.type)))
            return out;
    zenta::ExecuteMethod(services, path.c_str(), method, in.Get(), out);
    return out;
}

bool Answer(IWbemClassObject* out) {
    bool value = true;
    REQUIRE(zenta::GetBool(out, L"ReturnValue", value));
    return value;
}

bool IsNull(IWbemClassObject* out, const wchar_t* name) {
    zenta::ScopedVariant v;
    return SUCCEEDED(out->Get(name, 0, v.Get(), nullptr, nullptr)) && v.Ref().vt == VT_NULL;
}

} // namespace

TEST_CASE("the provider answers false where the real one does") {
    FakeBcdSession session;
    zenta::ComPtr<IWbemLocator> locator;
    REQUIRE(SUCCEEDED(CoCreateInstance(kClsidWbemLocator, nullptr, CLSCTX_INPROC_SERVER,
                                       __uuidof(IWbemLocator), locator.PutVoid())));
    zenta::ComPtr<IWbemServices> services;
    zenta::ScopedBstr other(L"root\\cimv2"), wmi(L"ROOT\\WMI");
    CHECK(locator->ConnectServer(other.Get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                 services.Put()) == WBEM_E_INVALID_NAMESPACE);
    REQUIRE(locator->ConnectServer(wmi.Get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                   services.Put()) == S_OK);

    const std::wstring storePath = L"BcdStore.FilePath=\"\"";
    const std::wstring managerPath =
        L"BcdObject.Id=\"" + std::wstring(fakebcd::kBootManagerId) + L"\",StoreFilePath=\"\"";

    // Each refusal is an answer of false, with the object or element it would give null.
    const struct {
        const wchar_t* className;
        const std::wstring& path;
        const wchar_t* method;
        std::vector<Input> inputs;
        const wchar_t* nullOutput;
    } refusals[] = {
        {L"BcdStore", storePath, L"OpenObject", {{L"Id", kEntry.c_str(), 0}}, L"Object"},
        {L"BcdStore",
         storePath,
         L"CreateObject",
         {{L"Id", kWindowsLoaderId, 0}, {L"Type", L"272629768", CIM_UINT32}},
         L"Object"},
        {L"BcdStore", storePath, L"DeleteObject", {{L"Id", kEntry.c_str(), 0}}, nullptr},
        {L"BcdObject", managerPath, L"GetElement", {{L"Type", L"301989890", CIM_UINT32}}, L"Element"},
        // A value of the wrong format for the element type.
        {L"BcdObject",
         managerPath,
         L"SetStringElement",
         {{L"Type", L"620756996", CIM_UINT32}, {L"String", L"10", 0}},
         nullptr},
    };
    for (const auto& refusal : refusals) {
        INFO("refusal ", &refusal - refusals);
        auto out = Call(services.Get(), refusal.className, refusal.path, refusal.method, refusal.inputs);
        REQUIRE(out);
        CHECK_FALSE(Answer(out.Get()));
        if (refusal.nullOutput)
            CHECK(IsNull(out.Get(), refusal.nullOutput));
    }

    // What is there comes back typed: the display order as a string array.
    auto out =
        Call(services.Get(), L"BcdObject", managerPath, L"GetElement", {{L"Type", L"603979777", CIM_UINT32}});
    REQUIRE(out);
    CHECK(Answer(out.Get()));
    zenta::ComPtr<IWbemClassObject> element = zenta::GetEmbeddedObject(out.Get(), L"Element");
    REQUIRE(element);
    CHECK(element->InheritsFrom(L"BcdElement") == WBEM_S_NO_ERROR);
    std::vector<std::wstring> ids;
    CHECK(zenta::GetTextArray(element.Get(), L"Ids", ids));
    CHECK(ids == std::vector<std::wstring>{kWindowsLoaderId});

    // Instance methods need an instance; OpenStore alone is static.
    CHECK_FALSE(Call(services.Get(), L"BcdStore", L"BcdStore", L"OpenObject", {{L"Id", kEntry.c_str(), 0}}));
}
