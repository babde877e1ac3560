#include "PictureTestKit.h"

#include "setup/pages/Picture.h"

#include <doctest/doctest.h>

using namespace testkit;

TEST_CASE("pictures decode through the system loader with their physical size") {
    ComScope com;
    SUBCASE("a JPEG of 800 x 600 pixels at 96 dpi") {
        DecodedPicture jpeg;
        REQUIRE(LoadPictureFile(L"Y:\\test-data\\pictures\\slide.jpg", jpeg));
        CHECK(jpeg.picture);
        // 800 px / 96 dpi * 2540 HIMETRIC per inch = 21166.7; 600 px = 15875.
        CHECK(jpeg.himetricWidth >= 21166);
        CHECK(jpeg.himetricWidth <= 21167);
        CHECK(jpeg.himetricHeight == 15875);
    }
    SUBCASE("a bitmap from memory") {
        std::string bmp = BmpBytes(4, 2, kRed, kBlue);
        DecodedPicture decoded;
        REQUIRE(DecodePicture(reinterpret_cast<const BYTE*>(bmp.data()), bmp.size(), decoded));
        CHECK(decoded.himetricWidth > 0);
        CHECK(decoded.himetricHeight > 0);
        CHECK(decoded.himetricWidth > decoded.himetricHeight);
    }
    SUBCASE("content that is no picture, and no content") {
        std::string junk(4000, 'x');
        DecodedPicture decoded;
        CHECK_FALSE(DecodePicture(reinterpret_cast<const BYTE*>(junk.data()), junk.size(), decoded));
        CHECK_FALSE(DecodePicture(nullptr, 0, decoded));
        CHECK_FALSE(decoded.picture);
    }
}

TEST_CASE("picture files are read whole, shared for reading, and within 64 MiB") {
    std::wstring folder = FreshFolder(L"picture-files");
    std::vector<BYTE> content;

    SUBCASE("missing, empty and unnamed files give nothing") {
        CHECK_FALSE(ReadPictureFile(folder + L"\\absent.jpg", content));
        REQUIRE(WriteBytes(folder + L"\\empty.jpg", ""));
        CHECK_FALSE(ReadPictureFile(folder + L"\\empty.jpg", content));
        CHECK_FALSE(ReadPictureFile(L"", content));
        CHECK(content.empty());
    }
    SUBCASE("a file another program has open for reading is read all the same") {
        std::string bmp = SolidBmp(kGreen);
        REQUIRE(WriteBytes(folder + L"\\open.jpg", bmp));
        zenta::ScopedHandle reader(CreateFileW((folder + L"\\open.jpg").c_str(), GENERIC_READ,
                                               FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        REQUIRE(reader);
        REQUIRE(ReadPictureFile(folder + L"\\open.jpg", content));
        CHECK(std::string(content.begin(), content.end()) == bmp);
    }
    SUBCASE("a file locked by its writer cannot be read") {
        REQUIRE(WriteBytes(folder + L"\\locked.jpg", SolidBmp(kGreen)));
        zenta::ScopedHandle writer(CreateFileW((folder + L"\\locked.jpg").c_str(),
                                               GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                               nullptr));
        REQUIRE(writer);
        CHECK_FALSE(ReadPictureFile(folder + L"\\locked.jpg", content));
    }
    SUBCASE("64 MiB is the limit, one byte more is refused unread") {
        auto sparse = [&](const wchar_t* name, LONGLONG size) {
            std::wstring path = folder + L"\\" + name;
            zenta::ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                 FILE_ATTRIBUTE_NORMAL, nullptr));
            LARGE_INTEGER end;
            end.QuadPart = size;
            return file && SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.Get());
        };
        REQUIRE(sparse(L"over.jpg", kMaxPictureFileBytes + 1));
        CHECK_FALSE(ReadPictureFile(folder + L"\\over.jpg", content));
        REQUIRE(sparse(L"huge.jpg", 0x100000001LL)); // 4 GiB + 1: would wrap a 32-bit size + 1
        CHECK_FALSE(ReadPictureFile(folder + L"\\huge.jpg", content));
        REQUIRE(sparse(L"limit.jpg", kMaxPictureFileBytes));
        REQUIRE(ReadPictureFile(folder + L"\\limit.jpg", content));
        CHECK(content.size() == kMaxPictureFileBytes);
    }
}

TEST_CASE("stretched rendering keeps the picture upright and fills exactly the rectangle") {
    ComScope com;
    std::string bmp = BmpBytes(4, 4, kRed, kBlue);
    DecodedPicture picture;
    REQUIRE(DecodePicture(reinterpret_cast<const BYTE*>(bmp.data()), bmp.size(), picture));

    Canvas canvas(100, 80, kGrey);
    RenderStretched(picture, canvas.Dc(), RECT{10, 20, 60, 70});
    CHECK(canvas.At(35, 22) == kRed);  // top of the rectangle: the picture's top
    CHECK(canvas.At(35, 67) == kBlue); // bottom
    CHECK(canvas.At(10, 20) == kRed);  // corners inside
    CHECK(canvas.At(59, 69) == kBlue);
    CHECK(canvas.At(9, 40) == kGrey); // just outside on every side
    CHECK(canvas.At(60, 40) == kGrey);
    CHECK(canvas.At(35, 19) == kGrey);
    CHECK(canvas.At(35, 70) == kGrey);

    // Stretched without keeping the aspect ratio: a wide flat rectangle is filled too.
    Canvas wide(100, 80, kGrey);
    RenderStretched(picture, wide.Dc(), RECT{0, 0, 100, 10});
    CHECK(wide.At(99, 1) == kRed);
    CHECK(wide.At(0, 9) == kBlue);
    CHECK(wide.At(50, 10) == kGrey);

    // An empty picture draws nothing.
    Canvas untouched(10, 10, kGrey);
    RenderStretched(DecodedPicture(), untouched.Dc(), RECT{0, 0, 10, 10});
    CHECK(untouched.At(5, 5) == kGrey);
}
