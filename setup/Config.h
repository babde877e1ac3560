// What support\Config.xml of the package provides: titles, captions, pictures, fonts.
#pragma once
#include "common/ScopedWin.h"

#include <windows.h>
#include <msxml.h>
#include <string>

struct FontStyle {
    LOGFONTW logFont;
    COLORREF foreColor;
};

// The record every font style starts from: 12 high, normal weight, "Simsun", black.
FontStyle DefaultFontStyle();

class CSetupConfig {
public:
    explicit CSetupConfig(const std::wstring& path);
    ~CSetupConfig();
    CSetupConfig(const CSetupConfig&) = delete;
    CSetupConfig& operator=(const CSetupConfig&) = delete;

    bool LoadDocument();
    void ReadFontStyles();
    void ReadSimpleItems();
    void ReadEulaSubtitle(std::wstring& destination);
    // First node matching `expression`: its text, cut to capacity - 1 units.
    bool ReadNodeText(const wchar_t* expression, std::wstring& destination, size_t capacity);

    std::wstring configPath;
    zenta::ComPtr<IXMLDOMDocument> document;
    std::wstring productVersion;  // 32
    std::wstring headTitle;       // 260
    std::wstring completeMessage; // 260
    std::wstring eulaSubtitle;    // 260
    std::wstring buttonSetup, buttonPrevious, buttonNext, buttonCancel, buttonAdd, buttonContinue,
        buttonFinish, buttonAccept; // 32 each
    std::wstring background0, background1, background2, background3, background4; // 260 each
    std::wstring appIcon, windowIconFile;                                          // 260 each
    FontStyle fontButtonText;
    FontStyle fontMessage;
    FontStyle fontSubtitle;
    FontStyle fontTitle;
    FontStyle fontContent;
};

struct CSetupApp;

// Fills packageDir from the working directory, reads the document, loads the window icon.
void LoadConfiguration(CSetupApp& app);
