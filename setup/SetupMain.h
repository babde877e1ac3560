// Setup's start: one instance, a supported Windows started through a BIOS, the wizard
// window and its message loop.
#pragma once
#include "common/Firmware.h"

#include <windows.h>

// The name of the mutex that keeps Setup to one running wizard.
constexpr wchar_t kSetupMutexName[] = L"MUTEX_ZENTA_SETUP";

// Runs Setup with the package in the folder of its own program file; `detectFirmware` tells
// which firmware started Windows. Returns the exit code (always 0).
int RunSetup(HINSTANCE instance, Firmware (*detectFirmware)());
