// CRemovePage: offers to remove the recorded installation, then leads to the Welcome page.
// The removal runs on a worker; meanwhile the wizard paints and answers but takes no input,
// so it can be neither closed nor asked to remove twice.
#pragma once
#include "common/RemovalWorker.h"
#include "setup/pages/DlgBase.h"

#include <memory>

class CRemovePage : public CDlgBase {
  public:
    CRemovePage(HINSTANCE instance, HWND parent, CSetupApp* app);

  protected:
    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInitDialog(HWND window) override;

  private:
    void StartRemoval();
    void FinishRemoval();

    std::unique_ptr<CEmoButton> removeButton_;
    // Last, so that a page closed under a running removal waits for it before anything goes.
    std::unique_ptr<CRemovalWorker> removal_;
};
