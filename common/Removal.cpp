#include "common/Removal.h"

// Filled in with the boot-entry and removal work.
RemovalOutcome RemoveInstallation(WindowsKind) { return RemovalOutcome(); }
