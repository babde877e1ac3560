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
// What a removal has to tell: its warnings, then, when an installation was recorded and
// something of it is left, the "错误" box listing what. True when nothing is left.
bool ReportRemoval(HWND owner, const RemovalOutcome& outcome);
