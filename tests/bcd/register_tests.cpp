// RegisterBootEntry end to end against the in-process fake, and the removal sequence the
// uninstaller runs on what registration left.
#include "BcdTestSupport.h"

#include "common/Bcd.h"
#include "common/BootEntry.h"
#include "common/Registry.h"

#include <doctest/doctest.h>

#include <algorithm>

namespace {

std::wstring RecordedGuid() {
    CRegistry key;
    std::wstring guid;
    if (!key.Open(kHardDiskKey, KEY_READ) || !key.ReadGuid(guid))
        return std::wstring();
    return guid;
}

std::vector<std::wstring> DisplayOrder() {
    std::vector<std::wstring> ids;
    fakebcd::ReadStore().DisplayOrder(ids);
    return ids;
}

bool IsEntryId(const std::wstring& id) {
    if (id.size() != 38 || id.front() != L'{' || id.back() != L'}')
        return false;
    for (size_t i = 1; i < 37; ++i) {
        wchar_t c = id[i];
        bool hyphen = i == 9 || i == 14 || i == 19 || i == 24;
        if (hyphen ? c != L'-' : !((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f')))
            return false;
    }
    return true;
}

// The sequence the removal code runs for a recorded identifier.
struct RemovalResult {
    int deleted = -1;
    int unlisted = -1;
    bool gone = false;
    bool reopened = true;
};

RemovalResult RemoveEntry(const std::wstring& id) {
    RemovalResult r;
    CBcdEditor editor;
    if (FAILED(editor.Connect()))
        return r;
    editor.OpenSystemStore();
    r.deleted = editor.DeleteEntryObject(id.c_str());
    r.unlisted = editor.RemoveFromDisplayOrder(id.c_str());
    r.gone = editor.EntryObjectGone(id.c_str());
    zenta::ComPtr<IWbemClassObject> again;
    *again.Put() = editor.OpenEntryObject(id.c_str());
    r.reopened = static_cast<bool>(again);
    editor.Teardown();
    return r;
}

} // namespace

TEST_CASE("entry identifiers are braced lower-case GUIDs, new each time") {
    std::wstring a, b;
    REQUIRE(MakeBootEntryId(a));
    REQUIRE(MakeBootEntryId(b));
    CHECK(IsEntryId(a));
    CHECK(IsEntryId(b));
    CHECK(a != b);
}

TEST_CASE("RegisterBootEntry records the identifier and adds the boot-sector entry last") {
    FakeBcdSession session;
    WatchedCalls calls;
    REQUIRE(CreateHardDiskKey());
    RegisterBootEntry(L"D:\\zentaos");

    std::wstring guid = RecordedGuid();
    CHECK(guid.size() == 38);
    CHECK(IsEntryId(guid));
    fakebcd::Store store = fakebcd::ReadStore();
    const fakebcd::Object* entry = store.Find(guid);
    REQUIRE(entry);
    CHECK(entry->id == guid);
    CHECK(entry->type == 0x10400008u);
    REQUIRE(entry->Find(fakebcd::kDescription));
    CHECK(entry->Find(fakebcd::kDescription)->text == L"星岚系统(boot zenta LUM)");
    REQUIRE(entry->Find(fakebcd::kApplicationPath));
    CHECK(entry->Find(fakebcd::kApplicationPath)->text == L"\\zentaos\\zeldr.mbr");
    REQUIRE(entry->Find(fakebcd::kApplicationDevice));
    CHECK(entry->Find(fakebcd::kApplicationDevice)->deviceType == 2u);
    CHECK(entry->Find(fakebcd::kApplicationDevice)->path == DeviceOfDriveD());
    CHECK(DisplayOrder() == std::vector<std::wstring>{fakebcd::kWindowsLoaderId, guid});
    unsigned long long timeout = 0;
    CHECK(store.Timeout(timeout));
    CHECK(timeout == 10u);
    // Everything was released, and COM is back where it was.
    CHECK(fakebcd::LiveProviderObjects() == session.baseline);
    CHECK(calls.initializations == calls.uninitializations);
    CHECK(calls.messages.empty());

    SUBCASE("a second registration makes a new entry and records it") {
        RegisterBootEntry(L"D:\\zentaos");
        std::wstring second = RecordedGuid();
        CHECK(IsEntryId(second));
        CHECK(second != guid);
        CHECK(fakebcd::ReadStore().Find(second));
        CHECK(DisplayOrder() == std::vector<std::wstring>{fakebcd::kWindowsLoaderId, guid, second});
    }
    SUBCASE("removal takes the entry and its display-order listing away, nothing else") {
        REQUIRE(fakebcd::PreListInDisplayOrder(L"{11111111-2222-4333-8444-555555555555}"));
        RemovalResult r = RemoveEntry(guid);
        CHECK(r.deleted == 1);
        CHECK(r.unlisted == 1);
        CHECK(r.gone);
        CHECK_FALSE(r.reopened);
        fakebcd::Store after = fakebcd::ReadStore();
        CHECK_FALSE(after.Find(guid));
        CHECK(DisplayOrder() == std::vector<std::wstring>{fakebcd::kWindowsLoaderId,
                                                          L"{11111111-2222-4333-8444-555555555555}"});
        CHECK(after.Timeout(timeout));
        CHECK(timeout == 10u);
        CHECK(after.Find(fakebcd::kWindowsLoaderId));
        CHECK(fakebcd::LiveProviderObjects() == session.baseline);
    }
    DeleteHardDiskKey();
}

TEST_CASE("the identifier is recorded before the store is touched") {
    FakeBcdSession session;
    WatchedCalls calls;
    REQUIRE(CreateHardDiskKey());
    REQUIRE(fakebcd::AddFailure(L"ConnectServer"));
    std::wstring before = fakebcd::Serialize(fakebcd::ReadStore());
    RegisterBootEntry(L"D:\\zentaos");
    CHECK(IsEntryId(RecordedGuid()));
    CHECK(fakebcd::Serialize(fakebcd::ReadStore()) == before);
    REQUIRE(calls.messages.size() == 1);
    CHECK(calls.messages[0].text == L"无法连接上wmi");
    CHECK(calls.initializations == calls.uninitializations);
    DeleteHardDiskKey();
}

TEST_CASE("registration goes on without the installation record key") {
    FakeBcdSession session;
    DeleteHardDiskKey();
    RegisterBootEntry(L"D:\\zentaos");
    CRegistry key;
    CHECK_FALSE(key.Open(kHardDiskKey, KEY_READ)); // opened, never created
    std::vector<std::wstring> ids = DisplayOrder();
    REQUIRE(ids.size() == 2);
    CHECK(IsEntryId(ids[1]));
    CHECK(fakebcd::ReadStore().Find(ids[1]));
}

TEST_CASE("an entry that could not be created is not put into the boot menu") {
    FakeBcdSession session;
    REQUIRE(CreateHardDiskKey());
    REQUIRE(fakebcd::AddFailure(L"ExecMethod", L"CreateObject"));
    RegisterBootEntry(L"D:\\zentaos");
    // The identifier stays recorded: removal deletes by it and copes with an unknown one.
    std::wstring guid = RecordedGuid();
    CHECK(IsEntryId(guid));
    fakebcd::Store store = fakebcd::ReadStore();
    CHECK_FALSE(store.Find(guid));
    CHECK(DisplayOrder() == std::vector<std::wstring>{fakebcd::kWindowsLoaderId});
    unsigned long long timeout = 0;
    CHECK(store.Timeout(timeout));
    CHECK(timeout == 30u);
    CHECK(fakebcd::LiveProviderObjects() == session.baseline);
    DeleteHardDiskKey();
}

TEST_CASE("ReadGuid gives back exactly what was written") {
    DeleteHardDiskKey();
    REQUIRE(CreateHardDiskKey());
    const std::wstring id = L"{0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d}";
    {
        CRegistry key;
        REQUIRE(key.Open(kHardDiskKey));
        CHECK(key.WriteString(L"Guid", id.c_str()));
    }
    DWORD type = 0, bytes = 0;
    {
        CRegistry key;
        REQUIRE(key.Open(kHardDiskKey, KEY_READ));
        REQUIRE(RegQueryValueExW(key.hKey, L"Guid", nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS);
    }
    CHECK(type == REG_SZ);
    CHECK(bytes == 39 * sizeof(wchar_t)); // the text and its terminator
    CHECK(RecordedGuid() == id);
    {
        // Longer than the 200-byte read limit: not read at all rather than cut.
        CRegistry key;
        REQUIRE(key.Open(kHardDiskKey));
        CHECK(key.WriteString(L"Guid", std::wstring(120, L'a').c_str()));
        std::wstring text = L"unchanged";
        CHECK_FALSE(key.ReadGuid(text));
        CHECK(text == L"unchanged");
    }
    DeleteHardDiskKey();
}
