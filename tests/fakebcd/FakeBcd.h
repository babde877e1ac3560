// Test-side control of the fake BCD WMI provider: put it in place for this process or for
// the whole test prefix, start from a fresh store, read the store back, and prepare edge
// cases. The programs under test only ever call CoCreateInstance of the WMI locator.
#pragma once
#include "FakeStore.h"

#include <windows.h>
#include <string>
#include <vector>

namespace fakebcd {

// The provider for this thread's apartment (COM must be initialised on it): registers the
// locator's class factory with CoRegisterClassObject; revoked on destruction.
class InProcessProvider {
  public:
    InProcessProvider();
    ~InProcessProvider();
    InProcessProvider(const InProcessProvider&) = delete;
    InProcessProvider& operator=(const InProcessProvider&) = delete;
    bool Registered() const { return cookie_ != 0; }

  private:
    DWORD cookie_ = 0;
};

// Y:\tests\fakebcd\fakebcd.dll as the test runner maps the build (found beside the calling
// test's own folder first).
std::wstring DefaultDllPath();
// Makes the DLL the in-process server of CLSID_WbemLocator in this prefix. Call it from a
// 32-bit program so that the registry view matches the programs under test.
bool RegisterDll(const std::wstring& dllPath = DefaultDllPath());
// RegisterDll and a fresh store: what an end-to-end test does first.
bool InstallProvider(const std::wstring& dllPath = DefaultDllPath());

// Writes a fresh store (Boot Manager with display order and timeout 30, one Windows loader).
bool ResetStore();
// The store as the provider left it; a fresh store when none was written yet.
Store ReadStore();
bool WriteStore(const Store& store);

// Edge cases, applied to the store file.
// The Boot Manager loses its display order: GetElement of it answers false.
bool MakeDisplayOrderUnreadable();
// Lists `id` in the Boot Manager's display order (appended) without creating the object.
bool PreListInDisplayOrder(const std::wstring& id);
// Makes one provider operation fail from now on (see Failure in FakeStore.h).
bool AddFailure(const std::wstring& operation, const std::wstring& name = std::wstring());

// Live provider objects in this process (0 when every reference was released) and the
// calls made on them; meaningful for the in-process provider only.
LONG LiveProviderObjects();
std::vector<std::wstring> ProviderCalls();
void ClearProviderCalls();

} // namespace fakebcd
