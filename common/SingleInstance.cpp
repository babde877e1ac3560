#include "common/SingleInstance.h"

#include "common/DynamicApi.h"

#include <sddl.h>
#include <vector>

namespace {

using CreateBoundaryFn = HANDLE(WINAPI*)(const wchar_t*, ULONG);
using AddSidFn = BOOL(WINAPI*)(HANDLE*, PSID);
using DeleteBoundaryFn = void(WINAPI*)(HANDLE);
using CreateNamespaceFn = HANDLE(WINAPI*)(SECURITY_ATTRIBUTES*, void*, const wchar_t*);
using OpenNamespaceFn = HANDLE(WINAPI*)(void*, const wchar_t*);
using CloseNamespaceFn = BOOLEAN(WINAPI*)(HANDLE, ULONG);

constexpr wchar_t kNamespace[] = L"ZentaLUM";

// PROCESS_QUERY_LIMITED_INFORMATION, which the XP headers lack (Vista and later).
constexpr DWORD kQueryLimited = 0x1000;

HANDLE OpenQueryable(DWORD id, DWORD extra) {
    HANDLE process = OpenProcess(kQueryLimited, FALSE, id);
    return process ? process : OpenProcess(PROCESS_QUERY_INFORMATION | extra, FALSE, id);
}

} // namespace

CSingleInstance::CSingleInstance(const wchar_t* name) {
    auto createBoundary = LookupFunction<CreateBoundaryFn>(L"kernel32.dll", "CreateBoundaryDescriptorW");
    auto addSid = LookupFunction<AddSidFn>(L"kernel32.dll", "AddSIDToBoundaryDescriptor");
    auto createNamespace = LookupFunction<CreateNamespaceFn>(L"kernel32.dll", "CreatePrivateNamespaceW");
    auto openNamespace = LookupFunction<OpenNamespaceFn>(L"kernel32.dll", "OpenPrivateNamespaceW");
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof administrators;
    if (createBoundary && addSid && createNamespace && openNamespace &&
        CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &sidSize)) {
        HANDLE boundary = createBoundary(kNamespace, 0);
        PSECURITY_DESCRIPTOR made = nullptr;
        if (boundary && addSid(&boundary, administrators) &&
            ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;GA;;;BA)(A;;GA;;;SY)",
                                                                 SDDL_REVISION_1, &made, nullptr)) {
            zenta::ScopedLocal descriptor(made);
            SECURITY_ATTRIBUTES attributes = {sizeof attributes, made, FALSE};
            namespace_ = createNamespace(&attributes, boundary, kNamespace);
            if (!namespace_ && GetLastError() == ERROR_ALREADY_EXISTS)
                namespace_ = openNamespace(boundary, kNamespace);
        }
        boundary_ = boundary; // AddSIDToBoundaryDescriptor may move it
    }
    std::wstring full = namespace_ ? std::wstring(kNamespace) + L"\\" + name : std::wstring(name);
    mutex_.Reset(CreateMutexW(nullptr, TRUE, full.c_str()));
    DWORD error = GetLastError();
    another_ = mutex_ ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
}

CSingleInstance::~CSingleInstance() {
    mutex_.Reset();
    if (namespace_)
        if (auto close = LookupFunction<CloseNamespaceFn>(L"kernel32.dll", "ClosePrivateNamespace"))
            close(namespace_, 0);
    if (boundary_)
        if (auto remove = LookupFunction<DeleteBoundaryFn>(L"kernel32.dll", "DeleteBoundaryDescriptor"))
            remove(boundary_);
}

std::wstring ProcessImagePath(DWORD id) {
    zenta::ScopedHandle process(OpenQueryable(id, PROCESS_VM_READ));
    if (!process)
        return std::wstring();
    std::vector<wchar_t> buffer(1024);
    DWORD length = static_cast<DWORD>(buffer.size());
    using QueryImageFn = BOOL(WINAPI*)(HANDLE, DWORD, wchar_t*, DWORD*);
    if (auto query = LookupFunction<QueryImageFn>(L"kernel32.dll", "QueryFullProcessImageNameW"))
        return query(process.Get(), 0, buffer.data(), &length) ? std::wstring(buffer.data(), length)
                                                               : std::wstring();
    // Windows XP: psapi.dll, from the system directory by its full path.
    wchar_t system[MAX_PATH] = {};
    UINT size = GetSystemDirectoryW(system, MAX_PATH);
    if (size == 0 || size >= MAX_PATH - 12)
        return std::wstring();
    HMODULE psapi = LoadLibraryW((std::wstring(system) + L"\\psapi.dll").c_str());
    using ModuleNameFn = DWORD(WINAPI*)(HANDLE, HMODULE, wchar_t*, DWORD);
    auto moduleName = psapi ? reinterpret_cast<ModuleNameFn>(
                                  reinterpret_cast<void*>(GetProcAddress(psapi, "GetModuleFileNameExW")))
                            : nullptr;
    length = moduleName ? moduleName(process.Get(), nullptr, buffer.data(), length) : 0;
    std::wstring path =
        length > 0 && length < buffer.size() ? std::wstring(buffer.data(), length) : std::wstring();
    if (psapi)
        FreeLibrary(psapi);
    return path;
}

bool ProcessIsAdministrator(DWORD id) {
    zenta::ScopedHandle process(OpenQueryable(id, 0));
    HANDLE opened = nullptr;
    if (!process || !OpenProcessToken(process.Get(), TOKEN_QUERY, &opened))
        return false;
    zenta::ScopedHandle token(opened);
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenGroups, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof administrators;
    if (size == 0 || !GetTokenInformation(token.Get(), TokenGroups, buffer.data(), size, &size) ||
        !CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &sidSize))
        return false;
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    for (DWORD i = 0; i < groups->GroupCount; ++i)
        if (EqualSid(groups->Groups[i].Sid, administrators))
            return (groups->Groups[i].Attributes & (SE_GROUP_ENABLED | SE_GROUP_USE_FOR_DENY_ONLY)) ==
                   SE_GROUP_ENABLED;
    return false;
}
