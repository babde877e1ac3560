// Removing a recorded installation: boot loader file, installation directory, boot entry
// and both registry records.
#pragma once
#include "common/WindowsKind.h"

#include <string>

struct RemovalOutcome {
    bool recorded = false;        // "Drive" was found: there was something to remove
    bool bootEntryRemoved = false;
    bool directoryRemoved = false;
    bool loaderRemoved = false;
    bool registryRemoved = false;
    // True when nothing of the installation is left.
    bool Complete() const {
        return recorded && bootEntryRemoved && directoryRemoved && loaderRemoved && registryRemoved;
    }
    std::wstring remaining; // a readable list of what is left, for the uninstaller's report
};

RemovalOutcome RemoveInstallation(WindowsKind kind);
