#include "setup/SetupMain.h"

#include "common/Log.h"
#include "common/ScopedWin.h"
#include "common/SingleInstance.h"
#include "common/SystemHelpers.h"
#include "common/UserMessages.h"
#include "common/UserTexts.h"
#include "common/WizardWindow.h"
#include "setup/Package.h"
#include "setup/SetupApp.h"
#include "setup/WizardFlow.h"
#include "version.h"

#include <commctrl.h>
#include <memory>

namespace {

// How long a second start waits for the running wizard to show, in tenths of a second.
constexpr int kWizardWaits = 50;

// The Progress page's bar is a common control, whose class must exist before the page.
// comctl32 is no KnownDLL: imported, a copy planted beside Setup.exe would be loaded into
// the elevated process. It comes from the system directory, by its full path.
void LoadCommonControls() {
    wchar_t system[MAX_PATH] = {};
    UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH - 16)
        return;
    std::wstring path = std::wstring(system) + L"\\comctl32.dll";
    HMODULE controls = LoadLibraryW(path.c_str()); // stays loaded for the run
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    auto init = controls ? reinterpret_cast<InitFn>(
                               reinterpret_cast<void*>(GetProcAddress(controls, "InitCommonControlsEx")))
                         : nullptr;
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_PROGRESS_CLASS};
    if (!init || !init(&classes))
        Log(L"the progress bar class could not be registered: %ls", ErrorText(GetLastError()).c_str());
}

void RunMessageLoop(CSetupApp& app) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // Alt alone would open the system menu and leave the wizard waiting for a menu key.
        if ((msg.message == WM_SYSKEYDOWN || msg.message == WM_SYSKEYUP) && msg.wParam == VK_MENU)
            msg.message = WM_NULL;
        if (app.pageWindow && IsDialogMessageW(app.pageWindow, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

} // namespace

int RunSetup(HINSTANCE instance, Firmware (*detectFirmware)()) {
    CSingleInstance single(kSetupMutexName);
    OpenLog(L"ZentaLUM-Setup.log");
    if (single.Another()) {
        // One wizard at a time: two would share one installation record. A Setup that has
        // not shown its wizard yet is still starting and shows it soon; when none comes
        // forward, the user hears that Setup runs (or that something else holds its name).
        bool shown = false;
        for (int wait = 0; wait < kWizardWaits && !(shown = BringWizardToFront()); ++wait)
            Sleep(100);
        Log(L"---- another Setup is running (%ls name); %ls", single.Private() ? L"private" : L"plain",
            shown ? L"its wizard brought to the front" : L"no wizard came forward");
        if (!shown)
            MessageBoxW(nullptr, kAlreadyRunningText, kReminderCaption, MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    std::wstring packageDir = PackageDirOf(OwnProgramPath());
    Log(L"---- Zenta LUM Setup %ls; Windows %ls; package %ls; command line %ls", L"" ZENTA_VERSION_TEXT,
        DescribeWindowsVersion().c_str(), packageDir.c_str(), GetCommandLineW());
    LoadCommonControls();

    auto app = std::make_unique<CSetupApp>(instance, packageDir);
    app->windowsKind = CheckWindowsVersion();
    Log(L"Windows kind %d", static_cast<int>(app->windowsKind));
    if (app->windowsKind == Bcd) {
        app->firmware = detectFirmware();
        Log(L"firmware %ls", FirmwareName(app->firmware));
    }
    if (app->windowsKind == Unsupported) {
        ShowError(nullptr, kUnsupportedSystemText);
    } else if (app->firmware == Firmware::Uefi && !InstallationRecorded()) {
        // Nothing to remove and nothing that could be installed: refused before any page.
        ShowError(nullptr, kUefiRefusalText);
    } else if (CreateWizardWindow(app.get())) {
        app->PrepareBackgrounds(InstallationRecorded());
        ShowFirstPage(app.get());
        RunMessageLoop(*app);
    }
    app->Shutdown();
    Log(L"Setup ends");
    return 0;
}
