#include "setup/Protection.h"

#include "common/Log.h"

#include <sddl.h>

namespace {

// Everyone, Authenticated Users, Users, INTERACTIVE: every standard user is one of them.
bool IsUserSid(PSID sid) {
    static const wchar_t* const kUsers[] = {L"S-1-1-0", L"S-1-5-11", L"S-1-5-32-545", L"S-1-5-4"};
    for (const wchar_t* text : kUsers) {
        PSID user = nullptr;
        if (!ConvertStringSidToSidW(text, &user))
            continue;
        zenta::ScopedLocal owned(user);
        if (EqualSid(sid, user))
            return true;
    }
    return false;
}

} // namespace

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

bool UsersMayRenameAtRoot(PSECURITY_DESCRIPTOR descriptor) {
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    if (GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) && owner && IsUserSid(owner))
        return true;
    BOOL present = FALSE;
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted))
        return true;
    if (!present || !dacl)
        return true; // no DACL: everyone may do everything
    const ACCESS_MASK renames = FILE_DELETE_CHILD | WRITE_DAC | WRITE_OWNER | GENERIC_ALL;
    for (DWORD index = 0; index < dacl->AceCount; ++index) {
        void* ace = nullptr;
        if (!GetAce(dacl, index, &ace))
            return true;
        const ACE_HEADER* header = static_cast<const ACE_HEADER*>(ace);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE))
            continue;
        ACCESS_ALLOWED_ACE* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        if ((allowed->Mask & renames) && IsUserSid(&allowed->SidStart))
            return true;
    }
    return false;
}
