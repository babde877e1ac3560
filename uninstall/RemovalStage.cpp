#include "uninstall/Stages.h"

#include "common/Removal.h"
#include "common/RemovalReport.h"
#include "common/ScopedWin.h"
#include "common/WizardWindow.h"
#include "uninstall/UninstallApp.h"

#include <memory>
#include <new>

namespace {

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM found) {
    if (!IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// Another uninstaller is running: bring it forward. Setup's wizard window is shown as it
// is; an uninstaller's own frame is never shown, so its question comes forward instead of
// an empty window. False when there is no window of the class to bring.
bool BringRunningProgramForward() {
    HWND existing = FindWindowW(kWizardClassName, nullptr);
    if (!existing)
        return false;
    if (IsWindowVisible(existing)) {
        ShowWindow(existing, SW_SHOWNORMAL);
        SetForegroundWindow(existing);
        return true;
    }
    HWND question = nullptr;
    EnumThreadWindows(GetWindowThreadProcessId(existing, nullptr), FindVisibleWindow,
                      reinterpret_cast<LPARAM>(&question));
    if (question)
        SetForegroundWindow(question);
    return true;
}

void AskAndRemove(HINSTANCE instance) {
    std::unique_ptr<CUninstallApp> app(new (std::nothrow) CUninstallApp(instance));
    if (!app)
        return;
    app->windowsKind = CheckWindowsVersion();
    if (app->windowsKind == Unsupported) {
        MessageBoxW(nullptr, kUnsupportedSystemText, L"错误", MB_OK);
        return;
    }
    if (!app->CreateMainWindow())
        return;
    if (MessageBoxW(nullptr, L"确定删除星岚LUM系统", L"提醒", MB_OKCANCEL) != IDOK)
        return;
    RemovalOutcome outcome = RemoveInstallation(app->windowsKind);
    if (outcome.Complete())
        MessageBoxW(nullptr, kRemovedText, L"提醒", MB_OK);
    else
        MessageBoxW(nullptr, DescribeIncompleteRemoval(outcome).c_str(), L"错误", MB_OK);
}

} // namespace

void RunRemovalStage(HINSTANCE instance) {
    // The first stage ends meanwhile, so its program file can be deleted with the directory.
    Sleep(1000);
    zenta::ScopedHandle mutex(CreateMutexW(nullptr, TRUE, L"MUTEX_ZENTA_UNINSTALL"));
    if (GetLastError() == ERROR_ALREADY_EXISTS && BringRunningProgramForward())
        return;
    AskAndRemove(instance);
}
