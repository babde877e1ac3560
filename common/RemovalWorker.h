// CRemovalWorker: a removal of the recorded installation on a worker thread of its own, so
// that the window that asked for it goes on painting and answering. When the removal has
// ended the worker posts WM_REMOVAL_DONE to that window, once; the outcome is then final.
#pragma once
#include "common/Removal.h"
#include "common/ScopedWin.h"
#include "common/WindowsKind.h"

#include <windows.h>

class CRemovalWorker {
  public:
    CRemovalWorker(WindowsKind kind, HWND window);
    // Waits for a removal that is still running: it is never cut off half-way.
    ~CRemovalWorker();
    CRemovalWorker(const CRemovalWorker&) = delete;
    CRemovalWorker& operator=(const CRemovalWorker&) = delete;

    // Starts the removal. Where no thread can be made it runs here and now, and the message
    // is posted all the same.
    void Start();
    // True from Start() until the removal has ended.
    bool Running() const;
    // What the removal left; waits for the worker's last instructions after WM_REMOVAL_DONE.
    const RemovalOutcome& Outcome();

  private:
    static DWORD WINAPI ThreadMain(void* worker);
    void Run();

    WindowsKind kind_;
    HWND window_;
    zenta::ScopedHandle thread_;
    volatile LONG running_ = 0;
    RemovalOutcome outcome_; // the worker's until it has ended
};
