// The installation's own security: only administrators and the system may change what the
// installed system boots from and what an administrator later runs to remove it.
#pragma once
#include "common/ScopedWin.h"

#include <windows.h>
#include <string>

// Administrators and SYSTEM full control, Users read and execute; not inherited from the
// drive root (protected). The folder passes it on to everything created in it.
constexpr wchar_t kProtectedFolderSddl[] = L"D:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";
constexpr wchar_t kProtectedFileSddl[] = L"D:PAI(A;;FA;;;BA)(A;;FA;;;SY)(A;;0x1200a9;;;BU)";

// The security descriptor of an SDDL text (owned by `descriptor`); false when it cannot be made.
bool MakeSecurityDescriptor(const wchar_t* sddl, zenta::ScopedLocal& descriptor);

// True when the volume of `path` keeps access control lists (NTFS does, FAT32 does not).
bool VolumeKeepsAcls(const std::wstring& path);

// Gives `path` the protected DACL of its kind. ERROR_SUCCESS, also on a volume without ACLs,
// where there is nothing to protect with.
DWORD ProtectPath(const std::wstring& path, bool folder);

// Creates the folder with the protected DACL (ERROR_ALREADY_EXISTS when it is there).
DWORD CreateProtectedFolder(const std::wstring& path);
