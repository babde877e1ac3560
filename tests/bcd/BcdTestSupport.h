// What the BCD tests share: the in-process fake provider for one test, a record of the
// system calls the editor makes that wine cannot be made to fail, and a few look-ups.
#pragma once
#include "FakeBcd.h"
#include "ImportPatch.h"
#include "common/Bcd.h"
#include "common/ScopedWin.h"

#include <doctest/doctest.h>

#include <windows.h>
#include <memory>
#include <string>
#include <vector>

// The entry identifier the editor cases work with.
inline const std::wstring kEntry = L"{0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d}";

// A message box as the code under test asked for it.
struct ShownMessage {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
};

// Replaces MessageBoxW (recorded, answered IDOK, never shown), counts CoInitialize and
// CoUninitialize, and lets a test choose what CoInitializeSecurity and CoCreateInstance
// return (S_OK: the real call).
class WatchedCalls {
  public:
    WatchedCalls();
    ~WatchedCalls();
    bool Applied() const;

    static std::vector<ShownMessage> messages;
    static int initializations;   // successful CoInitialize calls
    static int uninitializations; // CoUninitialize calls
    static HRESULT securityResult;
    static HRESULT createResult;

  private:
    std::unique_ptr<ImportPatch> patches_[5];
};

// One test's provider: COM on this thread, the fake locator registered in-process, a fresh
// store, an empty call log, and the system calls above watched from then on.
class FakeBcdSession {
  public:
    FakeBcdSession();
    ~FakeBcdSession();
    // Provider objects alive before the test's own calls: the registered factory.
    LONG baseline = 0;

  private:
    std::unique_ptr<fakebcd::InProcessProvider> provider_;
    std::unique_ptr<WatchedCalls> watched_;
};

// Writes what the process sends to standard output into a file until Finish, which gives
// it back with line ends as "\n".
class StdoutCapture {
  public:
    StdoutCapture();
    ~StdoutCapture();
    std::string Finish();

  private:
    int saved_ = -1;
    std::wstring path_;
};

// An editor for kEntry with a target on D:, connected, and with the system store open when
// asked.
struct ConnectedEditor {
    explicit ConnectedEditor(bool openStore = false);
    CBcdEditor editor;
};

// The one message box shown: a warning with `text`, without owner, with OK alone.
void CheckOneWarning(const std::vector<ShownMessage>& messages, const std::wstring& text);
// What the editor writes into a boot-sector entry for the target D:\zentaos.
void CheckEntryElements(const fakebcd::Object& entry);
// The fake store's display order (empty when unreadable) and timeout (0 when unreadable).
std::vector<std::wstring> DisplayOrder();
unsigned long long Timeout();
// The identifier in the installation record; empty when there is none.
std::wstring RecordedGuid();

// Runs `body` on a thread of its own that starts without COM, and waits for it.
template <typename Body> void OnFreshThread(Body body) {
    struct Start {
        static DWORD WINAPI Run(void* data) {
            (*static_cast<Body*>(data))();
            return 0;
        }
    };
    zenta::ScopedHandle thread(CreateThread(nullptr, 0, Start::Run, &body, 0, nullptr));
    REQUIRE(thread);
    REQUIRE(WaitForSingleObject(thread.Get(), 30000) == WAIT_OBJECT_0);
}

// What the removal code runs for a recorded identifier, each step checked to succeed; the
// object is gone afterwards and cannot be opened again.
void RunRemoval(const std::wstring& id);

// Position of the first log line equal to `line` at or after `from`; -1 when none.
int FindCall(const std::vector<std::wstring>& log, const std::wstring& line, int from = 0);
int CountCalls(const std::vector<std::wstring>& log, const std::wstring& prefix);

// The installation record key, created (with "Drive" = D) or removed.
bool CreateHardDiskKey();
void DeleteHardDiskKey();
// What QueryDosDeviceW gives for "D:".
std::wstring DeviceOfDriveD();
