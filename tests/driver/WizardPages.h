// Which page the wizard shows, told from the outside by the page's controls.
#pragma once
#include <windows.h>

enum class Page { None, Welcome, Remove, Progress, Complete, Notice, Unknown };
const char* PageName(Page page);
// The page dialog placed in the wizard window, or null.
HWND PageWindow(HWND wizard);
// 1010 Progress; 1007 with 1013 Complete; 1007 alone Notice; 1001 with the drive box
// Welcome, without it Remove.
Page ReadPage(HWND wizard);
