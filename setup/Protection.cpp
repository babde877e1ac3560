#include "setup/Protection.h"

#include "common/Log.h"

#include <aclapi.h>
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

namespace {

DWORD Logged(const std::wstring& path, DWORD error) {
    Log(L"protected %ls (administrators and SYSTEM only may change it): %ls", path.c_str(),
        error ? ErrorText(error).c_str() : L"done");
    return error;
}

} // namespace

DWORD ProtectPath(const std::wstring& path, bool folder) {
    if (!VolumeKeepsAcls(path)) {
        Log(L"%ls: the volume keeps no access control lists", path.c_str());
        return ERROR_SUCCESS;
    }
    zenta::ScopedLocal descriptor;
    if (!MakeSecurityDescriptor(folder ? kProtectedFolderSddl : kProtectedFileSddl, descriptor))
        return GetLastError();
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor.Get(), &present, &dacl, &defaulted))
        return GetLastError();
    // Protected: nothing is inherited from the drive root any more.
    return Logged(path, SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
                                              DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                              nullptr, nullptr, dacl, nullptr));
}

DWORD CreateProtectedFolder(const std::wstring& path) {
    zenta::ScopedLocal descriptor;
    bool acls = VolumeKeepsAcls(path);
    if (acls && !MakeSecurityDescriptor(kProtectedFolderSddl, descriptor))
        return GetLastError();
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor.Get(), FALSE};
    if (!CreateDirectoryW(path.c_str(), acls ? &attributes : nullptr))
        return GetLastError(); // ERROR_ALREADY_EXISTS is the caller's to judge
    return acls ? Logged(path, ERROR_SUCCESS) : ERROR_SUCCESS;
}
