// The reader against real documents through the system's MSXML.
#include <doctest/doctest.h>

#include "config_files.h"

#include <string>

namespace {

std::wstring Style(const std::wstring& id, const std::wstring& children) {
    return L"<style id=\"" + id + L"\">" + children + L"</style>";
}

void CheckAllEmpty(const CSetupConfig& config) {
    const std::wstring* texts[] = {
        &config.productVersion, &config.headTitle,      &config.completeMessage, &config.eulaSubtitle,
        &config.buttonSetup,    &config.buttonPrevious, &config.buttonNext,      &config.buttonCancel,
        &config.buttonAdd,      &config.buttonContinue, &config.buttonFinish,    &config.buttonAccept,
        &config.background0,    &config.background1,    &config.background2,     &config.background3,
        &config.background4,    &config.appIcon,        &config.windowIconFile};
    for (const std::wstring* text : texts)
        CHECK(text->empty());
    const FontStyle* styles[] = {&config.fontButtonText, &config.fontMessage, &config.fontSubtitle,
                                 &config.fontTitle, &config.fontContent};
    for (const FontStyle* style : styles)
        CHECK(SameStyle(*style, DefaultFontStyle()));
}

} // namespace

TEST_CASE("font sizes count only in pixels") {
    ComScope com;
    const std::wstring size = L"<fontsize>20</fontsize>";
    auto config = ReadConfigText(
        FontStyleDocument(Style(L"buttontext", size + L"<fontunit>point</fontunit>") +
                          Style(L"message", size + L"<fontunit>pixel</fontunit>") +
                          Style(L"subtitle", L"<fontunit>Pixel</fontunit>" + size) +
                          Style(L"title", size + L"<fontunit>pixels</fontunit>") + Style(L"content", size)));
    REQUIRE(config);
    CHECK(config->document);
    CHECK(config->fontButtonText.logFont.lfHeight == 12);
    CHECK(config->fontMessage.logFont.lfHeight == 20);
    CHECK(config->fontSubtitle.logFont.lfHeight == 20);
    CHECK(config->fontTitle.logFont.lfHeight == 20);
    CHECK(config->fontContent.logFont.lfHeight == 12);
}

TEST_CASE("fore colours, weight and face names of the styles") {
    ComScope com;
    auto config = ReadConfigText(FontStyleDocument(
        Style(L"buttontext", L"<forecolor>255,0,0</forecolor><bold>1</bold><bold>0</bold>"
                             L"<fontname>Microsoft YaHei</fontname>") +
        Style(L"message", L"<forecolor>0,0,255</forecolor><forecolor>255,0</forecolor>") +
        Style(L"subtitle", L"<forecolor>0,255,0</forecolor><forecolor>255,0,</forecolor>") +
        Style(L"title", L"<forecolor>300,0,0</forecolor><bold>0</bold>") +
        Style(L"content", L"<!-- bold --><forecolor> 10 , 20 , 30 </forecolor><fontname>" +
                              std::wstring(40, L'N') + L"</fontname>text between<bold>2</bold>")));
    REQUIRE(config);
    CHECK(config->fontButtonText.foreColor == 0x0000FF);
    CHECK(config->fontButtonText.logFont.lfWeight == 700);
    CHECK(std::wstring(config->fontButtonText.logFont.lfFaceName) == L"Microsoft YaHei");
    CHECK(config->fontMessage.foreColor == RGB(0, 0, 255));
    CHECK(config->fontSubtitle.foreColor == RGB(0, 255, 0));
    CHECK(config->fontTitle.foreColor == RGB(44, 0, 0));
    CHECK(config->fontTitle.logFont.lfWeight == 400);
    CHECK(config->fontContent.foreColor == RGB(10, 20, 30));
    CHECK(config->fontContent.logFont.lfWeight == 400);
    CHECK(std::wstring(config->fontContent.logFont.lfFaceName) == std::wstring(31, L'N'));
    // What the styles do not set keeps its default.
    CHECK(config->fontButtonText.logFont.lfHeight == 12);
    CHECK(config->fontButtonText.logFont.lfCharSet == DEFAULT_CHARSET);
    CHECK(config->fontButtonText.logFont.lfQuality == DRAFT_QUALITY);
}

