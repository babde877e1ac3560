#include "setup/VolumeReadiness.h"

#include "common/Text.h"
#include "common/UserTexts.h"

#include <cwchar>

namespace {

constexpr HRESULT kNoBitLocker = static_cast<HRESULT>(0x8004100E); // WBEM_E_INVALID_NAMESPACE

std::wstring Drive(wchar_t letter) {
    return std::wstring(1, letter) + L":";
}

std::wstring Hex(DWORD code) {
    wchar_t text[16];
    swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(code));
    return text;
}

// The first BitLocker step that did not answer, in words for the user and for the log.
bool BitLockerUnknown(const BitLockerFacts& b, std::wstring& why, std::wstring& log) {
    const wchar_t* step = b.provider != S_OK ? L"connect" : b.lookup != S_OK ? L"lookup" : nullptr;
    HRESULT hr = b.provider != S_OK ? b.provider : b.lookup;
    if (!step && !b.listed) {
        // The provider lists every volume it can encrypt, an encrypted one included: a volume
        // it does not list is one it does not vouch for either way.
        why = kBitLockerNotListedReason;
        log = L"no Win32_EncryptableVolume carries the letter";
        return true;
    }
    if (!step) {
        step = b.volumeId != S_OK     ? L"PersistentVolumeID"
               : b.conversion != S_OK ? L"GetConversionStatus"
                                      : nullptr;
        hr = b.volumeId != S_OK ? b.volumeId : b.conversion;
    }
    if (!step)
        return false;
    why = zenta::FormatText(kBitLockerErrorReason, Hex(hr).c_str());
    log = std::wstring(step) + L" answered " + Hex(hr);
    return true;
}

} // namespace

std::vector<VolumeFinding> JudgeVolume(const VolumeFacts& f) {
    std::vector<VolumeFinding> refusals, questions;
    const std::wstring drive = Drive(f.letter);
    const BitLockerFacts& b = f.bitLocker;
    auto refuse = [&](const std::wstring& text, const std::wstring& log) {
        refusals.push_back({Readiness::Refuse, text, drive + L" refused: " + log});
    };
    auto ask = [&](const std::wstring& text, const std::wstring& log) {
        questions.push_back({Readiness::Ask, text + kInstallAnywayTail, drive + L" asked about: " + log});
    };

    bool converting = b.conversion == S_OK && b.conversionStatus != 0;
    bool hasVolumeId = b.volumeId == S_OK && !b.volumeIdEmpty;
    std::wstring why, log;
    if (converting || hasVolumeId)
        refuse(zenta::FormatText(kBitLockerText, drive.c_str()),
               L"BitLocker, conversion status " +
                   (b.conversion == S_OK ? std::to_wstring(b.conversionStatus) : Hex(b.conversion)) +
                   L", PersistentVolumeID " + (hasVolumeId ? L"set" : L"empty or unread"));
    else if (b.provider != kNoBitLocker && BitLockerUnknown(b, why, log))
        ask(zenta::FormatText(kBitLockerUnknownText, drive.c_str(), why.c_str()),
            L"BitLocker unknown, " + log);

    // The disk: each query stands on the one before, so the first one that did not answer ends
    // what can be known. No extents at all is no disk either.
    const wchar_t* unknown = f.extentsError || f.extents == 0 ? L"volume extents"
                             : f.extents > 1                  ? nullptr
                             : f.layoutError                  ? L"drive layout"
                             : f.dynamicDisk                  ? nullptr
                             : f.busError                     ? L"bus type"
                                                              : nullptr;
    DWORD error = f.extentsError || f.extents == 0 ? f.extentsError
                  : f.layoutError                  ? f.layoutError
                                                   : f.busError;
    if (f.extents > 1 && !f.extentsError)
        refuse(zenta::FormatText(kSpannedVolumeText, drive.c_str()),
               std::to_wstring(f.extents) + L" extents");
    else if (f.extents == 1 && !f.extentsError && !f.layoutError && f.dynamicDisk)
        refuse(zenta::FormatText(kDynamicDiskText, drive.c_str()),
               L"dynamic disk " + std::to_wstring(f.disk));
    else if (unknown)
        ask(zenta::FormatText(
                kDiskUnknownText, drive.c_str(),
                error ? zenta::FormatText(kDiskErrorReason, static_cast<unsigned long>(error)).c_str() : L""),
            std::wstring(unknown) + L" unknown, error " + std::to_wstring(error) + L", " +
                std::to_wstring(f.extents) + L" extents");
    bool busKnown = !unknown && f.extents == 1 && !f.dynamicDisk;

    const wchar_t* where =
        f.busType == kBusUsb    ? kUsbDiskName
        : f.busType == kBusRaid ? kRaidDiskName
        : f.busType == kBusVirtual || f.busType == kBusFileBackedVirtual || f.busType == kBusSpaces
            ? kVirtualDiskName
            : nullptr;
    if (busKnown && where)
        ask(zenta::FormatText(kUnbootableBusText, drive.c_str(), where),
            L"bus type " + std::to_wstring(f.busType) + L" of disk " + std::to_wstring(f.disk));
    refusals.insert(refusals.end(), questions.begin(), questions.end());
    return refusals;
}
