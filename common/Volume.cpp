#include "common/Volume.h"

#include "common/BootIniText.h"
#include "common/DynamicApi.h"
#include "common/Text.h"

using GetVolumePathNamesFunction = BOOL(WINAPI*)(LPCWSTR, LPWCH, DWORD, PDWORD);

wchar_t DriveLetterOfMountPath(const wchar_t* mountPath) {
    // Only the root of a drive names a letter of the volume's own; a folder such as
    // C:\mnt\vol\ names the drive that hosts it.
    if (!mountPath || !mountPath[0] || mountPath[1] != L':' || mountPath[2] != L'\\' || mountPath[3])
        return 0;
    wchar_t letter = mountPath[0];
    if (letter >= L'a' && letter <= L'z')
        letter = static_cast<wchar_t>(letter - L'a' + L'A');
    return letter >= L'C' && letter <= L'Z' ? letter : 0;
}

wchar_t DriveLetterOfMountPaths(const wchar_t* paths, size_t length) {
    for (size_t start = 0; paths && start < length && paths[start];) {
        size_t end = start;
        while (end < length && paths[end])
            ++end;
        if (end == length) // not terminated within the list: not a path
            return 0;
        if (wchar_t letter = DriveLetterOfMountPath(paths + start))
            return letter;
        start = end + 1;
    }
    return 0;
}

namespace {

// Every letter is asked which volume it names.
wchar_t DriveOfVolumeByLetters(const std::wstring& volume) {
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter)
        if (zenta::SameId(VolumeOfDrive(letter), volume))
            return letter;
    return 0;
}

} // namespace

std::wstring VolumeOfDrive(wchar_t letter) {
    if (!IsDriveLetter(letter))
        return std::wstring();
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    wchar_t volume[64] = {};
    if (!GetVolumeNameForVolumeMountPointW(root, volume, 64))
        return std::wstring();
    return volume;
}

wchar_t DriveOfVolume(const std::wstring& volume) {
    if (volume.empty())
        return 0;
    auto pathNames =
        LookupFunction<GetVolumePathNamesFunction>(L"kernel32.dll", "GetVolumePathNamesForVolumeNameW");
    if (!pathNames) // Windows XP before SP1 lacks it
        return DriveOfVolumeByLetters(volume);
    // Room for the paths of any volume but one mounted in many deep folders, which is then
    // looked for letter by letter as above.
    wchar_t paths[4096];
    DWORD length = 0;
    if (!pathNames(volume.c_str(), paths, 4094, &length))
        return DriveOfVolumeByLetters(volume);
    paths[4094] = paths[4095] = L'\0'; // the list ends in two terminators, whatever the call gave
    return DriveLetterOfMountPaths(paths, 4096);
}

namespace {

bool NoSuchObject(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

} // namespace

VolumePresence VolumePresenceOf(bool pathsAsked, bool pathsDone, DWORD pathsError, bool infoDone,
                                DWORD infoError) {
    if (pathsDone || infoDone)
        return VolumePresence::Present;
    return pathsAsked && NoSuchObject(pathsError) && NoSuchObject(infoError) ? VolumePresence::Gone
                                                                             : VolumePresence::Unknown;
}

VolumePresence VolumePresenceNow(const std::wstring& volume) {
    if (volume.empty())
        return VolumePresence::Unknown;
    auto pathNames =
        LookupFunction<GetVolumePathNamesFunction>(L"kernel32.dll", "GetVolumePathNamesForVolumeNameW");
    wchar_t paths[1024];
    DWORD length = 0, pathsError = ERROR_SUCCESS;
    const bool pathsDone = pathNames && pathNames(volume.c_str(), paths, 1024, &length);
    if (pathNames && !pathsDone)
        pathsError = GetLastError();
    // The volume's own file system, without media or with it: only "not found" counts.
    const bool infoDone =
        GetVolumeInformationW(volume.c_str(), nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0);
    const DWORD infoError = infoDone ? ERROR_SUCCESS : GetLastError();
    return VolumePresenceOf(pathNames != nullptr, pathsDone || pathsError == ERROR_MORE_DATA, pathsError,
                            infoDone, infoError);
}

wchar_t RemovalDrive(wchar_t recordedLetter, const std::wstring& recordedVolume,
                     const std::wstring& volumeAtLetter, wchar_t currentLetter) {
    if (recordedVolume.empty())
        return IsDriveLetter(recordedLetter) ? recordedLetter : 0;
    if (IsDriveLetter(recordedLetter) && zenta::SameId(volumeAtLetter, recordedVolume))
        return recordedLetter;
    return currentLetter;
}
