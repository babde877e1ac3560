#include "setup/FileSystem.h"

#include "common/SystemHelpers.h"

namespace {

unsigned long long SizeOf(const WIN32_FIND_DATAW& entry) {
    return (static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
}

// Adds the files below `path` to `tree`: their bytes, number and the largest of them.
void Measure(const std::wstring& path, bool recurse, TreeFiles& tree) {
    ForEachEntry(path, [&](const WIN32_FIND_DATAW& entry) {
        std::wstring child;
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            unsigned long long size = SizeOf(entry);
            tree.bytes += size;
            ++tree.files;
            if (size > tree.largestBytes && zenta::JoinPath(path, entry.cFileName, child)) {
                tree.largestBytes = size;
                tree.largest = child;
            }
        } else if (recurse && !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                   zenta::JoinPath(path, entry.cFileName, child)) {
            // A link would lead outside the folder (or round in a circle): its size is not ours.
            Measure(child, true, tree);
        }
        return true;
    });
}

} // namespace

TreeFiles MeasureTree(const std::wstring& path) {
    TreeFiles tree;
    Measure(path, true, tree);
    return tree;
}

void MeasureFolder(const std::wstring& path, TreeFiles& tree) {
    Measure(path, false, tree);
}

unsigned long long GetDirectorySize(const std::wstring& path) {
    return MeasureTree(path).bytes;
}

unsigned long long GetFilesSize(const std::wstring& path, int* files) {
    TreeFiles tree;
    Measure(path, false, tree);
    if (files)
        *files += tree.files;
    return tree.bytes;
}
