// The Progress page's arithmetic and the Notice page's text, as pure functions.
#include <doctest/doctest.h>

#include "setup/ProgressText.h"
#include "setup/pages/NaviPage.h"

TEST_CASE("elapsed and remaining time") {
    CHECK(TimeLine(30, RemainingSeconds(50, 30)) == L"已用30秒，剩余30秒");
    CHECK(RemainingSeconds(1, 3) == 297);
    CHECK(RemainingSeconds(99, 99) == 1);
    SUBCASE("nothing to extrapolate from yet") {
        CHECK(RemainingSeconds(0, 50) == 120);
        CHECK(RemainingSeconds(40, 0) == 120);
        CHECK(ElapsedSeconds(1999, 1000) == 0);
    }
    SUBCASE("the tick counter wraps after 49.7 days") {
        DWORD start = 0xFFFFFC18; // 1000 ms before the wrap
        CHECK(ElapsedSeconds(2000, start) == 3);
        CHECK(ElapsedSeconds(start + 30000, start) == 30);
    }
}

TEST_CASE("status line texts") {
    CHECK(PercentLine(0) == L"已安装: 0%");
    CHECK(PercentLine(42) == L"已安装: 42%");
    CHECK(TimeLine(3, 297) == L"已用3秒，剩余297秒");
}

TEST_CASE("the notice names the chosen drive") {
    std::wstring notice = FormatNotice(L'D');
    CHECK(notice.find(L"放到目录D:\\zentaos下") != std::wstring::npos);
    CHECK(notice.rfind(L"亲，谢谢你安装星岚操作系统", 0) == 0);
    CHECK(notice.size() < 520);
    CHECK(std::wstring(kDownloadUrl).find(L"index.php?m=content&c=index&a=lists&catid=52") !=
          std::wstring::npos);
}
