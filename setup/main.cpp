// Setup's entry: one instance, a supported Windows, the wizard window and its message loop.
#include "common/DllSafety.h"
#include "common/Messages.h"
#include "common/ScopedWin.h"
#include "common/WizardWindow.h"
#include "setup/SetupApp.h"
#include "setup/WizardFlow.h"

#include <commctrl.h>
#include <memory>

namespace {

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

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    RestrictDllSearch();
    zenta::ScopedHandle mutex(CreateMutexW(nullptr, TRUE, L"MUTEX_ZENTA_SETUP"));
    if (GetLastError() == ERROR_ALREADY_EXISTS && BringWizardToFront())
        return 0;

    // The Progress page's bar is a common control; its class must exist before the page.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    auto app = std::make_unique<CSetupApp>(instance);
    app->windowsKind = CheckWindowsVersion();
    if (app->windowsKind == Unsupported) {
        MessageBoxW(nullptr, kUnsupportedSystemText, L"错误", MB_OK);
    } else if (CreateWizardWindow(app.get())) {
        ShowFirstPage(app.get());
        RunMessageLoop(*app);
    }
    app->Shutdown();
    return 0;
}
