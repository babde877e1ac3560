#include "setup/FileSystem.h"

#include "common/SystemHelpers.h"

namespace {

unsigned long long SizeOf(const WIN32_FIND_DATAW& entry) {
    return (static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
}

unsigned long long SumSizes(const std::wstring& path, bool recurse, int* files = nullptr) {
    unsigned long long total = 0;
    ForEachEntry(path, [&](const WIN32_FIND_DATAW& entry) {
        std::wstring child;
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            total += SizeOf(entry);
            if (files)
                ++*files;
        } else if (recurse && !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                   zenta::JoinPath(path, entry.cFileName, child)) {
            // A link would lead outside the folder (or round in a circle): its size is not ours.
            total += SumSizes(child, true);
        }
        return true;
    });
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
