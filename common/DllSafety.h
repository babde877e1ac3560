// Both programs run elevated, the uninstaller from the temporary directory: DLLs must come
// from the system directory only, never from beside the program or the working directory.
#pragma once

void RestrictDllSearch();
