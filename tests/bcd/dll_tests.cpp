// The fake provider as the programs under test meet it: fakebcd.dll registered in the
// prefix as the WMI locator's in-process server, reached through CoCreateInstance alone.
#include "BcdTestSupport.h"

#include "common/BootEntry.h"
#include "tests/driver/Driver.h"

namespace {

struct SeenBox {
    bool found = false;
    std::wstring caption, text;
    bool owned = true, hasCancel = true, answered = false;
};

// Watches for this process's message box, notes what it shows and presses OK.
DWORD WINAPI AnswerBox(void* data) {
    auto* seen = static_cast<SeenBox*>(data);
    HWND box = driver::WaitForMessageBox(GetCurrentProcessId(), L"", 15000);
    if (!box)
        return 0;
    seen->found = true;
    seen->caption = driver::WindowText(box);
    seen->text = driver::MessageBoxText(box);
    seen->owned = GetWindow(box, GW_OWNER) != nullptr;
    seen->hasCancel = GetDlgItem(box, IDCANCEL) != nullptr && IsWindowVisible(GetDlgItem(box, IDCANCEL));
    seen->answered = driver::AnswerMessageBox(box, IDOK);
    return 0;
}

} // namespace

TEST_CASE("registration and removal through the DLL registered in the prefix") {
    REQUIRE(GetFileAttributesW(fakebcd::DefaultDllPath().c_str()) != INVALID_FILE_ATTRIBUTES);
    REQUIRE(fakebcd::InstallProvider());
    REQUIRE(CreateHardDiskKey());
    REQUIRE(GetModuleHandleW(L"fakebcd.dll") == nullptr);

    bool loaded = false;
    OnFreshThread([&] {
        CoInitialize(nullptr);
        RegisterBootEntry(L"D:\\zentaos");
        loaded = GetModuleHandleW(L"fakebcd.dll") != nullptr;
        CoUninitialize();
    });
    CHECK(loaded);
    std::wstring guid = RecordedGuid();
    REQUIRE(guid.size() == 38);
    fakebcd::Store store = fakebcd::ReadStore();
    REQUIRE(store.Find(guid));
    CHECK(store.Find(guid)->type == 0x10400008u);
    std::vector<std::wstring> ids;
    REQUIRE(store.DisplayOrder(ids));
    CHECK(ids.back() == guid);

    // What the removal code runs, on a thread whose COM ends with the editor's Teardown:
    // afterwards the thread can enter another apartment, so nothing of COM was left, and
    // the provider DLL it loaded was not called after it went.
    HRESULT afterTeardown = E_FAIL;
    OnFreshThread([&] {
        RunRemoval(guid);
        afterTeardown = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(afterTeardown))
            CoUninitialize();
    });
    CHECK(afterTeardown == S_OK);
    store = fakebcd::ReadStore();
    CHECK_FALSE(store.Find(guid));
    REQUIRE(store.DisplayOrder(ids));
    CHECK(ids == std::vector<std::wstring>{fakebcd::kWindowsLoaderId});
    DeleteHardDiskKey();
}

TEST_CASE("a locator that cannot be loaded is reported in a real message box") {
    REQUIRE(fakebcd::RegisterDll(L"Y:\\tests\\fakebcd\\missing.dll"));
    SeenBox seen;
    zenta::ScopedHandle watcher(CreateThread(nullptr, 0, AnswerBox, &seen, 0, nullptr));
    HRESULT connected = S_OK, afterwards = E_FAIL;
    OnFreshThread([&] {
        {
            CBcdEditor editor;
            connected = editor.Connect();
        }
        afterwards = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(afterwards))
            CoUninitialize();
    });
    WaitForSingleObject(watcher.Get(), 20000);
    CHECK(FAILED(connected));
    REQUIRE(seen.found);
    CHECK(seen.caption == L"警告");
    CHECK(seen.text == L"未能创建IWbemLocator");
    CHECK_FALSE(seen.owned);
    CHECK_FALSE(seen.hasCancel);
    CHECK(seen.answered);
    CHECK(afterwards == S_OK); // the failed Connect undid its CoInitialize
    REQUIRE(fakebcd::RegisterDll());
}
