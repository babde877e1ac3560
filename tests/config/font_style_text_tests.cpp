#include <doctest/doctest.h>

#include "setup/Config.h"
#include "setup/FontStyleText.h"

#include <climits>
#include <string>

TEST_CASE("decimal numbers are read the way wcstol reads them") {
    CHECK(ReadDecimal(L"20") == 20);
    CHECK(ReadDecimal(L"  \t-15px") == -15);
    CHECK(ReadDecimal(L"+7") == 7);
    CHECK(ReadDecimal(L"px20") == 0);
    CHECK(ReadDecimal(L"") == 0);
    CHECK(ReadDecimal(L"- 5") == 0);
    CHECK(ReadDecimal(L"0x1F") == 0);
    CHECK(ReadDecimal(L"99999999999999999999") == LONG_MAX);
    CHECK(ReadDecimal(L"-99999999999999999999") == LONG_MIN);
    CHECK(ReadDecimal(nullptr) == 0);
}

TEST_CASE("keywords match over their own length, ignoring case") {
    CHECK(StartsWithKeyword(L"forecolor", L"forecolor"));
    CHECK(StartsWithKeyword(L"ForeColorX", L"forecolor"));
    CHECK_FALSE(StartsWithKeyword(L"fore", L"forecolor"));
    CHECK_FALSE(StartsWithKeyword(L"#text", L"text"));
    CHECK_FALSE(StartsWithKeyword(nullptr, L"bold"));

    CHECK(FontStyleSlotForId(L"buttontext") == FontStyleSlot::ButtonText);
    CHECK(FontStyleSlotForId(L"Buttontext2") == FontStyleSlot::ButtonText);
    CHECK(FontStyleSlotForId(L"titlebar") == FontStyleSlot::Title);
    CHECK(FontStyleSlotForId(L"TITLES") == FontStyleSlot::Title);
    CHECK(FontStyleSlotForId(L"subtitle") == FontStyleSlot::Subtitle);
    CHECK(FontStyleSlotForId(L"messagetitle") == FontStyleSlot::Message);
    CHECK(FontStyleSlotForId(L"content") == FontStyleSlot::Content);
    CHECK(FontStyleSlotForId(L"sub") == FontStyleSlot::None);
    CHECK(FontStyleSlotForId(L"button") == FontStyleSlot::None);
    CHECK(FontStyleSlotForId(L"") == FontStyleSlot::None);
}

TEST_CASE("fore colours need three comma-separated components") {
    COLORREF color = RGB(1, 2, 3);
    CHECK(ParseForeColor(L"255,0,0", color));
    CHECK(color == 0x0000FF);
    CHECK(ParseForeColor(L"0, 128 ,64", color));
    CHECK(color == RGB(0, 128, 64));
    CHECK(ParseForeColor(L"300,0,0", color));
    CHECK(GetRValue(color) == 44);
    CHECK(ParseForeColor(L"-1,256,513", color));
    CHECK(color == RGB(255, 0, 1));
    // Components that are not numbers count as 0.
    CHECK(ParseForeColor(L"red,green,255", color));
    CHECK(color == RGB(0, 0, 255));

    color = RGB(9, 9, 9);
    CHECK_FALSE(ParseForeColor(L"255,0", color));
    CHECK_FALSE(ParseForeColor(L"255,0,", color));
    CHECK_FALSE(ParseForeColor(L"255,", color));
    CHECK_FALSE(ParseForeColor(L"255", color));
    CHECK_FALSE(ParseForeColor(L"", color));
    CHECK(color == RGB(9, 9, 9));
}

TEST_CASE("the children of a font style change its record") {
    FontStyle style = DefaultFontStyle();
    CHECK(style.logFont.lfHeight == 12);
    CHECK(style.logFont.lfWeight == 400);
    CHECK(style.logFont.lfCharSet == DEFAULT_CHARSET);
    CHECK(style.logFont.lfOutPrecision == OUT_STROKE_PRECIS);
    CHECK(style.logFont.lfClipPrecision == CLIP_STROKE_PRECIS);
    CHECK(style.logFont.lfQuality == DRAFT_QUALITY);
    CHECK(std::wstring(style.logFont.lfFaceName) == L"Simsun");
    CHECK(style.foreColor == 0);

    SUBCASE("the size counts only with the unit pixel") {
        const wchar_t* units[] = {L"pixel", L"Pixel", L"pixels", L"PIXEL-ish"};
        for (const wchar_t* unit : units) {
            FontStyle record = DefaultFontStyle();
            CFontStyleBuilder builder(record);
            builder.Apply(L"fontunit", unit);
            builder.Apply(L"fontsize", L"20");
            CHECK(record.logFont.lfHeight == 12);
            builder.Finish();
            CHECK(record.logFont.lfHeight == 20);
        }
        const wchar_t* others[] = {L"point", L"pix", L"", L" pixel"};
        for (const wchar_t* unit : others) {
            FontStyle record = DefaultFontStyle();
            CFontStyleBuilder builder(record);
            builder.Apply(L"fontsize", L"20");
            builder.Apply(L"fontunit", unit);
            builder.Finish();
            CHECK(record.logFont.lfHeight == 12);
        }
        // The last of several sizes wins.
        CFontStyleBuilder builder(style);
        builder.Apply(L"fontsize", L"20");
        builder.Apply(L"fontsize", L"-16");
        builder.Apply(L"FontUnit", L"pixel");
        builder.Finish();
        CHECK(style.logFont.lfHeight == -16);
    }
    SUBCASE("bold only ever makes a style heavier") {
        CFontStyleBuilder builder(style);
        builder.Apply(L"bold", L"1");
        builder.Apply(L"bold", L"0");
        builder.Apply(L"bold", L"2");
        CHECK(style.logFont.lfWeight == 700);
        FontStyle other = DefaultFontStyle();
        CFontStyleBuilder second(other);
        second.Apply(L"bold", L"true");
        second.Apply(L"bold", L"700");
        CHECK(other.logFont.lfWeight == 400);
    }
    SUBCASE("face names keep 31 units") {
        CFontStyleBuilder builder(style);
        builder.Apply(L"fontname", L"Microsoft YaHei");
        CHECK(std::wstring(style.logFont.lfFaceName) == L"Microsoft YaHei");
        builder.Apply(L"fontname", std::wstring(40, L'F').c_str());
        CHECK(std::wstring(style.logFont.lfFaceName) == std::wstring(31, L'F'));
    }
    SUBCASE("colours, and names that are no keyword") {
        CFontStyleBuilder builder(style);
        builder.Apply(L"forecolor", L"0,255,0");
        builder.Apply(L"forecolor", L"255,0");
        CHECK(style.foreColor == RGB(0, 255, 0));
        builder.Apply(L"#text", L"255,0,0");
        builder.Apply(L"#comment", L"bold");
        builder.Apply(L"colour", L"255,0,0");
        builder.Apply(nullptr, L"1");
        builder.Finish();
        CHECK(style.foreColor == RGB(0, 255, 0));
        CHECK(style.logFont.lfHeight == 12);
        CHECK(style.logFont.lfWeight == 400);
    }
    SUBCASE("only the first 259 units of a child text count") {
        CFontStyleBuilder builder(style);
        builder.Apply(L"forecolor", (std::wstring(254, L' ') + L"1,2,3").c_str());
        CHECK(style.foreColor == RGB(1, 2, 3));
        style.foreColor = 0;
        // 260 units: the cut leaves "1,2," whose last comma ends the text.
        builder.Apply(L"forecolor", (std::wstring(255, L' ') + L"1,2,3").c_str());
        CHECK(style.foreColor == 0);
    }
}
