#include "setup/Installation.h"

#include "common/BootEntry.h"
#include "common/BootIni.h"
#include "common/FastStartup.h"
#include "common/Log.h"
#include "common/InstallRecord.h"
#include "common/Text.h"
#include "common/UserTexts.h"
#include "common/Volume.h"
#include "setup/LoaderFiles.h"
#include "setup/Package.h"
#include "resources/resource.h"

#include <algorithm>

namespace {

const wchar_t* StateName(CopyState state) {
    static const wchar_t* const kNames[] = {L"running", L"completed", L"stopped", L"failed"};
    return kNames[static_cast<int>(state)];
}

std::wstring CopyFailureText(const CopyOutcome& outcome) {
    std::wstring what;
    if (outcome.error == kLinkedTargetError)
        what = zenta::FormatText(kLinkedTargetText, outcome.fileName.c_str());
    else if (outcome.error == kLinkedSourceError)
        what = zenta::FormatText(kLinkedSourceText, outcome.fileName.c_str());
    else if (outcome.fileName.empty()) // a job that could not even start its worker
        what = zenta::FormatText(kCopyNotStartedText, ErrorText(outcome.error).c_str());
    else
        what = zenta::FormatText(kCopyFailedText, outcome.fileName.c_str(), ErrorText(outcome.error).c_str());
    return what + kCopiedFilesGoTail;
}

std::wstring CheckFailureText(const std::wstring& path, DWORD error) {
    return zenta::FormatText(kCheckFailedText, path.c_str(), ErrorText(error).c_str());
}

std::wstring RecordFailureText() {
    return zenta::FormatText(kRecordFailedText, kHardDiskKey, ErrorText(GetLastError()).c_str());
}

// The boot menu's timeout goes into the record before the registration changes it.
struct TimeoutToRecord : IMenuTimeoutRecorder {
    bool RecordMenuTimeout(DWORD seconds) override {
        CInstallRecord record;
        return record.Open(true) && record.WriteMenuTimeout(seconds);
    }
};

} // namespace

CInstallation::CInstallation(const std::wstring& packageDir, wchar_t drive, WindowsKind kind,
                             bool turnOffFastStartup)
    : packageDir_(packageDir), drive_(drive), kind_(kind), turnOffFastStartup_(turnOffFastStartup),
      directory_(InstallDirectory(drive)), job_(packageDir, kind, drive, control_),
      release_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    job_.madeRecorder = &madeRecord_;
}

bool CInstallation::MadeRecord::RecordMade(DWORD item) {
    made |= item;
    CInstallRecord record;
    if (!record.Open(true) || !record.AddMade(item)) {
        SetLastError(ERROR_CANTWRITE);
        return false;
    }
    Log(L"installation record: made %ls",
        item == kMadeDirectory ? L"the directory" : L"the boot loader file");
    return true;
}

CInstallation::~CInstallation() {
    if (!thread_)
        return;
    // A completed installation stays; anything short of that is undone.
    SetEvent(release_.Get());
    if (static_cast<InstallState>(InterlockedCompareExchange(&state_, 0, 0)) == InstallState::Running)
        control_.Stop();
    WaitForSingleObject(thread_.Get(), INFINITE);
}

bool CInstallation::Fail(const std::wstring& text) {
    failure_ = text;
    Log(L"installation failed: %ls", text.c_str());
    return false;
}

bool CInstallation::Start() {
    if (!control_.Ready() || !release_)
        return Fail(zenta::FormatText(kInstallNotStartedText, ErrorText(GetLastError()).c_str()));
    thread_.Reset(CreateThread(nullptr, 0, &CInstallation::ThreadMain, this, 0, nullptr));
    if (!thread_)
        return Fail(zenta::FormatText(kInstallNotStartedText, ErrorText(GetLastError()).c_str()));
    return true;
}

DWORD WINAPI CInstallation::ThreadMain(void* installation) {
    static_cast<CInstallation*>(installation)->Run();
    return 0;
}

