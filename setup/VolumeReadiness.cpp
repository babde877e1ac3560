#include "setup/VolumeReadiness.h"

#include <cwchar>

namespace {

constexpr HRESULT kNoBitLocker = static_cast<HRESULT>(0x8004100E); // WBEM_E_INVALID_NAMESPACE
const wchar_t kAskTail[] = L"\n\n确定仍然安装到这个驱动器吗？";

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
        why = L"Windows 的 BitLocker 组件没有列出这个驱动器";
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
    why = L"查询 BitLocker 状态时出错，错误代码 " + Hex(hr);
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
        questions.push_back({Readiness::Ask, text + kAskTail, drive + L" asked about: " + log});
    };

    bool converting = b.conversion == S_OK && b.conversionStatus != 0;
    bool hasVolumeId = b.volumeId == S_OK && !b.volumeIdEmpty;
    std::wstring why, log;
    if (converting || hasVolumeId)
        refuse(
            L"目标驱动器 " + drive +
                L" 已启用 BitLocker 驱动器加密（或者正在加密、解密，或者加密已暂停）。星岚系统的启动程序"
                L"不能读取加密的驱动器，安装以后星岚系统将无法启动。\n\n请选择其他驱动器，或者先在控制面板的"
                L"“BitLocker 驱动器加密”中解密这个驱动器，再安装。",
            L"BitLocker, conversion status " +
                (b.conversion == S_OK ? std::to_wstring(b.conversionStatus) : Hex(b.conversion)) +
                L", PersistentVolumeID " + (hasVolumeId ? L"set" : L"empty or unread"));
    else if (b.provider != kNoBitLocker && BitLockerUnknown(b, why, log))
        ask(L"无法确定目标驱动器 " + drive + L" 是否启用了 BitLocker 驱动器加密（" + why +
                L"）。如果这个驱动器已经加密，安装以后星岚系统将无法启动。",
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
        refuse(L"目标驱动器 " + drive +
                   L" 是跨越多块磁盘（或多个分区）的卷，例如动态磁盘上的跨区卷、带区卷。电脑启动时固件只能"
                   L"读取一个分区，安装以后星岚系统将无法启动。\n\n请选择其他驱动器。",
               std::to_wstring(f.extents) + L" extents");
    else if (f.extents == 1 && !f.extentsError && !f.layoutError && f.dynamicDisk)
        refuse(L"目标驱动器 " + drive +
                   L" 位于动态磁盘上。电脑启动时固件无法读取动态磁盘上的卷，安装以后星岚系统将无法启动。\n\n"
                   L"请选择基本磁盘上的其他驱动器。",
               L"dynamic disk " + std::to_wstring(f.disk));
    else if (unknown)
        ask(L"无法确定目标驱动器 " + drive + L" 位于哪一块磁盘上" +
                (error ? L"（错误代码 " + std::to_wstring(error) + L"）" : std::wstring()) +
                L"。如果电脑启动时固件读不到这块磁盘，安装以后星岚系统将无法启动。",
            std::wstring(unknown) + L" unknown, error " + std::to_wstring(error) + L", " +
                std::to_wstring(f.extents) + L" extents");
    bool busKnown = !unknown && f.extents == 1 && !f.dynamicDisk;

    const wchar_t* where =
        f.busType == kBusUsb    ? L"USB 磁盘"
        : f.busType == kBusRaid ? L"RAID 磁盘阵列"
        : f.busType == kBusVirtual || f.busType == kBusFileBackedVirtual || f.busType == kBusSpaces
            ? L"虚拟磁盘（例如 VHD 文件或存储空间）"
            : nullptr;
    if (busKnown && where)
        ask(L"目标驱动器 " + drive + L" 位于" + where +
                L"上。电脑的固件（BIOS）可能无法从这块磁盘启动，"
                L"那样星岚系统将无法启动。",
            L"bus type " + std::to_wstring(f.busType) + L" of disk " + std::to_wstring(f.disk));
    refusals.insert(refusals.end(), questions.begin(), questions.end());
    return refusals;
}
