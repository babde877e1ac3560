#include "common/WindowsKind.h"

#include "common/Text.h"

WindowsKind ClassifyWindowsVersion(DWORD major, DWORD minor) {
    if (major == 5)
        return (minor == 1 || minor == 2) ? BootIni : Unsupported;
    if (major == 6)
        return Bcd;
    return Unsupported;
}

WindowsKind CheckWindowsVersion() {
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof info; // 284: the extended record
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)))
        return Unsupported;
    return ClassifyWindowsVersion(info.dwMajorVersion, info.dwMinorVersion);
}

std::wstring DescribeWindowsVersion() {
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)))
        return L"unknown";
    return zenta::FormatText(L"%lu.%lu.%lu %ls", info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber,
                             info.szCSDVersion);
}
