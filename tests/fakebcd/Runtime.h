// What every object of the fake provider shares: the live-object count (for
// DllCanUnloadNow, and for tests that check every reference was released) and the log of
// the calls made on the provider's objects (read by in-process tests).
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace fakebcd {

// Objects alive plus server locks.
LONG LiveObjects();
void AddLiveObject();
void RemoveLiveObject();

// Counts its owner in LiveObjects for as long as it exists.
struct CountedObject {
    CountedObject() { AddLiveObject(); }
    ~CountedObject() { RemoveLiveObject(); }
    CountedObject(const CountedObject&) = delete;
    CountedObject& operator=(const CountedObject&) = delete;
};

// One line per call, e.g. "ExecMethod OpenStore \\.\ROOT\WMI:BcdStore".
void LogCall(const std::wstring& line);
std::vector<std::wstring> CallLog();
void ClearCallLog();

// A readable form of a variant for the log: "VT_BSTR 272629768", "VT_I4 2", "VT_NULL".
std::wstring DescribeVariant(const VARIANT* value);

} // namespace fakebcd
