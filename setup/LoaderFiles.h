// The files Zenta LUM's loader reads from the target drive must be plain: not compressed, not
// encrypted, not sparse; its disk images preferably in one piece. The helpers below make and
// check them so; each call and its answer goes to the log.
#pragma once
#include <windows.h>
#include <string>

enum class LoaderFileState { Fine, Fragmented, Unreadable };

// What the loader makes of a file with these attributes and this many extents: a compressed,
// encrypted or sparse file it cannot read; more than one extent is a fragmented file.
LoaderFileState JudgeLoaderFile(DWORD attributes, DWORD extents);

// Turns NTFS compression off for a file or folder (a folder: for the files made in it from now
// on). `handle` needs FILE_READ_DATA | FILE_WRITE_DATA (a folder's: opened with
// FILE_FLAG_BACKUP_SEMANTICS). A file system without compression refuses the call; then
// success is what the attributes say. ERROR_SUCCESS or the error.
DWORD MakeUncompressed(HANDLE handle, const std::wstring& path);
// Decrypts a file or folder (a folder: the files made in it from now on stay plain) that EFS
// encrypted; nothing to do for one that is not. No handle to it may be open. ERROR_SUCCESS,
// the call's error, or ERROR_ACCESS_DENIED when it stays encrypted.
DWORD MakeUnencrypted(const std::wstring& path);
// The number of extents of an open file (0 for one held in its file record), through
// FSCTL_GET_RETRIEVAL_POINTERS. ERROR_SUCCESS or the error.
DWORD CountExtents(HANDLE file, const std::wstring& path, DWORD& extents);
// Reserves `size` bytes for a new, empty file before its data is written, so that NTFS can
// give it one piece: FileAllocationInfo where Windows has it (Vista and later; the file's size
// stays 0), else the size set with SetEndOfFile and the file pointer put back at 0. Nothing
// for an empty file. ERROR_SUCCESS or the error.
DWORD ReserveFinalSize(HANDLE file, const std::wstring& path, unsigned long long size);

// The Complete page's line for a fragmented image, and the post-copy check's refusal.
std::wstring FragmentedText(const std::wstring& path, DWORD extents);
std::wstring UnreadableText(const std::wstring& path, DWORD attributes);
