// The wizard window of Setup and its page flow:
// Remove -> Welcome -> Progress -> Complete or Notice.
#pragma once
#include "common/InstallRecord.h" // InstallationRecorded decides the first page

#include <windows.h>

struct CSetupApp;

// Package size of copyfiles\Disks from which the package counts as carrying the system files.
constexpr unsigned long long kSystemDisksBytes = 1048576000ull;

bool CreateWizardWindow(CSetupApp* app);
void ShowFirstPage(CSetupApp* app);
bool AdvancePage(CSetupApp* app);
bool ClosePage(CSetupApp* app);
bool HasSystemDisks(CSetupApp* app);
LRESULT CALLBACK WizardWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
