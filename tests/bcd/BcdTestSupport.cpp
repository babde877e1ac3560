#include "BcdTestSupport.h"

#include "common/Registry.h"
#include "tests/driver/Driver.h"

#include <doctest/doctest.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <algorithm>
#include <cstdio>

std::vector<ShownMessage> WatchedCalls::messages;
int WatchedCalls::initializations = 0;
int WatchedCalls::uninitializations = 0;
HRESULT WatchedCalls::securityResult = S_OK;
HRESULT WatchedCalls::createResult = S_OK;

namespace {

using CoInitializeFunction = HRESULT(WINAPI*)(LPVOID);
using CoUninitializeFunction = void(WINAPI*)();
using CoInitializeSecurityFunction = HRESULT(WINAPI*)(PSECURITY_DESCRIPTOR, LONG,
                                                      SOLE_AUTHENTICATION_SERVICE*, void*, DWORD, DWORD,
                                                      void*, DWORD, void*);
using CoCreateInstanceFunction = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);

ImportPatch* active[5] = {};

int WINAPI RecordMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    WatchedCalls::messages.push_back({owner, text ? text : L"", caption ? caption : L"", type});
    return IDOK;
}

HRESULT WINAPI CountCoInitialize(LPVOID reserved) {
    HRESULT hr = active[1]->Original<CoInitializeFunction>()(reserved);
    if (SUCCEEDED(hr))
        ++WatchedCalls::initializations;
    return hr;
}

void WINAPI CountCoUninitialize() {
    ++WatchedCalls::uninitializations;
    active[2]->Original<CoUninitializeFunction>()();
}

HRESULT WINAPI ChosenCoInitializeSecurity(PSECURITY_DESCRIPTOR descriptor, LONG count,
                                          SOLE_AUTHENTICATION_SERVICE* services, void* reserved1, DWORD level,
                                          DWORD impersonation, void* list, DWORD capabilities,
                                          void* reserved3) {
    HRESULT real = active[3]->Original<CoInitializeSecurityFunction>()(
        descriptor, count, services, reserved1, level, impersonation, list, capabilities, reserved3);
    return WatchedCalls::securityResult != S_OK ? WatchedCalls::securityResult : real;
}

HRESULT WINAPI ChosenCoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid,
                                      LPVOID* object) {
    if (WatchedCalls::createResult != S_OK) {
        *object = nullptr;
        return WatchedCalls::createResult;
    }
    return active[4]->Original<CoCreateInstanceFunction>()(clsid, outer, context, iid, object);
}

} // namespace

WatchedCalls::WatchedCalls() {
    messages.clear();
    initializations = uninitializations = 0;
    securityResult = createResult = S_OK;
    const struct {
        const char* dll;
        const char* function;
        void* replacement;
    } replacements[5] = {
        {"user32.dll", "MessageBoxW", reinterpret_cast<void*>(&RecordMessageBox)},
        {"ole32.dll", "CoInitialize", reinterpret_cast<void*>(&CountCoInitialize)},
        {"ole32.dll", "CoUninitialize", reinterpret_cast<void*>(&CountCoUninitialize)},
        {"ole32.dll", "CoInitializeSecurity", reinterpret_cast<void*>(&ChosenCoInitializeSecurity)},
        {"ole32.dll", "CoCreateInstance", reinterpret_cast<void*>(&ChosenCoCreateInstance)},
    };
    for (int i = 0; i < 5; ++i) {
        const auto& r = replacements[i];
        patches_[i].reset(new ImportPatch(r.dll, r.function, r.replacement));
        active[i] = patches_[i].get();
    }
}

WatchedCalls::~WatchedCalls() {
    for (int i = 4; i >= 0; --i) {
        patches_[i].reset();
        active[i] = nullptr;
    }
}

bool WatchedCalls::Applied() const {
    for (const auto& p : patches_)
        if (!p->Applied())
            return false;
    return true;
}

FakeBcdSession::FakeBcdSession() {
    CoInitialize(nullptr);
    provider_.reset(new fakebcd::InProcessProvider());
    REQUIRE(provider_->Registered());
    REQUIRE(fakebcd::ResetStore());
    fakebcd::ClearProviderCalls();
    baseline = fakebcd::LiveProviderObjects();
    watched_.reset(new WatchedCalls());
    REQUIRE(watched_->Applied());
}

