#include "common/Removal.h"

#include "common/BootEntry.h"
#include "common/BootIni.h"
#include "common/FastStartup.h"
#include "common/InstallRecord.h"
#include "common/Log.h"
#include "common/SystemHelpers.h"
#include "common/Text.h"
#include "common/UserTexts.h"
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
        // A file that is not plain text stays so whatever a later run does.
        outcome.bootConfigRefused = !result.done && result.status == BootIniStatus::NotText;
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
        outcome.bootEntryId = id;
        DWORD timeout = 0;
        const bool giveBack = record.ReadMenuTimeout(timeout);
        BcdResult restored;
        BcdResult result =
            RemoveBootEntry(id, outcome.bootEntryForeign, giveBack ? &timeout : nullptr, &restored);
        if (!result.warning.empty())
            outcome.warnings.push_back(result.warning);
        outcome.bootEntryRemoved = result.done;
        // Of our type at our identifier: the user may delete it by hand. Anything else (another
        // type, the Boot Manager, a malformed identifier) must not be named for deletion.
        outcome.bootEntryEdited =
            outcome.bootEntryForeign && (result.step == L"the entry has another description" ||
                                         result.step == L"the entry has another path");
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
                        ? zenta::FormatText(kTimeoutNotBackText, static_cast<unsigned long>(timeout))
                        : restored.warning);
        }
    }
    // The boot configuration of an unknown system is not ours to touch.
}

const wchar_t* Word(bool removed) {
    return removed ? L"removed" : L"LEFT";
}

} // namespace

RemovalEnd ClassifyRemoval(const RemovalOutcome& outcome) {
    if (!outcome.recorded || outcome.Complete())
        return outcome.volumeGone ? RemovalEnd::DriveGone : RemovalEnd::Removed;
    if (outcome.volumeUnreachable)
        return RemovalEnd::Transient; // a letter given back lets a later removal see everything
    // The files wait for the boot entry: while it stays they stay for the same reason.
    if (!outcome.bootEntryRemoved)
        return outcome.bootEntryForeign || outcome.bootConfigRefused ? RemovalEnd::Lasting
                                                                     : RemovalEnd::Transient;
    // A record that names no drive names no files a later run could find.
    if (!outcome.drive && !outcome.volumeGone && (!outcome.loaderRemoved || !outcome.directoryRemoved))
        return RemovalEnd::Lasting;
    return RemovalEnd::Transient;
}

RemovalOutcome RemoveInstallation(WindowsKind kind, bool bootEntryMade, DWORD madeHere) {
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
    outcome.volumeGone =
        !volume.empty() && !outcome.drive && VolumePresenceNow(volume) == VolumePresence::Gone;
    outcome.volumeUnreachable = !volume.empty() && !outcome.drive && !outcome.volumeGone;
    const DWORD made = record.MadeItems() | madeHere;
    Log(L"removal of the installation on drive value 0x%08lX, volume %ls (Windows kind %d): files on %lc:",
        static_cast<unsigned long>(value), volume.empty() ? L"not recorded" : volume.c_str(),
        static_cast<int>(kind), static_cast<wint_t>(outcome.drive ? outcome.drive : L'-'));
    if (outcome.volumeUnreachable) {
        // Its files cannot be reached, so nothing else goes either: the record stays for a
        // removal once the volume has a letter again.
        Log(L"removal: the recorded volume has no drive letter now; nothing removed");
        return outcome;
    }
    if (outcome.volumeGone)
        Log(L"removal: the recorded volume no longer exists; its files went with it");
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
    if (outcome.volumeGone) {
        outcome.loaderRemoved = outcome.directoryRemoved = true;
    } else {
        // Only what the installation made is its own: anything else of that name is left alone.
        if (!(made & kMadeLoader))
            Log(L"removal: the installation did not make %ls: not ours", loader.c_str());
        if (!(made & kMadeDirectory))
            Log(L"removal: the installation did not make %ls: not ours", directory.c_str());
        if (outcome.bootEntryRemoved && outcome.drive) {
            // The boot-sector file is read-only: it keeps the bit when it cannot go.
            if (made & kMadeLoader)
                DeleteFileKeepingAttributes(loader);
            if (made & kMadeDirectory)
                DeleteDirectoryTree(directory.c_str());
        }
        outcome.loaderRemoved = !(made & kMadeLoader) || (outcome.drive && PathGone(loader));
        outcome.directoryRemoved = !(made & kMadeDirectory) || (outcome.drive && PathGone(directory));
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
        return kNothingRecordedText;
    std::wstring text = kLeftIntroText;
    if (!outcome.bootEntryRemoved)
        text += outcome.bootEntryForeign ? kForeignEntryLeftItem : kEntryLeftItem;
    if (outcome.volumeUnreachable) {
        text += kNoLetterItem;
    } else if (outcome.volumeGone) {
        // Its files went with the volume: nothing of them to list.
    } else if (!outcome.drive) {
        text += zenta::FormatText(kBadDriveItem, static_cast<unsigned long>(outcome.driveValue));
    } else {
        if (!outcome.loaderRemoved)
            text += zenta::FormatText(kFileLeftItem, LoaderFile(outcome.drive).c_str());
        if (!outcome.directoryRemoved)
            text += zenta::FormatText(kFolderLeftItem, InstallDirectory(outcome.drive).c_str());
    }
    if (outcome.fastStartupLeft)
        text += kFastStartupLeftItem;
    if (!outcome.installRecordRemoved)
        text += zenta::FormatText(kKeyLeftItem, kHardDiskKey);
    if (!outcome.uninstallRecordRemoved)
        text += zenta::FormatText(kKeyLeftItem, kUninstallKey);
    if (!outcome.installRecordRemoved)
        text += kRetryLaterText;
    return text;
}

std::wstring DescribeLeftForGood(const RemovalOutcome& outcome) {
    std::wstring text;
    const wchar_t letter = static_cast<wchar_t>(outcome.driveValue & 0xFFFF);
    if (!outcome.bootEntryRemoved && outcome.bootEntryForeign && !outcome.bootEntryEdited)
        text += zenta::FormatText(kNotOurEntryForGood, outcome.bootEntryId.c_str());
    if (!outcome.bootEntryRemoved && outcome.bootEntryEdited)
        text +=
            zenta::FormatText(kEditedEntryForGood, outcome.bootEntryId.c_str(), outcome.bootEntryId.c_str());
    if (!outcome.bootEntryRemoved && outcome.bootConfigRefused)
        text += zenta::FormatText(kBootIniForGood, BootIniPath().c_str(), static_cast<wint_t>(letter));
    if (outcome.drive && (!outcome.loaderRemoved || !outcome.directoryRemoved))
        text += zenta::FormatText(kFilesForGood, LoaderFile(outcome.drive).c_str(),
                                  InstallDirectory(outcome.drive).c_str());
    else if (!outcome.drive && !outcome.volumeGone && !outcome.volumeUnreachable)
        text += zenta::FormatText(kBadDriveForGood, static_cast<unsigned long>(outcome.driveValue));
    return text;
}

bool ForgetInstallation() {
    const bool gone = DeleteRecords();
    Log(L"removal: the installation forgotten at the user's word: records %ls; everything else left as it is",
        gone ? L"deleted" : L"NOT deleted");
    return gone;
}
