#include "common/UserMessages.h"

#include "common/Log.h"
#include "common/Removal.h"

namespace {

constexpr wchar_t kDriveGoneText[] =
    L"星岚LUM系统已删除：安装时所在的磁盘分区已不存在（磁盘已拔下或分区已删除），其中的 \\zeldr 文件和 "
    L"\\zentaos 文件夹随之不在了。启动项和安装记录已删除，电脑上没有留下星岚LUM系统的其他内容。";
constexpr wchar_t kForgetIntro[] = L"星岚LUM系统无法完全删除，以下内容本程序以后也无法删除：\n\n";
constexpr wchar_t kForgetQuestion[] =
    L"是否忘记这次安装？\n选择“是”：只删除安装记录，以上内容保持原样，之后可以重新安装。\n"
    L"选择“否”：保持现状，安装记录保留。";

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

RemovalReport ReportRemoval(HWND owner, const RemovalOutcome& outcome, const wchar_t* removedText) {
    ShowWarnings(outcome.warnings);
    if (!outcome.recorded && removedText) {
        ShowError(owner, DescribeIncompleteRemoval(outcome));
        return RemovalReport::Left;
    }
    switch (ClassifyRemoval(outcome)) {
    case RemovalEnd::Removed:
        if (removedText && outcome.recorded)
            MessageBoxW(owner, removedText, L"提醒", MB_OK);
        return RemovalReport::Removed;
    case RemovalEnd::DriveGone:
        Log(L"shown: %ls", kDriveGoneText);
        MessageBoxW(owner, kDriveGoneText, L"提醒", MB_OK);
        return RemovalReport::Removed;
    case RemovalEnd::Lasting: {
        const std::wstring question = kForgetIntro + DescribeLeftForGood(outcome) + kForgetQuestion;
        Log(L"asked: %ls", question.c_str());
        const int answer =
            MessageBoxW(owner, question.c_str(), L"警告", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
        Log(L"answer: %ls", answer == IDYES ? L"forget the installation" : L"keep it recorded");
        if (answer == IDYES && ForgetInstallation())
            return RemovalReport::Forgotten;
        break;
    }
    case RemovalEnd::Transient:
        break;
    }
    ShowError(owner, DescribeIncompleteRemoval(outcome));
    return RemovalReport::Left;
}
