// Writing configuration documents and package folders for the reader's tests.
#pragma once
#include "setup/Config.h"

#include <windows.h>
#include <memory>
#include <string>

// COM for the test's thread, as Setup's application object sets it up.
struct ComScope {
    ComScope() { CoInitialize(nullptr); }
    ~ComScope() { CoUninitialize(); }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
};

bool WriteBytes(const std::wstring& path, const std::string& bytes);
// The document text encoded in `codePage` (CP_UTF8, 936 ...).
bool WriteEncoded(const std::wstring& path, const std::wstring& text, UINT codePage);
// UTF-16 little endian with a byte order mark.
bool WriteUtf16(const std::wstring& path, const std::wstring& text);
// A 16 x 16 icon file with one 32-bit image.
bool WriteIconFile(const std::wstring& path);
// Creates every missing folder of `path` (which may be longer than MAX_PATH).
bool MakeDirectories(const std::wstring& path);

// `body` wrapped in an XML declaration without encoding and a root element.
std::wstring Document(const std::wstring& body);
// One fontstyle element inside text/fontstyle.
std::wstring FontStyleDocument(const std::wstring& styles);

// A configuration object that has read `path` the way start-up reads it.
std::unique_ptr<CSetupConfig> ReadConfig(const std::wstring& path);
// Writes `text` as UTF-8 to D:\Config.xml and reads it.
std::unique_ptr<CSetupConfig> ReadConfigText(const std::wstring& text);

bool SameStyle(const FontStyle& a, const FontStyle& b);
