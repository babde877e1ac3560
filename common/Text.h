// Text helpers: bounded copies for the texts whose cut is visible to the user, and
// path building that refuses (never cuts) a path that does not fit.
#pragma once
#include <windows.h>
#include <cstdarg>
#include <string>

namespace zenta {

// Longest path the programs handle, in UTF-16 units without the terminator.
constexpr size_t kMaxPathChars = MAX_PATH - 1;

// The first (capacity - 1) units of text, as a fixed buffer of that capacity would hold it.
inline std::wstring CutText(const std::wstring& text, size_t capacity) {
    if (capacity == 0)
        return std::wstring();
    return text.size() < capacity ? text : text.substr(0, capacity - 1);
}

// Copies into a fixed buffer, cutting at capacity - 1 units; always terminates.
inline void CopyBounded(wchar_t* destination, size_t capacity, const wchar_t* source) {
    if (!destination || capacity == 0)
        return;
    size_t i = 0;
    for (; source && source[i] && i + 1 < capacity; ++i)
        destination[i] = source[i];
    destination[i] = L'\0';
}

inline bool FitsPath(const std::wstring& path) {
    return path.size() <= kMaxPathChars;
}

// directory + "\" + name, or false (and result untouched) when it would not fit MAX_PATH.
inline bool JoinPath(const std::wstring& directory, const std::wstring& name, std::wstring& result) {
    std::wstring joined = directory;
    if (joined.empty() || joined.back() != L'\\')
        joined += L'\\';
    joined += name;
    if (!FitsPath(joined))
        return false;
    result.swap(joined);
    return true;
}

// printf-style formatting into a std::wstring. Use %ls for wide strings: the meaning of
// %s differs between the runtime's stdio variants, %ls does not.
std::wstring FormatText(const wchar_t* format, ...);
std::wstring FormatTextV(const wchar_t* format, va_list args);

// "{" + 8-4-4-4-12 hexadecimal digits + "}": the form of a BCD object identifier.
bool IsBracedGuid(const std::wstring& text);
// Identifiers are GUIDs, whose text ignores case.
inline bool SameId(const std::wstring& a, const std::wstring& b) {
    return lstrcmpiW(a.c_str(), b.c_str()) == 0;
}

} // namespace zenta
