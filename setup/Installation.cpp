#include "setup/Installation.h"

#include "common/BootEntry.h"
#include "common/BootIni.h"
#include "common/Log.h"
#include "common/Registry.h"
#include "common/Text.h"
#include "setup/Package.h"
#include "resources/resource.h"
#include "version.h"

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

} // namespace

CInstallation::CInstallation(const std::wstring& packageDir, wchar_t drive, WindowsKind kind)
    : packageDir_(packageDir), drive_(drive), kind_(kind),
      directory_(std::wstring(1, drive) + L":\\zentaos") {}

CInstallation::~CInstallation() = default;

bool CInstallation::Fail(const std::wstring& text) {
    failure_ = text;
    Log(L"installation failed: %ls", text.c_str());
    return false;
}

bool CInstallation::Start() {
    Log(L"installation to %ls from %ls", directory_.c_str(), packageDir_.c_str());
    // Recorded first, so that an interrupted installation is offered for removal next time;
    // without the record nothing may be changed, as nothing could be removed again.
    CRegistry hardDisk;
    if (!hardDisk.Create(kHardDiskKey) || !hardDisk.WriteDword(L"Drive", static_cast<DWORD>(drive_)))
        return Fail(zenta::FormatText(L"无法写入安装记录 HKEY_LOCAL_MACHINE\\%ls：%ls", kHardDiskKey,
                                      ErrorText(GetLastError()).c_str()));
    hardDisk.Close();
    Log(L"installation record written: Drive = %lu (%lc:)", static_cast<unsigned long>(drive_),
        static_cast<wint_t>(drive_));
    if (!RegisterBoot())
        return false;

    job_ = std::make_unique<CCopyJob>(packageDir_, kind_, directory_);
    job_->ComputeTotal();
    Log(L"copy planned: %d file(s), %lld bytes, from %ls, %ls and %ls", job_->totalFiles, job_->totalBytes,
        job_->bootSource.c_str(), job_->commonSource.c_str(), job_->disksSource.c_str());
    job_->Start();
    return true;
}

bool CInstallation::RegisterBoot() {
    if (kind_ == BootIni) {
        BootIniResult result = AddBootIniEntry(directory_.c_str());
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

CopyState CInstallation::Poll(int& percent) {
    percent = 0;
    if (!job_)
        return CopyState::Failed;
    CopyOutcome outcome = job_->GetOutcome();
    // A package with nothing to copy is complete as soon as the worker says so.
    percent = outcome.state == CopyState::Completed ? 100 : job_->GetPercent();
    if (outcome.state != CopyState::Running)
        ReportCopyEnd(outcome);
    if (outcome.state == CopyState::Failed && failure_.empty())
        Fail(CopyFailureText(outcome));
    return outcome.state;
}

void CInstallation::ReportCopyEnd(const CopyOutcome& outcome) {
    if (endReported_)
        return;
    endReported_ = true;
    long long bytes = job_->GetCopiedBytes();
    double seconds = outcome.milliseconds / 1000.0;
    Log(L"copy %ls: %d file(s), %lld of %lld bytes in %.1f s (%.1f MB/s)%ls%ls", StateName(outcome.state),
        outcome.files, bytes, job_->totalBytes, seconds, seconds > 0 ? bytes / seconds / 1e6 : 0.0,
        outcome.state == CopyState::Failed ? (L"; error " + ErrorText(outcome.error)).c_str() : L"",
        outcome.fileName.empty() ? L"" : (L"; file " + outcome.fileName).c_str());
}

bool CInstallation::Finish() {
    std::vector<std::wstring> missing = MissingInstalledFiles(drive_, kind_);
    if (!missing.empty())
        return Fail(L"复制完成后缺少文件“" + missing.front() + L"”。\n安装未能完成，已复制的文件将被删除。");
    return WriteUninstallRecord();
}

bool CInstallation::WriteUninstallRecord() {
    CRegistry key;
    std::wstring uninstaller = directory_ + L"\\Uninstall.exe";
    long long kib = job_ ? job_->totalBytes / 1024 : 0;
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
    Log(L"copy paused (the user is asked whether to cancel)");
    if (job_)
        job_->RequestPause();
}

void CInstallation::Resume() {
    Log(L"copy resumed");
    if (job_)
        job_->RequestResume();
}

void CInstallation::Stop(void (*wait)(HANDLE worker)) {
    if (!job_)
        return;
    Log(L"copy stopped by the user");
    job_->RequestStop();
    if (HANDLE worker = job_->Worker())
        wait(worker);
    job_->Stop();
    ReportCopyEnd(job_->GetOutcome());
}

RemovalOutcome CInstallation::Remove() {
    if (job_)
        job_->Stop();
    return RemoveInstallation(kind_);
}
