#include "common/BootIniText.h"

#include "common/InstallRecord.h"

#include <climits>
#include <vector>

const char kBootIniDescription[] = "\xD0\xC7\xE1\xB0\xCF\xB5\xCD\xB3(boot zenta LUM)";
static_assert(sizeof kBootIniDescription == kBootIniDescriptionSize + 1, "the description is 24 bytes");

namespace {

const long kMinimumTimeout = 10;
// The timeout line an add writes, and a removal recognises as the one it may give back.
const char kOurTimeout[] = "timeout=10";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string Trim(const std::string& text) {
    size_t start = 0, end = text.size();
    while (start < end && IsBlank(text[start]))
        ++start;
    while (end > start && IsBlank(text[end - 1]))
        --end;
    return text.substr(start, end - start);
}

// Spaces and tabs only: what a boot.ini line may have around its key and value.
std::string TrimBlanks(const std::string& text) {
    size_t start = text.find_first_not_of(" \t");
    return start == std::string::npos ? std::string()
                                      : text.substr(start, text.find_last_not_of(" \t") + 1 - start);
}

bool SameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

// One line of the file: where it starts, where its text ends and where the next line starts.
struct Line {
    size_t start, textEnd, end;
};

std::vector<Line> SplitLines(const std::string& content) {
    std::vector<Line> lines;
    for (size_t start = 0; start < content.size();) {
        size_t feed = content.find('\n', start);
        size_t end = feed == std::string::npos ? content.size() : feed + 1;
        size_t textEnd = feed == std::string::npos ? end : feed;
        if (textEnd > start && content[textEnd - 1] == '\r')
            --textEnd;
        lines.push_back(Line{start, textEnd, end});
        start = end;
    }
    return lines;
}

std::string TextOf(const std::string& content, const Line& line) {
    return content.substr(line.start, line.textEnd - line.start);
}

// The key of a line (its text before "=", trimmed) and its value; false for comments.
bool KeyOf(const std::string& text, std::string& key, std::string* value = nullptr) {
    std::string trimmed = Trim(text);
    if (trimmed.empty() || trimmed[0] == ';')
        return false;
    size_t equals = trimmed.find('=');
    key = Trim(trimmed.substr(0, equals));
    if (value)
        *value = equals == std::string::npos ? std::string() : text.substr(text.find('=') + 1);
    return true;
}

bool IsEntryLine(const std::string& text, char drive) {
    std::string key;
    return IsDriveLetter(static_cast<unsigned char>(drive)) && KeyOf(text, key) &&
           SameText(key, BootIniEntryKey(drive));
}

bool IsSectionLine(const std::string& text) {
    std::string trimmed = Trim(text);
    return !trimmed.empty() && trimmed[0] == '[';
}

// The [boot loader] section's header and its timeout line, each null when there is none.
struct TimeoutPlace {
    const Line* header = nullptr;
    const Line* timeout = nullptr;
};

TimeoutPlace FindTimeout(const std::string& content, const std::vector<Line>& lines) {
    TimeoutPlace place;
    for (const Line& line : lines) {
        std::string text = TextOf(content, line), key;
        if (IsSectionLine(text)) {
            if (place.header)
                break; // the section ended without a timeout
            if (SameText(Trim(text), "[boot loader]"))
                place.header = &line;
            continue;
        }
        if (place.header && KeyOf(text, key) && SameText(key, "timeout")) {
            place.timeout = &line;
            break;
        }
    }
    return place;
}

// Raises a timeout below 10 to 10, looking only inside the [boot loader] section.
std::string WithMinimumTimeout(const std::string& content, BootIniChange& change) {
    const std::vector<Line> lines = SplitLines(content);
    const TimeoutPlace place = FindTimeout(content, lines);
    if (!place.header)
        return content; // no section to put a timeout into
    if (const Line* line = place.timeout) {
        std::string key, value;
        KeyOf(TextOf(content, *line), key, &value);
        change.timeoutBefore = change.timeoutAfter = ParseBootIniTimeout(value);
        if (change.timeoutBefore >= kMinimumTimeout)
            return content;
        change.timeoutAfter = kMinimumTimeout;
        return content.substr(0, line->start) + kOurTimeout + content.substr(line->textEnd);
    }
    change.timeoutAfter = kMinimumTimeout;
    const Line* header = place.header;
    std::string lineEnd = header->end == header->textEnd ? "\r\n" : "";
    return content.substr(0, header->end) + lineEnd + "\r\n" + kOurTimeout + "\r\n" +
           content.substr(header->end);
}

} // namespace