void CInstallation::Run() {
    // The boot entry and its removal speak COM from this thread.
    zenta::ScopedCoInit com;
    bool completed = Record() && TurnOffFastStartupIfAsked() && control_.GoOn() && Copy() &&
                     control_.GoOn() && CheckCopy() && control_.GoOn() && RegisterBoot() && control_.GoOn() &&
                     WriteUninstallRecord();
    if (completed) {
        InterlockedExchange(&state_, static_cast<LONG>(InstallState::Completed));
        // Until the page has moved on, a confirmed cancel still undoes the whole installation.
        HANDLE ends[] = {release_.Get(), control_.StopEvent()};
        if (WaitForMultipleObjects(2, ends, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
            return;
        Log(L"installation cancelled after it had completed");
    }
    const bool cancelled = failure_.empty();
    Log(L"installation %ls: undoing what was done", cancelled ? L"cancelled" : L"failed");
    rollback_ = RemoveInstallation(kind_, bootEntryMade_, madeRecord_.made);
    InterlockedExchange(&state_,
                        static_cast<LONG>(cancelled ? InstallState::Cancelled : InstallState::Failed));
}

bool CInstallation::Record() {
    Log(L"installation to %ls from %ls", directory_.c_str(), packageDir_.c_str());
    // The volume too: removal must find the files where they are, whatever letter its drive
    // has by then.
    std::wstring volume = VolumeOfDrive(drive_);
    if (volume.empty())
        return Fail(
            zenta::FormatText(kNoVolumeText, static_cast<wint_t>(drive_), ErrorText(GetLastError()).c_str()));
    // Recorded first, so that an interrupted installation is offered for removal next time;
    // without the record nothing may be changed, as nothing could be removed again.
    CInstallRecord record;
    if (!record.Create() || !record.WriteDrive(drive_) || !record.WriteVolume(volume) ||
        !record.ForgetTimeout() || !record.WriteMade(0))
        return Fail(RecordFailureText());
    Log(L"installation record written: Drive = %lu (%lc:), Volume = %ls", static_cast<unsigned long>(drive_),
        static_cast<wint_t>(drive_), volume.c_str());
    return true;
}

bool CInstallation::TurnOffFastStartupIfAsked() {
    if (!turnOffFastStartup_) {
        Log(L"Fast Startup left as it is");
        return true;
    }
    // The value it had goes into the record first, for the removal to give it back.
    CInstallRecord record;
    DWORD before = 0;
    if (!HiberbootBefore(before) || !record.Open(true) || !record.WriteHiberboot(before) ||
        !TurnOffFastStartup(before))
        return Fail(zenta::FormatText(kFastStartupNotOffText, ErrorText(GetLastError()).c_str()));
    return true;
}

bool CInstallation::Copy() {
    job_.ComputeTotal();
    Log(L"copy planned: %d file(s), %lld bytes, from %ls, %ls and %ls", job_.totalFiles, job_.totalBytes,
        job_.bootSource.c_str(), job_.commonSource.c_str(), job_.disksSource.c_str());
    CopyOutcome outcome = job_.Run();
    ReportCopyEnd(outcome);
    if (outcome.state == CopyState::Failed)
        return Fail(CopyFailureText(outcome));
    return outcome.state == CopyState::Completed; // else stopped by a cancel
}

void CInstallation::ReportCopyEnd(const CopyOutcome& outcome) {
    long long bytes = job_.GetCopiedBytes();
    double seconds = outcome.milliseconds / 1000.0;
    Log(L"copy %ls: %d file(s), %lld of %lld bytes in %.1f s (%.1f MB/s)%ls%ls", StateName(outcome.state),
        outcome.files, bytes, job_.totalBytes, seconds, seconds > 0 ? bytes / seconds / 1e6 : 0.0,
        outcome.state == CopyState::Failed ? (L"; error " + ErrorText(outcome.error)).c_str() : L"",
        outcome.fileName.empty() ? L"" : (L"; file " + outcome.fileName).c_str());
}

bool CInstallation::CheckCopy() {
    std::vector<std::wstring> missing = MissingInstalledFiles(drive_, kind_);
    if (!missing.empty())
        return Fail(zenta::FormatText(kMissingAfterCopyText, missing.front().c_str()));
    // Every file the loader reads: the loader itself and everything in the directory (the
    // directory is ours and protected; nothing else was put there).
    if (!CheckLoaderFile(LoaderFile(drive_), false))
        return false;
    const std::vector<std::wstring>& images = job_.diskFiles;
    std::wstring pattern = directory_ + L"\\*.*";
    WIN32_FIND_DATAW entry;
    zenta::ScopedFindHandle find(FindFirstFileW(pattern.c_str(), &entry));
    if (!find)
        return Fail(CheckFailureText(directory_, GetLastError()));
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        bool image = std::find(images.begin(), images.end(), entry.cFileName) != images.end();
        if (!CheckLoaderFile(directory_ + L"\\" + entry.cFileName, image))
            return false;
    } while (FindNextFileW(find.Get(), &entry));
    return true;
}

bool CInstallation::CheckLoaderFile(const std::wstring& path, bool image) {
    // A file that EFS encrypted as it was made (an encrypted parent) is decrypted first.
    DWORD error = MakeUnencrypted(path);
    if (error == ERROR_ACCESS_DENIED || error == ERROR_SUCCESS) {
        zenta::ScopedHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        BY_HANDLE_FILE_INFORMATION info = {};
        if (!file || !GetFileInformationByHandle(file.Get(), &info))
            return Fail(CheckFailureText(path, GetLastError()));
        DWORD extents = 0;
        if (image && (error = CountExtents(file.Get(), path, extents)) != ERROR_SUCCESS)
            return Fail(CheckFailureText(path, error));
        switch (JudgeLoaderFile(info.dwFileAttributes, extents)) {
        case LoaderFileState::Unreadable:
            return Fail(UnreadableText(path, info.dwFileAttributes));
        case LoaderFileState::Fragmented:
            notes_ += (notes_.empty() ? L"" : L"\n") + FragmentedText(path, extents);
            return true;
        case LoaderFileState::Fine:
            return true;
        }
    }
    return Fail(CheckFailureText(path, error));
}

bool CInstallation::RegisterBoot() {
    if (kind_ == BootIni) {
        // The timeout line the add replaces goes into the record first, for the removal.
        std::string timeoutLine;
        CInstallRecord record;
        if (BootIniTimeoutBeforeAdd(directory_.c_str(), timeoutLine) &&
            (!record.Open(true) || !record.WriteBootIniTimeout(timeoutLine)))
            return Fail(RecordFailureText());
        BootIniResult result = AddBootIniEntry(directory_.c_str());
        // An unchanged file made no entry, unless one of ours was there already.
        bootEntryMade_ = result.done || result.status == BootIniStatus::Changed;
        if (const wchar_t* warning = BootIniStatusText(result.status))
            warnings_.push_back(warning);
        if (!result.done)
            return Fail(zenta::FormatText(
                kBootIniEntryFailedText,
                BootIniStatusText(result.status) ? BootIniStatusText(result.status) : kEntryNotFoundReason,
                result.error ? (kReasonSeparator + ErrorText(result.error)).c_str() : L""));
        return true;
    }
    // The identifier is recorded before the store is touched, so that a removal finds
    // whatever gets created.
    std::wstring id;
    CInstallRecord record;
    TimeoutToRecord timeoutRecord;
    BcdResult result;
    if (!MakeBootEntryId(id)) {
        result.step = L"make an identifier";
        result.error = E_FAIL;
    } else if (!record.Open(true) || !record.WriteBootEntryId(id)) {
        result.step = L"record the identifier";
        result.error = HRESULT_FROM_WIN32(ERROR_CANTWRITE);
    } else {
        record.Close();
        result = RegisterBootEntry(id, drive_, timeoutRecord);
    }
    bootEntryMade_ = result.done || result.entryLeft;
    if (!result.warning.empty())
        warnings_.push_back(result.warning);
    if (!result.done) {
        // S_FALSE is the provider's own "no", which has no system text.
        std::wstring why = result.error == S_FALSE ? kStoreRefusedReason : ErrorText(result.error);
        return Fail(zenta::FormatText(kBcdEntryFailedText, result.step.c_str(), why.c_str()));
    }
    Log(L"boot entry registered");
    return true;
}

InstallState CInstallation::Poll(int& percent) {
    InstallState state = static_cast<InstallState>(InterlockedCompareExchange(&state_, 0, 0));
    // The copy is most of the work; the steps after it hold the bar just short of the end.
    percent = state == InstallState::Completed ? 100 : std::min(job_.GetPercent(), 99);
    return state;
}

bool CInstallation::WriteUninstallRecord() {
    if (!::WriteUninstallRecord(drive_, job_.totalBytes))
        return Fail(
            zenta::FormatText(kUninstallRecordFailedText, kUninstallKey, ErrorText(GetLastError()).c_str()));
    Log(L"uninstall record written: UninstallString = %ls", InstalledUninstaller(drive_).c_str());
    return true;
}

void CInstallation::Pause() {
    Log(L"installation paused (the user is asked whether to cancel)");
    control_.Pause();
}

void CInstallation::Resume() {
    Log(L"installation resumed");
    control_.Resume();
}

void CInstallation::Cancel(void (*wait)(HANDLE worker)) {
    Log(L"installation cancelled by the user");
    control_.Stop();
    if (thread_)
        wait(thread_.Get());
}
