#include "uninstall/Stages.h"

#include "common/DynamicApi.h"
#include "common/Log.h"
#include "common/ScopedWin.h"
#include "common/SystemHelpers.h"
#include "common/Text.h"
#include "common/UserMessages.h"
#include "common/UserTexts.h"

#include <sddl.h>
#include <winternl.h>

#include <vector>

namespace {

// Only administrators and the system may write into the folder: the copy runs elevated,
// and a program of the same user without elevation must not swap it.
constexpr wchar_t kFolderSddl[] = L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

// Paths here may be longer than MAX_PATH (the uninstaller's buffers hold 520 units): the file
// functions get them in their "\\?\" form, which has no such limit.
std::wstring Unlimited(const std::wstring& path) {
    if (path.size() < MAX_PATH - 12 || path.compare(0, 4, L"\\\\?\\") == 0)
        return path;
    if (path.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + path.substr(2);
    return L"\\\\?\\" + path;
}

// A form of `path` that programs and ShellExecuteW take: itself, or its short (8.3) form
// when it is too long. Empty when neither fits.
std::wstring Startable(const std::wstring& path) {
    if (path.size() < MAX_PATH)
        return path;
    std::vector<wchar_t> shortPath(520);
    DWORD length = GetShortPathNameW(Unlimited(path).c_str(), shortPath.data(), 520);
    if (length == 0 || length >= 520)
        return std::wstring();
    std::wstring result(shortPath.data(), length);
    if (result.compare(0, 4, L"\\\\?\\") == 0)
        result.erase(0, 4);
    return result.size() < MAX_PATH ? result : std::wstring();
}

// Creates the directory `path` with `descriptor` and opens it in the same step, without
// delete sharing: from the moment it exists nobody can rename it (its parent is the user's,
// and a parent's owner may rename any child) and put a folder of their own in its place.
// Null (GetLastError says why) when it cannot be made; ERROR_ALREADY_EXISTS when the name is
// taken.
HANDLE CreateHeldFolder(const std::wstring& path, PSECURITY_DESCRIPTOR descriptor) {
    using NtCreateFileFn = NTSTATUS(NTAPI*)(HANDLE*, ACCESS_MASK, OBJECT_ATTRIBUTES*, IO_STATUS_BLOCK*,
                                            LARGE_INTEGER*, ULONG, ULONG, ULONG, ULONG, void*, ULONG);
    using StatusToErrorFn = ULONG(NTAPI*)(NTSTATUS);
    auto create = LookupFunction<NtCreateFileFn>(L"ntdll.dll", "NtCreateFile");
    auto toError = LookupFunction<StatusToErrorFn>(L"ntdll.dll", "RtlNtStatusToDosError");
    std::vector<wchar_t> full(1024);
    DWORD length =
        GetFullPathNameW(Unlimited(path).c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (!create || !toError || length == 0 || length >= full.size()) {
        SetLastError(length >= full.size() ? ERROR_FILENAME_EXCED_RANGE : ERROR_INVALID_FUNCTION);
        return nullptr;
    }
    // The system's own name of the path: "\??\C:\..." or "\??\UNC\server\share\...".
    std::wstring name(full.data(), length);
    if (name.compare(0, 4, L"\\\\?\\") == 0)
        name.erase(0, 4);
    else if (name.compare(0, 2, L"\\\\") == 0)
        name.replace(0, 2, L"UNC\\");
    name = L"\\??\\" + name;
    UNICODE_STRING text = {static_cast<USHORT>(name.size() * sizeof(wchar_t)),
                           static_cast<USHORT>(name.size() * sizeof(wchar_t)), &name[0]};
    OBJECT_ATTRIBUTES object;
    InitializeObjectAttributes(&object, &text, OBJ_CASE_INSENSITIVE, nullptr, descriptor);
    IO_STATUS_BLOCK io = {};
    HANDLE folder = nullptr;
    NTSTATUS status =
        create(&folder, FILE_LIST_DIRECTORY | SYNCHRONIZE, &object, &io, nullptr, FILE_ATTRIBUTE_NORMAL,
               FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_CREATE,
               FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT, nullptr, 0);
    if (status < 0) {
        SetLastError(toError(status));
        return nullptr;
    }
    return folder;
}

} // namespace

bool MakeTemporaryFolder(const std::wstring& temp, std::wstring& folder, zenta::ScopedHandle& hold) {
    // Without its protection the folder would inherit the user's own rights from %TEMP%: no
    // folder at all then.
    zenta::ScopedLocal descriptor;
    PSECURITY_DESCRIPTOR made = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kFolderSddl, SDDL_REVISION_1, &made, nullptr))
        return false;
    descriptor.Reset(made);
    for (int attempt = 0; attempt < 8; ++attempt) {
        GUID guid;
        if (CoCreateGuid(&guid) != S_OK)
            return false;
        folder = temp + kTemporaryFolderPrefix +
                 zenta::FormatText(L"%08lx%04x%04x%02x%02x%02x%02x%02x%02x%02x%02x", guid.Data1, guid.Data2,
                                   guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3],
                                   guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
        hold.Reset(folder.size() < 520 ? CreateHeldFolder(folder, descriptor.Get()) : nullptr);
        BY_HANDLE_FILE_INFORMATION info = {};
        if (hold)
            return GetFileInformationByHandle(hold.Get(), &info) &&
                   (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ==
                       FILE_ATTRIBUTE_DIRECTORY;
        if (folder.size() >= 520 || GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    folder.clear(); // none of ours: nothing to take away again
    return false;
}

namespace {

bool ReadWhole(HANDLE file, std::string& bytes) {
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file, &size) || size.QuadPart > (64 << 20))
        return false;
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!ReadFile(file, &bytes[done], static_cast<DWORD>(bytes.size() - done), &got, nullptr) || got == 0)
            return false;
        done += got;
    }
    return true;
}

} // namespace

