#include "setup/pages/WelcomePage.h"

#include "common/FastStartup.h"
#include "common/Log.h"
#include "common/Messages.h"
#include "common/Text.h"
#include "common/UserMessages.h"
#include "resources/resource.h"
#include "setup/Config.h"
#include "setup/Package.h"
#include "setup/Protection.h"
#include "setup/SetupApp.h"
#include "setup/pages/PagePictures.h"

namespace {

const wchar_t kDriveLabel[] = L"目标驱动器：";
constexpr COLORREF kDriveLabelColor = 0x0077FFFF;
const wchar_t kShortageText[] =
    L"安装目标盘磁盘空间不足，请删除部分不需要的程序，或者删除(移走)部分不需要的数据再安装";
const wchar_t kFastStartupQuestion[] =
    L"这台电脑开启了Windows的“快速启动”。开启快速启动时，Windows关机后并没有完全关闭，"
    L"星岚系统启动后将无法安全地使用安装它的驱动器。\n\n"
    L"是否关闭快速启动？\n\n"
    L"重启电脑不受影响；以后可以在控制面板的“电源选项”中重新打开快速启动。";
const wchar_t kNoAclQuestion[] =
    L"目标驱动器 %ls 的文件系统（例如 FAT32、exFAT）不能设置访问权限。安装到这里以后，这台电脑上的每一个用户"
    L"都可以替换已安装的启动程序和卸载程序。\n\n确定仍然安装到这个驱动器吗？";

} // namespace

CWelcomePage::CWelcomePage(HINSTANCE instance, HWND parent, CSetupApp* app)
    : CDlgBase(instance, IDD_WELCOME, parent, app) {}

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

bool CWelcomePage::ReadyToInstall() const {
    // Before anything is written: a package without its boot files would install a boot
    // entry that starts nothing and an uninstall record with nothing to run.
    std::vector<std::wstring> missing = MissingPackageFiles(app->packageDir, app->windowsKind);
    if (!missing.empty()) {
        std::wstring list;
        for (const std::wstring& file : missing)
            list += L"\n" + app->packageDir + L"\\" + file;
        ShowError(nullptr, L"安装包不完整，缺少以下文件：" + list);
        return false;
    }
    std::wstring link = LinkInPackage(app->packageDir);
    if (!link.empty()) {
        ShowError(nullptr,
                  L"安装包中的“" + link +
                      L"”是一个链接（连接点或符号链接）。为安全起见，安装程序只安装安装包本身的文件，"
                      L"不读取链接指向的位置。请重新获取完整的安装包。");
        return false;
    }
    bool chosen = selected_ >= 0 && static_cast<size_t>(selected_) < drives_.size();
    if (chosen) {
        link = LinkedTargetPath(drives_[selected_].letter);
        if (!link.empty()) {
            ShowError(nullptr,
                      L"目标驱动器上的“" + link +
                          L"”是一个链接（连接点、符号链接或硬链接）。为安全起见，安装程序不会写入链接指向的"
                          L"位置。请删除它，或者选择其他驱动器。");
            return false;
        }
        std::wstring existing = ExistingTargetFolder(drives_[selected_].letter);
        if (!existing.empty()) {
            ShowError(nullptr, L"目标驱动器上已经有“" + existing +
                                   L"”，它不是本安装程序创建的。为安全起见，安装程序只写入自己新建的文件夹。"
                                   L"请删除或重命名它，或者选择其他驱动器。");
            return false;
        }
    }
    TreeFiles files = PackageFiles(app->packageDir);
    unsigned long long package = files.bytes;
    if (!SelectedDriveHasRoom(drives_, selected_, package)) {
        Log(L"space check refused: %ls, package %llu bytes",
            chosen ? FormatDriveLabel(drives_[selected_]).c_str() : L"no drive", package);
        MessageBoxW(nullptr, kShortageText, L"提醒", MB_OK);
        return false;
    }
    const wchar_t letter = drives_[selected_].letter;
    Log(L"drive chosen: %lc: with %llu bytes free for a package of %llu bytes", static_cast<wint_t>(letter),
        drives_[selected_].freeBytes, package);
    return FileSystemHoldsPackage(letter, files) && AcceptsDriveWithoutAcls(letter) && AskAboutFastStartup();
}

bool CWelcomePage::AcceptsDriveWithoutAcls(wchar_t letter) const {
    const wchar_t root[] = {letter, L':', L'\\', 0};
    if (VolumeKeepsAcls(root))
        return true;
    Log(L"%ls keeps no access control lists: the user is asked", root);
    std::wstring question = zenta::FormatText(kNoAclQuestion, root);
    if (MessageBoxW(nullptr, question.c_str(), L"警告", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) {
        Log(L"the user keeps the page");
        return false;
    }
    Log(L"the user installs on %ls all the same", root);
    return true;
}

bool CWelcomePage::FileSystemHoldsPackage(wchar_t letter, const TreeFiles& files) const {
    std::wstring fileSystem = DriveFileSystem(letter);
    if (FileSystemHoldsFile(fileSystem, files.largestBytes))
        return true;
    Log(L"file system check refused: %lc: is %ls, the package's largest file %ls has %llu bytes",
        static_cast<wint_t>(letter), fileSystem.c_str(), files.largest.c_str(), files.largestBytes);
    std::wstring text = zenta::FormatText(
        L"目标驱动器 %lc: 的文件系统是 %ls，其中的单个文件不能达到 4 GB。安装包中的文件“%ls”有 %llu 字节，"
        L"无法复制到这个驱动器。请选择 NTFS 格式的驱动器。",
        static_cast<wint_t>(letter), fileSystem.c_str(), files.largest.c_str(), files.largestBytes);
    MessageBoxW(nullptr, text.c_str(), L"提醒", MB_OK);
    return false;
}

bool CWelcomePage::AskAboutFastStartup() const {
    app->turnOffFastStartup = false;
    if (!FastStartupQuestionNeeded())
        return true;
    app->turnOffFastStartup = MessageBoxW(nullptr, kFastStartupQuestion, L"提醒",
                                          MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1) == IDYES;
    Log(L"Fast Startup: the user chose to %ls", app->turnOffFastStartup ? L"turn it off" : L"keep it on");
    return true;
}

INT_PTR CWelcomePage::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == CBN_SELCHANGE && driveBox_ && reinterpret_cast<HWND>(lParam) == driveBox_)
            OnSelectionChange();
        // Only the button moves on; Escape (IDCANCEL) and everything else does nothing here.
        if (LOWORD(wParam) != IDC_PAGE_NEXT || !ReadyToInstall())
            return 0;
        break;
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
