// The installation package Setup came from, and what a target drive must be like before
// anything is written to it.
#pragma once
#include "common/WindowsKind.h"
#include "setup/FileSystem.h"

#include <windows.h>

#include <string>
#include <vector>

// The folder of the program file `modulePath`: the package (no trailing backslash, so a
// package at a drive root gives "E:"). Empty when the path has no folder.
std::wstring PackageDirOf(const std::wstring& modulePath);

// The package's files that an installation on `kind` cannot do without and the package
// lacks, as paths below the package ("copyfiles\common\zeldr"): the boot loader (from the
// common folder), and in any copy source of the kind the uninstaller and, for the BCD
// store, the boot sector its entry loads.
std::vector<std::wstring> MissingPackageFiles(const std::wstring& packageDir, WindowsKind kind);

// Everything in the package's copyfiles folder, at all depths: what the target drive must
// have room for.
TreeFiles PackageFiles(const std::wstring& packageDir);
// The files an installation on `kind` copies (those lying directly in its copy sources):
// the largest is the one the target's file system must hold.
TreeFiles CopiedFiles(const std::wstring& packageDir, WindowsKind kind);

// True when a directory entry with these attributes and reparse tag is a link: a name
// surrogate (symbolic link, junction, mount point). Other reparse points (cloud
// placeholders, deduplicated files) are files and folders like any other. A reparse point
// without a tag is taken as a link.
bool IsLinkEntry(DWORD attributes, DWORD reparseTag);

// The first of drive:\zentaos and drive:\zeldr that is a link (junction or symbolic link;
// for zeldr also a folder or a file with a second name), or empty when neither is.
std::wstring LinkedTargetPath(wchar_t drive);
// True when the loader file at `path`, as `info` describes it, is not ours to replace: a link
// (a name surrogate; other reparse points are files), a folder, or a file with a second name.
bool IsLinkedLoader(const std::wstring& path, const BY_HANDLE_FILE_INFORMATION& info);
// drive:\zentaos when something of that name is already there (an installation only ever
// writes into a folder it made itself), or empty.
std::wstring ExistingTargetFolder(wchar_t drive);
// The first link (junction or symbolic link) found in or below the package's copyfiles,
// support and ZentaImages folders, or one of these folders itself, or empty when there is none: the package
// is read as it is, never through a link to somewhere else.
std::wstring LinkInPackage(const std::wstring& packageDir);

// The files an installation on `drive` must leave for its boot entry and its removal to
// work: \zeldr, \zentaos\Uninstall.exe and, for the BCD store, \zentaos\zeldr.mbr. Those
// missing, as full paths.
std::vector<std::wstring> MissingInstalledFiles(wchar_t drive, WindowsKind kind);
