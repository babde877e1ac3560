// CBcdEditor: the elements of the boot-sector entry and the Boot Manager's display order.
#include "common/Bcd.h"

#include "common/Text.h"
#include "common/WmiCall.h"

#include <algorithm>
#include <vector>

using zenta::ComPtr;

namespace {

// Numbers travel as decimal text; the provider converts them to the declared type.
constexpr wchar_t kElementAppPath[] = L"301989890";      // 0x12000002 BcdLibraryString_ApplicationPath
constexpr wchar_t kElementDescription[] = L"301989892";  // 0x12000004 BcdLibraryString_Description
constexpr wchar_t kElementAppDevice[] = L"285212673";    // 0x11000001 BcdLibraryDevice_ApplicationDevice
constexpr wchar_t kElementDisplayOrder[] = L"603979777"; // 0x24000001 BcdBootMgrObjectList_DisplayOrder
constexpr wchar_t kElementTimeout[] = L"620756996";      // 0x25000004 BcdBootMgrInteger_Timeout
constexpr wchar_t kPartitionDevice[] = L"2";
constexpr wchar_t kMenuSeconds[] = L"10";

bool HasDrivePrefix(const wchar_t* path) {
    return path[0] && path[1] == L':';
}

// The NT device name of "X:" (\Device\HarddiskVolume2); empty when the query fails.
std::wstring DeviceOfDrive(const wchar_t* path) {
    wchar_t drive[3] = {path[0], path[1], L'\0'};
    wchar_t device[MAX_PATH] = {};
    if (!QueryDosDeviceW(drive, device, MAX_PATH))
        device[0] = L'\0';
    return device;
}

// Runs a BcdObject method whose inputs are all text (Type first, as uint32); true when the
// call went through.
bool CallWithTexts(IWbemServices* services, IWbemClassObject* signature, const std::wstring& objectPath,
                   const wchar_t* method,
                   std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> inputs,
                   ComPtr<IWbemClassObject>& out) {
    ComPtr<IWbemClassObject> in;
    if (FAILED(zenta::SpawnInput(signature, in)))
        return false;
    for (const auto& input : inputs) {
        bool isType = lstrcmpW(input.first, L"Type") == 0 || lstrcmpW(input.first, L"DeviceType") == 0;
        if (FAILED(zenta::PutText(in.Get(), input.first, input.second, isType ? CIM_UINT32 : 0)))
            return false;
    }
    return SUCCEEDED(zenta::ExecuteMethod(services, objectPath.c_str(), method, in.Get(), out));
}

enum class OrderState { CallFailed, Absent, Unreadable, Read };

// BcdObject.GetElement of the display order on the Boot Manager at `managerPath`.
OrderState ReadDisplayOrder(IWbemServices* services, IWbemClassObject* getElement,
                            const std::wstring& managerPath, std::vector<std::wstring>& ids) {
    ComPtr<IWbemClassObject> out;
    if (!CallWithTexts(services, getElement, managerPath, L"GetElement", {{L"Type", kElementDisplayOrder}},
                       out))
        return OrderState::CallFailed;
    ComPtr<IWbemClassObject> element = zenta::GetEmbeddedObject(out.Get(), L"Element");
    if (!element)
        return OrderState::Absent;
    return zenta::GetTextArray(element.Get(), L"Ids", ids) ? OrderState::Read : OrderState::Unreadable;
}

// BcdObject.SetObjectListElement of the display order; true when the provider accepted it.
bool WriteDisplayOrder(IWbemServices* services, IWbemClassObject* setList, const std::wstring& managerPath,
                       const std::vector<std::wstring>& ids) {
    ComPtr<IWbemClassObject> in, out;
    bool accepted = false;
    return SUCCEEDED(zenta::SpawnInput(setList, in)) &&
           SUCCEEDED(zenta::PutText(in.Get(), L"Type", kElementDisplayOrder, CIM_UINT32)) &&
           SUCCEEDED(zenta::PutTextArray(in.Get(), L"Ids", ids)) &&
           SUCCEEDED(
               zenta::ExecuteMethod(services, managerPath.c_str(), L"SetObjectListElement", in.Get(), out)) &&
           zenta::GetBool(out.Get(), L"ReturnValue", accepted) && accepted;
}

} // namespace

