// A fake of the Windows BCD WMI provider (root\wmi: BcdStore, BcdObject) for tests under wine,
// and what tests need to prepare and read back its store. The store lives in C:\fakebcd\store.txt
// so that the provider inside Setup.exe or Uninstall.exe and the test program share it.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace fakebcd {

constexpr wchar_t kBootManagerId[] = L"{9dea862c-5cdd-4e70-acc1-f32b344d4795}";
extern const wchar_t kWindowsLoaderId[]; // the one Windows loader of a fresh store
// Element types the product writes.
constexpr DWORD kApplicationDevice = 0x11000001, kApplicationPath = 0x12000002, kDescription = 0x12000004,
                kDefault = 0x23000003, kDisplayOrder = 0x24000001, kTimeout = 0x25000004;

// Bits 24..27 of the type say which value counts: 1 device, 2 text, 3 text (an object's
// identifier), 4 ids, 5 integer.
struct Element {
    DWORD type = 0, deviceType = 0;
    unsigned long long integer = 0;
    std::wstring text, path, options;
    std::vector<std::wstring> ids;
};

struct Object {
    std::wstring id;
    DWORD type = 0;
    std::vector<Element> elements;
    const Element* Find(DWORD type) const; // null when the object lacks it
};

// A volume as Root\CIMV2\Security\MicrosoftVolumeEncryption lists it (Win32_EncryptableVolume).
struct EncryptableVolume {
    std::wstring letter; // "D:"
    DWORD conversionStatus = 0;
    std::wstring persistentId; // empty: never touched by BitLocker
};

struct Store {
    std::vector<Object> objects;
    // Whether this Windows has BitLocker's namespace, and the volumes it lists. Its failures:
    // "ExecQuery" (the lookup fails), "GetConversionStatus" (answers the volume is locked).
    bool bitLocker = false;
    std::vector<EncryptableVolume> volumes;
    // Injected failures: "ConnectServer", a method name, or "Method:hexType" for one element type;
    // with "!" at the end the method answers "done" but changes nothing; with "+" its next call
    // works and every later one fails; with "~" (a method, "ConnectServer" or "ExecQuery") the call
    // waits until the failure is taken out of the store, then answers as usual.
    std::vector<std::wstring> failures;
    // 0: "no such object or element" is ReturnValue false; otherwise ExecMethod fails with it.
    HRESULT notFound = 0;

    const Object* Find(const std::wstring& id) const; // null when absent
    std::vector<std::wstring> DisplayOrder() const;   // the Boot Manager's; empty when it has none
    unsigned long long Timeout() const;               // the Boot Manager's; 0 when it has none
};

bool Same(const std::wstring& a, const std::wstring& b); // identifiers and names ignore case
Store FreshStore();                                      // the Boot Manager and one Windows 7 loader
Store LoadStore();                                       // a fresh store while the file is missing
bool SaveStore(const Store& store);                      // creates C:\fakebcd when needed
std::wstring Serialize(const Store& store);              // the file's text: equal stores give equal texts
// Makes every program of the prefix load the provider DLL as the WMI locator.
bool RegisterDll(const std::wstring& dllPath = L"Y:\\tests\\fakebcd\\fakebcd.dll");

// The provider linked into this program, registered as the WMI locator for the calling
// thread's apartment (COM initialised) until destroyed.
class InProcess {
  public:
    InProcess();
    ~InProcess();
    InProcess(const InProcess&) = delete;
    InProcess& operator=(const InProcess&) = delete;

  private:
    DWORD cookie_ = 0;
};

} // namespace fakebcd
