// The byte edits of boot.ini, checked directly on strings.
#include <doctest/doctest.h>

#include "common/BootIniText.h"

#include <string>

namespace {

const std::string kDescription = "\xD0\xC7\xE1\xB0\xCF\xB5\xCD\xB3(boot zenta LUM)";
const std::string kEntryD = "\r\nD:\\zeldr=\"" + kDescription + "\"";

const std::string kLoader = "[boot loader]\r\n";
const std::string kSystems =
    "[operating systems]\r\n"
    "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" "
    "/noexecute=optin /fastdetect\r\n";

std::string XpIni(const std::string& timeoutLine) {
    return kLoader + timeoutLine + "default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n" + kSystems;
}

std::string Added(const std::string& content, char drive = 'D') {
    std::string edited = "untouched";
    if (!AddBootIniText(content, drive, edited))
        return "unchanged";
    return edited;
}

std::string Removed(const std::string& content, char drive = 'D') {
    std::string edited = "untouched";
    if (!RemoveBootIniText(content, drive, edited))
        return "unchanged";
    return edited;
}

} // namespace

TEST_CASE("the entry line is the drive's key and the fixed GBK description") {
    CHECK(std::string(kBootIniDescription) == kDescription);
    CHECK(kDescription.size() == kBootIniDescriptionSize);
    CHECK(BootIniEntryKey('D') == "D:\\zeldr");
    CHECK(BootIniEntryLine('D') == kEntryD);
    CHECK(BootIniEntryLine('e') == "\r\ne:\\zeldr=\"" + kDescription + "\"");
}

TEST_CASE("timeout values as the boot loader reads them") {
    CHECK(ParseBootIniTimeout("30") == 30);
    CHECK(ParseBootIniTimeout("30\r") == 30);
    CHECK(ParseBootIniTimeout(" 7 ") == 7);
    CHECK(ParseBootIniTimeout("") == 0);
    CHECK(ParseBootIniTimeout("   \r") == 0);
    CHECK(ParseBootIniTimeout("abc") == 0);
    CHECK(ParseBootIniTimeout("12abc") == 12);
    CHECK(ParseBootIniTimeout("-1") == -1);
    CHECK(ParseBootIniTimeout("99999999999999999999") > 10);
    // Only the first 63 bytes count.
    CHECK(ParseBootIniTimeout(std::string(62, ' ') + "30") == 3);
    CHECK(ParseBootIniTimeout(std::string(63, ' ') + "30") == 0);
}

TEST_CASE("adding raises a short timeout and appends the entry") {
    SUBCASE("a timeout of 30 stays") {
        CHECK(Added(XpIni("timeout=30\r\n")) == XpIni("timeout=30\r\n") + kEntryD);
    }
    SUBCASE("10 is enough") {
        CHECK(Added(XpIni("timeout=10\r\n")) == XpIni("timeout=10\r\n") + kEntryD);
    }
    SUBCASE("0 and 5 become 10") {
        CHECK(Added(XpIni("timeout=0\r\n")) == XpIni("timeout=10\r\n") + kEntryD);
        CHECK(Added(XpIni("timeout=5\r\n")) == XpIni("timeout=10\r\n") + kEntryD);
    }
    SUBCASE("spaces only count as 0, and the whole line is replaced") {
        CHECK(Added(XpIni("timeout=   \r\n")) == XpIni("timeout=10\r\n") + kEntryD);
        CHECK(Added(XpIni("timeout=5 ; short\r\n")) == XpIni("timeout=10\r\n") + kEntryD);
    }
    SUBCASE("a bare line feed after the value is replaced by CR LF") {
        std::string ini = "[boot loader]\ntimeout=3\ndefault=x\n";
        CHECK(Added(ini) == "[boot loader]\ntimeout=10\r\ndefault=x\n" + kEntryD);
    }
    SUBCASE("no timeout: one is inserted after the [boot loader] line, after an empty line") {
        std::string ini = kLoader + "default=multi(0)\r\n" + kSystems;
        CHECK(Added(ini) == kLoader + "\r\ntimeout=10\r\n" + "default=multi(0)\r\n" + kSystems + kEntryD);
    }
    SUBCASE("no timeout, bare line feeds: the next line stays whole") {
        std::string ini = "[boot loader]\ndefault=multi(0)\n[operating systems]\n";
        CHECK(Added(ini) ==
              "[boot loader]\n\r\ntimeout=10\r\ndefault=multi(0)\n[operating systems]\n" + kEntryD);
    }
    SUBCASE("no timeout and the header is the last thing in the file") {
        CHECK(Added("[boot loader]") == "[boot loader]\r\ntimeout=10\r\n" + kEntryD);
    }
    SUBCASE("\"timeout=\" without a line end after it: the timeout is left alone") {
        std::string ini = "[operating systems]\r\nC:\\=\"DOS\"\r\n[boot loader]\r\ntimeout=2";
        CHECK(Added(ini) == ini + kEntryD);
    }
    SUBCASE("neither timeout nor [boot loader]: only the entry is appended") {
        std::string ini = "[operating systems]\r\nC:\\=\"DOS\"\r\n";
        CHECK(Added(ini) == ini + kEntryD);
        CHECK(Added("") == kEntryD);
    }
    SUBCASE("a file ending in a line end gets an empty line before the entry and ends without one") {
        std::string result = Added(XpIni("timeout=30\r\n"));
        REQUIRE(result.size() > kEntryD.size() + 2);
        CHECK(result.substr(result.size() - kEntryD.size() - 2, 4) == "\r\n\r\n");
        CHECK(result.back() == '"');
    }
}

