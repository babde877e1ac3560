#include "setup/Installation.h"

#include "common/BootEntry.h"
#include "common/BootIni.h"
#include "common/FastStartup.h"
#include "common/Log.h"
#include "common/Registry.h"
#include "common/Text.h"
#include "common/Volume.h"
#include "setup/Package.h"
#include "resources/resource.h"
#include "version.h"

#include <algorithm>

namespace {

const wchar_t* StateName(CopyState state) {
    static const wchar_t* const kNames[] = {L"running", L"completed", L"stopped", L"failed"};
    return kNames[static_cast<int>(state)];
}

std::wstring CopyFailureText(const CopyOutcome& outcome) {
    std::wstring what;
    if (outcome.error == kLinkedTargetError)
        what = zenta::FormatText(L"“%ls”是一个链接（连接点或符号链接），为安全起见不会向其中写入",
                                 outcome.fileName.c_str());
    else if (outcome.fileName.empty()) // a job that could not even start its worker
        what = L"无法开始复制文件：" + ErrorText(outcome.error);
    else
        what = zenta::FormatText(L"无法复制文件“%ls”：%ls", outcome.fileName.c_str(),
                                 ErrorText(outcome.error).c_str());
    return what + L"。\n安装未能完成，已复制的文件将被删除。";
}

// boot.ini's bytes one a unit, so that the recorded line comes back exactly as it was.
std::wstring Units(const std::string& bytes) {
    std::wstring units;
    for (char byte : bytes)
        units += static_cast<wchar_t>(static_cast<unsigned char>(byte));
    return units;
}

HANDLE NewEvent(bool set) {
    return CreateEventW(nullptr, TRUE, set ? TRUE : FALSE, nullptr);
}

} // namespace

CInstallation::CInstallation(const std::wstring& packageDir, wchar_t drive, WindowsKind kind,
                             bool turnOffFastStartup)
    : packageDir_(packageDir), drive_(drive), kind_(kind), turnOffFastStartup_(turnOffFastStartup),
      directory_(std::wstring(1, drive) + L":\\zentaos"), job_(packageDir, kind, directory_),
      cancel_(NewEvent(false)), going_(NewEvent(true)), release_(NewEvent(false)) {}

CInstallation::~CInstallation() {
    if (!thread_)
        return;
    // A completed installation stays; anything short of that is undone.
    SetEvent(release_.Get());
    if (static_cast<InstallState>(InterlockedCompareExchange(&state_, 0, 0)) == InstallState::Running) {
        SetEvent(cancel_.Get());
        job_.RequestStop();
    }
    WaitForSingleObject(thread_.Get(), INFINITE);
}

bool CInstallation::Fail(const std::wstring& text) {
    failure_ = text;
    Log(L"installation failed: %ls", text.c_str());
    return false;
}

bool CInstallation::Start() {
    if (!cancel_ || !going_ || !release_)
        return Fail(L"无法开始安装：" + ErrorText(GetLastError()) + L"。\n安装未能完成。");
    thread_.Reset(CreateThread(nullptr, 0, &CInstallation::ThreadMain, this, 0, nullptr));
    if (!thread_)
        return Fail(L"无法开始安装：" + ErrorText(GetLastError()) + L"。\n安装未能完成。");
    return true;
}

DWORD WINAPI CInstallation::ThreadMain(void* installation) {
    static_cast<CInstallation*>(installation)->Run();
    return 0;
}

