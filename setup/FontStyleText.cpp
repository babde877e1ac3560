#include "setup/FontStyleText.h"

#include "common/Text.h"

#include <shlwapi.h>
#include <climits>
#include <cwchar>
#include <cwctype>

namespace {

// Child texts pass through a buffer of this many units on their way into the record.
constexpr size_t kWorkCapacity = MAX_PATH;
// Only this many units of a unit word take part in the comparison.
constexpr size_t kUnitCapacity = 16;

const wchar_t* SkipComma(const wchar_t* text) {
    const wchar_t* comma = wcschr(text, L',');
    if (!comma || comma[1] == L'\0')
        return nullptr;
    return comma + 1;
}

} // namespace

long ReadDecimal(const wchar_t* text) {
    if (!text)
        return 0;
    while (*text && iswspace(*text))
        ++text;
    bool negative = false;
    if (*text == L'+' || *text == L'-')
        negative = *text++ == L'-';
    long long value = 0;
    for (; *text >= L'0' && *text <= L'9'; ++text) {
        value = value * 10 + (*text - L'0');
        if (value > static_cast<long long>(LONG_MAX) + 1)
            value = static_cast<long long>(LONG_MAX) + 1;
    }
    if (negative)
        return static_cast<long>(-value);
    return value > LONG_MAX ? LONG_MAX : static_cast<long>(value);
}

bool StartsWithKeyword(const wchar_t* text, const wchar_t* keyword) {
    return text && StrCmpNIW(text, keyword, lstrlenW(keyword)) == 0;
}

bool ParseForeColor(const wchar_t* text, COLORREF& color) {
    const wchar_t* green = SkipComma(text);
    if (!green)
        return false;
    const wchar_t* blue = SkipComma(green);
    if (!blue)
        return false;
    // The low 8 bits of each component, so 300 becomes 44 and -1 becomes 255.
    const auto low = [](long value) { return static_cast<BYTE>(value & 0xFF); };
    color = RGB(low(ReadDecimal(text)), low(ReadDecimal(green)), low(ReadDecimal(blue)));
    return true;
}

FontStyleSlot FontStyleSlotForId(const wchar_t* id) {
    static const struct {
        const wchar_t* keyword;
        FontStyleSlot slot;
    } kSlots[] = {
        {L"buttontext", FontStyleSlot::ButtonText}, {L"message", FontStyleSlot::Message},
        {L"subtitle", FontStyleSlot::Subtitle},     {L"title", FontStyleSlot::Title},
        {L"content", FontStyleSlot::Content},
    };
    for (const auto& entry : kSlots)
        if (StartsWithKeyword(id, entry.keyword))
            return entry.slot;
    return FontStyleSlot::None;
}

void CFontStyleBuilder::Apply(const wchar_t* name, const wchar_t* text) {
    if (!name)
        return;
    const std::wstring work = zenta::CutText(text ? text : L"", kWorkCapacity);
    if (StartsWithKeyword(name, L"forecolor"))
        ParseForeColor(work.c_str(), record_.foreColor);
    else if (StartsWithKeyword(name, L"fontname"))
        zenta::CopyBounded(record_.logFont.lfFaceName, LF_FACESIZE, work.c_str());
    else if (StartsWithKeyword(name, L"fontsize"))
        height_ = ReadDecimal(work.c_str());
    else if (StartsWithKeyword(name, L"fontunit"))
        unit_ = zenta::CutText(work, kUnitCapacity);
    else if (StartsWithKeyword(name, L"bold") && ReadDecimal(work.c_str()) == 1)
        record_.logFont.lfWeight = FW_BOLD;
}

void CFontStyleBuilder::Finish() {
    if (StrCmpNIW(unit_.c_str(), L"pixel", 5) == 0)
        record_.logFont.lfHeight = height_;
}
