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

// Capacities of the configured texts, in UTF-16 units with the terminator: a longer text
// keeps its first capacity - 1 units.
constexpr size_t kShortTextCapacity = 32;
constexpr size_t kLongTextCapacity = MAX_PATH;

class CSetupConfig {
  public:
    // A path that does not fit MAX_PATH is not taken: the document is then never read.
    explicit CSetupConfig(const std::wstring& path);
    ~CSetupConfig();
    CSetupConfig(const CSetupConfig&) = delete;
    CSetupConfig& operator=(const CSetupConfig&) = delete;

    // True when the whole document is parsed and has a root element.
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
        buttonFinish, buttonAccept;                                               // 32 each
    std::wstring background0, background1, background2, background3, background4; // 260 each
    std::wstring appIcon, windowIconFile;                                         // 260 each
    FontStyle fontButtonText;
    FontStyle fontMessage;
    FontStyle fontSubtitle;
    FontStyle fontTitle;
    FontStyle fontContent;

  private:
    FontStyle* RecordForId(const wchar_t* id);
};

struct CSetupApp;

// Sets packageDir (one trailing backslash removed, so a drive root gives "E:"), reads
// packageDir\support\Config.xml and loads the window icon named there. A package folder too
// long for that document path is kept whole in packageDir, where every later path built
// from it is refused too, and no document is read.
void LoadConfiguration(CSetupApp& app, const std::wstring& packageDir);
