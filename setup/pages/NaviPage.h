// CNaviPage: the notice shown when the package lacks the large system files: which files to
// fetch, where to put them, and the download link.
#pragma once
#include "setup/pages/DlgBase.h"
#include "setup/pages/HyperText.h"

#include <memory>
#include <string>
#include <vector>

// The publisher's download page for the complete package.
constexpr wchar_t kDownloadUrl[] = L"http://www.zentalum.cn/index.php?m=content&c=index&a=lists&catid=52";

// The notice for installation drive `drive`.
std::wstring FormatNotice(wchar_t drive);

class CNaviPage : public CDlgBase {
  public:
    CNaviPage(HINSTANCE instance, HWND parent, CSetupApp* app);
    ~CNaviPage() override;

  protected:
    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInitDialog(HWND window) override;
    void OnPaint(HDC dc) override;

  private:
    int textLeft_, textRight_;
    LOGFONTW logFont_ = {};
    std::wstring message_;
    std::unique_ptr<CEmoButton> closeButton_;
    std::vector<std::unique_ptr<CHyperText>> links_;
};
