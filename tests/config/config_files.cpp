#include "config_files.h"

#include "common/ScopedWin.h"

#include <cstring>
#include <vector>

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    zenta::ScopedHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool WriteEncoded(const std::wstring& path, const std::wstring& text, UINT codePage) {
    int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                   nullptr, nullptr);
    std::string bytes(size, '\0');
    if (size > 0)
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size, nullptr,
                            nullptr);
    return (size > 0 || text.empty()) && WriteBytes(path, bytes);
}

bool WriteUtf16(const std::wstring& path, const std::wstring& text) {
    std::wstring withMark = L"\xFEFF" + text;
    return WriteBytes(path, std::string(reinterpret_cast<const char*>(withMark.data()), withMark.size() * 2));
}

bool WriteIconFile(const std::wstring& path) {
    const int side = 16;
    const DWORD pixels = side * side * 4, mask = side * 4; // mask rows padded to 32 bits
    const DWORD imageSize = sizeof(BITMAPINFOHEADER) + pixels + mask;
    std::string bytes;
    auto put = [&bytes](const void* data, size_t size) {
        bytes.append(static_cast<const char*>(data), size);
    };
    const WORD header[3] = {0, 1, 1};
    put(header, sizeof header);
    const BYTE entry[4] = {side, side, 0, 0};
    const WORD planesAndBits[2] = {1, 32};
    const DWORD sizeAndOffset[2] = {imageSize, 6 + 16};
    put(entry, sizeof entry);
    put(planesAndBits, sizeof planesAndBits);
    put(sizeAndOffset, sizeof sizeAndOffset);
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = side;
    info.biHeight = side * 2;
    info.biPlanes = 1;
    info.biBitCount = 32;
    put(&info, sizeof info);
    std::vector<DWORD> colour(side * side, 0xFF2060C0);
    put(colour.data(), pixels);
    bytes.append(mask, '\0');
    return WriteBytes(path, bytes);
}

bool MakeDirectories(const std::wstring& path) {
    std::wstring prefixed = L"\\\\?\\" + path;
    for (size_t at = prefixed.find(L'\\', 7); at != std::wstring::npos; at = prefixed.find(L'\\', at + 1))
        CreateDirectoryW(prefixed.substr(0, at).c_str(), nullptr);
    return CreateDirectoryW(prefixed.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::wstring Document(const std::wstring& body) {
    return L"<?xml version=\"1.0\"?>\r\n<setup>" + body + L"</setup>\r\n";
}

std::wstring FontStyleDocument(const std::wstring& styles) {
    return Document(L"<text><fontstyle>" + styles + L"</fontstyle></text>");
}

std::unique_ptr<CSetupConfig> ReadConfig(const std::wstring& path) {
    auto config = std::make_unique<CSetupConfig>(path);
    config->LoadDocument();
    config->ReadFontStyles();
    config->ReadSimpleItems();
    config->ReadEulaSubtitle(config->eulaSubtitle);
    return config;
}

std::unique_ptr<CSetupConfig> ReadConfigText(const std::wstring& text) {
    const std::wstring path = L"D:\\Config.xml";
    if (!WriteEncoded(path, text, CP_UTF8))
        return nullptr;
    return ReadConfig(path);
}

bool SameStyle(const FontStyle& a, const FontStyle& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}
