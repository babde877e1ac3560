// Which volume an installation lives on. The record names the volume as well as its drive
// letter: letters change (a disk added, letters reassigned), a volume's GUID path does not.
#pragma once
#include <windows.h>
#include <string>

// The drive letter a mount path names: only a drive's root, exactly "X:\" with X from C to
// Z (either case), gives its letter, upper-cased; anything else (a folder) gives 0.
wchar_t DriveLetterOfMountPath(const wchar_t* mountPath);
// The first drive letter among a volume's mount paths, as GetVolumePathNamesForVolumeNameW
// gives them (`length` units: each path ends in a NUL, the list in one more); 0 when no path
// is a drive's root.
wchar_t DriveLetterOfMountPaths(const wchar_t* paths, size_t length);
// The GUID path of the volume that drive `letter` names now ("\\?\Volume{...}\"); empty when
// the letter names none.
std::wstring VolumeOfDrive(wchar_t letter);
// The drive letter under which `volume` is mounted now, upper-case; 0 when it has none.
wchar_t DriveOfVolume(const std::wstring& volume);

// Whether a volume that has no drive letter is there at all. Gone only when both the mount
// manager (GetVolumePathNamesForVolumeNameW) and the file system (GetVolumeInformationW on its
// GUID path) say that no such volume exists; a volume that is there without a letter, without
// media, or that cannot be asked is Unknown, never Gone.
enum class VolumePresence { Present, Gone, Unknown };
// From what the two calls answered: `pathsAsked` false where the first call is missing
// (Windows XP before SP1), which then proves nothing.
VolumePresence VolumePresenceOf(bool pathsAsked, bool pathsDone, DWORD pathsError, bool infoDone,
                                DWORD infoError);
// Asks both calls about `volume` ("\\?\Volume{...}\").
VolumePresence VolumePresenceNow(const std::wstring& volume);

// The drive a removal may work on: the recorded letter while it still names the recorded
// volume, else the volume's current letter, else 0 (nowhere: the volume is not reachable).
// A record without a volume (made before volumes were recorded) trusts the letter as it is.
wchar_t RemovalDrive(wchar_t recordedLetter, const std::wstring& recordedVolume,
                     const std::wstring& volumeAtLetter, wchar_t currentLetter);