void CInstallation::Run() {
    // The boot entry and its removal speak COM from this thread.
    zenta::ScopedCoInit com;
    bool completed = Record() && TurnOffFastStartupIfAsked() && GoOn() && Copy() && GoOn() && CheckCopy() &&
                     GoOn() && RegisterBoot() && GoOn() && WriteUninstallRecord();
    if (completed) {
        InterlockedExchange(&state_, static_cast<LONG>(InstallState::Completed));
        // Until the page has moved on, a confirmed cancel still undoes the whole installation.
        HANDLE ends[] = {release_.Get(), cancel_.Get()};
        if (WaitForMultipleObjects(2, ends, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
            return;
        Log(L"installation cancelled after it had completed");
    }
    const bool cancelled = failure_.empty();
    Log(L"installation %ls: undoing what was done", cancelled ? L"cancelled" : L"failed");
    rollback_ = RemoveInstallation(kind_, bootEntryMade_, job_.MadeTargetDirectory());
    InterlockedExchange(&state_,
                        static_cast<LONG>(cancelled ? InstallState::Cancelled : InstallState::Failed));
}

bool CInstallation::GoOn() {
    HANDLE waits[] = {cancel_.Get(), going_.Get()};
    // The first signalled wins: a cancel over a resume.
    return WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1;
}

bool CInstallation::Record() {
    Log(L"installation to %ls from %ls", directory_.c_str(), packageDir_.c_str());
    // The volume too: removal must find the files where they are, whatever letter its drive
    // has by then.
    std::wstring volume = VolumeOfDrive(drive_);
    if (volume.empty())
        return Fail(zenta::FormatText(L"无法确定驱动器 %lc: 所在的卷：%ls。\n安装未能完成。",
                                      static_cast<wint_t>(drive_), ErrorText(GetLastError()).c_str()));
    // Recorded first, so that an interrupted installation is offered for removal next time;
    // without the record nothing may be changed, as nothing could be removed again.
    CRegistry hardDisk;
    if (!hardDisk.Create(kHardDiskKey) || !hardDisk.WriteDword(L"Drive", static_cast<DWORD>(drive_)) ||
        !hardDisk.WriteString(L"Volume", volume.c_str()) || !hardDisk.DeleteValue(L"Timeout"))
        return Fail(zenta::FormatText(L"无法写入安装记录 HKEY_LOCAL_MACHINE\\%ls：%ls", kHardDiskKey,
                                      ErrorText(GetLastError()).c_str()));
    Log(L"installation record written: Drive = %lu (%lc:), Volume = %ls", static_cast<unsigned long>(drive_),
        static_cast<wint_t>(drive_), volume.c_str());
    return true;
}

bool CInstallation::TurnOffFastStartupIfAsked() {
    if (!turnOffFastStartup_) {
        Log(L"Fast Startup left as it is");
        return true;
    }
    // After the record, which then holds the value to give back.
    CRegistry record;
    if (!record.Open(kHardDiskKey) || !TurnOffFastStartup(record))
        return Fail(L"无法关闭Windows快速启动：" + ErrorText(GetLastError()) +
                    L"。\n安装未能完成，已做的更改将被撤销。");
    return true;
}

bool CInstallation::Copy() {
    job_.ComputeTotal();
    Log(L"copy planned: %d file(s), %lld bytes, from %ls, %ls and %ls", job_.totalFiles, job_.totalBytes,
        job_.bootSource.c_str(), job_.commonSource.c_str(), job_.disksSource.c_str());
    if (job_.Start() == ERROR_SUCCESS)
        WaitForSingleObject(job_.Worker(), INFINITE);
    CopyOutcome outcome = job_.GetOutcome();
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
        return Fail(L"复制完成后缺少文件“" + missing.front() + L"”。\n安装未能完成，已复制的文件将被删除。");
    return true;
}

bool CInstallation::RegisterBoot() {
    if (kind_ == BootIni) {
        // The timeout line the add replaces goes into the record first, for the removal.
        std::string timeoutLine;
        CRegistry record;
        if (BootIniTimeoutBeforeAdd(directory_.c_str(), timeoutLine) &&
            (!record.Open(kHardDiskKey) || !record.WriteString(L"Timeout", Units(timeoutLine).c_str())))
            return Fail(zenta::FormatText(L"无法写入安装记录 HKEY_LOCAL_MACHINE\\%ls：%ls", kHardDiskKey,
                                          ErrorText(GetLastError()).c_str()));
        BootIniResult result = AddBootIniEntry(directory_.c_str());
        // An unchanged file made no entry, unless one of ours was there already.
        bootEntryMade_ = result.done || result.status == BootIniStatus::Changed;
        if (const wchar_t* warning = BootIniStatusText(result.status))
            warnings_.push_back(warning);
        if (!result.done)
            return Fail(L"无法在 boot.ini 中加入星岚系统的启动项（" +
                        std::wstring(BootIniStatusText(result.status) ? BootIniStatusText(result.status)
                                                                      : L"加入后没有找到该启动项") +
                        (result.error ? L"：" + ErrorText(result.error) : L"") + L"）。\n安装未能完成。");
        return true;
    }
    BcdResult result = RegisterBootEntry(directory_.c_str());
    bootEntryMade_ = result.done || result.entryLeft;
    if (!result.warning.empty())
        warnings_.push_back(result.warning);
    if (!result.done) {
        // S_FALSE is the provider's own "no", which has no system text.
        std::wstring why = result.error == S_FALSE ? L"启动配置服务拒绝了该操作" : ErrorText(result.error);
        return Fail(
            zenta::FormatText(L"无法创建星岚系统的启动项（%ls：%ls）。\n安装未能完成，已做的更改将被撤销。",
                              result.step.c_str(), why.c_str()));
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
    CRegistry key;
    std::wstring uninstaller = directory_ + L"\\Uninstall.exe";
    long long kib = job_.totalBytes / 1024;
    bool written =
        key.Create(kUninstallKey) && key.WriteString(L"DisplayName", L"" ZENTA_DISPLAY_NAME) &&
        key.WriteString(L"DisplayVersion", L"" ZENTA_VERSION_TEXT) &&
        key.WriteString(L"Publisher", L"" ZENTA_PUBLISHER) &&
        key.WriteString(L"RegisterPath", uninstaller.c_str()) &&
        key.WriteString(L"ProductName", L"" ZENTA_DISPLAY_NAME) &&
        key.WriteString(L"UninstallString", uninstaller.c_str()) &&
        // What Programs and Features needs to show the entry properly.
        key.WriteString(L"DisplayIcon", uninstaller.c_str()) &&
        key.WriteString(L"InstallLocation", directory_.c_str()) &&
        key.WriteDword(L"EstimatedSize", static_cast<DWORD>(kib > 0xFFFFFFFFll ? 0xFFFFFFFFll : kib)) &&
        key.WriteDword(L"NoModify", 1) && key.WriteDword(L"NoRepair", 1);
    if (!written)
        return Fail(zenta::FormatText(L"无法写入卸载记录 HKEY_LOCAL_MACHINE\\%ls：%ls", kUninstallKey,
                                      ErrorText(GetLastError()).c_str()));
    Log(L"uninstall record written: UninstallString = %ls", uninstaller.c_str());
    return true;
}

void CInstallation::Pause() {
    Log(L"installation paused (the user is asked whether to cancel)");
    ResetEvent(going_.Get());
    job_.RequestPause();
}

void CInstallation::Resume() {
    Log(L"installation resumed");
    job_.RequestResume();
    SetEvent(going_.Get());
}

void CInstallation::Cancel(void (*wait)(HANDLE worker)) {
    Log(L"installation cancelled by the user");
    SetEvent(cancel_.Get());
    job_.RequestStop();
    if (thread_)
        wait(thread_.Get());
}
