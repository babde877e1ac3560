// The installation as the Progress page runs it: record the drive, register the boot entry,
// copy the package, and once everything is copied write the uninstall record.
#include "common/BootEntry.h"
#include "common/BootIni.h"
#include "common/Messages.h"
#include "common/Registry.h"
#include "common/Removal.h"
#include "common/ScopedWin.h"
#include "common/Text.h"
#include "setup/CopyJob.h"
#include "setup/ProgressText.h"
#include "setup/SetupApp.h"
#include "setup/pages/ChangingText.h"
#include "setup/pages/ProgressPage.h"

#include <commctrl.h>

namespace {

std::wstring InstallDirectory(wchar_t drive) {
    return std::wstring(1, drive) + L":\\zentaos";
}

// The system's own wording for a Win32 error, without the trailing line end.
std::wstring ErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length ? std::wstring(buffer, length) : std::wstring();
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    return text;
}

} // namespace

void CProgressPage::StartInstallation() {
    startTick = GetTickCount();
    SetTimer(hwnd, kSlideTimer, 5000, nullptr);
    SetTimer(hwnd, kProgressTimer, 1000, nullptr);

    // Recorded first, so that an interrupted installation is offered for removal next time.
    CRegistry hardDisk;
    if (hardDisk.Create(kHardDiskKey))
        hardDisk.WriteDword(L"Drive", static_cast<DWORD>(app->targetDrive));

    if (job) {
        job->Stop();
        job.reset();
    }
    finished_ = false;

    std::wstring target = InstallDirectory(app->targetDrive);
    if (app->windowsKind == BootIni)
        AddBootIniEntry(target.c_str());
    else
        RegisterBootEntry(target.c_str());

    job = std::make_unique<CCopyJob>(app, target);
    job->ComputeTotal();
    job->Start();
    hardDisk.Close();
}

void CProgressPage::UpdateProgress() {
    if (!job || finished_)
        return;
    CopyOutcome outcome = job->GetOutcome();
    if (outcome.state == CopyState::Failed) {
        ReportCopyFailure();
        return;
    }
    // A package with nothing to copy is complete as soon as the worker says so.
    int p = outcome.state == CopyState::Completed ? 100 : job->GetPercent();
    PostMessageW(progressBar, PBM_SETPOS, static_cast<WPARAM>(p), 0);
    if (p >= 100) {
        finished_ = true;
        WriteUninstallRecord();
        PostMessageW(app->mainWindow, WM_PAGE_NEXT, 0, 0);
        return;
    }
    zenta::ScopedWindowDc dc(hwnd);
    unsigned elapsed = ElapsedSeconds(GetTickCount(), startTick);
    if (percentText) {
        percentLine_ = PercentLine(p);
        percentText->Show(percentLine_, dc.Get());
    }
    if (timeText) {
        timeLine_ = TimeLine(elapsed, RemainingSeconds(p, elapsed));
        timeText->Show(timeLine_, dc.Get());
    }
}

void CProgressPage::WriteUninstallRecord() {
    CRegistry key;
    if (!key.Create(kUninstallKey))
        return;
    std::wstring directory = InstallDirectory(app->targetDrive);
    std::wstring uninstaller = directory + L"\\Uninstall.exe";
    key.WriteString(L"DisplayName", L"Zenta LUM系统");
    key.WriteString(L"DisplayVersion", L"8.1");
    key.WriteString(L"Publisher", L"星岚计算机技术公司");
    key.WriteString(L"RegisterPath", uninstaller.c_str());
    key.WriteString(L"ProductName", L"Zenta LUM系统");
    key.WriteString(L"UninstallString", uninstaller.c_str());
    // What Programs and Features needs to show the entry properly.
    key.WriteString(L"DisplayIcon", uninstaller.c_str());
    key.WriteString(L"InstallLocation", directory.c_str());
    long long kib = job ? job->totalBytes / 1024 : 0;
    key.WriteDword(L"EstimatedSize", static_cast<DWORD>(kib > 0xFFFFFFFFll ? 0xFFFFFFFFll : kib));
    key.WriteDword(L"NoModify", 1);
    key.WriteDword(L"NoRepair", 1);
}

void CProgressPage::ReportCopyFailure() {
    finished_ = true;
    StopTimers();
    CopyOutcome outcome = job->GetOutcome();
    // A job that could not even start its worker names no file.
    std::wstring what = outcome.fileName.empty()
                            ? std::wstring(L"无法开始复制文件")
                            : zenta::FormatText(L"无法复制文件“%ls”", outcome.fileName.c_str());
    std::wstring text =
        zenta::FormatText(L"%ls：%ls（错误代码 %lu）。\n安装未能完成，已复制的文件将被删除。", what.c_str(),
                          ErrorText(outcome.error).c_str(), static_cast<unsigned long>(outcome.error));
    MessageBoxW(app->mainWindow, text.c_str(), L"错误", MB_OK | MB_ICONERROR);
    job->Stop();
    RemoveInstallation(app->windowsKind);
    DestroyWindow(app->mainWindow);
}
