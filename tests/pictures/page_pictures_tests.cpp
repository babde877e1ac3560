#include "PictureTestKit.h"

#include "setup/pages/PagePictures.h"

#include <doctest/doctest.h>

using namespace testkit;

namespace {

// The colour DrawPagePictures leaves in the middle of a grey canvas for `window`.
COLORREF DrawnColour(HWND window) {
    Canvas canvas(40, 30, kGrey);
    DrawPagePictures(window, canvas.Dc(), 40, 30);
    return canvas.At(20, 15);
}

} // namespace

TEST_CASE("the page picture registry keeps each page's pictures until the page goes") {
    ComScope com;
    std::wstring folder = FreshFolder(L"page-pictures");
    const std::wstring red = folder + L"\\red.bmp", blue = folder + L"\\blue.jpg",
                       green = folder + L"\\green.jpg";
    REQUIRE(WriteBytes(red, SolidBmp(kRed)));
    REQUIRE(WriteBytes(blue, SolidBmp(kBlue)));
    REQUIRE(WriteBytes(green, SolidBmp(kGreen)));
    TestWindow first, second;

    SUBCASE("a picture covers the whole given size") {
        REQUIRE(LoadPagePicture(red, first.Get(), 40, 30));
        Canvas canvas(50, 40, kGrey);
        DrawPagePictures(first.Get(), canvas.Dc(), 40, 30);
        CHECK(canvas.At(0, 0) == kRed);
        CHECK(canvas.At(39, 29) == kRed);
        CHECK(canvas.At(40, 15) == kGrey);
        CHECK(canvas.At(20, 30) == kGrey);
        FreePagePictures(first.Get());
    }
    SUBCASE("of two pictures for one window the older is drawn last, on top") {
        REQUIRE(LoadPagePicture(red, first.Get(), 40, 30));
        REQUIRE(LoadPagePicture(blue, first.Get(), 40, 30));
        CHECK(DrawnColour(first.Get()) == kRed);
        FreePagePictures(first.Get());
        CHECK(DrawnColour(first.Get()) == kGrey);
    }
    SUBCASE("freeing a window without pictures changes nothing") {
        REQUIRE(LoadPagePicture(blue, first.Get(), 40, 30));
        FreePagePictures(second.Get());
        CHECK(DrawnColour(first.Get()) == kBlue);
        CHECK(DrawnColour(second.Get()) == kGrey);
        FreePagePictures(first.Get());
    }
    SUBCASE("freeing one window leaves the other's pictures, whatever the order of loading") {
        REQUIRE(LoadPagePicture(green, second.Get(), 40, 30));
        REQUIRE(LoadPagePicture(red, first.Get(), 40, 30));
        REQUIRE(LoadPagePicture(blue, second.Get(), 40, 30));
        FreePagePictures(first.Get());
        CHECK(DrawnColour(first.Get()) == kGrey);
        CHECK(DrawnColour(second.Get()) == kGreen);
        FreePagePictures(second.Get());
        CHECK(DrawnColour(second.Get()) == kGrey);
    }
    SUBCASE("a missing, empty or undecodable file adds nothing") {
        REQUIRE(WriteBytes(folder + L"\\junk.jpg", std::string(500, 'j')));
        CHECK_FALSE(LoadPagePicture(folder + L"\\absent.jpg", first.Get(), 40, 30));
        CHECK_FALSE(LoadPagePicture(folder + L"\\junk.jpg", first.Get(), 40, 30));
        CHECK_FALSE(LoadPagePicture(L"", first.Get(), 40, 30));
        CHECK(DrawnColour(first.Get()) == kGrey);
    }
}
