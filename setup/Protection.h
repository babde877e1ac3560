// The installation's own security: only administrators and the system may change what the
// installed system boots from and what an administrator later runs to remove it.
#pragma once
#include "common/ScopedWin.h"

#include <windows.h>
#include <string>

// Administrators and SYSTEM full control, Users read and execute; not inherited from the
// drive root (protected); owned by Administrators, so that no user may change it later as
// its owner. The folder passes it on to everything created in it.
constexpr wchar_t kProtectedFolderSddl[] = L"O:BAD:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";
constexpr wchar_t kProtectedFileSddl[] = L"O:BAD:PAI(A;;FA;;;BA)(A;;FA;;;SY)(A;;0x1200a9;;;BU)";

// The security descriptor of an SDDL text (owned by `descriptor`); false when it cannot be made.
bool MakeSecurityDescriptor(const wchar_t* sddl, zenta::ScopedLocal& descriptor);

// True when the volume of `path` keeps access control lists (NTFS does, FAT32 does not).
bool VolumeKeepsAcls(const std::wstring& path);

// True when a root with descriptor `descriptor` lets Everyone, Authenticated Users, Users or
// INTERACTIVE rename or replace what is made in it: as its owner, or by an allow entry that
// applies to the root itself and grants delete-child, write-DAC, write-owner or generic-all.
// A null DACL grants everything to everyone.
bool UsersMayRenameAtRoot(PSECURITY_DESCRIPTOR descriptor);

// The descriptor a new file or folder at `path` is created with: the protected one of its
// kind, or none (null) on a volume that keeps no ACLs. False (GetLastError says why) when it
// cannot be made: then nothing may be created.
bool ProtectedDescriptorFor(const std::wstring& path, bool folder, zenta::ScopedLocal& descriptor);

// Creates the folder with the protected descriptor (ERROR_ALREADY_EXISTS when the name is
// taken).
DWORD CreateProtectedFolder(const std::wstring& path);
