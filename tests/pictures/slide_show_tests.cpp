#include "PictureTestKit.h"

#include "setup/pages/SlideShow.h"

#include <doctest/doctest.h>

#include <map>

using namespace testkit;

namespace {

const RECT kSlideRect = {10, 10, 50, 40};

// What Draw leaves in the middle of the slide rectangle on a grey canvas.
COLORREF Shown(const CSlideShow& show) {
    Canvas canvas(60, 50, kGrey);
    show.Draw(canvas.Dc());
    CHECK(canvas.At(5, 5) == kGrey); // never outside its rectangle
    return canvas.At(30, 25);
}

// The names in the folder that pass the name rule, in the file system's own order.
std::vector<std::wstring> EnumerationOrder(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry;
    zenta::ScopedFindHandle find(FindFirstFileW((folder + L"\\*.*").c_str(), &entry));
    if (!find)
        return names;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsSlideFileName(entry.cFileName))
            names.push_back(entry.cFileName);
    } while (FindNextFileW(find.Get(), &entry));
    return names;
}

} // namespace

TEST_CASE("slide file names: .jpg or .jpeg anywhere, the extension in any case") {
    CHECK(IsSlideFileName(L"B.JPG"));
    CHECK(IsSlideFileName(L"a.jpeg"));
    CHECK(IsSlideFileName(L"x.JpEg"));
    CHECK(IsSlideFileName(L"a.jpg.bak")); // the rule is a substring test
    CHECK_FALSE(IsSlideFileName(L"c.png"));
    CHECK_FALSE(IsSlideFileName(L"jpg"));
    CHECK_FALSE(IsSlideFileName(L"photo.jpe"));
    CHECK_FALSE(IsSlideFileName(L""));
}

TEST_CASE("a scan lists the slide files of the folder, unsorted, without subfolders") {
    std::wstring folder = FreshFolder(L"scan");
    for (const wchar_t* name : {L"B.JPG", L"a.jpeg", L"c.png", L"a.jpg.bak", L"z.jpg", L"m.JPEG"})
        REQUIRE(WriteBytes(folder + L"\\" + name, SolidBmp(kRed)));
    REQUIRE(CreateDirectoryW((folder + L"\\d.jpg").c_str(), nullptr));

    CSlideShow show(nullptr, folder, kSlideRect);
    show.Scan();
    std::vector<std::wstring> expected = EnumerationOrder(folder);
    CHECK(expected.size() == 5);
    CHECK(show.images == expected);
    CHECK(show.currentIndex == -1);
    CHECK_FALSE(show.current);

    SUBCASE("a missing folder gives no slides and Advance does nothing") {
        CSlideShow none(nullptr, folder + L"\\absent", kSlideRect);
        none.Scan();
        CHECK(none.images.empty());
        none.Advance();
        none.Advance();
        CHECK(none.currentIndex == -1);
        CHECK(Shown(none) == kGrey);
    }
    SUBCASE("a folder name too long for a path gives no slides") {
        CSlideShow tooLong(nullptr, L"D:\\" + std::wstring(300, L'x'), kSlideRect);
        tooLong.Scan();
        CHECK(tooLong.images.empty());
    }
}

TEST_CASE("the slide show cycles through the pictures and re-reads each one when it comes") {
    ComScope com;
    TestWindow window;
    std::wstring folder = FreshFolder(L"slides");

    SUBCASE("one picture only: every Advance reads it again") {
        REQUIRE(WriteBytes(folder + L"\\only.jpg", SolidBmp(kRed)));
        CSlideShow show(window.Get(), folder, kSlideRect);
        show.Scan();
        REQUIRE(show.images.size() == 1);
        CHECK(Shown(show) == kGrey); // nothing before the first Advance
        show.Advance();
        CHECK(show.currentIndex == 0);
        CHECK(Shown(show) == kRed);
        REQUIRE(WriteBytes(folder + L"\\only.jpg", SolidBmp(kBlue)));
        show.Advance();
        CHECK(show.currentIndex == 0);
        CHECK(Shown(show) == kBlue);
    }
    SUBCASE("an unreadable picture in the middle: one period without a slide, then the next, then round") {
        const std::map<std::wstring, COLORREF> colours = {
            {L"one.jpg", kRed}, {L"two.jpg", kGreen}, {L"three.jpg", kBlue}};
        for (const auto& [name, colour] : colours)
            REQUIRE(WriteBytes(folder + L"\\" + name, SolidBmp(colour)));
        CSlideShow show(window.Get(), folder, kSlideRect);
        show.Scan();
        REQUIRE(show.images.size() == 3);
        // Whatever the enumeration order, the middle one of the list is spoiled.
        REQUIRE(WriteBytes(folder + L"\\" + show.images[1], std::string(300, 'x')));

        show.Advance();
        CHECK(show.currentIndex == 0);
        CHECK(Shown(show) == colours.at(show.images[0]));
        show.Advance();
        CHECK(show.currentIndex == 1);
        CHECK_FALSE(show.current);
        CHECK(Shown(show) == kGrey);
        show.Advance();
        CHECK(show.currentIndex == 2);
        CHECK(Shown(show) == colours.at(show.images[2]));
        show.Advance(); // after the last: the first again
        CHECK(show.currentIndex == 0);
        CHECK(Shown(show) == colours.at(show.images[0]));

        // A picture whose writer holds it locked is skipped the same way, and comes back later.
        zenta::ScopedHandle lock(CreateFileW((folder + L"\\" + show.images[2]).c_str(),
                                             GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                             nullptr));
        REQUIRE(lock);
        show.Advance();
        show.Advance();
        CHECK(show.currentIndex == 2);
        CHECK(Shown(show) == kGrey);
        lock.Reset();
        show.Advance();
        show.Advance();
        show.Advance();
        CHECK(show.currentIndex == 2);
        CHECK(Shown(show) == colours.at(show.images[2]));
    }
    SUBCASE("a slide whose file has gone since the scan shows nothing") {
        REQUIRE(WriteBytes(folder + L"\\gone.jpg", SolidBmp(kRed)));
        CSlideShow show(window.Get(), folder, kSlideRect);
        show.Scan();
        REQUIRE(DeleteFileW((folder + L"\\gone.jpg").c_str()));
        show.Advance();
        CHECK(show.currentIndex == 0);
        CHECK(Shown(show) == kGrey);
    }
}
