// The logical fonts the pages and their controls make.
#pragma once
#include <windows.h>

// A font of `height` and `weight` in `face`, everything else 0 (the system's defaults).
inline LOGFONTW PageFont(int height, int weight, const wchar_t* face) {
    LOGFONTW font = {};
    font.lfHeight = height;
    font.lfWeight = weight;
    lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
    return font;
}

// The same, drawn as the configured and link fonts are: stroke precision, draft quality.
inline LOGFONTW DraftFont(int height, int weight, const wchar_t* face) {
    LOGFONTW font = PageFont(height, weight, face);
    font.lfOutPrecision = OUT_STROKE_PRECIS;
    font.lfClipPrecision = CLIP_STROKE_PRECIS;
    font.lfQuality = DRAFT_QUALITY;
    return font;
}