void CBcdEditor::WriteEntryElements() {
    std::wstring entryPath;
    ComPtr<IWbemClassObject> objectClass, setString, setDevice, out;
    if (!services || !entry || !zenta::GetText(entry.Get(), L"__RELPATH", entryPath) ||
        FAILED(zenta::GetWmiClass(services.Get(), L"BcdObject", objectClass)) ||
        FAILED(zenta::GetInputSignature(objectClass.Get(), L"SetStringElement", setString)))
        return;
    // Without a drive the entry would point at no file at all: only the description is written.
    bool onDrive = HasDrivePrefix(targetPath);

    // D:\zentaos gives \zentaos\zeldr.mbr; a path that would not fit is not cut but left out.
    std::wstring appPath = onDrive ? std::wstring(targetPath + 2) + L"\\zeldr.mbr" : std::wstring();
    ComPtr<IWbemClassObject> in;
    zenta::ScopedVariant typeReadBack;
    if (onDrive && zenta::FitsPath(appPath) && SUCCEEDED(zenta::SpawnInput(setString.Get(), in)) &&
        SUCCEEDED(zenta::PutText(in.Get(), L"String", appPath.c_str(), 0)) &&
        SUCCEEDED(zenta::PutText(in.Get(), L"Type", kElementAppPath, CIM_UINT32)) &&
        SUCCEEDED(in->Get(L"Type", 0, typeReadBack.Get(), nullptr, nullptr)))
        zenta::ExecuteMethod(services.Get(), entryPath.c_str(), L"SetStringElement", in.Get(), out);

    in.Reset();
    if (SUCCEEDED(zenta::SpawnInput(setString.Get(), in)) &&
        SUCCEEDED(zenta::PutText(in.Get(), L"String", kBootEntryDescription, 0)) &&
        SUCCEEDED(zenta::PutText(in.Get(), L"Type", kElementDescription, CIM_UINT32)))
        zenta::ExecuteMethod(services.Get(), entryPath.c_str(), L"SetStringElement", in.Get(), out);

    if (!onDrive ||
        FAILED(zenta::GetInputSignature(objectClass.Get(), L"SetPartitionDeviceElement", setDevice)))
        return;
    std::wstring device = DeviceOfDrive(targetPath);
    if (CallWithTexts(services.Get(), setDevice.Get(), entryPath, L"SetPartitionDeviceElement",
                      {{L"Type", kElementAppDevice},
                       {L"DeviceType", kPartitionDevice},
                       {L"AdditionalOptions", L""},
                       {L"Path", device.c_str()}},
                      out)) {
        bool accepted = false;
        zenta::GetBool(out.Get(), L"ReturnValue", accepted); // read, not acted upon
    }
}

int CBcdEditor::AppendToDisplayOrder() {
    if (!entryId[0])
        return 0;
    ComPtr<IWbemClassObject> bootManager;
    *bootManager.Put() = OpenEntryObject(bootManagerId);
    std::wstring managerPath;
    ComPtr<IWbemClassObject> objectClass, getElement, setList, setInteger, out;
    if (!bootManager || !zenta::GetText(bootManager.Get(), L"__RELPATH", managerPath) ||
        FAILED(zenta::GetWmiClass(services.Get(), L"BcdObject", objectClass)) ||
        FAILED(zenta::GetInputSignature(objectClass.Get(), L"GetElement", getElement)))
        return 0;
    std::vector<std::wstring> ids;
    // An identifier already listed stays where it is; no readable order means none is written.
    if (ReadDisplayOrder(services.Get(), getElement.Get(), managerPath, ids) == OrderState::Read &&
        std::find(ids.begin(), ids.end(), std::wstring(entryId)) == ids.end()) {
        if (FAILED(zenta::GetInputSignature(objectClass.Get(), L"SetObjectListElement", setList)))
            return 0;
        ids.push_back(entryId); // last in the boot menu
        WriteDisplayOrder(services.Get(), setList.Get(), managerPath, ids);
    }
    if (FAILED(zenta::GetInputSignature(objectClass.Get(), L"SetIntegerElement", setInteger)))
        return 0;
    ComPtr<IWbemClassObject> in;
    if (SUCCEEDED(zenta::SpawnInput(setInteger.Get(), in)) &&
        SUCCEEDED(zenta::PutText(in.Get(), L"Type", kElementTimeout, CIM_UINT32)) &&
        SUCCEEDED(zenta::PutText(in.Get(), L"Integer", kMenuSeconds, CIM_UINT64)))
        zenta::ExecuteMethod(services.Get(), managerPath.c_str(), L"SetIntegerElement", in.Get(), out);
    return 1;
}

int CBcdEditor::RemoveFromDisplayOrder(const wchar_t* id) {
    if (!id || !*id)
        return 0;
    ComPtr<IWbemClassObject> bootManager;
    *bootManager.Put() = OpenEntryObject(bootManagerId);
    std::wstring managerPath;
    ComPtr<IWbemClassObject> objectClass, getElement, setList;
    if (!bootManager || !zenta::GetText(bootManager.Get(), L"__RELPATH", managerPath) ||
        FAILED(zenta::GetWmiClass(services.Get(), L"BcdObject", objectClass)) ||
        FAILED(zenta::GetInputSignature(objectClass.Get(), L"GetElement", getElement)))
        return 0;
    std::vector<std::wstring> ids;
    switch (ReadDisplayOrder(services.Get(), getElement.Get(), managerPath, ids)) {
    case OrderState::Absent:
        return 1; // no display order lists anything
    case OrderState::Read:
        break;
    default:
        return 0;
    }
    // GUID text compares without regard to case; every listing of it goes.
    auto listed = [id](const std::wstring& item) { return lstrcmpiW(item.c_str(), id) == 0; };
    auto end = std::remove_if(ids.begin(), ids.end(), listed);
    if (end == ids.end())
        return 1;
    ids.erase(end, ids.end());
    if (FAILED(zenta::GetInputSignature(objectClass.Get(), L"SetObjectListElement", setList)))
        return 0;
    return WriteDisplayOrder(services.Get(), setList.Get(), managerPath, ids) ? 1 : 0;
}