TEST_CASE("adding does nothing when the entry is already there") {
    // Key and description anywhere in the file, even with a short timeout.
    std::string ini = XpIni("timeout=5\r\n") + kEntryD;
    CHECK(Added(ini) == "unchanged");
    std::string scattered = "; D:\\zeldr\r\n" + XpIni("timeout=0\r\n") + "; " + kDescription + "\r\n";
    CHECK(Added(scattered) == "unchanged");
    // The key alone, or the description of another drive's entry, is not enough.
    CHECK(Added(XpIni("timeout=30\r\n") + "\r\nD:\\zeldr=\"other\"") != "unchanged");
    std::string entryE = XpIni("timeout=30\r\n") + BootIniEntryLine('E');
    CHECK(Added(entryE) == entryE + kEntryD);
}

TEST_CASE("removing takes out the first entry line of the drive") {
    SUBCASE("the appended line goes; the line end before it stays") {
        std::string ini = XpIni("timeout=30\r\n");
        CHECK(Removed(ini + kEntryD) == ini + "\r\n");
    }
    SUBCASE("a line in the middle goes with its line end; the rest is byte-identical") {
        std::string before = XpIni("timeout=30\r\n");
        std::string after = "C:\\=\"Recovery\" /cmdcons\r\n";
        CHECK(Removed(before + "D:\\zeldr=\"x\"\r\n" + after) == before + after);
        CHECK(Removed(before + "D:\\zeldr=\"x\"\n" + after) == before + after);
    }
    SUBCASE("only the first of two copies") {
        std::string ini = XpIni("timeout=30\r\n") + kEntryD + kEntryD;
        CHECK(Removed(ini) == XpIni("timeout=30\r\n") + "\r\n" + kEntryD.substr(2));
    }
    SUBCASE("a line that ends the file with a line end leaves the text before it") {
        CHECK(Removed("a\r\nD:\\zeldr=\"x\"\r\n") == "a\r\n");
    }
    SUBCASE("the timeout is not changed back") {
        std::string added = Added(XpIni("timeout=5\r\n"));
        CHECK(Removed(added) == XpIni("timeout=10\r\n") + "\r\n");
    }
    SUBCASE("the drive letter matches in either case") {
        std::string ini = XpIni("timeout=30\r\n");
        CHECK(Removed(ini + kEntryD, 'd') == ini + "\r\n");
        CHECK(Removed(ini + "\r\nd:\\zeldr=\"x\"", 'D') == ini + "\r\n");
        CHECK(HasBootIniEntry(ini + "\r\nd:\\zeldr=\"x\"", 'D'));
        CHECK(Removed(ini + BootIniEntryLine('E'), 'd') == "unchanged");
    }
    SUBCASE("nothing to remove") {
        CHECK(Removed(XpIni("timeout=30\r\n")) == "unchanged");
        CHECK(Removed(XpIni("timeout=30\r\n") + BootIniEntryLine('E')) == "unchanged");
        CHECK(Removed("") == "unchanged");
    }
    SUBCASE("a key inside another line is not an entry: that line is kept whole") {
        std::string ini = XpIni("timeout=30\r\n") + "C:\\grldr=\"see D:\\zeldr=\"\r\n";
        CHECK(Removed(ini) == "unchanged");
        CHECK_FALSE(HasBootIniEntry(ini, 'D'));
        CHECK(Removed(ini + "D:\\zeldr.old=\"x\"\r\n") == "unchanged");
        CHECK(Removed(ini + "D:\\zeldr =\"x\"") == ini);
    }
}

TEST_CASE("a value that names no drive edits nothing") {
    std::string ini =
        XpIni("timeout=5\r\n") + "\r\n:\\zeldr=\"x\"\r\n" + std::string(1, '\0') + ":\\zeldr=\"y\"";
    for (char drive : {'\0', '1', '\\', ':', '\xD0'}) {
        CAPTURE(static_cast<int>(drive));
        CHECK(Added(ini, drive) == "unchanged");
        CHECK(Removed(ini, drive) == "unchanged");
    }
}

TEST_CASE("large files are edited without a size limit and the rest stays byte-identical") {
    std::string lines;
    for (int i = 0; lines.size() < 40 * 1024; ++i)
        lines += "multi(0)disk(0)rdisk(0)partition(" + std::to_string(i % 4 + 1) + ")\\WIN" +
                 std::to_string(i) + "=\"Windows " + std::to_string(i) + "\" /fastdetect\r\n";
    std::string ini = XpIni("timeout=3\r\n") + lines;
    REQUIRE(ini.size() > 40 * 1024);
    std::string added = Added(ini);
    // Compared as flags: a failure would otherwise print 40 KiB twice.
    bool addedAsExpected = added == XpIni("timeout=10\r\n") + lines + kEntryD;
    CHECK(addedAsExpected);
    bool removedAsExpected = Removed(added) == XpIni("timeout=10\r\n") + lines + "\r\n";
    CHECK(removedAsExpected);
    // Bytes of another code page pass through untouched.
    std::string foreign = XpIni("timeout=30\r\n") + "C:\\x=\"\xE9\xFF\x80\x00\x01\"\r\n";
    foreign[foreign.size() - 5] = '\0';
    CHECK(Removed(Added(foreign)) == foreign + "\r\n");
}
