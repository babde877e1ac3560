#include "setup/pages/WelcomePage.h"

#include "common/Messages.h"
#include "common/Text.h"
#include "setup/Config.h"
#include "setup/FileSystem.h"
#include "setup/SetupApp.h"
#include "setup/pages/PageLayout.h"
#include "setup/pages/PagePictures.h"

namespace {

const wchar_t kDriveLabel[] = L"目标驱动器：";
constexpr COLORREF kDriveLabelColor = 0x0077FFFF;
const wchar_t kShortageText[] =
    L"安装目标盘磁盘空间不足，请删除部分不需要的程序，或者删除(移走)部分不需要的数据再安装";

} // namespace

CWelcomePage::CWelcomePage(HINSTANCE instance, HWND parent, CSetupApp* app_)
    : CDlgBase(instance, 101, parent), app(app_) {
    SIZE client = ClientSizeOf(parent);
    clientWidth = client.cx;
    clientHeight = client.cy;
}

CWelcomePage::~CWelcomePage() = default;

void CWelcomePage::OnInitDialog(HWND window) {
    dialogWindow = window;
    int W = clientWidth, H = clientHeight;
    RECT place = ForwardButtonPlace(W, H);
    nextButton = AttachImageButton(window, IDC_PAGE_NEXT, place, true, app->config->buttonContinue.c_str(),
                                   app->config->fontButtonText);
    LoadPageBackground(*app, app->config->background1, window, SIZE{W, H});
    if (nextButton)
        SetFocus(nextButton->hwnd);
}

void CWelcomePage::OnPlaced() {
    if (!dialogWindow)
        return; // no page window: a box without a parent would stand alone on the desktop
    std::wstring letters;
    {
        CHardDriveInfo info;
        letters = info.GetFixedDrives();
    }
    int W = clientWidth, H = clientHeight;
    driveBox_ = CreateWindowExW(0, L"ComboBox", L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN | CBS_HASSTRINGS,
                                Scale(W, 0.222), Scale(H, 0.9), Scale(W, 0.15), Scale(H, 0.2), dialogWindow,
                                nullptr, nullptr, nullptr);
    drives.clear();
    drives.reserve(letters.size());
    for (wchar_t letter : letters) {
        DriveEntry entry{letter, QueryFreeBytes(letter)};
        drives.push_back(entry);
        SendMessageW(driveBox_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(FormatDriveLabel(entry).c_str()));
    }
    if (!drives.empty()) {
        SendMessageW(driveBox_, CB_SETCURSEL, 0, 0);
        app->targetDrive = drives[0].letter;
        selected = 0;
    }
}

void CWelcomePage::OnSelectionChange() {
    LRESULT index = SendMessageW(driveBox_, CB_GETCURSEL, 0, 0);
    if (index < 0 || index >= static_cast<LRESULT>(drives.size())) {
        // Nothing chosen (text typed into the box): no drive may pass the check.
        selected = -1;
        return;
    }
    selected = static_cast<int>(index);
    app->targetDrive = drives[selected].letter;
}

bool CWelcomePage::CheckSelectedDrive() const {
    if (selected < 0 || static_cast<size_t>(selected) >= drives.size())
        return false; // measuring the package would be wasted
    // A package whose folder cannot even be named cannot be measured, nor installed.
    std::wstring copyFiles;
    if (!zenta::JoinPath(app->packageDir, L"copyfiles", copyFiles))
        return false;
    return SelectedDriveHasRoom(drives, selected, GetDirectorySize(copyFiles));
}

INT_PTR CWelcomePage::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        FreePagePictures(window);
        EndDialog(window, 0);
        break;
    case WM_COMMAND:
        if (HIWORD(wParam) == CBN_SELCHANGE && driveBox_ && reinterpret_cast<HWND>(lParam) == driveBox_)
            OnSelectionChange();
        if (LOWORD(wParam) != IDC_PAGE_NEXT)
            return 0;
        if (!CheckSelectedDrive()) {
            MessageBoxW(nullptr, kShortageText, L"提醒", MB_OK);
            return 0;
        }
        break;
    case WM_PAGE_INIT:
        ActivateButton(nextButton.get());
        break;
    }
    return CDlgBase::HandleMessage(window, message, wParam, lParam);
}

void CWelcomePage::OnPaint(HWND window) {
    zenta::ScopedPaint paint(window);
    HDC dc = paint.Get();
    int W = clientWidth, H = clientHeight;
    DrawPagePictures(window, dc, W, H);
    SetBkMode(dc, TRANSPARENT);
    RECT label = {Scale(W, 0.222), Scale(H, 0.85), Scale(W, 0.362), Scale(H, 0.88)};
    COLORREF oldColor = SetTextColor(dc, kDriveLabelColor);
    // DT_BOTTOM alone (no DT_SINGLELINE): the text starts at the top left of the rectangle.
    DrawTextW(dc, kDriveLabel, -1, &label, DT_BOTTOM);
    SetTextColor(dc, oldColor);
}
