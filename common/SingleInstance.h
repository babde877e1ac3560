// One running copy of a program at a time, and what can be known of another's process.
#pragma once
#include "common/ScopedWin.h"

#include <windows.h>
#include <string>

// The mutex `name`, held from construction for as long as the holder lives. On Vista and
// later it lives in a private namespace bounded by the Administrators group, whose names a
// program without administrator rights can neither make nor open; elsewhere, or when that
// namespace cannot be had, the name is a plain one.
class CSingleInstance {
  public:
    explicit CSingleInstance(const wchar_t* name);
    ~CSingleInstance();
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;
    // Another holds the name: it existed, or it may not be opened (ERROR_ACCESS_DENIED).
    bool Another() const { return another_; }
    // Whether the name lives in the private namespace, for the log.
    bool Private() const { return namespace_ != nullptr; }

  private:
    void* boundary_ = nullptr;
    HANDLE namespace_ = nullptr;
    zenta::ScopedHandle mutex_;
    bool another_ = false;
};

// The full path of the program file process `id` runs, as Windows names it; empty when it
// cannot be had.
std::wstring ProcessImagePath(DWORD id);
// True when process `id` runs with the Administrators group enabled in its token (an elevated
// administrator, or any administrator on Windows XP).
bool ProcessIsAdministrator(DWORD id);