bool IsDriveLetter(unsigned drive) {
    return (drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z');
}

std::string BootIniEntryKey(char drive) {
    return BootIniLoaderPath(drive);
}

std::string BootIniEntryLine(char drive) {
    return "\r\n" + BootIniEntryKey(drive) + "=\"" + kBootIniDescription + "\"";
}

bool IsPlainBootIniText(const std::string& content) {
    bool utf16 = content.size() >= 2 && ((content[0] == '\xFF' && content[1] == '\xFE') ||
                                         (content[0] == '\xFE' && content[1] == '\xFF'));
    return !utf16 && content.find('\0') == std::string::npos;
}

bool HasBootIniEntry(const std::string& content, char drive) {
    for (const Line& line : SplitLines(content))
        if (IsEntryLine(TextOf(content, line), drive))
            return true;
    return false;
}

long ParseBootIniTimeout(const std::string& value) {
    std::string text = Trim(value.substr(0, 63));
    size_t i = 0;
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

const char* BootIniTimeoutLineFault(const std::string& line) {
    size_t equals = line.find('=');
    for (char c : line)
        if (c == '\r' || c == '\n' || c == '\0')
            return "it is not a single line";
    if (equals == std::string::npos || !SameText(TrimBlanks(line.substr(0, equals)), "timeout"))
        return "its key is not timeout";
    std::string value = TrimBlanks(line.substr(equals + 1));
    if (value.empty() || value.size() > 9 || value.find_first_not_of("0123456789") != std::string::npos)
        return "its value is not a number";
    return nullptr;
}

bool AddBootIniText(const std::string& content, char drive, std::string& edited, BootIniChange& change) {
    if (!IsDriveLetter(static_cast<unsigned char>(drive)) || HasBootIniEntry(content, drive))
        return false;
    edited = WithMinimumTimeout(content, change) + BootIniEntryLine(drive);
    change.linesAdded = 1;
    return true;
}

bool RemoveBootIniText(const std::string& content, char drive, std::string& edited, BootIniChange& change) {
    std::string kept;
    size_t from = 0;
    for (const Line& line : SplitLines(content)) {
        if (!IsEntryLine(TextOf(content, line), drive))
            continue;
        // The line goes with its own line end; the one before it stays, so a file we
        // appended to ends as it did before.
        kept += content.substr(from, line.start - from);
        from = line.end;
        ++change.linesRemoved;
    }
    if (change.linesRemoved == 0)
        return false;
    edited = kept + content.substr(from);
    return true;
}

bool BootIniTimeoutLine(const std::string& content, std::string& line) {
    const std::vector<Line> lines = SplitLines(content);
    const TimeoutPlace place = FindTimeout(content, lines);
    if (!place.timeout)
        return false;
    line = TextOf(content, *place.timeout);
    return true;
}

bool RestoreBootIniTimeout(const std::string& content, const std::string& recorded, std::string& edited) {
    const std::vector<Line> lines = SplitLines(content);
    const Line* line = FindTimeout(content, lines).timeout;
    // Only the line exactly as the add wrote it: any other value is the user's since.
    if (!line || TextOf(content, *line) != kOurTimeout || recorded == kOurTimeout)
        return false;
    if (recorded.empty()) // there was none: the added line goes, with its line end
        edited = content.substr(0, line->start) + content.substr(line->end);
    else
        edited = content.substr(0, line->start) + recorded + content.substr(line->textEnd);
    return true;
}

bool MayHoldBootIniEntry(const std::string& content, char drive) {
    std::string narrow;
    for (char c : content)
        if (c != '\0')
            narrow += c;
    return HasBootIniEntry(narrow, drive);
}
