#include "setup/pages/PagePictures.h"

// Placeholder until the picture registry arrives: pages simply show no background.
bool LoadPagePicture(const std::wstring&, HWND, int, int) { return false; }
void DrawPagePictures(HWND, HDC, int, int) {}
void FreePagePictures(HWND) {}