TEST_CASE("font style ids choose their record by keyword prefix") {
    ComScope com;
    const std::wstring red = L"<forecolor>255,0,0</forecolor>";
    auto config = ReadConfigText(
        FontStyleDocument(L"<style>" + red + L"</style>" + L"<!-- a comment among the styles -->" +
                          Style(L"titlebar", red) + Style(L"sub", L"<forecolor>0,255,0</forecolor>") +
                          Style(L"Buttontext2", L"<forecolor>0,0,255</forecolor>") +
                          L"<style ID=\"content\">" + red + L"</style>" + Style(L"", red) +
                          Style(L"messages", L"<fontsize>30</fontsize><fontunit>pixel</fontunit>")));
    REQUIRE(config);
    CHECK(config->fontTitle.foreColor == RGB(255, 0, 0));
    CHECK(config->fontButtonText.foreColor == RGB(0, 0, 255));
    CHECK(config->fontMessage.logFont.lfHeight == 30);
    // "sub" names no style, an element without id (or with "ID") is skipped.
    CHECK(SameStyle(config->fontSubtitle, DefaultFontStyle()));
    CHECK(SameStyle(config->fontContent, DefaultFontStyle()));
}

TEST_CASE("the EULA subtitle comes from the first subtitle element only") {
    ComScope com;
    SUBCASE("the first has no text child") {
        auto config =
            ReadConfigText(Document(L"<eula><content><part id=\"subtitle\"><title>no text</title></part>"
                                    L"<part id=\"subtitle\"><text>second</text></part></content></eula>"));
        REQUIRE(config);
        CHECK(config->eulaSubtitle.empty());
    }
    SUBCASE("ids and child names ignore case; other elements are passed over") {
        auto config = ReadConfigText(Document(
            L"<eula><content><!-- first --><part>no id</part><part id=\"subtitles\"><text>near</text></part>"
            L"<part id=\"SubTitle\">lead<other>x</other><TEXT>  许可协议 " +
            std::wstring(300, L'x') +
            L"</TEXT><text>later</text></part>"
            L"<part id=\"subtitle\"><text>second</text></part></content></eula>"));
        REQUIRE(config);
        CHECK(config->eulaSubtitle.size() == 259);
        CHECK(config->eulaSubtitle.compare(0, 6, L"许可协议 x") == 0);
    }
    SUBCASE("a text element elsewhere does not count") {
        auto config =
            ReadConfigText(Document(L"<eula><text>outer</text><content><part id=\"subtitle\" /></content>"
                                    L"<content><part id=\"other\"><text>x</text></part></content></eula>"));
        REQUIRE(config);
        CHECK(config->eulaSubtitle.empty());
    }
}

TEST_CASE("simple items and their cuts") {
    ComScope com;
    const std::wstring longTitle = std::wstring(299, L'T') + L"!";
    auto config = ReadConfigText(Document(
        L"<productversion>" + std::wstring(40, L'9') + L"</productversion><headtitle>" + longTitle +
        L"</headtitle><headtitle>second</headtitle><completemsg>完成</completemsg>"
        L"<button><setup>安装</setup><previous>上一步</previous><next>下一步</next><cancel>取消</cancel>"
        L"<add>add</add><continue>" +
        std::wstring(32, L'c') +
        L"</continue><finish>完成</finish><accept>同意</accept></button>"
        L"<picture><background0>b0.jpg</background0><background1>b1.jpg</background1>"
        L"<background2>b2.jpg</background2><background3>b3.jpg</background3><background4>b4.jpg</background4>"
        L"<appicon>app.ico</appicon><windowicon>" +
        std::wstring(300, L'w') + L"</windowicon></picture><Button><finish>wrong case</finish></Button>"));
    REQUIRE(config);
    CHECK(config->productVersion == std::wstring(31, L'9'));
    CHECK(config->headTitle == longTitle.substr(0, 259));
    CHECK(config->completeMessage == L"完成");
    CHECK(config->buttonSetup == L"安装");
    CHECK(config->buttonPrevious == L"上一步");
    CHECK(config->buttonNext == L"下一步");
    CHECK(config->buttonCancel == L"取消");
    CHECK(config->buttonAdd == L"add");
    CHECK(config->buttonContinue == std::wstring(31, L'c'));
    CHECK(config->buttonFinish == L"完成");
    CHECK(config->buttonAccept == L"同意");
    CHECK(config->background0 == L"b0.jpg");
    CHECK(config->background4 == L"b4.jpg");
    CHECK(config->appIcon == L"app.ico");
    CHECK(config->windowIconFile == std::wstring(259, L'w'));
    CHECK(config->eulaSubtitle.empty());

    std::wstring kept = L"kept";
    CHECK_FALSE(config->ReadNodeText(L"//missing", kept, 260));
    CHECK(kept == L"kept");
    CHECK(config->ReadNodeText(L"//button/add", kept, 3));
    CHECK(kept == L"ad");
}

