// CBcdEditor: a small client of the BCD WMI provider (root\wmi, BcdStore and BcdObject).
#pragma once
#include "common/ScopedWin.h"

#include <windows.h>
#include <wbemidl.h>
#include <string>

class CBcdEditor {
public:
    // Either argument may be null.
    CBcdEditor(const wchar_t* entryId = nullptr, const wchar_t* targetPath = nullptr);
    ~CBcdEditor();
    CBcdEditor(const CBcdEditor&) = delete;
    CBcdEditor& operator=(const CBcdEditor&) = delete;

    HRESULT Connect();
    HRESULT OpenSystemStore();
    bool CreateEntryObject();
    // The caller owns the returned reference (null when the object could not be opened).
    IWbemClassObject* OpenEntryObject(const wchar_t* id);
    void WriteEntryElements();
    int AppendToDisplayOrder();
    int DeleteEntryObject(const wchar_t* id);
    void Teardown();

    int connected = 0;
    zenta::ComPtr<IWbemLocator> locator;
    zenta::ComPtr<IWbemServices> services;
    wchar_t targetPath[MAX_PATH] = {};
    zenta::ComPtr<IWbemClassObject> store;
    zenta::ComPtr<IWbemClassObject> entry;
    wchar_t bootManagerId[MAX_PATH] = {};
    wchar_t entryId[MAX_PATH] = {};
};

// Well-known identifier of the Windows Boot Manager object.
constexpr wchar_t kBootManagerId[] = L"{9dea862c-5cdd-4e70-acc1-f32b344d4795}";
// The boot-menu text of the installed system.
constexpr wchar_t kBootEntryDescription[] = L"星岚系统(boot zenta LUM)";
