#include "setup/ProgressText.h"

#include "common/Text.h"
#include "common/UserTexts.h"

unsigned ElapsedSeconds(DWORD nowTick, DWORD startTick) {
    return static_cast<DWORD>(nowTick - startTick) / 1000;
}

unsigned RemainingSeconds(int percent, unsigned elapsedSeconds) {
    if (percent <= 0 || elapsedSeconds == 0)
        return 120;
    return static_cast<unsigned>(100 - percent) * elapsedSeconds / static_cast<unsigned>(percent);
}

std::wstring PercentLine(int percent) {
    return zenta::FormatText(kPercentLineText, percent);
}

std::wstring TimeLine(unsigned elapsedSeconds, unsigned remainingSeconds) {
    return zenta::FormatText(kTimeLineText, static_cast<int>(elapsedSeconds),
                             static_cast<int>(remainingSeconds));
}
