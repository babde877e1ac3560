// Setup's entry point.
#include "common/DllSafety.h"
#include "setup/SetupMain.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Before anything else is loaded: DLLs come from the system directory only.
    RestrictDllSearch();
    return RunSetup(instance, DetectFirmware);
}
