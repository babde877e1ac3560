#include "common/Volume.h"

#include "common/BootIniText.h"
#include "common/DynamicApi.h"
#include "common/Text.h"

namespace {

using GetVolumePathNamesFunction = BOOL(WINAPI*)(LPCWSTR, LPWCH, DWORD, PDWORD);

// A mount path that is a drive of its own: exactly "X:\".
wchar_t LetterOfPath(const wchar_t* path) {
    if (!IsDriveLetter(path[0]) || path[1] != L':' || path[2] != L'\\' || path[3] != L'\0')
        return 0;
    return static_cast<wchar_t>(path[0] & ~0x20); // upper case
}

} // namespace

// Every letter is asked which volume it names.
static wchar_t DriveOfVolumeByLetters(const std::wstring& volume) {
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter)
        if (zenta::SameId(VolumeOfDrive(letter), volume))
            return letter;
    return 0;
}

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
    for (const wchar_t* path = paths; *path; path += lstrlenW(path) + 1)
        if (wchar_t letter = LetterOfPath(path))
            return letter;
    return 0;
}

wchar_t RemovalDrive(wchar_t recordedLetter, const std::wstring& recordedVolume,
                     const std::wstring& volumeAtLetter, wchar_t currentLetter) {
    if (recordedVolume.empty())
        return IsDriveLetter(recordedLetter) ? recordedLetter : 0;
    if (IsDriveLetter(recordedLetter) && zenta::SameId(volumeAtLetter, recordedVolume))
        return recordedLetter;
    return currentLetter;
}
