#include "setup/WorkerControl.h"

CWorkerControl::CWorkerControl()
    : stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), going_(CreateEventW(nullptr, TRUE, TRUE, nullptr)) {
}

void CWorkerControl::Asked() {
    InterlockedIncrement(&requests_);
}

void CWorkerControl::Pause() {
    if (going_ && ResetEvent(going_.Get()))
        Asked();
}

void CWorkerControl::Resume() {
    if (going_ && SetEvent(going_.Get()))
        Asked();
}

void CWorkerControl::Stop() {
    if (stop_ && SetEvent(stop_.Get()))
        Asked();
}

bool CWorkerControl::GoOn() {
    LONG count = InterlockedCompareExchange(&requests_, 0, 0);
    if (count == seen_ || stopped_)
        return !stopped_;
    seen_ = count;
    // The first signalled wins: a stop over a resume. A failed wait counts as a stop: the
    // worker then ends and undoes what it did.
    HANDLE waits[] = {stop_.Get(), going_.Get()};
    stopped_ = WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1;
    return !stopped_;
}

bool CWorkerControl::StopAsked() {
    return InterlockedCompareExchange(&requests_, 0, 0) != seen_ &&
           WaitForSingleObject(stop_.Get(), 0) == WAIT_OBJECT_0;
}
