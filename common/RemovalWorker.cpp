#include "common/RemovalWorker.h"

#include "common/Log.h"
#include "common/Messages.h"

CRemovalWorker::CRemovalWorker(WindowsKind kind, HWND window) : kind_(kind), window_(window) {}

CRemovalWorker::~CRemovalWorker() {
    if (thread_)
        WaitForSingleObject(thread_.Get(), INFINITE);
}

void CRemovalWorker::Start() {
    if (running_ || thread_)
        return;
    InterlockedExchange(&running_, 1);
    thread_.Reset(CreateThread(nullptr, 0, &CRemovalWorker::ThreadMain, this, 0, nullptr));
    if (thread_)
        return;
    Log(L"removal: no worker thread (%ls), removing on the window's thread",
        ErrorText(GetLastError()).c_str());
    Run();
}

bool CRemovalWorker::Running() const {
    return running_ != 0;
}

const RemovalOutcome& CRemovalWorker::Outcome() {
    if (thread_)
        WaitForSingleObject(thread_.Get(), INFINITE);
    return outcome_;
}

DWORD WINAPI CRemovalWorker::ThreadMain(void* worker) {
    zenta::ScopedCoInit com;
    static_cast<CRemovalWorker*>(worker)->Run();
    return 0;
}

void CRemovalWorker::Run() {
    outcome_ = RemoveInstallation(kind_);
    InterlockedExchange(&running_, 0);
    PostMessageW(window_, WM_REMOVAL_DONE, 0, 0);
}
