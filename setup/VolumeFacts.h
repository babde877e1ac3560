// What Windows says about a target volume that decides whether the computer can start from it:
// its extents, its disk's partition table and bus, and BitLocker. Each call and its answer goes
// to the log. Slow (WMI can take a second or more): call it off the window's thread.
#pragma once
#include "setup/VolumeReadiness.h"

#include <windows.h>

// The facts of drive `letter` (A..Z) as this system gives them.
VolumeFacts QueryVolumeFacts(wchar_t letter);
// Just the BitLocker part: Win32_EncryptableVolume in Root\CIMV2\Security\MicrosoftVolumeEncryption.
// Initialises COM for the calling thread for the time of the call.
BitLockerFacts QueryBitLocker(wchar_t letter);
// Whether a drive layout (IOCTL_DISK_GET_DRIVE_LAYOUT_EX's answer, `bytes` long) has a
// partition of the Logical Disk Manager: MBR type 0x42, or GPT's LDM metadata or data type.
bool HasLdmPartition(const void* layout, DWORD bytes);
