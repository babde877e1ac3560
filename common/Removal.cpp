#include "common/Removal.h"

#include "common/BootEntry.h"
#include "common/BootIni.h"
#include "common/FastStartup.h"
#include "common/InstallRecord.h"
#include "common/Log.h"
#include "common/SystemHelpers.h"
#include "common/Text.h"
#include "common/Volume.h"

namespace {

bool PathGone(const std::wstring& path) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return false;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

void RemoveBootEntryOf(WindowsKind kind, CInstallRecord& record, wchar_t recordedLetter,
                       RemovalOutcome& outcome) {
    if (kind == BootIni) {
        // The line names the letter the installation had; without one there is no telling
        // which line is ours.
        if (!IsDriveLetter(recordedLetter))
            return;
        const std::wstring directory = InstallDirectory(recordedLetter);
        std::string timeoutLine;
        bool restore = record.ReadBootIniTimeout(timeoutLine);
        BootIniResult result = RemoveBootIniEntry(directory.c_str(), restore ? &timeoutLine : nullptr);
        if (const wchar_t* warning = BootIniStatusText(result.status))
            outcome.warnings.push_back(warning);
        outcome.bootEntryRemoved = result.done;
        if (result.done && result.status == BootIniStatus::NotText)
            Log(L"removal: boot.ini is not plain text but shows no entry of ours: nothing to remove");
    } else if (kind == Bcd) {
        std::wstring id;
        if (!record.ReadBootEntryId(id)) {
            // Registration records the identifier before it touches the store: without one,
            // no entry was ever made.
            outcome.bootEntryRemoved = true;
            return;
        }
        DWORD timeout = 0;
        const bool giveBack = record.ReadMenuTimeout(timeout);
        BcdResult restored;
        BcdResult result =
            RemoveBootEntry(id, outcome.bootEntryForeign, giveBack ? &timeout : nullptr, &restored);
        if (!result.warning.empty())
            outcome.warnings.push_back(result.warning);
        outcome.bootEntryRemoved = result.done;
        if (!result.done)
            Log(L"removal: boot entry %ls left: %ls failed, %ls", id.c_str(), result.step.c_str(),
                ErrorText(result.error).c_str());
        if (result.done && giveBack) {
            Log(L"removal: boot menu timeout %lu %ls%ls%ls", static_cast<unsigned long>(timeout),
                restored.done ? L"given back where still 10 s" : L"NOT given back: ", restored.step.c_str(),
                restored.done ? L"" : (L", " + ErrorText(restored.error)).c_str());
            if (!restored.done)
                outcome.warnings.push_back(
                    restored.warning.empty()
                        ? zenta::FormatText(L"无法恢复启动菜单原来的等待时间（%lu 秒）。",
                                            static_cast<unsigned long>(timeout))
                        : restored.warning);
        }
    }
    // The boot configuration of an unknown system is not ours to touch.
}

const wchar_t* Word(bool removed) {
    return removed ? L"removed" : L"LEFT";
}

} // namespace

