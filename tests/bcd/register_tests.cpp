// RegisterBootEntry end to end against the in-process fake, and the removal sequence the
// uninstaller runs on what registration left.
#include "BcdTestSupport.h"

#include "common/BootEntry.h"
#include "common/Registry.h"

#include <regex>

namespace {

bool IsEntryId(const std::wstring& id) {
    static const std::wregex shape(L"\\{[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}\\}");
    return std::regex_match(id, shape);
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
    REQUIRE(CreateHardDiskKey());
    RegisterBootEntry(L"D:\\zentaos");

    std::wstring guid = RecordedGuid();
    CHECK(IsEntryId(guid));
    fakebcd::Store store = fakebcd::ReadStore();
    REQUIRE(store.Find(guid));
    CheckEntryElements(*store.Find(guid));
    CHECK(DisplayOrder() == std::vector<std::wstring>{fakebcd::kWindowsLoaderId, guid});
    CHECK(Timeout() == 10u);
    // Everything was released, and COM is back where it was.
    CHECK(fakebcd::LiveProviderObjects() == session.baseline);
    CHECK(WatchedCalls::initializations == WatchedCalls::uninitializations);
    CHECK(WatchedCalls::messages.empty());

    SUBCASE("a second registration makes a new entry and records it") {
        RegisterBootEntry(L"D:\\zentaos");
        std::wstring second = RecordedGuid();
        CHECK(IsEntryId(second));
        CHECK(second != guid);
        CHECK(fakebcd::ReadStore().Find(second));
        CHECK(DisplayOrder() == std::vector<std::wstring>{fakebcd::kWindowsLoaderId, guid, second});
    }
    SUBCASE("removal takes the entry and its display-order listing away, nothing else") {
        const std::wstring other = L"{11111111-2222-4333-8444-555555555555}";
        REQUIRE(fakebcd::PreListInDisplayOrder(other));
        RunRemoval(guid);
        fakebcd::Store after = fakebcd::ReadStore();
        CHECK_FALSE(after.Find(guid));
        CHECK(DisplayOrder() == std::vector<std::wstring>{fakebcd::kWindowsLoaderId, other});
        CHECK(Timeout() == 10u);
        CHECK(after.Find(fakebcd::kWindowsLoaderId));
        CHECK(fakebcd::LiveProviderObjects() == session.baseline);
    }
    DeleteHardDiskKey();
}

TEST_CASE("the identifier is recorded before the store is touched") {
    FakeBcdSession session;
    REQUIRE(CreateHardDiskKey());
    REQUIRE(fakebcd::AddFailure(L"ConnectServer"));
    std::wstring before = fakebcd::Serialize(fakebcd::ReadStore());
    RegisterBootEntry(L"D:\\zentaos");
    CHECK(IsEntryId(RecordedGuid()));
    CHECK(fakebcd::Serialize(fakebcd::ReadStore()) == before);
    CheckOneWarning(WatchedCalls::messages, L"无法连接上wmi");
    CHECK(WatchedCalls::initializations == WatchedCalls::uninitializations);
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
    CHECK_FALSE(fakebcd::ReadStore().Find(guid));
    CHECK(DisplayOrder() == std::vector<std::wstring>{fakebcd::kWindowsLoaderId});
    CHECK(Timeout() == 30u);
    CHECK(fakebcd::LiveProviderObjects() == session.baseline);
    DeleteHardDiskKey();
}

TEST_CASE("ReadGuid gives back exactly what was written") {
    DeleteHardDiskKey();
    REQUIRE(CreateHardDiskKey());
    {
        CRegistry key;
        REQUIRE(key.Open(kHardDiskKey));
        CHECK(key.WriteString(L"Guid", kEntry.c_str()));
        DWORD type = 0, bytes = 0;
        REQUIRE(RegQueryValueExW(key.hKey, L"Guid", nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS);
        CHECK(type == REG_SZ);
        CHECK(bytes == 39 * sizeof(wchar_t)); // the text and its terminator
        CHECK(RecordedGuid() == kEntry);
        // Longer than the 200-byte read limit: not read at all rather than cut.
        CHECK(key.WriteString(L"Guid", std::wstring(120, L'a').c_str()));
        std::wstring text = L"unchanged";
        CHECK_FALSE(key.ReadGuid(text));
        CHECK(text == L"unchanged");
    }
    DeleteHardDiskKey();
}
