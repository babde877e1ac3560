// CBcdEditor's object operations on the system store of the in-process fake provider.
#include "BcdTestSupport.h"

TEST_CASE("OpenSystemStore makes one method call, once") {
    FakeBcdSession session;
    ConnectedEditor c;
    fakebcd::ClearProviderCalls();
    CHECK(c.editor.OpenSystemStore() == S_OK);
    REQUIRE(c.editor.store);
    auto log = fakebcd::ProviderCalls();
    const std::vector<std::wstring> pattern = {
        L"GetObject BcdStore flags=0",
        L"GetMethod OpenStore",
        L"SpawnInstance __PARAMETERS",
        L"Put File VT_BSTR  cim=0",
        L"ExecMethod OpenStore \\\\.\\ROOT\\WMI:BcdStore flags=0",
        L"GetCallStatus -1",
        L"GetResultObject 0",
        L"Get Store",
    };
    CHECK(log == pattern);

    fakebcd::ClearProviderCalls();
    CHECK(c.editor.OpenSystemStore() == 0);
    CHECK(fakebcd::ProviderCalls().empty());
    CHECK(WatchedCalls::messages.empty());
}

TEST_CASE("a missing OpenStore signature is reported and leaves no store") {
    FakeBcdSession session;
    SUBCASE("GetMethod fails") {
        REQUIRE(fakebcd::AddFailure(L"GetMethod", L"OpenStore"));
    }
    SUBCASE("GetMethod gives no signature") {
        REQUIRE(fakebcd::AddFailure(L"NullSignature", L"OpenStore"));
    }
    ConnectedEditor c;
    // A store that did not open is a failure, not the 0 of "already open".
    CHECK(FAILED(c.editor.OpenSystemStore()));
    CHECK_FALSE(c.editor.store);
    CheckOneWarning(WatchedCalls::messages, L"对OpenStore设置参数失败");
    // Removal then stops before touching the store.
    CHECK(c.editor.DeleteEntryObject(fakebcd::kWindowsLoaderId) == 0);
    CHECK(fakebcd::ReadStore().Find(fakebcd::kWindowsLoaderId));
}

TEST_CASE("CreateEntryObject makes a boot-sector object, once") {
    FakeBcdSession session;
    ConnectedEditor c(true);
    fakebcd::ClearProviderCalls();
    CHECK(c.editor.CreateEntryObject());
    REQUIRE(c.editor.entry);
    auto log = fakebcd::ProviderCalls();
    int id = FindCall(log, L"Put Id VT_BSTR " + kEntry + L" cim=0");
    int type = FindCall(log, L"Put Type VT_BSTR 272629768 cim=19", id);
    int readBack = FindCall(log, L"Get Type", type);
    CHECK(id >= 0);
    CHECK(type > id);
    CHECK(FindCall(log, L"ExecMethod CreateObject BcdStore.FilePath=\"\" flags=0", readBack) > readBack);
    fakebcd::Store store = fakebcd::ReadStore();
    const fakebcd::Object* created = store.Find(kEntry);
    REQUIRE(created);
    CHECK(created->type == 0x10400008u);
    CHECK(created->elements.empty());

    // The provider refuses an identifier that exists: `entry` stays as it was.
    IWbemClassObject* before = c.editor.entry.Get();
    CHECK_FALSE(c.editor.CreateEntryObject());
    CHECK(c.editor.entry.Get() == before);
}

TEST_CASE("OpenEntryObject traces its parameter and gives the object or null") {
    FakeBcdSession session;
    ConnectedEditor c;
    CHECK(c.editor.OpenEntryObject(fakebcd::kWindowsLoaderId) == nullptr); // store not open yet
    REQUIRE(SUCCEEDED(c.editor.OpenSystemStore()));
    StdoutCapture out;
    zenta::ComPtr<IWbemClassObject> loader, unknown;
    *loader.Put() = c.editor.OpenEntryObject(fakebcd::kWindowsLoaderId);
    *unknown.Put() = c.editor.OpenEntryObject(kEntry.c_str());
    CHECK(out.Finish() == "Parameter setting worked for OpenObject method.\n"
                          "Parameter setting worked for OpenObject method.\n");
    REQUIRE(loader);
    zenta::ScopedVariant id;
    REQUIRE(SUCCEEDED(loader->Get(L"Id", 0, id.Get(), nullptr, nullptr)));
    CHECK(std::wstring(id.Ref().bstrVal) == fakebcd::kWindowsLoaderId);
    CHECK_FALSE(unknown);
}

