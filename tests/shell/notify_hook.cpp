// Loaded into Setup by a message hook: reports each wizard message and command that the
// wizard takes from its queue to the test's observer window, so the test sees what arrived.
#include <windows.h>

namespace {

// Reports: WM_APP + n for the wizard message WM_USER + 700 + n, with the target window and
// whether any parameter was set; kCommandReport for WM_COMMAND, with both parameters.
constexpr UINT kFirstWizardMessage = WM_USER + 700;
constexpr UINT kLastWizardMessage = WM_USER + 760;
constexpr UINT kCommandReport = WM_APP + 100;
// WM_SYSCOMMAND, posted or sent, with its command.
constexpr UINT kSysCommandReport = WM_APP + 101;

void Report(UINT report, WPARAM wParam, LPARAM lParam) {
    HWND observer = FindWindowW(L"ZentaShellHookObserver", nullptr);
    if (observer)
        PostMessageW(observer, report, wParam, lParam);
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK PageMessageHook(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        if (msg->message >= kFirstWizardMessage && msg->message <= kLastWizardMessage)
            Report(WM_APP + (msg->message - kFirstWizardMessage), reinterpret_cast<WPARAM>(msg->hwnd),
                   msg->wParam || msg->lParam);
        else if (msg->message == WM_COMMAND)
            Report(kCommandReport, msg->wParam, msg->lParam);
        else if (msg->message == WM_SYSCOMMAND)
            Report(kSysCommandReport, msg->wParam, reinterpret_cast<LPARAM>(msg->hwnd));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Messages sent within Setup, such as the system command that Alt alone would start.
extern "C" __declspec(dllexport) LRESULT CALLBACK SentMessageHook(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_SYSCOMMAND)
        Report(kSysCommandReport, sent->wParam, reinterpret_cast<LPARAM>(sent->hwnd));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