bool SameContent(const std::wstring& self, HANDLE copy) {
    zenta::ScopedHandle original(CreateFileW(Unlimited(self).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string ours, theirs;
    return original && ReadWhole(original.Get(), ours) && ReadWhole(copy, theirs) && ours == theirs;
}

namespace {

bool Start(std::wstring& step, std::wstring& folder, std::wstring& copy) {
    std::wstring temp = TempDirectory(), self = OwnProgramPath();
    step = kNoTempFolderStep;
    if (temp.empty() || self.empty() || self.size() >= 520)
        return false;
    step = kNoPrivateFolderStep;
    zenta::ScopedHandle heldFolder;
    if (!MakeTemporaryFolder(temp, folder, heldFolder))
        return false;
    std::wstring target = folder + L"\\" + kTemporaryCopyName;
    step = kCopyFailedStep;
    if (target.size() >= 520 || !CopyFileW(Unlimited(self).c_str(), Unlimited(target).c_str(), TRUE))
        return false;
    copy = target; // ours from here on, to start or to delete again
    // Held open without write or delete sharing until the copy runs: nobody can change or
    // replace it between the check and the start.
    zenta::ScopedHandle hold(CreateFileW(Unlimited(copy).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    step = kCopyDiffersStep;
    if (!hold || !SameContent(self, hold.Get()))
        return false;
    std::wstring file = Startable(copy), directory = Startable(folder);
    step = kTempPathTooLongStep;
    if (file.empty() || directory.empty())
        return false;
    // The folder stays held until the copy holds it: the copy inherits a handle to it (an
    // inherited handle has the same value in the child, which is told it as the third
    // argument). It is the only handle of ours that is inheritable.
    HANDLE inheritable = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), heldFolder.Get(), GetCurrentProcess(), &inheritable, 0, TRUE,
                         DUPLICATE_SAME_ACCESS))
        return false;
    zenta::ScopedHandle handedOver(inheritable);
    // Any argument makes the copy the second stage; the first number is this process's handle
    // to itself, as the uninstaller has always passed it.
    std::wstring arguments;
    {
        zenta::ScopedHandle own(OpenProcess(SYNCHRONIZE, FALSE, GetCurrentProcessId()));
        arguments = zenta::FormatText(L" %d 1 %lu", static_cast<int>(reinterpret_cast<INT_PTR>(own.Get())),
                                      static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(inheritable)));
    }
    step = kCopyNotRunStep;
    // Exactly this file, never looked up again by name in any search path.
    std::wstring commandLine = L"\"" + file + L"\"" + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(file.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, directory.c_str(),
                        &startup, &started))
        return false;
    zenta::ScopedHandle thread(started.hThread), process(started.hProcess);
    return true;
}

} // namespace

void StartTemporaryCopy() {
    std::wstring step, folder, copy;
    if (Start(step, folder, copy)) {
        Log(L"uninstaller copy started: %ls", copy.c_str());
        return;
    }
    DWORD error = GetLastError();
    // What we made is taken away again; nothing else is touched (an empty folder only goes).
    if (!copy.empty())
        DeleteFileW(Unlimited(copy).c_str());
    if (!folder.empty())
        RemoveDirectoryW(Unlimited(folder).c_str());
    ShowError(nullptr, zenta::FormatText(kUninstallerNotStartedText, step.c_str(), ErrorText(error).c_str()));
}