TEST_CASE("WriteEntryElements writes path, description and partition of the target drive") {
    FakeBcdSession session;
    ConnectedEditor c(true);
    REQUIRE(c.editor.CreateEntryObject());
    fakebcd::ClearProviderCalls();
    c.editor.WriteEntryElements();

    auto log = fakebcd::ProviderCalls();
    CHECK(CountCalls(log, L"GetObject BcdObject") == 1);
    int path = FindCall(log, L"Put String VT_BSTR \\zentaos\\zeldr.mbr cim=0");
    int pathType = FindCall(log, L"Put Type VT_BSTR 301989890 cim=19", path);
    CHECK(path >= 0);
    CHECK(pathType == path + 1);
    CHECK(FindCall(log, L"Get Type", pathType) == pathType + 1);
    int text = FindCall(log, L"Put String VT_BSTR 星岚系统(boot zenta LUM) cim=0", pathType);
    CHECK(FindCall(log, L"Put Type VT_BSTR 301989892 cim=19", text) == text + 1);
    int device = FindCall(log, L"Put Type VT_BSTR 285212673 cim=19", text);
    CHECK(FindCall(log, L"Put DeviceType VT_BSTR 2 cim=19", device) == device + 1);
    CHECK(FindCall(log, L"Put AdditionalOptions VT_BSTR  cim=0", device) == device + 2);
    CHECK(FindCall(log, L"Put Path VT_BSTR " + DeviceOfDriveD() + L" cim=0", device) == device + 3);
    CHECK(CountCalls(log, L"ExecMethod SetStringElement BcdObject.Id=\"" + kEntry +
                              L"\",StoreFilePath=\"\"") == 2);

    fakebcd::Store store = fakebcd::ReadStore();
    REQUIRE(store.Find(kEntry));
    CheckEntryElements(*store.Find(kEntry));
}

TEST_CASE("a target path that does not fit is refused, not cut") {
    FakeBcdSession session;
    std::wstring tooLong = L"D:\\" + std::wstring(MAX_PATH, L'x');
    CBcdEditor editor(kEntry.c_str(), tooLong.c_str());
    CHECK(editor.targetPath[0] == L'\0');
    REQUIRE(editor.Connect() == S_OK);
    REQUIRE(SUCCEEDED(editor.OpenSystemStore()));
    REQUIRE(editor.CreateEntryObject());
    editor.WriteEntryElements();
    fakebcd::Store store = fakebcd::ReadStore();
    const fakebcd::Object* entry = store.Find(kEntry);
    REQUIRE(entry);
    CHECK_FALSE(entry->Find(fakebcd::kApplicationPath));
    CHECK_FALSE(entry->Find(fakebcd::kApplicationDevice));
    CHECK(entry->Find(fakebcd::kDescription));
}

TEST_CASE("DeleteEntryObject reports whether the provider call went through") {
    FakeBcdSession session;
    ConnectedEditor c;
    // It opens the store itself.
    CHECK(c.editor.DeleteEntryObject(fakebcd::kWindowsLoaderId) == 1);
    CHECK_FALSE(fakebcd::ReadStore().Find(fakebcd::kWindowsLoaderId));
    CHECK(c.editor.EntryObjectGone(fakebcd::kWindowsLoaderId));

    // An identifier the store does not hold is not reported.
    fakebcd::Store before = fakebcd::ReadStore();
    CHECK(c.editor.DeleteEntryObject(kEntry.c_str()) == 1);
    CHECK(fakebcd::Serialize(fakebcd::ReadStore()) == fakebcd::Serialize(before));

    REQUIRE(fakebcd::AddFailure(L"ExecMethod", L"DeleteObject"));
    CHECK(c.editor.DeleteEntryObject(fakebcd::kBootManagerId) == 0);
    CHECK(fakebcd::ReadStore().Find(fakebcd::kBootManagerId));
}

TEST_CASE("EntryObjectGone answers only what the provider answered") {
    FakeBcdSession session;
    ConnectedEditor c;
    CHECK_FALSE(c.editor.EntryObjectGone(kEntry.c_str())); // store not open: no answer
    REQUIRE(SUCCEEDED(c.editor.OpenSystemStore()));
    CHECK(c.editor.EntryObjectGone(kEntry.c_str()));
    CHECK_FALSE(c.editor.EntryObjectGone(fakebcd::kWindowsLoaderId));
    REQUIRE(fakebcd::AddFailure(L"ExecMethod", L"OpenObject"));
    CHECK_FALSE(c.editor.EntryObjectGone(kEntry.c_str()));
}
