#include "setup/LoaderFiles.h"

#include "common/DynamicApi.h"
#include "common/Log.h"
#include "common/Text.h"
#include "common/UserTexts.h"
#include "setup/CopyPlan.h"

#include <winioctl.h>
#include <cwchar>

namespace {

// Each call's answer is logged when it is the first or differs from the call's last answer, and
// always for the large files (the images, whose layout matters): the same answer file after
// file (error 50 for every file where the file system knows no compression) would cost a
// package of thousands of small files more time in its log than in its copy. Only the
// installation's worker makes these calls.
DWORD Logged(const wchar_t* call, const std::wstring& path, DWORD error, bool always = false) {
    static struct {
        const wchar_t* call;
        DWORD error;
    } last[8] = {};
    for (auto& seen : last) {
        if (seen.call && wcscmp(seen.call, call) != 0)
            continue;
        if (seen.call && seen.error == error && !always)
            return error;
        seen = {call, error};
        break;
    }
    Log(L"%ls %ls: %ls", call, path.c_str(), error ? ErrorText(error).c_str() : L"done");
    return error;
}

DWORD Attributes(HANDLE handle, DWORD& attributes) {
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(handle, &info))
        return GetLastError();
    attributes = info.dwFileAttributes;
    return ERROR_SUCCESS;
}

} // namespace

LoaderFileState JudgeLoaderFile(DWORD attributes, DWORD extents) {
    if (attributes & (FILE_ATTRIBUTE_COMPRESSED | FILE_ATTRIBUTE_ENCRYPTED | FILE_ATTRIBUTE_SPARSE_FILE))
        return LoaderFileState::Unreadable;
    return extents > 1 ? LoaderFileState::Fragmented : LoaderFileState::Fine;
}

DWORD MakeUncompressed(HANDLE handle, const std::wstring& path) {
    USHORT none = COMPRESSION_FORMAT_NONE;
    DWORD bytes = 0;
    DWORD error =
        DeviceIoControl(handle, FSCTL_SET_COMPRESSION, &none, sizeof none, nullptr, 0, &bytes, nullptr)
            ? ERROR_SUCCESS
            : GetLastError();
    Logged(L"FSCTL_SET_COMPRESSION none", path, error);
    DWORD attributes = 0;
    if (error && Attributes(handle, attributes) == ERROR_SUCCESS && !(attributes & FILE_ATTRIBUTE_COMPRESSED))
        return ERROR_SUCCESS; // a file system without compression: nothing is compressed
    return error;
}

DWORD MakeUnencrypted(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return Logged(L"GetFileAttributesW", path, GetLastError());
    if (!(attributes & FILE_ATTRIBUTE_ENCRYPTED))
        return ERROR_SUCCESS;
    DWORD error =
        Logged(L"DecryptFileW", path, DecryptFileW(path.c_str(), 0) ? ERROR_SUCCESS : GetLastError());
    attributes = GetFileAttributesW(path.c_str());
    if (!error && (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_ENCRYPTED)))
        error = Logged(L"still encrypted:", path, ERROR_ACCESS_DENIED);
    return error;
}

DWORD CountExtents(HANDLE file, const std::wstring& path, DWORD& extents) {
    extents = 0;
    STARTING_VCN_INPUT_BUFFER start = {};
    union {
        RETRIEVAL_POINTERS_BUFFER header;
        BYTE bytes[sizeof(RETRIEVAL_POINTERS_BUFFER) + 63 * sizeof(RETRIEVAL_POINTERS_BUFFER::Extents[0])];
    } answer;
    for (;;) {
        DWORD bytes = 0;
        DWORD error = DeviceIoControl(file, FSCTL_GET_RETRIEVAL_POINTERS, &start, sizeof start, &answer,
                                      sizeof answer, &bytes, nullptr)
                          ? ERROR_SUCCESS
                          : GetLastError();
        if (error == ERROR_HANDLE_EOF) // no extent: the data lives in the file record
            error = ERROR_SUCCESS;
        else if ((!error || error == ERROR_MORE_DATA) && answer.header.ExtentCount)
            extents += answer.header.ExtentCount;
        if (error != ERROR_MORE_DATA || !answer.header.ExtentCount) {
            Log(L"FSCTL_GET_RETRIEVAL_POINTERS %ls: %ls, %lu extents", path.c_str(),
                error ? ErrorText(error).c_str() : L"done", extents);
            return error;
        }
        start.StartingVcn = answer.header.Extents[answer.header.ExtentCount - 1].NextVcn;
    }
}

DWORD ReserveFinalSize(HANDLE file, const std::wstring& path, unsigned long long size) {
    if (size == 0)
        return ERROR_SUCCESS; // nothing to place
    using SetInformation = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);
    auto set = LookupFunction<SetInformation>(L"kernel32.dll", "SetFileInformationByHandle");
    LARGE_INTEGER bytes;
    bytes.QuadPart = static_cast<LONGLONG>(size);
    const int kFileAllocationInfo = 5;
    const bool large = size >= kLargeFileBytes;
    if (set && Logged(L"FileAllocationInfo", path,
                      set(file, kFileAllocationInfo, &bytes, sizeof bytes) ? ERROR_SUCCESS : GetLastError(),
                      large) == ERROR_SUCCESS)
        return ERROR_SUCCESS;
    LARGE_INTEGER zero = {};
    return Logged(L"SetEndOfFile at the final size", path,
                  SetFilePointerEx(file, bytes, nullptr, FILE_BEGIN) && SetEndOfFile(file) &&
                          SetFilePointerEx(file, zero, nullptr, FILE_BEGIN)
                      ? ERROR_SUCCESS
                      : GetLastError(),
                  large);
}

std::wstring FragmentedText(const std::wstring& path, DWORD extents) {
    return zenta::FormatText(kFragmentedText, path.c_str(), static_cast<unsigned long>(extents));
}

std::wstring UnreadableText(const std::wstring& path, DWORD attributes) {
    std::wstring kinds;
    for (auto kind : {std::make_pair(FILE_ATTRIBUTE_COMPRESSED, kCompressedName),
                      std::make_pair(FILE_ATTRIBUTE_ENCRYPTED, kEncryptedName),
                      std::make_pair(FILE_ATTRIBUTE_SPARSE_FILE, kSparseName)})
        if (attributes & kind.first)
            kinds += (kinds.empty() ? L"" : kListSeparator) + std::wstring(kind.second);
    return zenta::FormatText(kUnreadableText, path.c_str(), kinds.c_str());
}
