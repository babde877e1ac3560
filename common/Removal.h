// Removing a recorded installation: boot loader file, installation directory, boot entry
// and both registry records.
#pragma once
#include "common/WindowsKind.h"

#include <windows.h>

// What a removal left behind, each item checked on the machine after the attempt.
struct RemovalOutcome {
    bool recorded = false; // "Drive" was readable: there was an installation to remove
    DWORD driveValue = 0;  // "Drive" as recorded
    wchar_t drive = 0;     // its letter; 0 when the value names no drive A-Z, and no file was touched
    bool bootEntryRemoved = false;
    bool loaderRemoved = false;    // drive:\zeldr
    bool directoryRemoved = false; // drive:\zentaos
    bool installRecordRemoved = false;
    bool uninstallRecordRemoved = false;

    // True when an installation was recorded and nothing of it is left.
    bool Complete() const {
        return recorded && bootEntryRemoved && loaderRemoved && directoryRemoved && installRecordRemoved &&
               uninstallRecordRemoved;
    }
};

// Removes the installation recorded under "SOFTWARE\Zenta\HardDisk". Without a readable
// "Drive" nothing at all is touched. With a "Drive" that names no drive letter the files are
// left alone, while the boot entry and the registry records still go. The boot.ini editor and
// the BCD connection tell the user about their own failures; nothing else is shown.
RemovalOutcome RemoveInstallation(WindowsKind kind);
