// The boot entry in the BCD store, against the fake provider in this process: made all or
// nothing, removed only when it is provably ours, whichever way the provider says "gone".
#include <doctest/doctest.h>

#include "common/Bcd.h"
#include "common/BootEntry.h"
#include "common/InstallRecord.h"
#include "common/Removal.h"
#include "common/SystemHelpers.h"
#include "setup/Installation.h"
#include "tests/driver/Driver.h"
#include "tests/fakebcd/FakeBcd.h"

#include <algorithm>

namespace {

// COM, the provider, a fresh store with `failures`, and no installation recorded.
struct Session {
    zenta::ScopedCoInit com;
    fakebcd::InProcess provider;
    explicit Session(std::vector<std::wstring> failures = {}, HRESULT notFound = 0) {
        fakebcd::Store store = fakebcd::FreshStore();
        store.failures = std::move(failures);
        store.notFound = notFound;
        REQUIRE(fakebcd::SaveStore(store));
        DeleteRecords();
    }
};

// Whether this process's token has `name` enabled now.
bool PrivilegeEnabled(const wchar_t* name) {
    HANDLE opened = nullptr;
    REQUIRE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened));
    zenta::ScopedHandle token(opened);
    LUID luid = {};
    REQUIRE(LookupPrivilegeValueW(nullptr, name, &luid));
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenPrivileges, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    REQUIRE(GetTokenInformation(token.Get(), TokenPrivileges, buffer.data(), size, &size));
    const auto* held = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    for (DWORD i = 0; i < held->PrivilegeCount; ++i)
        if (held->Privileges[i].Luid.LowPart == luid.LowPart &&
            held->Privileges[i].Luid.HighPart == luid.HighPart)
            return (held->Privileges[i].Attributes & SE_PRIVILEGE_ENABLED) != 0;
    return false;
}

// Keeps the boot menu timeout a registration hands over, or refuses it.
struct Recorder : IMenuTimeoutRecorder {
    DWORD timeout = 0xFFFFFFFF;
    bool refuse = false;
    bool RecordMenuTimeout(DWORD seconds) override {
        timeout = seconds;
        return !refuse;
    }
};

std::wstring NewId() {
    std::wstring id;
    REQUIRE(MakeBootEntryId(id));
    return id;
}

std::wstring Registered() {
    Recorder recorder;
    std::wstring id = NewId();
    REQUIRE(RegisterBootEntry(id, L'D', recorder).done);
    return id;
}

} // namespace

TEST_CASE("registration: our entry, last in the boot menu, the old timeout recorded before it changes") {
    Session session;
    // A timeout that cannot be recorded is not changed: the registration undoes itself.
    Recorder refusing;
    refusing.refuse = true;
    const std::wstring fresh = fakebcd::Serialize(fakebcd::LoadStore());
    CHECK_FALSE(RegisterBootEntry(NewId(), L'D', refusing).done);
    CHECK(refusing.timeout == 30);
    CHECK(fakebcd::Serialize(fakebcd::LoadStore()) == fresh);
    Recorder recorder;
    std::wstring id = NewId();
    REQUIRE(RegisterBootEntry(id, L'D', recorder).done);
    fakebcd::Store store = fakebcd::LoadStore();
    const fakebcd::Object* entry = store.Find(id);
    REQUIRE(entry);
    CHECK(entry->type == kBootSectorType);
    CHECK(entry->Find(fakebcd::kDescription)->text == kBootEntryDescription);
    CHECK(entry->Find(fakebcd::kApplicationPath)->text == L"\\zentaos\\zeldr.mbr");
    wchar_t device[MAX_PATH] = {};
    QueryDosDeviceW(L"D:", device, MAX_PATH);
    CHECK(entry->Find(fakebcd::kApplicationDevice)->path == device);
    CHECK(store.DisplayOrder() == std::vector<std::wstring>{fakebcd::kWindowsLoaderId, id});
    CHECK(store.Timeout() == 10);
    CHECK(recorder.timeout == 30);
    CHECK(Registered() != id);
    // The timeout goes back only while it is still the one the registration set.
    for (unsigned long long now : {20ull, 10ull}) {
        std::wstring entry = Registered();
        store = fakebcd::LoadStore();
        store.objects[0].elements.back().integer = now; // the Boot Manager's timeout
        REQUIRE(fakebcd::SaveStore(store));
        bool foreign = true;
        const DWORD recorded = 30;
        BcdResult restored;
        CHECK(RemoveBootEntry(entry, foreign, &recorded, &restored).done);
        CHECK(restored.done);
        CHECK(fakebcd::LoadStore().Timeout() == (now == 10 ? 30 : now));
    }
}