RemovalOutcome RemoveInstallation(WindowsKind kind, bool bootEntryMade, bool filesMade) {
    RemovalOutcome outcome;
    CInstallRecord record;
    DWORD value = 0;
    if (!record.Open(false) || !record.ReadDrive(value)) {
        Log(L"removal: no installation recorded");
        return outcome;
    }
    outcome.recorded = true;
    outcome.driveValue = value;
    const wchar_t letter = static_cast<wchar_t>(value & 0xFFFF);
    std::wstring volume;
    record.ReadVolume(volume);
    // A value that names no drive would make the paths point anywhere: no file is touched.
    outcome.drive = RemovalDrive(letter, volume, VolumeOfDrive(letter), DriveOfVolume(volume));
    outcome.volumeUnreachable = !volume.empty() && !outcome.drive;
    Log(L"removal of the installation on drive value 0x%08lX, volume %ls (Windows kind %d): files on %lc:",
        static_cast<unsigned long>(value), volume.empty() ? L"not recorded" : volume.c_str(),
        static_cast<int>(kind), static_cast<wint_t>(outcome.drive ? outcome.drive : L'-'));
    if (outcome.volumeUnreachable) {
        // Its files cannot be reached, so nothing else goes either: the record stays for a
        // removal once the volume has a letter again.
        Log(L"removal: the recorded volume has no drive letter now; nothing removed");
        return outcome;
    }
    const wchar_t onDrive = outcome.drive ? outcome.drive : letter;
    const std::wstring loader = LoaderFile(onDrive);
    const std::wstring directory = InstallDirectory(onDrive);

    if (bootEntryMade) {
        RemoveBootEntryOf(kind, record, letter, outcome);
    } else {
        Log(L"removal: the installation made no boot entry");
        outcome.bootEntryRemoved = true;
    }
    record.Close();
    if (!filesMade) {
        Log(L"removal: the installation made no files; %ls and %ls are not ours", loader.c_str(),
            directory.c_str());
        outcome.loaderRemoved = outcome.directoryRemoved = true;
    } else {
        if (outcome.bootEntryRemoved && outcome.drive) {
            // The boot-sector file is read-only: it keeps the bit when it cannot go.
            DeleteFileKeepingAttributes(loader);
            DeleteDirectoryTree(directory.c_str());
        }
        outcome.loaderRemoved = outcome.drive && PathGone(loader);
        outcome.directoryRemoved = outcome.drive && PathGone(directory);
    }
    if (outcome.bootEntryRemoved && outcome.loaderRemoved && outcome.directoryRemoved) {
        // Fast Startup stays off while anything of the installed system is left to use the drive.
        CInstallRecord reopened;
        DWORD hiberboot = 0;
        const bool opened = reopened.Open(false);
        const bool recordedHiberboot = opened && reopened.ReadHiberboot(hiberboot);
        reopened.Close();
        outcome.fastStartupLeft = !opened || !RestoreFastStartup(recordedHiberboot ? &hiberboot : nullptr);
        if (!outcome.fastStartupLeft)
            DeleteRecords();
    }
    outcome.installRecordRemoved = InstallRecordGone();
    outcome.uninstallRecordRemoved = UninstallRecordGone();
    Log(L"removal: boot entry %ls%ls, %ls %ls, %ls %ls, installation record %ls, uninstall record %ls",
        Word(outcome.bootEntryRemoved), outcome.bootEntryForeign ? L" (not ours)" : L"", loader.c_str(),
        Word(outcome.loaderRemoved), directory.c_str(), Word(outcome.directoryRemoved),
        Word(outcome.installRecordRemoved), Word(outcome.uninstallRecordRemoved));
    return outcome;
}

std::wstring DescribeIncompleteRemoval(const RemovalOutcome& outcome) {
    if (!outcome.recorded)
        return L"没有找到星岚LUM系统的安装记录，未删除任何内容。";
    std::wstring text = L"星岚LUM系统没有完全删除，以下内容仍然存在：\n";
    if (!outcome.bootEntryRemoved)
        text += outcome.bootEntryForeign
                    ? L"\n启动菜单中的启动项（安装记录指向的不是星岚系统的启动项，未作改动）"
                    : L"\n启动菜单中的星岚系统启动项";
    if (outcome.volumeUnreachable) {
        text += L"\n\\zeldr 文件和 \\zentaos 文件夹（安装所在的卷现在没有驱动器号，未删除任何内容；"
                L"请为该卷重新分配驱动器号后再次删除）";
    } else if (!outcome.drive) {
        text += zenta::FormatText(
            L"\n\\zeldr 文件和 \\zentaos 文件夹（安装记录中的驱动器 0x%08lX 无效，未能删除）",
            static_cast<unsigned long>(outcome.driveValue));
    } else {
        if (!outcome.loaderRemoved)
            text += L"\n文件 " + LoaderFile(outcome.drive);
        if (!outcome.directoryRemoved)
            text += L"\n文件夹 " + InstallDirectory(outcome.drive);
    }
    if (outcome.fastStartupLeft)
        text += L"\nWindows“快速启动”仍是关闭的（未能恢复为安装前的设置）";
    if (!outcome.installRecordRemoved)
        text += std::wstring(L"\n注册表项 HKEY_LOCAL_MACHINE\\") + kHardDiskKey;
    if (!outcome.uninstallRecordRemoved)
        text += std::wstring(L"\n注册表项 HKEY_LOCAL_MACHINE\\") + kUninstallKey;
    if (!outcome.installRecordRemoved)
        text += L"\n\n请关闭可能正在使用这些内容的程序，然后再次运行安装程序：它会再次提供删除。";
    return text;
}
