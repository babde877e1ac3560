// The wizard window of Setup and its page flow:
// Remove -> Welcome -> Progress -> Complete or Notice.
#pragma once
#include "common/InstallRecord.h" // InstallationRecorded decides the first page

#include <windows.h>

struct CSetupApp;

// Why a computer started through UEFI firmware cannot take the installed system.
constexpr wchar_t kUefiRefusalText[] =
    L"这台电脑以 UEFI 方式启动。星岚操作系统只能安装在以传统 BIOS 方式启动的电脑上，"
    L"请在固件设置中改为传统 BIOS（Legacy）启动后再安装。";

// Package size of copyfiles\Disks from which the package counts as carrying the system files.
constexpr unsigned long long kSystemDisksBytes = 1048576000ull;

bool CreateWizardWindow(CSetupApp* app);
void ShowFirstPage(CSetupApp* app);
bool AdvancePage(CSetupApp* app);
bool ClosePage(CSetupApp* app);
bool HasSystemDisks(CSetupApp* app);
LRESULT CALLBACK WizardWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
