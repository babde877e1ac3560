// CNaviPage: the notice shown when the package lacks the large system files: which files to
// fetch, where to put them, and the download link.
#pragma once
#include "setup/pages/DlgBase.h"
#include "setup/pages/EmoButton.h"
#include "setup/pages/HyperText.h"

#include <memory>
#include <string>
#include <vector>

struct CSetupApp;

// The publisher's download page for the complete package.
constexpr wchar_t kDownloadUrl[] = L"http://www.zentalum.cn/index.php?m=content&c=index&a=lists&catid=52";

// The notice for installation drive `drive`.
std::wstring FormatNotice(wchar_t drive);

class CNaviPage : public CDlgBase {
  public:
    CNaviPage(HINSTANCE instance, HWND parent, CSetupApp* app);
    ~CNaviPage() override;

    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInitDialog(HWND window) override;
    void OnPaint(HWND window) override;

    int clientWidth, clientHeight;
    int textLeft, textRight;
    LOGFONTW logFont = {};
    std::wstring message;
    std::unique_ptr<CEmoButton> closeButton;
    int linkCount = 0;
    CSetupApp* app;
    std::vector<std::unique_ptr<CHyperText>> links;
    std::wstring linkUrl;
};