TEST_CASE(
    "registration that fails at any step after the copy leaves the store as it was, and nothing installed") {
    REQUIRE(fakebcd::RegisterDll()); // the installation's worker is an apartment of its own
    std::wstring package = driver::MakePackage(L"p", 0);
    for (const std::vector<std::wstring>& failures : std::vector<std::vector<std::wstring>>{
             {L"CreateObject"},
             {L"SetStringElement:12000002"},
             {L"SetStringElement:12000004"},
             {L"SetPartitionDeviceElement"},
             {L"SetObjectListElement"},
             {L"SetIntegerElement"},
             {L"ConnectServer"},
             {L"SetStringElement:12000004!"}, // "done", but nothing stored: the read-back finds out
             {L"SetPartitionDeviceElement", L"DeleteObject"}, // nor taken back: it stays recorded
             {L"SetStringElement:12000002", L"DeleteObject"}, // and goes later, cut short as it is
             {L"SetStringElement:12000004", L"DeleteObject"},
             {L"SetObjectListElement+", L"SetIntegerElement"}}) { // deleted, but still in the menu
        CAPTURE(driver::Utf8(failures.back()));
        const bool left = failures.size() > 1;
        Session session(failures);
        const std::wstring before = fakebcd::Serialize(fakebcd::LoadStore());
        CInstallation installation(package, L'D', Bcd);
        REQUIRE(installation.Start());
        int percent = 0;
        REQUIRE(
            driver::WaitUntil([&] { return installation.Poll(percent) != InstallState::Running; }, 20000));
        CHECK(installation.Failure().find(L"无法创建星岚系统的启动项") == 0);
        CHECK(installation.Rollback().Complete() == !left);
        fakebcd::Store store = fakebcd::LoadStore();
        CHECK((fakebcd::Serialize(store) == before) == !left);
        store.failures.clear();
        REQUIRE(fakebcd::SaveStore(store));
        CHECK(RemoveInstallation(Bcd).Complete() == left); // a second removal finds a record only then
        CHECK(driver::Leftovers(driver::Kind::Bcd) == "");
    }
    // A folder someone made after the Welcome page's check: the copy refuses it, and the
    // rollback leaves it and what it holds alone.
    REQUIRE((driver::MakeDirs(L"D:\\zentaos") && driver::WriteBytes(L"D:\\zentaos\\theirs", "x")));
    CInstallation installation(package, L'D', Bcd);
    REQUIRE(installation.Start());
    int percent = 0;
    REQUIRE(driver::WaitUntil([&] { return installation.Poll(percent) != InstallState::Running; }, 20000));
    CHECK(installation.Rollback().Complete());
    CHECK(driver::Exists(L"D:\\zentaos\\theirs"));
    DeleteDirectoryTree(L"D:\\zentaos");
}

