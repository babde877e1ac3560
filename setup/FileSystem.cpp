#include "setup/FileSystem.h"

#include "common/ScopedWin.h"
#include "common/Text.h"

namespace {

unsigned long long SizeOf(const WIN32_FIND_DATAW& entry) {
    return (static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
}

bool IsDotEntry(const WIN32_FIND_DATAW& entry) {
    return lstrcmpW(entry.cFileName, L".") == 0 || lstrcmpW(entry.cFileName, L"..") == 0;
}

unsigned long long SumSizes(const std::wstring& path, bool recurse, int* files = nullptr) {
    std::wstring pattern;
    if (!zenta::JoinPath(path, L"*", pattern))
        return 0;
    WIN32_FIND_DATAW entry;
    zenta::ScopedFindHandle find(FindFirstFileW(pattern.c_str(), &entry));
    if (!find)
        return 0;
    unsigned long long total = 0;
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!recurse || IsDotEntry(entry))
                continue;
            // A link would lead outside the folder (or round in a circle): its size is not ours.
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                continue;
            std::wstring child;
            if (zenta::JoinPath(path, entry.cFileName, child))
                total += SumSizes(child, true);
        } else {
            total += SizeOf(entry);
            if (files)
                ++*files;
        }
    } while (FindNextFileW(find.Get(), &entry));
    return total;
}

} // namespace

unsigned long long GetDirectorySize(const std::wstring& path) {
    return SumSizes(path, true);
}

unsigned long long GetFilesSize(const std::wstring& path, int* files) {
    return SumSizes(path, false, files);
}

bool IsDirectory(const std::wstring& path) {
    // Attributes rather than a directory search: a search pattern would take wildcards in the
    // name as wildcards and cannot look at a drive root.
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
