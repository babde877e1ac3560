// CWorkerControl: pause, resume and stop for the installation's worker, asked for from the
// window's thread and obeyed by every step of the worker, the copy's chunks included.
#pragma once
#include "common/ScopedWin.h"

#include <windows.h>

class CWorkerControl {
  public:
    CWorkerControl();
    CWorkerControl(const CWorkerControl&) = delete;
    CWorkerControl& operator=(const CWorkerControl&) = delete;

    // False when its events could not be made (GetLastError says why): nothing may run then.
    bool Ready() const { return stop_ && going_; }

    // Any thread. A pause holds the worker at its next check until a resume or a stop; a
    // stop is for good and wins over a pause.
    void Pause();
    void Resume();
    void Stop();
    // Signalled once a stop was asked for.
    HANDLE StopEvent() const { return stop_.Get(); }

    // The worker's: waits while paused; false once a stop was asked for. While nothing was
    // asked since the worker last looked it returns without asking the system (which would
    // cost a round trip to the wine server for every file and every chunk).
    bool GoOn();
    // The worker's, where it may not wait: true once a stop was asked for. A pause asked for
    // meanwhile waits for the next GoOn.
    bool StopAsked();

  private:
    void Asked();

    // Manual-reset: stop_ once stopped, going_ while not paused.
    zenta::ScopedHandle stop_, going_;
    // Raised after every request has changed the events.
    volatile LONG requests_ = 0;
    // The worker's.
    LONG seen_ = 0;
    bool stopped_ = false;
};
