#include "setup/FileSystem.h"

#include "common/ScopedWin.h"
#include "common/Text.h"

unsigned long long GetDirectorySize(const std::wstring& path) {
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
            if (lstrcmpW(entry.cFileName, L".") == 0 || lstrcmpW(entry.cFileName, L"..") == 0)
                continue;
            // A link would lead outside the folder (or round in a circle): its size is not ours.
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                continue;
            std::wstring child;
            if (zenta::JoinPath(path, entry.cFileName, child))
                total += GetDirectorySize(child);
        } else {
            total += (static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
        }
    } while (FindNextFileW(find.Get(), &entry));
    return total;
}

bool IsDirectory(const std::wstring& path) {
    WIN32_FIND_DATAW entry;
    zenta::ScopedFindHandle find(FindFirstFileW(path.c_str(), &entry));
    return find && (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}
