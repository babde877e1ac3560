// Windows Fast Startup (Windows 8 and later): "Shut down" then hibernates the Windows kernel
// session and leaves every volume it had mounted hibernated, which the installed system must
// not write to. Setup offers to turn it off and records what it changed; the removal gives
// it back.
#pragma once
#include <windows.h>

// HKEY_LOCAL_MACHINE\<kPowerKey> "HiberbootEnabled" is Fast Startup's switch.
constexpr wchar_t kPowerKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Power";

// What the running system says about Fast Startup.
struct FastStartupState {
    bool hiberbootOn = false;          // "HiberbootEnabled" is 1
    bool hibernationAvailable = false; // hibernation is on (Fast Startup needs it)
};
FastStartupState ReadFastStartup();

// True when the user is to be asked whether Fast Startup should go: Windows 6.2 or later,
// Fast Startup on and hibernation available.
bool FastStartupQuestionNeeded(DWORD major, DWORD minor, const FastStartupState& state);
// The same, with the state read by `read` only on the versions that have Fast Startup.
bool FastStartupQuestionNeeded(DWORD major, DWORD minor, FastStartupState (*read)());
// For the running Windows, with ReadFastStartup.
bool FastStartupQuestionNeeded();

// Turning Fast Startup off for an installation takes two calls, so that the value it had is
// recorded in between: HiberbootBefore reads "HiberbootEnabled" as it is now, then
// TurnOffFastStartup writes 0 and reads it back. False (the last error says why) when any of
// that failed.
bool HiberbootBefore(DWORD& value);
bool TurnOffFastStartup(DWORD before);

// Whether the removal sets "HiberbootEnabled" back: only when the installation recorded a
// value and the setting is still the 0 it wrote (a value the user set since stays).
bool HiberbootToRestore(bool recorded, bool currentKnown, DWORD current);

// The removal's part, given the recorded value (null when none was recorded): true when
// nothing is to be given back or it was given back (and read back); false when writing it
// back failed and it is still to be done.
bool RestoreFastStartup(const DWORD* recorded);
// The write that gives the value back (null: the registry's own). Wine enforces no registry
// ACL: a test puts in one that fails as a refused write does.
using HiberbootWrite = bool (*)(HKEY power, DWORD value);
void SetHiberbootWrite(HiberbootWrite write);
