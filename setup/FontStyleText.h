// The text rules of the font styles in Config.xml: decimal numbers, colours, keyword
// prefixes and the effect of each child element on a style record.
#pragma once
#include "setup/Config.h"

#include <windows.h>
#include <string>

// The number at the start of text, read as wcstol(text, nullptr, 10) reads it: leading
// blanks and one sign are accepted, reading stops at the first non-digit, text without a
// number gives 0, and values beyond the range of long stick at its ends.
long ReadDecimal(const wchar_t* text);

// True when text begins with keyword, ignoring case, over the keyword's length only.
bool StartsWithKeyword(const wchar_t* text, const wchar_t* keyword);

// "R,G,B" with each component taken modulo 256. A missing comma, or a comma that ends the
// text, leaves color as it was and gives false.
bool ParseForeColor(const wchar_t* text, COLORREF& color);

enum class FontStyleSlot { None, ButtonText, Message, Subtitle, Title, Content };

// Which record a fontstyle element fills, by the first keyword its id begins with.
FontStyleSlot FontStyleSlotForId(const wchar_t* id);

// Applies the child elements of one fontstyle element to its record, in document order.
// The size only counts together with the unit "pixel", so it is kept until Finish.
class CFontStyleBuilder {
  public:
    explicit CFontStyleBuilder(FontStyle& record) : record_(record) {}
    void Apply(const wchar_t* name, const wchar_t* text);
    void Finish();

  private:
    FontStyle& record_;
    long height_ = 12;
    std::wstring unit_;
};
