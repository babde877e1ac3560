#include "setup/pages/WelcomePage.h"

#include "common/Log.h"
#include "common/Messages.h"
#include "common/UserMessages.h"
#include "common/UserTexts.h"
#include "resources/resource.h"
#include "setup/Config.h"
#include "setup/Preflight.h"
#include "setup/SetupApp.h"
#include "setup/pages/PagePictures.h"

namespace {

constexpr COLORREF kDriveLabelColor = 0x0077FFFF;
// Worker -> page (posted): the facts of the button's checks are gathered.
constexpr UINT WM_CHECKS_GATHERED = WM_APP + 1;

} // namespace

CWelcomePage::CWelcomePage(HINSTANCE instance, HWND parent, CSetupApp* app)
    : CDlgBase(instance, IDD_WELCOME, parent, app) {}

CWelcomePage::~CWelcomePage() {
    WaitForChecks();
}

void CWelcomePage::OnInitDialog(HWND) {
    nextButton_ =
        AttachButton(IDC_PAGE_NEXT, ForwardButtonPlace(), true, app->config->buttonContinue.c_str());
    LoadBackground(app->config->background1);
    if (nextButton_)
        SetFocus(nextButton_->Window());
}

void CWelcomePage::OnPlaced() {
    if (!hwnd)
        return; // no page window: a box without a parent would stand alone on the desktop
    std::wstring letters;
    {
        CHardDriveInfo info;
        letters = info.GetFixedDrives();
    }
    int W = clientWidth, H = clientHeight;
    driveBox_ = CreateWindowExW(0, L"ComboBox", L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN | CBS_HASSTRINGS,
                                Scale(W, 0.222), Scale(H, 0.9), Scale(W, 0.15), Scale(H, 0.2), hwnd, nullptr,
                                nullptr, nullptr);
    drives_.clear();
    for (wchar_t letter : letters) {
        DriveEntry entry{letter, QueryFreeBytes(letter)};
        drives_.push_back(entry);
        SendMessageW(driveBox_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(FormatDriveLabel(entry).c_str()));
    }
    if (!drives_.empty()) {
        SendMessageW(driveBox_, CB_SETCURSEL, 0, 0);
        app->targetDrive = drives_[0].letter;
        selected_ = 0;
    }
}

void CWelcomePage::OnSelectionChange() {
    LRESULT index = SendMessageW(driveBox_, CB_GETCURSEL, 0, 0);
    if (index < 0 || index >= static_cast<LRESULT>(drives_.size())) {
        // Nothing chosen (text typed into the box): no drive may pass the check.
        selected_ = -1;
        return;
    }
    selected_ = static_cast<int>(index);
    app->targetDrive = drives_[selected_].letter;
}

void CWelcomePage::StartChecks() {
    if (checks_)
        return; // still gathering
    bool chosen = selected_ >= 0 && static_cast<size_t>(selected_) < drives_.size();
    checks_.reset(new ChecksJob{app->packageDir, app->windowsKind, chosen ? drives_[selected_].letter : L'\0',
                                chosen ? drives_[selected_].freeBytes : 0, hwnd, PreflightFacts()});
    // The drive stays the one checked until the findings are shown.
    if (nextButton_)
        EnableWindow(nextButton_->Window(), FALSE);
    EnableWindow(driveBox_, FALSE);
    checksThread_.Reset(CreateThread(nullptr, 0, GatherFacts, checks_.get(), 0, nullptr));
    if (!checksThread_) {
        Log(L"no worker for the checks (error %lu): they run here", GetLastError());
        GatherFacts(checks_.get());
    }
}

DWORD WINAPI CWelcomePage::GatherFacts(void* job) {
    ChecksJob* checks = static_cast<ChecksJob*>(job);
    checks->facts = GatherPreflightFacts(checks->packageDir, checks->kind, checks->drive, checks->freeBytes);
    PostMessageW(checks->page, WM_CHECKS_GATHERED, 0, 0);
    return 0;
}

void CWelcomePage::WaitForChecks() {
    if (checksThread_)
        WaitForSingleObject(checksThread_.Get(), INFINITE);
    checksThread_.Reset();
}

bool CWelcomePage::FinishChecks() {
    if (!checks_)
        return false;
    WaitForChecks(); // it has posted its last word: it ends at once
    // The button and the drive box stay disabled while the boxes are shown: the boxes have no
    // owner, and a second press meanwhile would start a second round of checks.
    bool goOn = ShowFindings(DecidePreflight(checks_->facts));
    checks_.reset();
    EnableWindow(driveBox_, TRUE);
    ActivateButton(nextButton_.get());
    return goOn;
}

bool CWelcomePage::ShowFindings(const std::vector<Finding>& findings) const {
    app->turnOffFastStartup = false;
    for (const Finding& finding : findings) {
        if (!finding.log.empty())
            Log(L"%ls", finding.log.c_str());
        if (finding.kind == FindingKind::Note)
            continue;
        if (finding.kind == FindingKind::Refuse) {
            if (finding.errorBox)
                ShowError(nullptr, finding.text);
            else
                MessageBoxW(nullptr, finding.text.c_str(), finding.caption.c_str(),
                            finding.buttons | finding.icon | finding.defaultButton);
            return false;
        }
        bool yes = MessageBoxW(nullptr, finding.text.c_str(), finding.caption.c_str(),
                               finding.buttons | finding.icon | finding.defaultButton) == IDYES;
        Log(L"%ls", (yes ? finding.yesLog : finding.noLog).c_str());
        Answer answer = yes ? finding.yes : finding.no;
        if (answer == Answer::KeepPage)
            return false;
        if (answer == Answer::TurnOffFastStartup)
            app->turnOffFastStartup = true;
    }
    return true;
}

INT_PTR CWelcomePage::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == CBN_SELCHANGE && driveBox_ && reinterpret_cast<HWND>(lParam) == driveBox_)
            OnSelectionChange();
        // Only the button moves on, once its checks pass; Escape (IDCANCEL) and everything
        // else does nothing here.
        if (LOWORD(wParam) == IDC_PAGE_NEXT)
            StartChecks();
        return 0;
    case WM_CHECKS_GATHERED:
        if (!FinishChecks())
            return 0;
        return CDlgBase::HandleMessage(window, WM_COMMAND, IDC_PAGE_NEXT, 0);
    case WM_PAGE_INIT:
        ActivateButton(nextButton_.get());
        break;
    }
    return CDlgBase::HandleMessage(window, message, wParam, lParam);
}

void CWelcomePage::OnPaint(HDC dc) {
    int W = clientWidth, H = clientHeight;
    RECT label = {Scale(W, 0.222), Scale(H, 0.85), Scale(W, 0.362), Scale(H, 0.88)};
    // DT_BOTTOM alone (no DT_SINGLELINE): the text starts at the top left of the rectangle.
    DrawColoredText(dc, kDriveLabel, label, kDriveLabelColor, DT_BOTTOM);
}
