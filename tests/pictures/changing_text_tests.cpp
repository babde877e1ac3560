#include "PictureTestKit.h"

#include "setup/pages/ChangingText.h"

#include <doctest/doctest.h>

using namespace testkit;

namespace {

const RECT kLine = {20, 30, 220, 70};

// A background with detail everywhere, so that a restore from the wrong place would show.
void PaintBackground(const Canvas& canvas) {
    for (int y = 0; y < canvas.Height(); y += 4) {
        zenta::ScopedBrush brush(CreateSolidBrush(RGB((y * 5) & 0xFF, 40, 255 - ((y * 3) & 0xFF))));
        RECT band = {0, y, canvas.Width(), y + 4};
        FillRect(canvas.Dc(), &band, brush.Get());
    }
    GdiFlush();
}

zenta::ScopedFont TextFont() {
    LOGFONTW lf = {};
    lf.lfHeight = 24;
    lf.lfWeight = FW_BOLD;
    lstrcpynW(lf.lfFaceName, L"Segoe", LF_FACESIZE);
    return zenta::ScopedFont(CreateFontIndirectW(&lf));
}

// What a Show of `text` over the plain background must give.
void DrawExpected(const Canvas& canvas, const wchar_t* text) {
    SetBkMode(canvas.Dc(), TRANSPARENT);
    SetTextColor(canvas.Dc(), RGB(0, 255, 16));
    RECT area = kLine;
    DrawTextW(canvas.Dc(), text, -1, &area, DT_CENTER | DT_BOTTOM);
    GdiFlush();
}

} // namespace

TEST_CASE("a changing text restores its background before each new text") {
    Canvas background(240, 100, kGrey);
    PaintBackground(background);
    zenta::ScopedFont font = TextFont();

    CChangingText line(background.Dc(), kLine);
    REQUIRE(line.Capture() == 1);
    // The capture is a copy: later changes to the source do not reach it.
    Canvas target(240, 100, kGrey);
    target.CopyFrom(background);
    background.Fill(kRed);
    Canvas plain(240, 100, kGrey);
    PaintBackground(plain);

    zenta::ScopedSelect useFont(target.Dc(), font.Get());
    line.Show(L"已完成 12%  WWWWWWWW", target.Dc());
    CHECK(target.Differences(plain) > 100); // the first text is there

    line.Show(L"1", target.Dc());
    Canvas expected(240, 100, kGrey);
    PaintBackground(expected);
    {
        zenta::ScopedSelect expectedFont(expected.Dc(), font.Get());
        DrawExpected(expected, L"1");
    }
    CHECK(target.Differences(expected) == 0);
    CHECK(target.Differences(plain) > 0);

    // Lines start at the top of the rectangle, centred: "1" sits in the upper middle.
    bool inkAtTop = false, inkAtBottom = false;
    for (int x = kLine.left; x < kLine.right; ++x) {
        inkAtTop |= target.At(x, kLine.top + 12) != plain.At(x, kLine.top + 12);
        inkAtBottom |= target.At(x, kLine.bottom - 3) != plain.At(x, kLine.bottom - 3);
    }
    CHECK(inkAtTop);
    CHECK_FALSE(inkAtBottom);

    // An empty text leaves the clean background.
    line.Show(L"", target.Dc());
    CHECK(target.Differences(plain) == 0);
}

TEST_CASE("a changing text without a snapshot draws over what is there") {
    Canvas target(240, 100, kGrey);
    SUBCASE("no source") {
        CChangingText line(nullptr, kLine);
        CHECK(line.Capture() == 0);
        CHECK_FALSE(line.snapshotDC);
        CHECK_FALSE(line.snapshotBitmap);
        line.Show(L"WWWW", target.Dc());
        line.Show(L"1", target.Dc());
        Canvas expected(240, 100, kGrey);
        DrawExpected(expected, L"WWWW");
        DrawExpected(expected, L"1");
        CHECK(target.Differences(expected) == 0);
    }
    SUBCASE("an empty rectangle") {
        Canvas source(240, 100, kGrey);
        CChangingText line(source.Dc(), RECT{50, 50, 50, 80});
        CHECK(line.Capture() == 0);
    }
    SUBCASE("capturing again replaces the snapshot") {
        Canvas source(240, 100, kBlue);
        CChangingText line(source.Dc(), kLine);
        REQUIRE(line.Capture() == 1);
        source.Fill(kGreen);
        REQUIRE(line.Capture() == 1);
        line.Show(L"", target.Dc());
        CHECK(target.At(kLine.left, kLine.top) == kGreen);
        CHECK(target.At(kLine.right - 1, kLine.bottom - 1) == kGreen);
        CHECK(target.At(kLine.right, kLine.bottom) == kGrey);
    }
}
