// Setup.exe installing as on Windows XP under wine: the boot menu is C:\boot.ini, and no BCD
// provider exists in the prefix (any attempt to reach one would show a message box).
#include "tests/install/Scenarios.h"

#include <doctest/doctest.h>

using namespace installkit;

TEST_CASE("Windows XP: a package with the system disks installs completely, with its boot.ini line") {
    FullPackageScenario(Kind::BootIni, L"install_xp_");
}

TEST_CASE(
    "Windows XP: the next start offers removal; a fresh install then goes with the installed uninstaller") {
    RemoveAndUninstallScenario(Kind::BootIni, L"install_xp_");
}
