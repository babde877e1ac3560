// Whether the computer can start Zenta LUM from a target volume: the volume's facts (filled by
// QueryVolumeFacts in setup/VolumeFacts.h, or by a test) and the decision over them, which
// makes no call of its own.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// The BitLocker provider's answers for one drive letter. Each HRESULT is S_OK when that step
// answered; E_PENDING when it was never reached.
struct BitLockerFacts {
    // Connecting to its namespace: WBEM_E_INVALID_NAMESPACE means this Windows has no BitLocker.
    HRESULT provider = E_PENDING;
    // Looking the letter up; `listed` tells whether an instance carries it.
    HRESULT lookup = E_PENDING;
    bool listed = false;
    // PersistentVolumeID: empty on a volume BitLocker has never touched.
    HRESULT volumeId = E_PENDING;
    bool volumeIdEmpty = true;
    // GetConversionStatus: the call's HRESULT, or its non-zero ReturnValue.
    HRESULT conversion = E_PENDING;
    DWORD conversionStatus = 0; // 0 fully decrypted, 1 encrypted, 2..5 in progress or paused
    DWORD encryptionPercentage = 0;
};

// STORAGE_DEVICE_DESCRIPTOR.BusType values the decision knows.
constexpr DWORD kBusUsb = 7, kBusRaid = 8, kBusVirtual = 0xE, kBusFileBackedVirtual = 0xF, kBusSpaces = 0x10;

struct VolumeFacts {
    wchar_t letter = 0;
    BitLockerFacts bitLocker;
    // IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS: its error, the number of extents, the first one's disk.
    DWORD extentsError = ERROR_NOT_READY;
    DWORD extents = 0;
    DWORD disk = 0;
    // IOCTL_DISK_GET_DRIVE_LAYOUT_EX on that disk: its error; whether a partition is LDM's.
    DWORD layoutError = ERROR_NOT_READY;
    bool dynamicDisk = false;
    // IOCTL_STORAGE_QUERY_PROPERTY (StorageDeviceProperty) on that disk: its error, the bus.
    DWORD busError = ERROR_NOT_READY;
    DWORD busType = 0;
};

enum class Readiness { Refuse, Ask };

// One reason not to go on without the user: a refusal ("错误" box) or a Yes/No question
// (default No). `log` says in English what was found.
struct VolumeFinding {
    Readiness kind;
    std::wstring text;
    std::wstring log;
};

// Every refusal, then every question, for the volume the facts describe; empty: nothing stands
// in the way. An unanswered query counts as a question, never as a pass: the user decides.
std::vector<VolumeFinding> JudgeVolume(const VolumeFacts& facts);
