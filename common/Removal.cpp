#include "common/Removal.h"

#include "common/Bcd.h"
#include "common/BootIni.h"
#include "common/Registry.h"
#include "common/SystemHelpers.h"

#include <string>

namespace {

bool PathGone(const std::wstring& path) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return false;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool KeyGone(const wchar_t* subKey) {
    HKEY key = nullptr;
    LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey, 0, KEY_READ, &key);
    if (status == ERROR_SUCCESS)
        RegCloseKey(key);
    return status == ERROR_FILE_NOT_FOUND;
}

// The boot-sector file is read-only and hidden; the attributes go first so it can be deleted.
void DeleteLoader(const std::wstring& path) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
}

// True when the store no longer holds the recorded entry nor lists it in the boot menu.
bool RemoveBcdEntry(CRegistry& record) {
    std::wstring id;
    if (!record.ReadGuid(id) || id.empty())
        return true; // registration never recorded an entry, so none can be left
    CBcdEditor editor;
    if (FAILED(editor.Connect())) {
        editor.Teardown();
        return false;
    }
    editor.OpenSystemStore();
    editor.DeleteEntryObject(id.c_str());
    bool unlisted = editor.RemoveFromDisplayOrder(id.c_str()) == 1;
    bool gone = editor.EntryObjectGone(id.c_str());
    editor.Teardown();
    return unlisted && gone;
}

} // namespace

RemovalOutcome RemoveInstallation(WindowsKind kind) {
    RemovalOutcome outcome;
    CRegistry record;
    if (!record.Open(kHardDiskKey))
        return outcome;
    DWORD value = 0;
    if (!record.ReadDword(L"Drive", value))
        return outcome;
    outcome.recorded = true;
    outcome.driveValue = value;

    const wchar_t letter = static_cast<wchar_t>(value & 0xFFFF);
    const std::wstring loader = std::wstring(1, letter) + L":\\zeldr";
    const std::wstring directory = std::wstring(1, letter) + L":\\zentaos";
    // A value that names no drive would make these paths point anywhere: leave files alone.
    const bool driveKnown = IsDriveLetter(letter);
    if (driveKnown) {
        outcome.drive = letter;
        DeleteLoader(loader);
        DeleteDirectoryTree(directory.c_str());
    }

    switch (kind) {
    case BootIni:
        outcome.bootEntryRemoved = RemoveBootIniEntry(directory.c_str());
        break;
    case Bcd:
        outcome.bootEntryRemoved = RemoveBcdEntry(record);
        break;
    default:
        break; // the boot configuration of an unknown system is not ours to touch
    }
    record.Close();

    // The records go last: while "Drive" is recorded, a repeated run does all steps again.
    DeleteRegistryTree(kHardDiskKey);
    DeleteRegistryTree(kUninstallKey);

    outcome.loaderRemoved = driveKnown && PathGone(loader);
    outcome.directoryRemoved = driveKnown && PathGone(directory);
    outcome.installRecordRemoved = KeyGone(kHardDiskKey);
    outcome.uninstallRecordRemoved = KeyGone(kUninstallKey);
    return outcome;
}
