// The store's text form: one record a line, fields separated by tabs.
//   object  <id>  <type hex>
//   element <type hex>  string|integer|list|device  <values...>   (belongs to the last object)
//   fail    <operation>  [<name>]
// Tabs, line ends and '%' inside values are written as %09, %0A, %0D and %25.
#include "FakeStore.h"

#include "common/ScopedWin.h"

#include <cwchar>
#include <cstdlib>

namespace fakebcd {
namespace {

std::wstring Escape(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        switch (c) {
        case L'\t':
            out += L"%09";
            break;
        case L'\n':
            out += L"%0A";
            break;
        case L'\r':
            out += L"%0D";
            break;
        case L'%':
            out += L"%25";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::wstring Unescape(const std::wstring& text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'%' && i + 2 < text.size()) {
            wchar_t hex[3] = {text[i + 1], text[i + 2], 0};
            out += static_cast<wchar_t>(wcstoul(hex, nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<std::wstring> SplitTabs(const std::wstring& line) {
    std::vector<std::wstring> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find(L'\t', start);
        fields.push_back(
            Unescape(line.substr(start, tab == std::wstring::npos ? std::wstring::npos : tab - start)));
        if (tab == std::wstring::npos)
            return fields;
        start = tab + 1;
    }
}

std::wstring Hex(DWORD value) {
    wchar_t buffer[16];
    swprintf(buffer, 16, L"%08lx", static_cast<unsigned long>(value));
    return buffer;
}

bool ParseHex(const std::wstring& text, DWORD& value) {
    if (text.empty())
        return false;
    wchar_t* end = nullptr;
    value = static_cast<DWORD>(wcstoul(text.c_str(), &end, 16));
    return end && *end == L'\0';
}

bool ParseElement(const std::vector<std::wstring>& f, Element& e) {
    if (f.size() < 3 || !ParseHex(f[1], e.type))
        return false;
    if (f[2] == L"string" && f.size() == 4) {
        e.kind = ElementKind::String;
        e.text = f[3];
    } else if (f[2] == L"integer" && f.size() == 4) {
        e.kind = ElementKind::Integer;
        e.integer = wcstoull(f[3].c_str(), nullptr, 10);
    } else if (f[2] == L"list") {
        e.kind = ElementKind::ObjectList;
        e.ids.assign(f.begin() + 3, f.end());
    } else if (f[2] == L"device" && f.size() == 6) {
        e.kind = ElementKind::Device;
        e.deviceType = wcstoul(f[3].c_str(), nullptr, 10);
        e.additionalOptions = f[4];
        e.path = f[5];
    } else {
        return false;
    }
    return true;
}

} // namespace

std::wstring Serialize(const Store& store) {
    std::wstring text = L"# fake BCD store\n";
    for (const Object& o : store.objects) {
        text += L"object\t" + Escape(o.id) + L"\t" + Hex(o.type) + L"\n";
        for (const Element& e : o.elements) {
            text += L"element\t" + Hex(e.type);
            switch (e.kind) {
            case ElementKind::String:
                text += L"\tstring\t" + Escape(e.text);
                break;
            case ElementKind::Integer:
                text += L"\tinteger\t" + std::to_wstring(e.integer);
                break;
            case ElementKind::ObjectList:
                text += L"\tlist";
                for (const std::wstring& id : e.ids)
                    text += L"\t" + Escape(id);
                break;
            case ElementKind::Device:
                text += L"\tdevice\t" + std::to_wstring(e.deviceType) + L"\t" + Escape(e.additionalOptions) +
                        L"\t" + Escape(e.path);
                break;
            }
            text += L"\n";
        }
    }
    for (const Failure& f : store.failures)
        text += L"fail\t" + Escape(f.operation) + L"\t" + Escape(f.name) + L"\n";
    return text;
}

bool Parse(const std::wstring& text, Store& store) {
    store = Store();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        std::wstring line = text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        start = end == std::wstring::npos ? text.size() : end + 1;
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        if (line.empty() || line[0] == L'#')
            continue;
        std::vector<std::wstring> f = SplitTabs(line);
        if (f[0] == L"object" && f.size() == 3) {
            Object o;
            o.id = f[1];
            if (!ParseHex(f[2], o.type))
                return false;
            store.objects.push_back(o);
        } else if (f[0] == L"element" && !store.objects.empty()) {
            Element e;
            if (!ParseElement(f, e))
                return false;
            store.objects.back().Set(e);
        } else if (f[0] == L"fail" && f.size() >= 2) {
            store.failures.push_back({f[1], f.size() > 2 ? f[2] : std::wstring()});
        } else {
            return false;
        }
    }
    return true;
}

std::wstring StoreFilePath() {
    return L"C:\\fakebcd\\store.txt";
}

bool SaveStore(const Store& store, const std::wstring& path) {
    std::wstring text = Serialize(store);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
    std::string utf8(bytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &utf8[0], bytes, nullptr,
                        nullptr);
    std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
    CreateDirectoryW(folder.c_str(), nullptr);
    // Write beside and swap in, so that a reader never sees half a store.
    std::wstring temporary = path + L".new";
    DWORD written = 0;
    BOOL ok = FALSE;
    {
        zenta::ScopedHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            return false;
        ok = WriteFile(file.Get(), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    }
    return ok && written == utf8.size() &&
           MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

bool LoadStore(Store& store, const std::wstring& path) {
    zenta::ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        if (GetLastError() != ERROR_FILE_NOT_FOUND && GetLastError() != ERROR_PATH_NOT_FOUND)
            return false;
        store = FreshStore();
        return true;
    }
    std::string utf8;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        utf8.append(buffer, got);
    int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(units, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &text[0], units);
    return Parse(text, store);
}

} // namespace fakebcd
