// Loaded into Setup by a message hook: reports each wizard message and command that the
// wizard takes from its queue to the test's observer window, so the test sees what arrived.
#include <windows.h>

namespace {

// Reports: WM_APP + n for the wizard message WM_USER + 700 + n, with the target window and
// whether any parameter was set; kCommandReport for WM_COMMAND, with both parameters.
constexpr UINT kFirstWizardMessage = WM_USER + 700;
constexpr UINT kLastWizardMessage = WM_USER + 760;
constexpr UINT kCommandReport = WM_APP + 100;

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK PageMessageHook(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        HWND observer = nullptr;
        if (msg->message >= kFirstWizardMessage && msg->message <= kLastWizardMessage) {
            observer = FindWindowW(L"ZentaShellHookObserver", nullptr);
            if (observer)
                PostMessageW(observer, WM_APP + (msg->message - kFirstWizardMessage),
                             reinterpret_cast<WPARAM>(msg->hwnd), msg->wParam || msg->lParam);
        } else if (msg->message == WM_COMMAND) {
            observer = FindWindowW(L"ZentaShellHookObserver", nullptr);
            if (observer)
                PostMessageW(observer, kCommandReport, msg->wParam, msg->lParam);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
