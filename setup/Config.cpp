#include "setup/Config.h"

#include "setup/SetupApp.h"

// Placeholder until the document reader arrives.
FontStyle DefaultFontStyle() {
    FontStyle style = {};
    style.logFont.lfHeight = 12;
    style.logFont.lfWeight = 400;
    style.logFont.lfCharSet = DEFAULT_CHARSET;
    style.logFont.lfOutPrecision = OUT_STROKE_PRECIS;
    style.logFont.lfClipPrecision = CLIP_STROKE_PRECIS;
    style.logFont.lfQuality = DRAFT_QUALITY;
    lstrcpynW(style.logFont.lfFaceName, L"Simsun", LF_FACESIZE);
    return style;
}

CSetupConfig::CSetupConfig(const std::wstring& path) : configPath(path) {
    fontButtonText = fontMessage = fontSubtitle = fontTitle = fontContent = DefaultFontStyle();
}
CSetupConfig::~CSetupConfig() = default;
bool CSetupConfig::LoadDocument() { return false; }
void CSetupConfig::ReadFontStyles() {}
void CSetupConfig::ReadSimpleItems() {}
void CSetupConfig::ReadEulaSubtitle(std::wstring&) {}
bool CSetupConfig::ReadNodeText(const wchar_t*, std::wstring&, size_t) { return false; }

void LoadConfiguration(CSetupApp& app) {
    wchar_t directory[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, directory);
    app.packageDir = directory;
    if (!app.packageDir.empty() && app.packageDir.back() == L'\\')
        app.packageDir.pop_back();
    app.config = std::make_unique<CSetupConfig>(app.packageDir + L"\\support\\Config.xml");
}
