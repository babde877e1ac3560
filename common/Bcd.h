// CBcdEditor: a small client of the BCD WMI provider (root\wmi, BcdStore and BcdObject).
#pragma once
#include "common/ScopedWin.h"

#include <windows.h>
#include <wbemidl.h>
#include <string>

class CBcdEditor {
  public:
    // Either argument may be null. A text that does not fit MAX_PATH is refused (left empty).
    CBcdEditor(const wchar_t* entryId = nullptr, const wchar_t* targetPath = nullptr);
    // Runs Teardown when the user has not.
    ~CBcdEditor();
    CBcdEditor(const CBcdEditor&) = delete;
    CBcdEditor& operator=(const CBcdEditor&) = delete;

    // Negative: not connected (the user has been told why, and COM is as it was before).
    // S_OK at once when already connected.
    HRESULT Connect();
    // S_OK (0) when the system store is open, also when it already was (then without any
    // WMI call); negative when it could not be opened, `store` staying null.
    HRESULT OpenSystemStore();
    // True when `entry` now holds the newly created boot-sector object `entryId`.
    bool CreateEntryObject();
    // The caller owns the returned reference (null when the object could not be opened).
    IWbemClassObject* OpenEntryObject(const wchar_t* id);
    void WriteEntryElements();
    // Lists `entryId` last in the boot menu and sets the menu timeout; 1 when it got that far.
    int AppendToDisplayOrder();
    // 1 when the provider call went through (an unknown id is not reported).
    int DeleteEntryObject(const wchar_t* id);
    // Takes `id` out of the Windows Boot Manager's display order, leaving every other entry
    // where it was. 1 when the display order does not list `id` afterwards (also when it
    // never did, or the Boot Manager has no display order); 0 when that could not be
    // established or the new order could not be written, and for a null or empty id.
    int RemoveFromDisplayOrder(const wchar_t* id);
    // True only when the provider answered that the store holds no object `id`; false when
    // it holds one or the question could not be asked (not connected, store not open).
    bool EntryObjectGone(const wchar_t* id);
    // Releases every WMI object and undoes Connect's CoInitialize; safe to call twice.
    void Teardown();

    int connected = 0;
    zenta::ComPtr<IWbemLocator> locator;
    zenta::ComPtr<IWbemServices> services;
    wchar_t targetPath[MAX_PATH] = {};
    zenta::ComPtr<IWbemClassObject> store;
    zenta::ComPtr<IWbemClassObject> entry;
    wchar_t bootManagerId[MAX_PATH] = {};
    wchar_t entryId[MAX_PATH] = {};

  private:
    // BcdStore.OpenObject of `id` on the open store: the output parameters, or empty when
    // the call could not be made.
    zenta::ComPtr<IWbemClassObject> CallOpenObject(const wchar_t* id);
};

// Well-known identifier of the Windows Boot Manager object.
constexpr wchar_t kBootManagerId[] = L"{9dea862c-5cdd-4e70-acc1-f32b344d4795}";
// The boot-menu text of the installed system.
constexpr wchar_t kBootEntryDescription[] = L"星岚系统(boot zenta LUM)";
