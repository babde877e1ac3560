// CBcdEditor: a small client of the BCD WMI provider (root\wmi, BcdStore and BcdObject): the
// system store, its objects and their elements. Every call reports its result; nothing here
// talks to the user.
#pragma once
#include "common/ScopedWin.h"
#include "common/SystemHelpers.h"
#include "common/WmiCall.h"

#include <windows.h>
#include <wbemidl.h>
#include <string>
#include <vector>

// Well-known identifier of the Windows Boot Manager object.
constexpr wchar_t kBootManagerId[] = L"{9dea862c-5cdd-4e70-acc1-f32b344d4795}";

// Element types.
constexpr DWORD kElementAppDevice = 0x11000001;    // BcdLibraryDevice_ApplicationDevice
constexpr DWORD kElementAppPath = 0x12000002;      // BcdLibraryString_ApplicationPath
constexpr DWORD kElementDescription = 0x12000004;  // BcdLibraryString_Description
constexpr DWORD kElementDefault = 0x23000003;      // BcdBootMgrObject_DefaultObject
constexpr DWORD kElementDisplayOrder = 0x24000001; // BcdBootMgrObjectList_DisplayOrder
constexpr DWORD kElementTimeout = 0x25000004;      // BcdBootMgrInteger_Timeout

// True for the answers by which a provider says that what was asked for does not exist:
// WBEM_E_NOT_FOUND and the Win32 and NT "not found" codes, raw or wrapped as HRESULTs.
bool IsNotFound(HRESULT hr);

class CBcdEditor {
  public:
    CBcdEditor() = default;
    // Runs Teardown when the user has not.
    ~CBcdEditor();
    CBcdEditor(const CBcdEditor&) = delete;
    CBcdEditor& operator=(const CBcdEditor&) = delete;

    // The Backup and Restore privileges, COM, WMI and root\wmi. On failure COM is as it was before and
    // Warning() holds the text the user is to be shown. S_OK at once when already connected.
    HRESULT Connect();
    // The system store; S_OK at once when it is already open.
    HRESULT OpenSystemStore();

    // The results below: S_OK when done; S_FALSE when the provider said no (for the open and
    // read calls: there is no such object or element, whichever way the provider says so);
    // otherwise the failure.
    HRESULT OpenObject(const std::wstring& id, zenta::ComPtr<IWbemClassObject>& object);
    HRESULT CreateObject(const std::wstring& id, DWORD type, zenta::ComPtr<IWbemClassObject>& object);
    HRESULT DeleteObject(const std::wstring& id);
    HRESULT ReadText(IWbemClassObject* object, DWORD element, std::wstring& text);
    HRESULT ReadInteger(IWbemClassObject* object, DWORD element, unsigned long long& value);
    HRESULT ReadIds(IWbemClassObject* object, DWORD element, std::vector<std::wstring>& ids);
    // An element that names one object (BcdObjectElement): its identifier.
    HRESULT ReadId(IWbemClassObject* object, DWORD element, std::wstring& id);
    HRESULT WriteText(IWbemClassObject* object, DWORD element, const std::wstring& text);
    HRESULT WriteInteger(IWbemClassObject* object, DWORD element, unsigned long long value);
    HRESULT WriteIds(IWbemClassObject* object, DWORD element, const std::vector<std::wstring>& ids);
    // A partition device: `device` is the NT device name of the volume (\Device\HarddiskVolume2).
    HRESULT WritePartition(IWbemClassObject* object, DWORD element, const std::wstring& device);

    // Releases every WMI object, undoes Connect's CoInitialize and gives the privileges back
    // to their state before Connect; safe to call twice.
    void Teardown();
    const std::wstring& Warning() const { return warning_; }

  private:
    HRESULT CallStore(const wchar_t* method, const std::vector<zenta::WmiInput>& inputs,
                      zenta::ComPtr<IWbemClassObject>& output, const char* trace = nullptr);
    HRESULT CallObject(IWbemClassObject* object, const wchar_t* method,
                       const std::vector<zenta::WmiInput>& inputs, zenta::ComPtr<IWbemClassObject>& output);
    HRESULT ReadElement(IWbemClassObject* object, DWORD element, zenta::ComPtr<IWbemClassObject>& value);
    HRESULT Fail(const wchar_t* warning, HRESULT hr);
    void EnableBcdPrivileges();
    void GiveBackPrivileges();

    bool connected_ = false;
    CPrivilegeHold privileges_[2]; // SeBackupPrivilege, SeRestorePrivilege
    zenta::ComPtr<IWbemLocator> locator_;
    zenta::ComPtr<IWbemServices> services_;
    zenta::ComPtr<IWbemClassObject> store_;
    std::wstring warning_;
};
