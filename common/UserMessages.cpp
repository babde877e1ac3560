#include "common/UserMessages.h"

#include "common/Log.h"
#include "common/Removal.h"
#include "common/UserTexts.h"

namespace {

// The text of an error box: `text`, an empty line, and the log's path when the log holds the
// run's lines; a log that could not be written is not named.
std::wstring WithLogPath(const std::wstring& text) {
    return LogHoldsRun() ? text + kLogPathLine + LogPath() : text;
}

} // namespace

void ShowWarnings(const std::vector<std::wstring>& warnings) {
    for (const std::wstring& warning : warnings) {
        Log(L"warning shown: %ls", warning.c_str());
        MessageBoxW(nullptr, warning.c_str(), kWarningCaption, MB_OK);
    }
}

void ShowError(HWND owner, const std::wstring& text) {
    Log(L"error shown: %ls", text.c_str());
    MessageBoxW(owner, WithLogPath(text).c_str(), kErrorCaption, MB_OK | MB_ICONERROR);
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
            MessageBoxW(owner, removedText, kReminderCaption, MB_OK);
        return RemovalReport::Removed;
    case RemovalEnd::DriveGone:
        Log(L"shown: %ls", kDriveGoneText);
        MessageBoxW(owner, kDriveGoneText, kReminderCaption, MB_OK);
        return RemovalReport::Removed;
    case RemovalEnd::Lasting: {
        const std::wstring question = kForgetIntro + DescribeLeftForGood(outcome) + kForgetQuestion;
        Log(L"asked: %ls", question.c_str());
        const int answer =
            MessageBoxW(owner, question.c_str(), kWarningCaption, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
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
