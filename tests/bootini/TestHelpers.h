// Helpers for tests that call code which may show message boxes, or that must run with
// wine reporting Windows XP.
#pragma once
#include "common/ScopedWin.h"

#include <windows.h>
#include <string>

namespace testhelp {

// Watches this process for a message box from a second thread, records its caption and
// text and presses `button`. Finish() stops watching; a box that never came leaves both empty.
class BoxAnswerer {
  public:
    explicit BoxAnswerer(int button = IDOK);
    ~BoxAnswerer();
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    void Finish();
    int Count() const { return count_; }
    const std::wstring& Caption() const { return caption_; } // of the last box answered
    const std::wstring& Text() const { return text_; }

  private:
    static DWORD WINAPI Watch(void* self);

    int button_;
    zenta::ScopedHandle stop_;
    zenta::ScopedHandle thread_;
    int count_ = 0;
    std::wstring caption_;
    std::wstring text_;
};

// Programs started after this call close their windows at once. Wine otherwise waits up to
// two seconds on every hidden window for a window manager, which the test display lacks.
bool UseUnmanagedWindows();

// Runs the named test case of this program again in a child process that wine tells it is
// Windows XP; true when the child passed. Test case names must not contain commas.
bool RunTestCaseInXpMode(const char* testCase);

// Makes `link` a host symbolic link to the folder `target` (both Windows paths in the test
// prefix), which wine programs see as a directory reparse point. Wine cannot make junctions
// itself, so this runs the host's ln. True when the link is there.
bool MakeFolderLink(const std::wstring& link, const std::wstring& target);
// Takes such a link away again (the host's rm, which removes the link and not its target).
bool RemoveFolderLink(const std::wstring& link);

} // namespace testhelp