FakeBcdSession::~FakeBcdSession() {
    watched_.reset();
    provider_.reset();
    CoUninitialize();
}

StdoutCapture::StdoutCapture() {
    wchar_t folder[MAX_PATH] = {}, file[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"out", 0, file);
    path_ = file;
    std::fflush(stdout);
    saved_ = _dup(1);
    int fd = _wopen(path_.c_str(), _O_WRONLY | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd >= 0) {
        _dup2(fd, 1);
        _close(fd);
    }
}

StdoutCapture::~StdoutCapture() {
    Finish();
    DeleteFileW(path_.c_str());
}

std::string StdoutCapture::Finish() {
    if (saved_ >= 0) {
        std::fflush(stdout);
        _dup2(saved_, 1);
        _close(saved_);
        saved_ = -1;
    }
    std::string text;
    driver::ReadFileBytes(path_, text);
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

ConnectedEditor::ConnectedEditor(bool openStore) : editor(kEntry.c_str(), L"D:\\zentaos") {
    REQUIRE(editor.Connect() == S_OK);
    if (openStore)
        REQUIRE(SUCCEEDED(editor.OpenSystemStore()));
}

void CheckOneWarning(const std::vector<ShownMessage>& messages, const std::wstring& text) {
    REQUIRE(messages.size() == 1);
    CHECK(messages[0].text == text);
    CHECK(messages[0].caption == L"警告");
    CHECK(messages[0].owner == nullptr);
    CHECK(messages[0].type == MB_OK);
}

void CheckEntryElements(const fakebcd::Object& entry) {
    CHECK(entry.type == 0x10400008u);
    const fakebcd::Element* path = entry.Find(fakebcd::kApplicationPath);
    const fakebcd::Element* description = entry.Find(fakebcd::kDescription);
    const fakebcd::Element* partition = entry.Find(fakebcd::kApplicationDevice);
    REQUIRE(path);
    REQUIRE(description);
    REQUIRE(partition);
    CHECK(path->text == L"\\zentaos\\zeldr.mbr");
    CHECK(description->text == L"星岚系统(boot zenta LUM)");
    CHECK(partition->deviceType == 2u);
    CHECK(partition->additionalOptions.empty());
    CHECK(!DeviceOfDriveD().empty());
    CHECK(partition->path == DeviceOfDriveD());
}

std::vector<std::wstring> DisplayOrder() {
    std::vector<std::wstring> ids;
    fakebcd::ReadStore().DisplayOrder(ids);
    return ids;
}

unsigned long long Timeout() {
    unsigned long long seconds = 0;
    fakebcd::ReadStore().Timeout(seconds);
    return seconds;
}

void RunRemoval(const std::wstring& id) {
    CBcdEditor editor;
    REQUIRE(editor.Connect() == S_OK);
    editor.OpenSystemStore();
    *editor.entry.Put() = editor.OpenEntryObject(id.c_str());
    CHECK(editor.DeleteEntryObject(id.c_str()) == 1);
    CHECK(editor.RemoveFromDisplayOrder(id.c_str()) == 1);
    CHECK(editor.EntryObjectGone(id.c_str()));
    zenta::ComPtr<IWbemClassObject> again;
    *again.Put() = editor.OpenEntryObject(id.c_str());
    CHECK_FALSE(again);
    editor.Teardown();
}

std::wstring RecordedGuid() {
    CRegistry key;
    std::wstring guid;
    if (!key.Open(kHardDiskKey, KEY_READ) || !key.ReadGuid(guid))
        return std::wstring();
    return guid;
}

int FindCall(const std::vector<std::wstring>& log, const std::wstring& line, int from) {
    for (int i = from; i < static_cast<int>(log.size()); ++i)
        if (log[i] == line)
            return i;
    return -1;
}

int CountCalls(const std::vector<std::wstring>& log, const std::wstring& prefix) {
    int count = 0;
    for (const std::wstring& line : log)
        if (line.compare(0, prefix.size(), prefix) == 0)
            ++count;
    return count;
}

bool CreateHardDiskKey() {
    CRegistry key;
    return key.Create(kHardDiskKey) && key.WriteDword(L"Drive", L'D');
}

void DeleteHardDiskKey() {
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kHardDiskKey);
}

std::wstring DeviceOfDriveD() {
    wchar_t device[MAX_PATH] = {};
    QueryDosDeviceW(L"D:", device, MAX_PATH);
    return device;
}
