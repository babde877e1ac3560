#include "common/UserMessages.h"

#include "common/Log.h"
#include "common/Removal.h"

namespace {

// The text of an error box: `text`, an empty line, and the log's path when the log holds the
// run's lines; a log that could not be written is not named.
std::wstring WithLogPath(const std::wstring& text) {
    return LogHoldsRun() ? text + L"\n\n日志文件：" + LogPath() : text;
}

} // namespace

void ShowWarnings(const std::vector<std::wstring>& warnings) {
    for (const std::wstring& warning : warnings) {
        Log(L"warning shown: %ls", warning.c_str());
        MessageBoxW(nullptr, warning.c_str(), L"警告", MB_OK);
    }
}

void ShowError(HWND owner, const std::wstring& text) {
    Log(L"error shown: %ls", text.c_str());
    MessageBoxW(owner, WithLogPath(text).c_str(), L"错误", MB_OK | MB_ICONERROR);
}

bool ReportRemoval(HWND owner, const RemovalOutcome& outcome) {
    ShowWarnings(outcome.warnings);
    if (!outcome.recorded || outcome.Complete())
        return true;
    ShowError(owner, DescribeIncompleteRemoval(outcome));
    return false;
}
