// The message boxes both programs show for what went wrong. Every box is written to the
// log too, and every error box ends with the log's path when the log was written, so the
// user can find it.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// One "警告" box (OK, no owner) for each text, in order.
void ShowWarnings(const std::vector<std::wstring>& warnings);
// A "错误" box with `text` and, on its last line, the log's full path when the log holds the
// run's lines.
void ShowError(HWND owner, const std::wstring& text);
struct RemovalOutcome;
enum class RemovalReport {
    Removed,   // nothing of the installation is left (or nothing was recorded: see below)
    Forgotten, // the user chose to forget what no removal can take: the records are gone
    Left,      // something is left and recorded for a later removal
};
// What a removal has to tell: its warnings, then by how it ended (ClassifyRemoval):
// - removed: `removedText` in a "提醒" box when given, else nothing;
// - the recorded drive gone: a "提醒" box saying so and that nothing else was left;
// - left for good: what stays and how to remove it by hand, and the question whether to forget
//   the installation ("警告", Yes/No, No by default); Yes deletes the records only;
// - left for now (or No): the "错误" box listing what is left.
// Nothing recorded is Removed, but with `removedText` (the uninstaller, which was asked to
// remove something) the error box says so and it is Left.
RemovalReport ReportRemoval(HWND owner, const RemovalOutcome& outcome, const wchar_t* removedText = nullptr);