TEST_CASE("removal deletes only an entry that is ours, and takes only it out of the menu") {
    Session session;
    std::wstring ours = Registered();
    // Strangers' objects: of our type with a value that differs (beside one that is missing),
    // and of another type with no values at all.
    struct {
        const wchar_t *id, *path, *description;
        DWORD type;
    } strangers[] = {{L"{0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c41}", kBootEntryPath, L"another", kBootSectorType},
                     {L"{0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c42}", L"\\other.mbr", nullptr, kBootSectorType},
                     {L"{0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c43}", nullptr, L"another", kBootSectorType},
                     {L"{0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c44}", nullptr, nullptr, 0x10200003}};
    fakebcd::Store store = fakebcd::LoadStore();
    for (const auto& s : strangers) {
        store.objects.push_back({s.id, s.type, {}});
        for (DWORD type : {fakebcd::kApplicationPath, fakebcd::kDescription})
            if (const wchar_t* text = type == fakebcd::kDescription ? s.description : s.path) {
                store.objects.back().elements.emplace_back().type = type;
                store.objects.back().elements.back().text = text;
            }
    }
    REQUIRE(fakebcd::SaveStore(store));
    const std::wstring before = fakebcd::Serialize(store);
    std::vector<std::wstring> ids = {fakebcd::kBootManagerId, fakebcd::kWindowsLoaderId, L"{abc}",
                                     ours.substr(0, 37)};
    for (const auto& s : strangers)
        ids.push_back(s.id);
    for (const std::wstring& id : ids) {
        CAPTURE(driver::Utf8(id));
        bool foreign = false;
        CHECK_FALSE(RemoveBootEntry(id, foreign).done);
        CHECK(foreign);
        CHECK(fakebcd::Serialize(fakebcd::LoadStore()) == before);
    }
    // The record may differ in case from the menu's listing: GUIDs ignore it.
    std::wstring upper = ours;
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(towupper(c));
    bool foreign = true;
    CHECK(RemoveBootEntry(upper, foreign).done);
    CHECK_FALSE(foreign);
    // The store asked for them; nothing after it may open files with them.
    CHECK_FALSE(PrivilegeEnabled(L"SeBackupPrivilege"));
    CHECK_FALSE(PrivilegeEnabled(L"SeRestorePrivilege"));
    store = fakebcd::LoadStore();
    CHECK_FALSE(store.Find(ours));
    CHECK(store.objects.size() == 2 + std::size(strangers));
    CHECK(store.DisplayOrder() == std::vector<std::wstring>{fakebcd::kWindowsLoaderId});
}

TEST_CASE("a Boot Manager without a display order lists its default entry and ours; the removal leaves the "
          "default") {
    Session session;
    auto withoutOrder = [](bool keepDefault) {
        fakebcd::Store store = fakebcd::LoadStore();
        auto& elements = store.objects[0].elements; // the Boot Manager's
        elements.erase(std::remove_if(elements.begin(), elements.end(),
                                      [&](const fakebcd::Element& e) {
                                          return e.type == fakebcd::kDisplayOrder ||
                                                 (e.type == fakebcd::kDefault && !keepDefault);
                                      }),
                       elements.end());
        REQUIRE(fakebcd::SaveStore(store));
        return fakebcd::Serialize(store);
    };
    withoutOrder(true);
    std::wstring id = Registered();
    CHECK(fakebcd::LoadStore().DisplayOrder() == std::vector<std::wstring>{fakebcd::kWindowsLoaderId, id});
    bool foreign = true;
    CHECK(RemoveBootEntry(id, foreign).done);
    CHECK(fakebcd::LoadStore().DisplayOrder() == std::vector<std::wstring>{fakebcd::kWindowsLoaderId});
    // Nothing to list ours beside: refused, and the store stays as it was.
    const std::wstring before = withoutOrder(false);
    Recorder recorder;
    BcdResult refused = RegisterBootEntry(NewId(), L'D', recorder);
    CHECK_FALSE(refused.done);
    CHECK_FALSE(refused.entryLeft);
    CHECK(fakebcd::Serialize(fakebcd::LoadStore()) == before);
}

TEST_CASE("\"gone\" is understood both ways the provider may say it; any other failure is not gone") {
    for (HRESULT notFound :
         {S_OK, static_cast<HRESULT>(WBEM_E_NOT_FOUND), static_cast<HRESULT>(0xC0000034)}) {
        Session session({}, notFound);
        std::wstring id = Registered();
        bool foreign = false;
        CHECK(RemoveBootEntry(id, foreign).done);
        CHECK(RemoveBootEntry(id, foreign).done); // already gone
        CHECK_FALSE(fakebcd::LoadStore().Find(id));
    }
    Session session({}, E_ACCESSDENIED);
    bool foreign = false;
    BcdResult unknown = RemoveBootEntry(L"{11111111-2222-3333-4444-555555555555}", foreign);
    CHECK_FALSE(unknown.done);
    CHECK_FALSE(foreign);
    // A record without an identifier: the registration never began, and no entry can be left.
    CInstallRecord record;
    REQUIRE((record.Create() && record.WriteDrive(L'D')));
    record.Close();
    CHECK(RemoveInstallation(Bcd).Complete());
}