TEST_CASE("documents that cannot be read leave everything empty") {
    ComScope com;
    SUBCASE("missing file") {
        auto config = ReadConfig(L"D:\\nowhere\\Config.xml");
        CHECK_FALSE(config->LoadDocument());
        CheckAllEmpty(*config);
    }
    SUBCASE("ill-formed file") {
        REQUIRE(WriteEncoded(L"D:\\bad.xml", L"<setup><headtitle>open</setup>", CP_UTF8));
        auto config = ReadConfig(L"D:\\bad.xml");
        CHECK_FALSE(config->LoadDocument());
        CheckAllEmpty(*config);
    }
    SUBCASE("empty file and a file of zero bytes") {
        REQUIRE(WriteBytes(L"D:\\empty.xml", ""));
        CheckAllEmpty(*ReadConfig(L"D:\\empty.xml"));
        REQUIRE(WriteBytes(L"D:\\binary.xml", std::string("\xFF\xFE\x00\xD8<\x00", 6)));
        CheckAllEmpty(*ReadConfig(L"D:\\binary.xml"));
    }
    SUBCASE("a path too long is not cut into another one") {
        REQUIRE(WriteEncoded(L"D:\\Config.xml", Document(L"<headtitle>cut</headtitle>"), CP_UTF8));
        auto config = ReadConfig(L"D:\\Config.xml" + std::wstring(260, L' '));
        CHECK(config->configPath.empty());
        CHECK_FALSE(config->LoadDocument());
        CheckAllEmpty(*config);
    }
    SUBCASE("reading without a document") {
        CSetupConfig config(L"D:\\Config.xml");
        config.ReadFontStyles();
        config.ReadSimpleItems();
        config.ReadEulaSubtitle(config.eulaSubtitle);
        CheckAllEmpty(config);
    }
}

TEST_CASE("documents in GBK and in UTF-16") {
    ComScope com;
    const std::wstring body =
        L"<headtitle>星岚操作系统安装</headtitle><button><continue>继续安装</continue></button>"
        L"<text><fontstyle><style id=\"buttontext\"><fontname>宋体</fontname></style>"
        L"</fontstyle></text>";
    SUBCASE("GBK") {
        REQUIRE(WriteEncoded(L"D:\\gbk.xml",
                             L"<?xml version=\"1.0\" encoding=\"GBK\"?><setup>" + body + L"</setup>", 936));
        auto config = ReadConfig(L"D:\\gbk.xml");
        CHECK(config->LoadDocument());
        CHECK(config->headTitle == L"星岚操作系统安装");
        CHECK(config->buttonContinue == L"继续安装");
        CHECK(std::wstring(config->fontButtonText.logFont.lfFaceName) == L"宋体");
    }
    SUBCASE("UTF-16 with a byte order mark") {
        REQUIRE(WriteUtf16(L"D:\\utf16.xml",
                           L"<?xml version=\"1.0\" encoding=\"UTF-16\"?><setup>" + body + L"</setup>"));
        auto config = ReadConfig(L"D:\\utf16.xml");
        CHECK(config->LoadDocument());
        CHECK(config->headTitle == L"星岚操作系统安装");
        CHECK(config->buttonContinue == L"继续安装");
        CHECK(std::wstring(config->fontButtonText.logFont.lfFaceName) == L"宋体");
    }
}

TEST_CASE("odd nodes and huge texts do not upset the reader") {
    ComScope com;
    const std::wstring huge(4 << 20, L'h');
    auto config = ReadConfigText(
        L"<?xml version=\"1.0\"?><!DOCTYPE setup [<!ENTITY name \"星岚\">]><?note something?><setup>"
        L"<headtitle><![CDATA[<&>]]> &name; <b>bold</b><!-- c --></headtitle>"
        L"<completemsg>" +
        huge +
        L"</completemsg>"
        L"<picture><appicon/></picture>"
        L"<eula><content>text only</content></eula>"
        L"<text><fontstyle>loose text<?pi?><style id=\"title\"><forecolor><r>1</r>,2,3</forecolor>"
        L"<fontsize>" +
        huge + L"</fontsize><fontunit>pixel</fontunit></style></fontstyle></text></setup>");
    REQUIRE(config);
    CHECK(config->LoadDocument());
    CHECK(config->headTitle == L"<&> 星岚 bold");
    CHECK(config->completeMessage == huge.substr(0, 259));
    CHECK(config->appIcon.empty());
    CHECK(config->fontTitle.foreColor == RGB(1, 2, 3));
    CHECK(config->fontTitle.logFont.lfHeight == 0);
}
