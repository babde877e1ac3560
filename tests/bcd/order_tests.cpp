// The Windows Boot Manager's display order and timeout: appending the entry on
// registration, taking it out again on removal.
#include "BcdTestSupport.h"

#include <algorithm>

namespace {

const std::wstring kOther = L"{11111111-2222-4333-8444-555555555555}";
const std::wstring kLoader = fakebcd::kWindowsLoaderId;

} // namespace

TEST_CASE("AppendToDisplayOrder lists the entry last and sets the timeout") {
    FakeBcdSession session;
    ConnectedEditor e(true);
    fakebcd::ClearProviderCalls();
    CHECK(e.editor.AppendToDisplayOrder() == 1);
    CHECK(DisplayOrder() == std::vector<std::wstring>{kLoader, kEntry});
    CHECK(Timeout() == 10u);
    auto log = fakebcd::ProviderCalls();
    CHECK(FindCall(log, L"Put Type VT_BSTR 603979777 cim=19") >= 0);
    CHECK(FindCall(log, L"Put Ids VT_ARRAY|VT_BSTR [" + kLoader + L"," + kEntry + L"] cim=8200") >= 0);
    int timeout = FindCall(log, L"Put Type VT_BSTR 620756996 cim=19");
    CHECK(FindCall(log, L"Put Integer VT_BSTR 10 cim=21", timeout) == timeout + 1);
}

TEST_CASE("an entry already in the display order stays where it is") {
    FakeBcdSession session;
    REQUIRE(fakebcd::PreListInDisplayOrder(kEntry));
    REQUIRE(fakebcd::PreListInDisplayOrder(kOther));
    ConnectedEditor e(true);
    fakebcd::ClearProviderCalls();
    CHECK(e.editor.AppendToDisplayOrder() == 1);
    CHECK(DisplayOrder() == std::vector<std::wstring>{kLoader, kEntry, kOther});
    CHECK(CountCalls(fakebcd::ProviderCalls(), L"ExecMethod SetObjectListElement") == 0);
    CHECK(Timeout() == 10u);
}

TEST_CASE("without a readable display order none is written, the timeout still is") {
    FakeBcdSession session;
    REQUIRE(fakebcd::MakeDisplayOrderUnreadable());
    ConnectedEditor e(true);
    CHECK(e.editor.AppendToDisplayOrder() == 1);
    std::vector<std::wstring> ids;
    CHECK_FALSE(fakebcd::ReadStore().DisplayOrder(ids));
    CHECK(Timeout() == 10u);
}

TEST_CASE("AppendToDisplayOrder returns 0 when it cannot reach the timeout step") {
    FakeBcdSession session;
    SUBCASE("no Boot Manager") {
        fakebcd::Store store = fakebcd::ReadStore();
        store.Remove(fakebcd::kBootManagerId);
        REQUIRE(fakebcd::WriteStore(store));
    }
    SUBCASE("no GetElement signature") {
        REQUIRE(fakebcd::AddFailure(L"GetMethod", L"GetElement"));
    }
    SUBCASE("no SetIntegerElement signature") {
        REQUIRE(fakebcd::AddFailure(L"GetMethod", L"SetIntegerElement"));
    }
    ConnectedEditor e(true);
    CHECK(e.editor.AppendToDisplayOrder() == 0);
    CHECK(Timeout() != 10u);
}

TEST_CASE("RemoveFromDisplayOrder takes out only the entry") {
    FakeBcdSession session;
    REQUIRE(fakebcd::PreListInDisplayOrder(kEntry));
    REQUIRE(fakebcd::PreListInDisplayOrder(kOther));
    ConnectedEditor e(true);
    fakebcd::Store before = fakebcd::ReadStore();

    SUBCASE("listed once") {
        CHECK(e.editor.RemoveFromDisplayOrder(kEntry.c_str()) == 1);
        CHECK(DisplayOrder() == std::vector<std::wstring>{kLoader, kOther});
    }
    SUBCASE("listed twice, once in capitals") {
        std::wstring upper = kEntry;
        for (wchar_t& c : upper)
            c = static_cast<wchar_t>(towupper(c));
        REQUIRE(fakebcd::PreListInDisplayOrder(upper));
        CHECK(e.editor.RemoveFromDisplayOrder(kEntry.c_str()) == 1);
        CHECK(DisplayOrder() == std::vector<std::wstring>{kLoader, kOther});
    }
    SUBCASE("the only one listed") {
        fakebcd::Store store = fakebcd::ReadStore();
        fakebcd::Element order = *store.Find(fakebcd::kBootManagerId)->Find(fakebcd::kDisplayOrder);
        order.ids = {kEntry};
        store.Find(fakebcd::kBootManagerId)->Set(order);
        REQUIRE(fakebcd::WriteStore(store));
        CHECK(e.editor.RemoveFromDisplayOrder(kEntry.c_str()) == 1);
        CHECK(DisplayOrder().empty());
    }
    // Nothing but the display order changed.
    fakebcd::Store after = fakebcd::ReadStore();
    after.Find(fakebcd::kBootManagerId)->Remove(fakebcd::kDisplayOrder);
    before.Find(fakebcd::kBootManagerId)->Remove(fakebcd::kDisplayOrder);
    CHECK(fakebcd::Serialize(after) == fakebcd::Serialize(before));
}

TEST_CASE("RemoveFromDisplayOrder when there is nothing to take out") {
    FakeBcdSession session;
    ConnectedEditor e(true);
    SUBCASE("not listed") {
        fakebcd::ClearProviderCalls();
        CHECK(e.editor.RemoveFromDisplayOrder(kEntry.c_str()) == 1);
        CHECK(DisplayOrder() == std::vector<std::wstring>{kLoader});
        CHECK(CountCalls(fakebcd::ProviderCalls(), L"ExecMethod SetObjectListElement") == 0);
    }
    SUBCASE("no display order") {
        REQUIRE(fakebcd::MakeDisplayOrderUnreadable());
        CHECK(e.editor.RemoveFromDisplayOrder(kEntry.c_str()) == 1);
        std::vector<std::wstring> ids;
        CHECK_FALSE(fakebcd::ReadStore().DisplayOrder(ids));
    }
    SUBCASE("no identifier") {
        CHECK(e.editor.RemoveFromDisplayOrder(nullptr) == 0);
        CHECK(e.editor.RemoveFromDisplayOrder(L"") == 0);
        CHECK(DisplayOrder() == std::vector<std::wstring>{kLoader});
    }
}

TEST_CASE("RemoveFromDisplayOrder returns 0 when the order cannot be read or written") {
    FakeBcdSession session;
    REQUIRE(fakebcd::PreListInDisplayOrder(kEntry));
    SUBCASE("read fails") {
        REQUIRE(fakebcd::AddFailure(L"ExecMethod", L"GetElement"));
    }
    SUBCASE("write fails") {
        REQUIRE(fakebcd::AddFailure(L"ExecMethod", L"SetObjectListElement"));
    }
    SUBCASE("write refused") {
        // The provider answers false to an order with an identifier that is no GUID.
        REQUIRE(fakebcd::PreListInDisplayOrder(L"{not a guid}"));
    }
    ConnectedEditor e(true);
    CHECK(e.editor.RemoveFromDisplayOrder(kEntry.c_str()) == 0);
    std::vector<std::wstring> ids;
    REQUIRE(fakebcd::ReadStore().DisplayOrder(ids));
    CHECK(std::find(ids.begin(), ids.end(), kEntry) != ids.end());
}
