#include "setup/Protection.h"

#include "common/Log.h"

#include <sddl.h>

bool MakeSecurityDescriptor(const wchar_t* sddl, zenta::ScopedLocal& descriptor) {
    PSECURITY_DESCRIPTOR made = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &made, nullptr))
        return false;
    descriptor.Reset(made);
    return true;
}

bool VolumeKeepsAcls(const std::wstring& path) {
    if (path.size() < 2 || path[1] != L':')
        return false;
    const wchar_t root[] = {path[0], L':', L'\\', 0};
    DWORD flags = 0;
    return GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
           (flags & FILE_PERSISTENT_ACLS);
}

bool ProtectedDescriptorFor(const std::wstring& path, bool folder, zenta::ScopedLocal& descriptor) {
    descriptor.Reset();
    if (!VolumeKeepsAcls(path)) {
        Log(L"%ls: the volume keeps no access control lists", path.c_str());
        return true;
    }
    return MakeSecurityDescriptor(folder ? kProtectedFolderSddl : kProtectedFileSddl, descriptor);
}

DWORD CreateProtectedFolder(const std::wstring& path) {
    zenta::ScopedLocal descriptor;
    if (!ProtectedDescriptorFor(path, true, descriptor))
        return GetLastError();
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor.Get(), FALSE};
    if (!CreateDirectoryW(path.c_str(), &attributes))
        return GetLastError(); // ERROR_ALREADY_EXISTS is the caller's to judge
    if (descriptor)
        Log(L"protected %ls (administrators and SYSTEM only may change it): created so", path.c_str());
    return ERROR_SUCCESS;
}
