// CRemovePage: offers to remove the recorded installation, then leads to the Welcome page.
#pragma once
#include "setup/pages/DlgBase.h"

#include <memory>

class CRemovePage : public CDlgBase {
  public:
    CRemovePage(HINSTANCE instance, HWND parent, CSetupApp* app);

  protected:
    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInitDialog(HWND window) override;

  private:
    std::unique_ptr<CEmoButton> removeButton_;
};
