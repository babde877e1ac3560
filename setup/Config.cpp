#include "setup/Config.h"

#include "common/Text.h"
#include "setup/FontStyleText.h"
#include "setup/SetupApp.h"

#include <msxml2.h>
#include <ole2.h>
#include <shlwapi.h>

using zenta::ComPtr;
using zenta::ScopedBstr;

namespace {

// The version-independent MSXML DOM document ("Msxml2.DOMDocument").
const CLSID kDomDocumentClass = {
    0xF6D90F11, 0x9C73, 0x11D3, {0xB3, 0x2E, 0x00, 0xC0, 0x4F, 0x99, 0x0B, 0xB4}};
// IXMLDOMDocument2, where setProperty lives.
const IID kDomDocument2Interface = {
    0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

// The first capacity - 1 units of a zero-terminated text, without copying the rest of a
// huge one first.
std::wstring CutCopy(const wchar_t* text, size_t capacity) {
    size_t length = 0;
    while (length + 1 < capacity && text[length])
        ++length;
    return std::wstring(text, length);
}

bool ReadText(IXMLDOMNode* node, ScopedBstr& text) {
    return SUCCEEDED(node->get_text(text.Put()));
}

// The text of the node's "id" attribute; false when the node has none or it cannot be read.
bool ReadId(IXMLDOMNode* node, ScopedBstr& id) {
    ComPtr<IXMLDOMNamedNodeMap> attributes;
    if (node->get_attributes(attributes.Put()) != S_OK || !attributes)
        return false;
    ScopedBstr name(L"id");
    ComPtr<IXMLDOMNode> attribute;
    if (attributes->getNamedItem(name.Get(), attribute.Put()) != S_OK || !attribute)
        return false;
    return ReadText(attribute.Get(), id);
}

// Walks the elements of a node list until `visit` returns false or a DOM call fails.
template <typename Visit> void ForEachElement(IXMLDOMNodeList* list, Visit visit) {
    long length = 0;
    if (!list || FAILED(list->get_length(&length)))
        return;
    for (long i = 0; i < length; ++i) {
        ComPtr<IXMLDOMNode> node;
        DOMNodeType type = NODE_INVALID;
        if (list->get_item(i, node.Put()) != S_OK || !node || FAILED(node->get_nodeType(&type)))
            return;
        // Comments and processing instructions carry nothing of the configuration.
        if (type == NODE_ELEMENT && !visit(node.Get()))
            return;
    }
}

bool SelectNodes(IXMLDOMDocument* document, const wchar_t* expression, ComPtr<IXMLDOMNodeList>& list) {
    ScopedBstr query(expression);
    return document && document->selectNodes(query.Get(), list.Put()) == S_OK && list;
}

// Applies the children of one fontstyle element to its record; the pending size only
// counts when every child could be read.
bool ParseFontStyle(IXMLDOMNodeList* children, FontStyle& record) {
    CFontStyleBuilder builder(record);
    long length = 0;
    if (FAILED(children->get_length(&length)))
        return false;
    for (long i = 0; i < length; ++i) {
        ComPtr<IXMLDOMNode> child;
        ScopedBstr name, text;
        if (children->get_item(i, child.Put()) != S_OK || !child || FAILED(child->get_nodeName(name.Put())) ||
            !ReadText(child.Get(), text))
            return false;
        builder.Apply(name.Text(), text.Text());
    }
    builder.Finish();
    return true;
}

} // namespace

FontStyle DefaultFontStyle() {
    FontStyle style = {};
    style.logFont.lfHeight = 12;
    style.logFont.lfWeight = FW_NORMAL;
    style.logFont.lfCharSet = DEFAULT_CHARSET;
    style.logFont.lfOutPrecision = OUT_STROKE_PRECIS;
    style.logFont.lfClipPrecision = CLIP_STROKE_PRECIS;
    style.logFont.lfQuality = DRAFT_QUALITY;
    zenta::CopyBounded(style.logFont.lfFaceName, LF_FACESIZE, L"Simsun");
    style.foreColor = RGB(0, 0, 0);
    return style;
}

CSetupConfig::CSetupConfig(const std::wstring& path) {
    // A cut path would name another file, so an over-long one is not taken at all.
    if (zenta::FitsPath(path))
        configPath = path;
    fontButtonText = fontMessage = fontSubtitle = fontTitle = fontContent = DefaultFontStyle();
}

CSetupConfig::~CSetupConfig() = default;

bool CSetupConfig::LoadDocument() {
    document.Reset();
    if (configPath.empty())
        return false;
    ComPtr<IUnknown> unknown;
    if (FAILED(CoCreateInstance(kDomDocumentClass, nullptr, CLSCTX_ALL, IID_IUnknown, unknown.PutVoid())) ||
        !unknown || FAILED(OleRun(unknown.Get())) ||
        FAILED(unknown->QueryInterface(IID_IXMLDOMDocument, document.PutVoid())) || !document)
        return false;
    // The reads that follow need the whole document, so loading must not return early.
    document->put_async(VARIANT_FALSE);
    // Read elevated: no document type declaration (entities, external files) is taken. A
    // parser that cannot be told so is not used.
    ComPtr<IXMLDOMDocument2> strict;
    zenta::ScopedVariant prohibit;
    prohibit.Get()->vt = VT_BOOL;
    prohibit.Get()->boolVal = VARIANT_TRUE;
    ScopedBstr property(L"ProhibitDTD");
    if (FAILED(document->QueryInterface(kDomDocument2Interface, strict.PutVoid())) || !strict ||
        FAILED(strict->setProperty(property.Get(), prohibit.Ref())) ||
        FAILED(document->put_resolveExternals(VARIANT_FALSE)) ||
        FAILED(document->put_validateOnParse(VARIANT_FALSE)))
        return false;
    zenta::ScopedVariant source;
    source.Get()->vt = VT_BSTR;
    source.Get()->bstrVal = SysAllocString(configPath.c_str());
    VARIANT_BOOL loaded = VARIANT_FALSE;
    if (!source.Get()->bstrVal || document->load(*source.Get(), &loaded) != S_OK || loaded != VARIANT_TRUE)
        return false;
    // Where the parser took a declaration all the same, the document counts as unreadable.
    ComPtr<IXMLDOMDocumentType> type;
    if (document->get_doctype(type.Put()) == S_OK && type) {
        document.Reset();
        return false;
    }
    ComPtr<IXMLDOMElement> root;
    return document->get_documentElement(root.Put()) == S_OK && root;
}

bool CSetupConfig::ReadNodeText(const wchar_t* expression, std::wstring& destination, size_t capacity) {
    if (!document)
        return false;
    ScopedBstr query(expression);
    ComPtr<IXMLDOMNode> node;
    ScopedBstr text;
    if (document->selectSingleNode(query.Get(), node.Put()) != S_OK || !node || !ReadText(node.Get(), text))
        return false;
    destination = CutCopy(text.Text(), capacity);
    return true;
}

void CSetupConfig::ReadSimpleItems() {
    const struct {
        const wchar_t* expression;
        std::wstring* field;
        size_t capacity;
    } items[] = {
        {L"//productversion", &productVersion, kShortTextCapacity},
        {L"//headtitle", &headTitle, kLongTextCapacity},
        {L"//completemsg", &completeMessage, kLongTextCapacity},
        {L"//button/setup", &buttonSetup, kShortTextCapacity},
        {L"//button/previous", &buttonPrevious, kShortTextCapacity},
        {L"//button/next", &buttonNext, kShortTextCapacity},
        {L"//button/cancel", &buttonCancel, kShortTextCapacity},
        {L"//button/add", &buttonAdd, kShortTextCapacity},
        {L"//button/continue", &buttonContinue, kShortTextCapacity},
        {L"//button/finish", &buttonFinish, kShortTextCapacity},
        {L"//button/accept", &buttonAccept, kShortTextCapacity},
        {L"//picture/background0", &background0, kLongTextCapacity},
        {L"//picture/background1", &background1, kLongTextCapacity},
        {L"//picture/background2", &background2, kLongTextCapacity},
        {L"//picture/background3", &background3, kLongTextCapacity},
        {L"//picture/background4", &background4, kLongTextCapacity},
        {L"//picture/appicon", &appIcon, kLongTextCapacity},
        {L"//picture/windowicon", &windowIconFile, kLongTextCapacity},
    };
    for (const auto& item : items)
        ReadNodeText(item.expression, *item.field, item.capacity);
}

void CSetupConfig::ReadEulaSubtitle(std::wstring& destination) {
    ComPtr<IXMLDOMNodeList> nodes;
    if (!SelectNodes(document.Get(), L"//eula/content/*", nodes))
        return;
    ForEachElement(nodes.Get(), [&](IXMLDOMNode* node) {
        ScopedBstr id;
        if (!ReadId(node, id) || StrCmpIW(id.Text(), L"subtitle") != 0)
            return true;
        // Only the first "subtitle" counts, whether or not it has a text child.
        ComPtr<IXMLDOMNodeList> children;
        if (node->get_childNodes(children.Put()) != S_OK || !children)
            return false;
        long length = 0;
        if (FAILED(children->get_length(&length)))
            return false;
        for (long i = 0; i < length; ++i) {
            ComPtr<IXMLDOMNode> child;
            ScopedBstr name;
            if (children->get_item(i, child.Put()) != S_OK || !child ||
                FAILED(child->get_nodeName(name.Put())))
                return false;
            if (StrCmpIW(name.Text(), L"text") != 0)
                continue;
            ScopedBstr text;
            if (ReadText(child.Get(), text))
                destination = CutCopy(text.Text(), kLongTextCapacity);
            return false;
        }
        return false;
    });
}

FontStyle* CSetupConfig::RecordForId(const wchar_t* id) {
    switch (FontStyleSlotForId(id)) {
    case FontStyleSlot::ButtonText:
        return &fontButtonText;
    case FontStyleSlot::Message:
        return &fontMessage;
    case FontStyleSlot::Subtitle:
        return &fontSubtitle;
    case FontStyleSlot::Title:
        return &fontTitle;
    case FontStyleSlot::Content:
        return &fontContent;
    case FontStyleSlot::None:
        break;
    }
    return nullptr;
}

void CSetupConfig::ReadFontStyles() {
    ComPtr<IXMLDOMNodeList> nodes;
    if (!SelectNodes(document.Get(), L"//text/fontstyle/*", nodes))
        return;
    ForEachElement(nodes.Get(), [&](IXMLDOMNode* node) {
        ScopedBstr id;
        // An element without an id names no style; the others still count.
        if (!ReadId(node, id))
            return true;
        FontStyle* record = RecordForId(id.Text());
        if (!record)
            return true;
        ComPtr<IXMLDOMNodeList> children;
        return node->get_childNodes(children.Put()) == S_OK && children &&
               ParseFontStyle(children.Get(), *record);
    });
}

void LoadConfiguration(CSetupApp& app, const std::wstring& packageDir) {
    app.packageDir = packageDir;
    if (!app.packageDir.empty() && app.packageDir.back() == L'\\')
        app.packageDir.pop_back();

    // Without a directory the path would point at the root of the current drive.
    std::wstring documentPath, support, iconPath;
    if (!app.packageDir.empty())
        zenta::JoinPath(app.packageDir, L"support\\Config.xml", documentPath);
    app.config = std::make_unique<CSetupConfig>(documentPath);
    CSetupConfig& config = *app.config;
    config.LoadDocument();
    config.ReadFontStyles();
    config.ReadSimpleItems();
    config.ReadEulaSubtitle(config.eulaSubtitle);

    app.windowIcon.Reset();
    if (!config.appIcon.empty() && zenta::JoinPath(app.packageDir, L"support", support) &&
        zenta::JoinPath(support, config.appIcon, iconPath))
        app.windowIcon.Reset(
            static_cast<HICON>(LoadImageW(nullptr, iconPath.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE)));
}
