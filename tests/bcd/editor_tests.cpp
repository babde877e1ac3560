// CBcdEditor against the in-process fake provider: the WMI call pattern, each operation's
// results, and the edge cases of the display order.
#include "BcdTestSupport.h"

TEST_CASE("Connect follows the COM and WMI steps and Teardown undoes them") {
    FakeBcdSession session;
    CBcdEditor editor;
    REQUIRE(editor.Connect() == S_OK);
    CHECK(editor.connected == 1);
    CHECK(editor.locator);
    CHECK(editor.services);
    auto log = fakebcd::ProviderCalls();
    CHECK(FindCall(log, L"ConnectServer root\\wmi user=(none) password=(none) locale=(none) flags=0 "
                        L"authority=(none) context=(none)") == 0);
    CHECK(FindCall(log,
                   L"SetBlanket authn=10 authz=0 principal=(none) level=3 impersonation=3 identity=(none) "
                   L"capabilities=0") == 1);
    CHECK(WatchedCalls::messages.empty());
    CHECK(WatchedCalls::initializations == 1);

    REQUIRE(SUCCEEDED(editor.OpenSystemStore()));
    *editor.entry.Put() = editor.OpenEntryObject(fakebcd::kWindowsLoaderId);
    REQUIRE(editor.entry);

    editor.Teardown();
    CHECK(editor.connected == 0);
    CHECK_FALSE(editor.locator);
    CHECK_FALSE(editor.services);
    CHECK_FALSE(editor.store);
    CHECK_FALSE(editor.entry);
    CHECK(WatchedCalls::uninitializations == 1);
    // Every provider object went before COM did (the editor itself is still there).
    CHECK(fakebcd::LiveProviderObjects() == session.baseline);
    editor.Teardown(); // a second time has nothing left to do
    CHECK(WatchedCalls::uninitializations == 1);
}

TEST_CASE("security already set in the process does not stop Connect") {
    FakeBcdSession session;
    // What a second registration in one process meets on Windows. Wine's CoInitializeSecurity
    // always succeeds, so the answer is chosen here.
    CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                         RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
    WatchedCalls::securityResult = RPC_E_TOO_LATE;
    CBcdEditor editor;
    CHECK(editor.Connect() == S_OK);
    CHECK(editor.connected == 1);
    CHECK(WatchedCalls::messages.empty());
    CHECK(SUCCEEDED(editor.OpenSystemStore()));
}

TEST_CASE("a failed Connect tells the user, releases what it got and undoes CoInitialize") {
    FakeBcdSession session;
    std::wstring expected;
    HRESULT expectedResult = S_OK;
    SUBCASE("security") {
        WatchedCalls::securityResult = E_ACCESSDENIED;
        expected = L"未能初始化安全属性";
        expectedResult = E_ACCESSDENIED;
    }
    SUBCASE("locator") {
        WatchedCalls::createResult = REGDB_E_CLASSNOTREG;
        expected = L"未能创建IWbemLocator";
        expectedResult = REGDB_E_CLASSNOTREG;
    }
    SUBCASE("namespace") {
        REQUIRE(fakebcd::AddFailure(L"ConnectServer"));
        expected = L"无法连接上wmi";
        expectedResult = WBEM_E_ACCESS_DENIED;
    }
    SUBCASE("proxy blanket") {
        REQUIRE(fakebcd::AddFailure(L"ClientSecurity"));
        expected = L"svc无法设置proxy blanket";
        expectedResult = E_NOINTERFACE;
    }
    CBcdEditor editor(kEntry.c_str(), L"D:\\zentaos");
    CHECK(editor.Connect() == expectedResult);
    CHECK(editor.connected == 0);
    CHECK_FALSE(editor.locator);
    CHECK_FALSE(editor.services);
    CheckOneWarning(WatchedCalls::messages, expected);
    CHECK(WatchedCalls::initializations == 1);
    CHECK(WatchedCalls::uninitializations == 1);
    CHECK(fakebcd::LiveProviderObjects() == session.baseline);
    // Nothing to do afterwards, and nothing reaches the store.
    CHECK(FAILED(editor.OpenSystemStore()));
    CHECK(editor.DeleteEntryObject(kEntry.c_str()) == 0);
    editor.Teardown();
    CHECK(WatchedCalls::uninitializations == 1);
}

TEST_CASE("COM in another apartment model stops Connect with its message") {
    FakeBcdSession session;
    // A thread in the multithreaded apartment cannot enter a single-threaded one.
    HRESULT hr = S_OK;
    int connected = 1;
    OnFreshThread([&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        {
            CBcdEditor editor;
            hr = editor.Connect();
            connected = editor.connected;
        }
        CoUninitialize();
    });
    CHECK(hr == RPC_E_CHANGED_MODE);
    CHECK(connected == 0);
    CheckOneWarning(WatchedCalls::messages, L"未能初始化COM库");
    CHECK(WatchedCalls::uninitializations == 1); // the thread's own, for its CoInitializeEx
}
