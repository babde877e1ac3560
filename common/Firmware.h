// Which firmware started Windows. The installed system's boot entry is a boot-sector
// application, which only the BIOS boot manager can start.
#pragma once
#include <windows.h>

enum class Firmware { Bios, Uefi };

// The decision from what the system answered: GetFirmwareType where kernel32 has it
// (`typeKnown` with its answer, 1 BIOS, 2 UEFI), otherwise the error of
// GetFirmwareEnvironmentVariableW asked for nothing: ERROR_INVALID_FUNCTION is what a BIOS
// machine answers, anything else means UEFI.
Firmware DecideFirmware(bool typeKnown, DWORD type, DWORD probeError);

// The firmware of the running system (functions newer than XP looked up at run time).
Firmware DetectFirmware();

const wchar_t* FirmwareName(Firmware firmware);
