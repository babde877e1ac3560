// CCompletePage: the end of a complete installation: restart now or later.
#pragma once
#include "setup/pages/DlgBase.h"

#include <memory>

class CCompletePage : public CDlgBase {
  public:
    CCompletePage(HINSTANCE instance, HWND parent, CSetupApp* app);

  protected:
    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInitDialog(HWND window) override;
    void OnPaint(HDC dc) override;

  private:
    std::unique_ptr<CEmoButton> laterButton_;
    std::unique_ptr<CEmoButton> restartButton_;
};
