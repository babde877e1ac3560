#include "common/BootIniText.h"

#include <climits>

const char kBootIniDescription[] = "\xD0\xC7\xE1\xB0\xCF\xB5\xCD\xB3(boot zenta LUM)";
static_assert(sizeof kBootIniDescription == kBootIniDescriptionSize + 1, "the description is 24 bytes");

namespace {

const char kTimeoutKey[] = "timeout=";
const size_t kTimeoutKeySize = sizeof kTimeoutKey - 1;
const char kLoaderSection[] = "[boot loader]";
const size_t kLoaderSectionSize = sizeof kLoaderSection - 1;
const long kMinimumTimeout = 10;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool SameDrive(char a, char b) {
    return (a | 0x20) == (b | 0x20);
}

// Where the first line that holds `drive`'s entry starts, or npos. A key inside another
// line (a comment, another entry's options) is not ours and must not cost that line. The
// drive letter matches in either case, as the boot loader reads it.
size_t FindEntryLine(const std::string& content, char drive) {
    if (!IsDriveLetter(static_cast<unsigned char>(drive)))
        return std::string::npos;
    const std::string path = BootIniEntryKey(drive).substr(1);
    for (size_t at = content.find(path); at != std::string::npos; at = content.find(path, at + 1)) {
        if (at == 0 || !SameDrive(content[at - 1], drive) || (at >= 2 && content[at - 2] != '\n'))
            continue;
        size_t next = at + path.size();
        while (next < content.size() && (content[next] == ' ' || content[next] == '\t'))
            ++next;
        if (next < content.size() && content[next] == '=')
            return at - 1;
    }
    return std::string::npos;
}

// Raises a timeout below 10 to 10. Leaves the text alone when there is no place that can
// safely take the new value: a "timeout=" without a line end after it, or a file with
// neither "timeout=" nor "[boot loader]".
std::string WithMinimumTimeout(const std::string& content) {
    size_t timeout = content.find(kTimeoutKey);
    if (timeout != std::string::npos) {
        size_t valueStart = timeout + kTimeoutKeySize;
        size_t lineFeed = content.find('\n', valueStart);
        if (lineFeed == std::string::npos)
            return content;
        if (ParseBootIniTimeout(content.substr(valueStart, lineFeed - valueStart)) >= kMinimumTimeout)
            return content;
        return content.substr(0, timeout) + "timeout=10\r\n" + content.substr(lineFeed + 1);
    }
    size_t section = content.find(kLoaderSection);
    if (section == std::string::npos)
        return content;
    // After the whole header line, whatever its line end: cutting at a fixed width would
    // split the next line of a file with bare line feeds.
    size_t lineFeed = content.find('\n', section + kLoaderSectionSize);
    size_t insertAt = lineFeed == std::string::npos ? content.size() : lineFeed + 1;
    return content.substr(0, insertAt) + "\r\ntimeout=10\r\n" + content.substr(insertAt);
}

} // namespace

bool IsDriveLetter(unsigned drive) {
    return (drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z');
}

std::string BootIniEntryKey(char drive) {
    return std::string(1, drive) + ":\\zeldr";
}

std::string BootIniEntryLine(char drive) {
    return "\r\n" + BootIniEntryKey(drive) + "=\"" + kBootIniDescription + "\"";
}

bool HasBootIniEntry(const std::string& content, char drive) {
    return FindEntryLine(content, drive) != std::string::npos;
}

long ParseBootIniTimeout(const std::string& value) {
    std::string text = value.substr(0, 63);
    while (!text.empty() && IsBlank(text.back()))
        text.pop_back();
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long number = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        int digit = text[i] - '0';
        if (number > (LONG_MAX - digit) / 10)
            return negative ? LONG_MIN : LONG_MAX;
        number = number * 10 + digit;
    }
    return negative ? -number : number;
}

bool AddBootIniText(const std::string& content, char drive, std::string& edited) {
    if (!IsDriveLetter(static_cast<unsigned char>(drive)))
        return false;
    if (content.find(BootIniEntryKey(drive)) != std::string::npos &&
        content.find(kBootIniDescription) != std::string::npos)
        return false;
    edited = WithMinimumTimeout(content) + BootIniEntryLine(drive);
    return true;
}

bool RemoveBootIniText(const std::string& content, char drive, std::string& edited) {
    size_t line = FindEntryLine(content, drive);
    if (line == std::string::npos)
        return false;
    // The line end before the entry stays, so a file we appended to ends as it did before.
    size_t lineFeed = content.find('\n', line);
    if (lineFeed == std::string::npos || lineFeed + 1 == content.size())
        edited = content.substr(0, line);
    else
        edited = content.substr(0, line) + content.substr(lineFeed + 1);
    return true;
}
