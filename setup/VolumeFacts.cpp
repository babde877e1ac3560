#include "setup/VolumeFacts.h"

#include "common/Log.h"
#include "common/ScopedWin.h"

#include <winioctl.h>
#include <wbemidl.h>
#include <cstring>
#include <vector>

using zenta::ComPtr;
using zenta::ScopedBstr;
using zenta::ScopedHandle;
using zenta::ScopedVariant;

namespace {

// The Logical Disk Manager's GPT partition types: its metadata and its data partitions.
const GUID kLdmMetadata = {0x5808C8AA, 0x7E8F, 0x42E0, {0x85, 0xD2, 0xE1, 0xE9, 0x04, 0x34, 0xCF, 0xB3}};
const GUID kLdmData = {0xAF9B60A0, 0x1431, 0x4F62, {0xBC, 0x68, 0x33, 0x11, 0x71, 0x4A, 0x69, 0xAD}};
constexpr LONG kWmiWait = 30000; // ms for one enumeration step; then the answer is "unknown"

// A volume or disk device opened for queries only: no read or write access is needed for them.
ScopedHandle OpenDevice(const std::wstring& path) {
    ScopedHandle device(
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    Log(L"open %ls for queries: %ls", path.c_str(), device ? L"done" : ErrorText(GetLastError()).c_str());
    return device;
}

// DeviceIoControl into `out`, which grows while the answer does not fit (up to 1 MiB). A
// partial answer (ERROR_MORE_DATA) counts as an answer. The error, or ERROR_SUCCESS.
DWORD Ask(HANDLE device, DWORD code, const wchar_t* name, const void* in, DWORD inSize,
          std::vector<BYTE>& out) {
    DWORD error = ERROR_INVALID_HANDLE, bytes = 0;
    for (out.assign(4096, 0); device && out.size() <= (1u << 20); out.assign(out.size() * 4, 0)) {
        error = DeviceIoControl(device, code, const_cast<void*>(in), inSize, out.data(),
                                static_cast<DWORD>(out.size()), &bytes, nullptr)
                    ? ERROR_SUCCESS
                    : GetLastError();
        if (error != ERROR_INSUFFICIENT_BUFFER)
            break;
    }
    error = error == ERROR_MORE_DATA ? ERROR_SUCCESS : error;
    Log(L"%ls: %ls, %lu bytes", name, error ? ErrorText(error).c_str() : L"done", bytes);
    return error;
}

void QueryDisk(VolumeFacts& facts) {
    std::vector<BYTE> answer;
    ScopedHandle volume = OpenDevice(L"\\\\.\\" + std::wstring(1, facts.letter) + L":");
    facts.extentsError = volume ? Ask(volume.Get(), IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS,
                                      L"IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS", nullptr, 0, answer)
                                : GetLastError();
    if (facts.extentsError)
        return;
    const auto* extents = reinterpret_cast<const VOLUME_DISK_EXTENTS*>(answer.data());
    facts.extents = extents->NumberOfDiskExtents;
    facts.disk = facts.extents ? extents->Extents[0].DiskNumber : 0;
    Log(L"%lc: has %lu extents, the first on disk %lu", facts.letter, facts.extents, facts.disk);
    if (facts.extents != 1)
        return;
    ScopedHandle disk = OpenDevice(L"\\\\.\\PhysicalDrive" + std::to_wstring(facts.disk));
    facts.layoutError = disk ? Ask(disk.Get(), IOCTL_DISK_GET_DRIVE_LAYOUT_EX,
                                   L"IOCTL_DISK_GET_DRIVE_LAYOUT_EX", nullptr, 0, answer)
                             : GetLastError();
    facts.dynamicDisk =
        !facts.layoutError && HasLdmPartition(answer.data(), static_cast<DWORD>(answer.size()));
    STORAGE_PROPERTY_QUERY query = {StorageDeviceProperty, PropertyStandardQuery, {0}};
    facts.busError = disk ? Ask(disk.Get(), IOCTL_STORAGE_QUERY_PROPERTY, L"IOCTL_STORAGE_QUERY_PROPERTY",
                                &query, sizeof query, answer)
                          : facts.layoutError;
    if (!facts.busError)
        facts.busType = reinterpret_cast<const STORAGE_DEVICE_DESCRIPTOR*>(answer.data())->BusType;
    Log(L"disk %lu: %ls, bus type %lu", facts.disk, facts.dynamicDisk ? L"dynamic" : L"no LDM partition",
        facts.busType);
}

// Packet privacy, as the BitLocker namespace demands, on a proxy from it.
HRESULT Private(IUnknown* proxy) {
    HRESULT hr =
        CoSetProxyBlanket(proxy, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_PKT_PRIVACY,
                          RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    Log(L"BitLocker: CoSetProxyBlanket (packet privacy): %ls",
        SUCCEEDED(hr) ? L"done" : ErrorText(hr).c_str());
    return hr;
}

HRESULT Logged(const wchar_t* step, HRESULT hr) {
    Log(L"BitLocker: %ls: %ls", step, SUCCEEDED(hr) ? L"done" : ErrorText(hr).c_str());
    return hr;
}

DWORD Number(IWbemClassObject* object, const wchar_t* name, HRESULT& hr) {
    ScopedVariant value;
    if (SUCCEEDED(hr))
        hr = object->Get(name, 0, value.Get(), nullptr, nullptr);
    if (SUCCEEDED(hr) && value.Ref().vt != VT_I4)
        hr = WBEM_E_TYPE_MISMATCH;
    return SUCCEEDED(hr) ? static_cast<DWORD>(value.Ref().lVal) : 0;
}

// GetConversionStatus on `volume`. Its one input, PrecisionFactor (Windows 8 and later), is
// left at its default: the status is all that counts.
void QueryConversion(IWbemServices* services, IWbemClassObject* volume, BitLockerFacts& facts) {
    ScopedVariant path;
    HRESULT hr = volume->Get(L"__RELPATH", 0, path.Get(), nullptr, nullptr);
    if (SUCCEEDED(hr) && path.Ref().vt != VT_BSTR)
        hr = WBEM_E_INVALID_OBJECT_PATH;
    ComPtr<IWbemClassObject> out;
    ScopedBstr method(L"GetConversionStatus");
    if (SUCCEEDED(hr))
        hr = Logged(
            L"ExecMethod GetConversionStatus",
            services->ExecMethod(path.Ref().bstrVal, method.Get(), 0, nullptr, nullptr, out.Put(), nullptr));
    if (SUCCEEDED(hr) && !out)
        hr = WBEM_E_FAILED;
    DWORD returned = out ? Number(out.Get(), L"ReturnValue", hr) : 0;
    if (SUCCEEDED(hr) && returned) // a failing call's outputs are not to be read
        hr = static_cast<HRESULT>(returned);
    facts.conversionStatus = out ? Number(out.Get(), L"ConversionStatus", hr) : 0;
    facts.encryptionPercentage = out ? Number(out.Get(), L"EncryptionPercentage", hr) : 0;
    facts.conversion = FAILED(hr) ? hr : S_OK;
    Log(L"BitLocker: ReturnValue 0x%08lX, ConversionStatus %lu, EncryptionPercentage %lu", returned,
        facts.conversionStatus, facts.encryptionPercentage);
}

} // namespace

bool HasLdmPartition(const void* layout, DWORD bytes) {
    const auto* drive = static_cast<const DRIVE_LAYOUT_INFORMATION_EX*>(layout);
    const DWORD header = offsetof(DRIVE_LAYOUT_INFORMATION_EX, PartitionEntry);
    if (bytes < header)
        return false;
    DWORD count = std::min<DWORD>(drive->PartitionCount, (bytes - header) / sizeof(PARTITION_INFORMATION_EX));
    for (DWORD i = 0; i < count; ++i) {
        const PARTITION_INFORMATION_EX& p = drive->PartitionEntry[i];
        if (p.PartitionStyle == PARTITION_STYLE_MBR ? p.Mbr.PartitionType == PARTITION_LDM
            : p.PartitionStyle == PARTITION_STYLE_GPT
                ? IsEqualGUID(p.Gpt.PartitionType, kLdmMetadata) || IsEqualGUID(p.Gpt.PartitionType, kLdmData)
                : false)
            return true;
    }
    return false;
}

BitLockerFacts QueryBitLocker(wchar_t letter) {
    BitLockerFacts facts;
    HRESULT hr = CoInitialize(nullptr);
    bool initialised = SUCCEEDED(hr);
    if (hr == RPC_E_CHANGED_MODE) // this thread's COM is already up, in the other model
        hr = S_OK;
    // Set once per process; the BCD connection may have done it already.
    HRESULT security = SUCCEEDED(hr)
                           ? CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                                  RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr)
                           : S_OK;
    if (FAILED(security) && security != RPC_E_TOO_LATE)
        hr = Logged(L"CoInitializeSecurity", security);
    {
        ComPtr<IWbemLocator> locator;
        ComPtr<IWbemServices> services;
        if (SUCCEEDED(hr))
            hr = Logged(L"CoCreateInstance WbemLocator",
                        CoCreateInstance(__uuidof(WbemLocator), nullptr, CLSCTX_INPROC_SERVER,
                                         __uuidof(IWbemLocator), locator.PutVoid()));
        ScopedBstr space(L"Root\\CIMV2\\Security\\MicrosoftVolumeEncryption");
        if (SUCCEEDED(hr))
            hr = Logged(L"ConnectServer Root\\CIMV2\\Security\\MicrosoftVolumeEncryption",
                        locator->ConnectServer(space.Get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                               services.Put()));
        if (SUCCEEDED(hr))
            hr = Private(services.Get());
        facts.provider = FAILED(hr) ? hr : S_OK;

        ComPtr<IEnumWbemClassObject> found;
        ComPtr<IWbemClassObject> volume;
        wchar_t wql[80];
        wsprintfW(wql, L"SELECT * FROM Win32_EncryptableVolume WHERE DriveLetter = '%c:'", letter);
        ScopedBstr language(L"WQL"), query(wql);
        if (SUCCEEDED(hr))
            hr = Logged(wql, services->ExecQuery(language.Get(), query.Get(),
                                                 WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
                                                 nullptr, found.Put()));
        if (SUCCEEDED(hr))
            hr = Private(found.Get());
        ULONG count = 0;
        if (SUCCEEDED(hr))
            hr = Logged(L"IEnumWbemClassObject::Next", found->Next(kWmiWait, 1, volume.Put(), &count));
        if (hr == WBEM_S_TIMEDOUT)
            hr = WBEM_E_TIMED_OUT;
        facts.lookup = facts.provider != S_OK ? E_PENDING : FAILED(hr) ? hr : S_OK;
        facts.listed = SUCCEEDED(hr) && count == 1 && volume;
        if (facts.lookup == S_OK)
            Log(L"BitLocker: %lc: %ls", letter, facts.listed ? L"listed" : L"not listed");
        if (facts.listed) {
            // "An empty string if the volume is a standard fully decrypted NTFS volume"; an
            // unset value is taken as empty, GetConversionStatus having the last word.
            ScopedVariant id;
            facts.volumeId = volume->Get(L"PersistentVolumeID", 0, id.Get(), nullptr, nullptr);
            if (SUCCEEDED(facts.volumeId) && id.Ref().vt != VT_BSTR && id.Ref().vt != VT_NULL)
                facts.volumeId = WBEM_E_TYPE_MISMATCH;
            facts.volumeIdEmpty = id.Ref().vt != VT_BSTR || !id.Ref().bstrVal || !*id.Ref().bstrVal;
            Log(L"BitLocker: PersistentVolumeID: %ls", FAILED(facts.volumeId)
                                                           ? ErrorText(facts.volumeId).c_str()
                                                       : facts.volumeIdEmpty ? L"empty"
                                                                             : id.Ref().bstrVal);
            QueryConversion(services.Get(), volume.Get(), facts);
        }
    }
    if (initialised)
        CoUninitialize();
    return facts;
}

VolumeFacts QueryVolumeFacts(wchar_t letter) {
    VolumeFacts facts;
    facts.letter = letter;
    QueryDisk(facts);
    facts.bitLocker = QueryBitLocker(letter);
    return facts;
}
