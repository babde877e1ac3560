#include "uninstall/Stages.h"

#include "common/Log.h"
#include "common/Messages.h"
#include "common/RemovalWorker.h"
#include "common/ScopedWin.h"
#include "common/SingleInstance.h"
#include "common/SystemHelpers.h"
#include "common/UserMessages.h"
#include "common/UserTexts.h"
#include "common/WizardWindow.h"
#include "uninstall/UninstallApp.h"

#include <memory>
#include <new>
#include <vector>

namespace {

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM found) {
    if (!IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// A window of the wizard's class proves another program of ours only when its process is
// one: an administrator's (as Setup and the uninstaller always run; a program without
// administrator rights never counts) running Setup.exe, or running an uninstaller with our
// own bytes (the installed one or a copy of it). Anyone may make a window of that class.
bool IsOurProgramWindow(HWND window) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    std::wstring image = id ? ProcessImagePath(id) : std::wstring();
    if (image.empty() || !ProcessIsAdministrator(id))
        return false;
    size_t slash = image.find_last_of(L'\\');
    if (lstrcmpiW(image.c_str() + (slash == std::wstring::npos ? 0 : slash + 1), L"Setup.exe") == 0)
        return true;
    std::wstring name = image.size() < MAX_PATH ? image : L"\\\\?\\" + image;
    zenta::ScopedHandle theirs(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return theirs && SameContent(OwnProgramPath(), theirs.Get());
}

BOOL CALLBACK FindOurWindow(HWND window, LPARAM found) {
    wchar_t name[64] = {};
    if (!GetClassNameW(window, name, 64) || lstrcmpW(name, kWizardClassName) != 0 ||
        !IsOurProgramWindow(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// Another uninstaller is running: bring it forward. Setup's wizard window is shown as it
// is; an uninstaller's own frame is never shown, so its question comes forward instead of
// an empty window. False when there is no window of the class from a program of ours.
bool BringRunningProgramForward() {
    HWND existing = nullptr;
    EnumWindows(FindOurWindow, reinterpret_cast<LPARAM>(&existing));
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

// Removes on a worker while the hidden window goes on answering; returns once it has ended.
const RemovalOutcome& RemoveAnswering(CUninstallApp& app, CRemovalWorker& worker) {
    app.removing = true;
    worker.Start();
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_REMOVAL_DONE && msg.hwnd == app.mainWindow)
            break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    app.removing = false;
    return worker.Outcome();
}

void AskAndRemove(HINSTANCE instance) {
    std::unique_ptr<CUninstallApp> app(new (std::nothrow) CUninstallApp(instance));
    if (!app)
        return;
    app->windowsKind = CheckWindowsVersion();
    Log(L"Windows kind %d", static_cast<int>(app->windowsKind));
    if (app->windowsKind == Unsupported) {
        ShowError(nullptr, kUnsupportedSystemText);
        return;
    }
    if (!app->CreateMainWindow())
        return;
    if (MessageBoxW(nullptr, kRemoveQuestion, kReminderCaption, MB_OKCANCEL) != IDOK) {
        Log(L"removal declined");
        return;
    }
    CRemovalWorker worker(app->windowsKind, app->mainWindow);
    if (ReportRemoval(nullptr, RemoveAnswering(*app, worker), kRemovedText) == RemovalReport::Forgotten)
        MessageBoxW(nullptr, kForgottenText, kReminderCaption, MB_OK);
}

std::wstring LongForm(const std::wstring& path) {
    std::vector<wchar_t> buffer(1024);
    DWORD length = GetLongPathNameW(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    return length && length < buffer.size() ? std::wstring(buffer.data(), length) : path;
}

std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// The copy and its folder go at the next restart (a running program cannot delete its own
// file): nothing of the uninstaller stays in the temporary directory for good.
void ScheduleOwnDeletion() {
    std::wstring self = LongForm(OwnProgramPath());
    if (!IsTemporaryCopy(self, LongForm(TempDirectory()))) {
        Log(L"not a temporary copy, nothing to schedule for deletion: %ls", self.c_str());
        return;
    }
    std::wstring folder = FolderOf(self);
    for (const std::wstring* path : {&self, &folder}) {
        std::wstring name = path->size() < MAX_PATH ? *path : L"\\\\?\\" + *path;
        if (!MoveFileExW(name.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
            Log(L"could not schedule %ls for deletion: %ls", path->c_str(),
                ErrorText(GetLastError()).c_str());
        else
            Log(L"scheduled for deletion at the next restart: %ls", path->c_str());
    }
}

} // namespace

bool IsTemporaryCopy(const std::wstring& program, const std::wstring& tempDir) {
    const size_t prefix = lstrlenW(kTemporaryFolderPrefix);
    if (tempDir.empty() || program.size() <= tempDir.size() ||
        lstrcmpiW(program.substr(0, tempDir.size()).c_str(), tempDir.c_str()) != 0)
        return false;
    // What follows the temporary directory: exactly "ZentaUninstall.<something>\Del_ZentaUninstall.exe".
    std::wstring rest = program.substr(tempDir.size());
    size_t slash = rest.find(L'\\');
    if (slash == std::wstring::npos || rest.find(L'\\', slash + 1) != std::wstring::npos || slash <= prefix)
        return false;
    return lstrcmpiW(rest.substr(0, prefix).c_str(), kTemporaryFolderPrefix) == 0 &&
           lstrcmpiW(rest.substr(slash + 1).c_str(), kTemporaryCopyName) == 0;
}

void RunRemovalStage(HINSTANCE instance) {
    // The first stage ends meanwhile, so its program file can be deleted with the directory.
    Sleep(1000);
    CSingleInstance single(kUninstallMutexName);
    if (single.Another() && BringRunningProgramForward())
        return;
    AskAndRemove(instance);
    ScheduleOwnDeletion();
}
