#include <doctest/doctest.h>

#include "common/Text.h"
#include "common/WindowsKind.h"

TEST_CASE("windows versions map to the boot technique") {
    CHECK(ClassifyWindowsVersion(5, 0) == Unsupported);
    CHECK(ClassifyWindowsVersion(5, 1) == BootIni);
    CHECK(ClassifyWindowsVersion(5, 2) == BootIni);
    CHECK(ClassifyWindowsVersion(5, 3) == Unsupported);
    CHECK(ClassifyWindowsVersion(6, 0) == Bcd);
    CHECK(ClassifyWindowsVersion(6, 3) == Bcd);
    CHECK(ClassifyWindowsVersion(10, 0) == Unsupported);
    // wine reports 6.1 by default, and there is no manifest that could change that.
    CHECK(CheckWindowsVersion() == Bcd);
}

TEST_CASE("text cuts and paths") {
    CHECK(zenta::CutText(L"abcdef", 4) == L"abc");
    CHECK(zenta::CutText(L"abc", 4) == L"abc");
    std::wstring joined;
    CHECK(zenta::JoinPath(L"C:", L"x", joined));
    CHECK(joined == L"C:\\x");
    std::wstring longName(300, L'a');
    CHECK_FALSE(zenta::JoinPath(L"C:", longName, joined));
    CHECK(joined == L"C:\\x");
    CHECK(zenta::FormatText(L"%ls(%d GB)", L"C:", 3) == L"C:(3 GB)");
}
