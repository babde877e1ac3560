// Start-up reading the package in the working directory, through the application object.
#include <doctest/doctest.h>

#include "config_files.h"
#include "setup/SetupApp.h"

#include <algorithm>
#include <string>

namespace {

const std::wstring kPackageDocument =
    Document(L"<headtitle>星岚安装</headtitle><picture><appicon>app.ico</appicon></picture>");

// Restores the test's own working directory.
struct WorkingDirectory {
    explicit WorkingDirectory(const std::wstring& directory) {
        GetCurrentDirectoryW(MAX_PATH, saved);
        changed = SetCurrentDirectoryW(directory.c_str()) != FALSE;
    }
    ~WorkingDirectory() { SetCurrentDirectoryW(saved); }
    wchar_t saved[MAX_PATH] = {};
    bool changed = false;
};

// A directory on D: of exactly `length` units.
std::wstring DirectoryOfLength(size_t length) {
    std::wstring path = L"D:";
    while (path.size() < length) {
        size_t part = std::min<size_t>(100, length - path.size() - 1);
        path += L"\\" + std::wstring(part, L'p');
        if (length - path.size() == 1)
            path += L'r';
    }
    return path;
}

} // namespace

TEST_CASE("a package started from a drive root") {
    ComScope com;
    REQUIRE(MakeDirectories(L"E:\\support"));
    REQUIRE(WriteEncoded(L"E:\\support\\Config.xml", kPackageDocument, CP_UTF8));
    REQUIRE(WriteIconFile(L"E:\\support\\app.ico"));
    WorkingDirectory root(L"E:\\");
    REQUIRE(root.changed);

    CSetupApp app(GetModuleHandleW(nullptr));
    CHECK(app.packageDir == L"E:");
    REQUIRE(app.config);
    CHECK(app.config->configPath == L"E:\\support\\Config.xml");
    CHECK(app.config->document);
    CHECK(app.config->headTitle == L"星岚安装");
    CHECK(app.windowIcon != nullptr);

    SUBCASE("reading again replaces the configuration and the icon") {
        REQUIRE(MakeDirectories(L"D:\\pkg\\support"));
        REQUIRE(WriteEncoded(L"D:\\pkg\\support\\Config.xml",
                             Document(L"<picture><appicon>none.ico</appicon></picture>"), CP_UTF8));
        WorkingDirectory package(L"D:\\pkg");
        REQUIRE(package.changed);
        LoadConfiguration(app);
        CHECK(app.packageDir == L"D:\\pkg");
        CHECK(app.config->headTitle.empty());
        CHECK(app.config->appIcon == L"none.ico");
        CHECK(app.windowIcon == nullptr);
    }
}

TEST_CASE("started away from the package") {
    ComScope com;
    REQUIRE(MakeDirectories(L"D:\\elsewhere"));
    WorkingDirectory elsewhere(L"D:\\elsewhere");
    REQUIRE(elsewhere.changed);
    CSetupApp app(GetModuleHandleW(nullptr));
    CHECK(app.packageDir == L"D:\\elsewhere");
    REQUIRE(app.config);
    CHECK(app.config->headTitle.empty());
    CHECK(app.windowIcon == nullptr);
    CHECK(SameStyle(app.config->fontButtonText, DefaultFontStyle()));
}

TEST_CASE("a working directory too long for the document path") {
    ComScope com;
    // packageDir\support\Config.xml needs 263 units here; cut at 259 it would name
    // packageDir\support\Config, which holds a document of its own.
    const std::wstring directory = DirectoryOfLength(244);
    REQUIRE(directory.size() == 244);
    REQUIRE(MakeDirectories(directory + L"\\support"));
    const std::wstring cutPath = directory + L"\\support\\Config";
    REQUIRE(cutPath.size() == 259);
    REQUIRE(WriteEncoded(cutPath, kPackageDocument, CP_UTF8));
    REQUIRE(WriteIconFile(directory + L"\\support\\app.ico"));
    WorkingDirectory package(directory);
    REQUIRE(package.changed);

    CSetupApp app(GetModuleHandleW(nullptr));
    CHECK(app.packageDir == directory);
    REQUIRE(app.config);
    CHECK(app.config->configPath.empty());
    CHECK_FALSE(app.config->document);
    CHECK(app.config->headTitle.empty());
    CHECK(app.windowIcon == nullptr);

    SUBCASE("the longest directory whose document path still fits") {
        const std::wstring fitting = DirectoryOfLength(240);
        REQUIRE(MakeDirectories(fitting + L"\\support"));
        REQUIRE(WriteEncoded(fitting + L"\\support\\Config.xml",
                             Document(L"<headtitle>星岚安装</headtitle><picture><appicon>application-icon.ico"
                                      L"</appicon></picture>"),
                             CP_UTF8));
        // Cut at 259 units the icon path would name this file.
        REQUIRE(WriteIconFile(fitting + L"\\support\\applicatio"));
        WorkingDirectory fits(fitting);
        REQUIRE(fits.changed);
        LoadConfiguration(app);
        CHECK(app.packageDir == fitting);
        CHECK(app.config->configPath.size() == 259);
        CHECK(app.config->headTitle == L"星岚安装");
        // packageDir\support\application-icon.ico needs 269 units: refused, not cut.
        CHECK(app.windowIcon == nullptr);
    }
}

TEST_CASE("a working directory beyond MAX_PATH is kept whole and reads nothing") {
    ComScope com;
    // Cut at 259 units the document path would be the file `outer\bbb...` beside the package.
    const std::wstring outer = L"D:\\" + std::wstring(100, L'a') + L"\\" + std::wstring(100, L'a');
    const std::wstring cutName = std::wstring(54, L'b');
    const std::wstring directory = outer + L"\\" + cutName + std::wstring(40, L'c');
    REQUIRE((outer + L"\\" + cutName).size() == 259);
    REQUIRE(MakeDirectories(directory + L"\\support"));
    REQUIRE(WriteEncoded(outer + L"\\" + cutName, kPackageDocument, CP_UTF8));
    WorkingDirectory package(directory);
    REQUIRE(package.changed);

    CSetupApp app(GetModuleHandleW(nullptr));
    CHECK(app.packageDir == directory);
    REQUIRE(app.config);
    CHECK(app.config->configPath.empty());
    CHECK(app.config->headTitle.empty());
    CHECK(app.windowIcon == nullptr);
}
