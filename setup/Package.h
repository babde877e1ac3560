// The installation package Setup came from, and what a target drive must be like before
// anything is written to it.
#pragma once
#include "common/WindowsKind.h"
#include "setup/FileSystem.h"

#include <string>
#include <vector>

// The folder of the program file `modulePath`: the package (no trailing backslash, so a
// package at a drive root gives "E:"). Empty when the path has no folder.
std::wstring PackageDirOf(const std::wstring& modulePath);

// The package's files that an installation on `kind` cannot do without and the package
// lacks, as paths below the package ("copyfiles\common\zeldr"): the boot loader, the
// uninstaller and, for the BCD store, the boot sector its entry loads.
std::vector<std::wstring> MissingPackageFiles(const std::wstring& packageDir, WindowsKind kind);

// Everything in the package's copyfiles folder, at all depths: what the target drive must
// have room for, and the largest file its file system must be able to hold.
TreeFiles PackageFiles(const std::wstring& packageDir);

// The first of drive:\zentaos and drive:\zeldr that is a link (junction or symbolic link;
// for zeldr also a file with a second name), or empty when neither is.
std::wstring LinkedTargetPath(wchar_t drive);
// drive:\zentaos when something of that name is already there (an installation only ever
// writes into a folder it made itself), or empty.
std::wstring ExistingTargetFolder(wchar_t drive);
// The first link (junction or symbolic link) found in or below the package's copyfiles,
// support and ZentaImages folders, or empty when there is none: the package is read as it
// is, never through a link to somewhere else.
std::wstring LinkInPackage(const std::wstring& packageDir);

// The files an installation on `drive` must leave for its boot entry and its removal to
// work: \zeldr, \zentaos\Uninstall.exe and, for the BCD store, \zentaos\zeldr.mbr. Those
// missing, as full paths.
std::vector<std::wstring> MissingInstalledFiles(wchar_t drive, WindowsKind kind);
