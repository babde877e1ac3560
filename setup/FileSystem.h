// File-system helpers of the installation engine.
#pragma once
#include <string>

// The files below a folder, at all depths (links not followed).
struct TreeFiles {
    unsigned long long bytes = 0;
    int files = 0;
    unsigned long long largestBytes = 0;
    std::wstring largest; // the largest file's path; empty when there is no file
};
TreeFiles MeasureTree(const std::wstring& path);
// The files lying directly in `path`, added to `tree` (what a copy source gives).
void MeasureFolder(const std::wstring& path, TreeFiles& tree);
// Bytes of all files below `path`, at all depths; 0 when it is missing or empty.
unsigned long long GetDirectorySize(const std::wstring& path);
// Bytes of the files lying directly in `path` (what a copy source gives); subfolders and
// their contents are not counted. 0 when it is missing or empty. `files`, when given, is
// raised by their number.
unsigned long long GetFilesSize(const std::wstring& path, int* files = nullptr);
