#include "tests/shell/PeImage.h"

#include <cstring>

namespace {

constexpr int kResourceLevels = 3; // type, name, language

} // namespace

bool PeImage::Parse(const std::string& bytes) {
    bytes_ = bytes;
    IMAGE_DOS_HEADER dos;
    if (!Read(0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) {
        error = "no MZ header";
        return false;
    }
    DWORD ntOffset = static_cast<DWORD>(dos.e_lfanew);
    DWORD signature = 0;
    IMAGE_FILE_HEADER file;
    if (!Read(ntOffset, signature) || signature != IMAGE_NT_SIGNATURE || !Read(ntOffset + 4, file)) {
        error = "no PE header";
        return false;
    }
    machine = file.Machine;
    characteristics = file.Characteristics;
    DWORD optionalOffset = ntOffset + 4 + sizeof file;
    if (!Read(optionalOffset, optionalMagic) || optionalMagic != IMAGE_NT_OPTIONAL_HDR32_MAGIC ||
        file.SizeOfOptionalHeader < sizeof(IMAGE_OPTIONAL_HEADER32)) {
        error = "not a PE32 optional header";
        return false;
    }
    IMAGE_OPTIONAL_HEADER32 optional;
    if (!Read(optionalOffset, optional)) {
        error = "short optional header";
        return false;
    }
    subsystem = optional.Subsystem;
    subsystemMajor = optional.MajorSubsystemVersion;
    subsystemMinor = optional.MinorSubsystemVersion;
    osMajor = optional.MajorOperatingSystemVersion;
    osMinor = optional.MinorOperatingSystemVersion;

    DWORD sectionOffset = optionalOffset + file.SizeOfOptionalHeader;
    for (WORD i = 0; i < file.NumberOfSections; ++i) {
        IMAGE_SECTION_HEADER section;
        if (!Read(sectionOffset + i * sizeof section, section)) {
            error = "short section table";
            return false;
        }
        sections_.push_back(section);
    }
    auto directory = [&](int index) {
        return index < static_cast<int>(optional.NumberOfRvaAndSizes) ? optional.DataDirectory[index]
                                                                      : IMAGE_DATA_DIRECTORY{};
    };
    if (directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress &&
        !ParseImports(directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress)) {
        error = "broken import table";
        return false;
    }
    if (directory(IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT).VirtualAddress &&
        !ParseDelayImports(directory(IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT).VirtualAddress)) {
        error = "broken delay import table";
        return false;
    }
    if (directory(IMAGE_DIRECTORY_ENTRY_RESOURCE).VirtualAddress &&
        !ParseResources(directory(IMAGE_DIRECTORY_ENTRY_RESOURCE).VirtualAddress)) {
        error = "broken resource directory";
        return false;
    }
    return true;
}

const PeResource* PeImage::FindResource(WORD type, WORD id) const {
    for (const PeResource& resource : resources)
        if (resource.type == type && resource.id == id)
            return &resource;
    return nullptr;
}

bool PeImage::RvaToOffset(DWORD rva, DWORD& offset) const {
    for (const IMAGE_SECTION_HEADER& section : sections_) {
        DWORD size = section.Misc.VirtualSize ? section.Misc.VirtualSize : section.SizeOfRawData;
        if (rva >= section.VirtualAddress && rva - section.VirtualAddress < size) {
            DWORD delta = rva - section.VirtualAddress;
            if (delta >= section.SizeOfRawData)
                return false; // uninitialised data has no bytes in the file
            offset = section.PointerToRawData + delta;
            return offset < bytes_.size();
        }
    }
    return false;
}

bool PeImage::ReadString(DWORD rva, std::string& text) const {
    DWORD offset = 0;
    if (!RvaToOffset(rva, offset))
        return false;
    size_t end = bytes_.find('\0', offset);
    if (end == std::string::npos)
        return false;
    text = bytes_.substr(offset, end - offset);
    return true;
}

bool PeImage::ParseImports(DWORD rva) {
    for (DWORD at = rva;; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        DWORD offset = 0;
        IMAGE_IMPORT_DESCRIPTOR descriptor;
        if (!RvaToOffset(at, offset) || !Read(offset, descriptor))
            return false;
        if (!descriptor.Name && !descriptor.FirstThunk)
            return true;
        std::string dll;
        if (!ReadString(descriptor.Name, dll))
            return false;
        DWORD thunks = descriptor.OriginalFirstThunk ? descriptor.OriginalFirstThunk : descriptor.FirstThunk;
        if (!ParseThunks(dll, thunks, false))
            return false;
    }
}

bool PeImage::ParseDelayImports(DWORD rva) {
    for (DWORD at = rva;; at += sizeof(IMAGE_DELAYLOAD_DESCRIPTOR)) {
        DWORD offset = 0;
        IMAGE_DELAYLOAD_DESCRIPTOR descriptor;
        if (!RvaToOffset(at, offset) || !Read(offset, descriptor))
            return false;
        if (!descriptor.DllNameRVA)
            return true;
        std::string dll;
        if (!ReadString(descriptor.DllNameRVA, dll) || !ParseThunks(dll, descriptor.ImportNameTableRVA, true))
            return false;
    }
}

bool PeImage::ParseThunks(const std::string& dll, DWORD thunkRva, bool delayed) {
    for (DWORD at = thunkRva;; at += sizeof(DWORD)) {
        DWORD offset = 0, thunk = 0;
        if (!RvaToOffset(at, offset) || !Read(offset, thunk))
            return false;
        if (!thunk)
            return true;
        PeImport import;
        import.dll = dll;
        import.delayed = delayed;
        if (thunk & IMAGE_ORDINAL_FLAG32) {
            import.ordinal = static_cast<WORD>(thunk & 0xFFFF);
        } else if (!ReadString(thunk + 2, import.function)) { // past the hint
            return false;
        }
        imports.push_back(import);
    }
}

bool PeImage::ParseResources(DWORD rva) {
    DWORD base = 0;
    if (!RvaToOffset(rva, base))
        return false;
    PeResource path;
    return ParseResourceLevel(base, base, 0, path);
}

std::wstring PeImage::ResourceName(DWORD base, DWORD offset) const {
    WORD length = 0;
    if (!Read(base + offset, length) || base + offset + 2 + length * 2u > bytes_.size())
        return L"?";
    std::wstring name(length, L'\0');
    memcpy(&name[0], bytes_.data() + base + offset + 2, length * 2u);
    return name;
}

bool PeImage::ParseResourceLevel(DWORD base, DWORD directory, int level, PeResource& path) {
    IMAGE_RESOURCE_DIRECTORY header;
    if (level >= kResourceLevels || !Read(directory, header))
        return false;
    int count = header.NumberOfNamedEntries + header.NumberOfIdEntries;
    for (int i = 0; i < count; ++i) {
        IMAGE_RESOURCE_DIRECTORY_ENTRY entry;
        if (!Read(directory + sizeof header + i * sizeof entry, entry))
            return false;
        WORD id = entry.NameIsString ? 0 : entry.Id;
        std::wstring name = entry.NameIsString ? ResourceName(base, entry.NameOffset) : std::wstring();
        if (level == 0) {
            path.type = id;
            path.typeName = name;
        } else if (level == 1) {
            path.id = id;
            path.name = name;
        } else {
            path.language = id;
        }
        if (entry.DataIsDirectory) {
            if (!ParseResourceLevel(base, base + entry.OffsetToDirectory, level + 1, path))
                return false;
            continue;
        }
        IMAGE_RESOURCE_DATA_ENTRY data;
        DWORD offset = 0;
        if (!Read(base + entry.OffsetToData, data) || !RvaToOffset(data.OffsetToData, offset) ||
            offset + data.Size > bytes_.size())
            return false;
        PeResource resource = path;
        resource.data = bytes_.substr(offset, data.Size);
        resources.push_back(resource);
    }
    return true;
}

namespace {

// One node of a version resource: length, value length, type, key, then value and children,
// each aligned to 4 bytes from the start of the resource.
struct VersionNode {
    size_t start = 0, end = 0;
    WORD valueLength = 0, type = 0;
    std::wstring key;
    size_t value = 0, children = 0;
};

size_t Align4(size_t offset) {
    return (offset + 3) & ~size_t(3);
}

bool ReadNode(const std::string& data, size_t at, size_t limit, VersionNode& node) {
    WORD length = 0;
    if (at + 6 > limit)
        return false;
    memcpy(&length, data.data() + at, 2);
    memcpy(&node.valueLength, data.data() + at + 2, 2);
    memcpy(&node.type, data.data() + at + 4, 2);
    if (length < 6 || at + length > limit)
        return false;
    node.start = at;
    node.end = at + length;
    size_t p = at + 6;
    node.key.clear();
    for (;; p += 2) {
        if (p + 2 > node.end)
            return false;
        wchar_t c = static_cast<wchar_t>(static_cast<unsigned char>(data[p]) |
                                         (static_cast<unsigned char>(data[p + 1]) << 8));
        if (!c)
            break;
        node.key += c;
    }
    node.value = Align4(p + 2);
    size_t valueBytes = node.type == 1 ? node.valueLength * 2u : node.valueLength;
    node.children = Align4(node.value + valueBytes);
    return node.value <= node.end;
}

std::wstring ValueText(const std::string& data, const VersionNode& node) {
    std::wstring text;
    for (size_t p = node.value; p + 2 <= node.end; p += 2) {
        wchar_t c = static_cast<wchar_t>(static_cast<unsigned char>(data[p]) |
                                         (static_cast<unsigned char>(data[p + 1]) << 8));
        if (!c)
            break;
        text += c;
    }
    return text;
}

} // namespace

bool ParseVersionInfo(const std::string& data, VersionInfo& info) {
    VersionNode root;
    if (!ReadNode(data, 0, data.size(), root) || root.key != L"VS_VERSION_INFO")
        return false;
    VS_FIXEDFILEINFO fixed;
    if (root.valueLength < sizeof fixed || root.value + sizeof fixed > root.end)
        return false;
    memcpy(&fixed, data.data() + root.value, sizeof fixed);
    if (fixed.dwSignature != 0xFEEF04BD)
        return false;
    info.fileVersionMS = fixed.dwFileVersionMS;
    info.fileVersionLS = fixed.dwFileVersionLS;
    info.productVersionMS = fixed.dwProductVersionMS;
    info.productVersionLS = fixed.dwProductVersionLS;
    for (size_t at = root.children; at < root.end;) {
        VersionNode block;
        if (!ReadNode(data, at, root.end, block))
            return false;
        if (block.key == L"StringFileInfo") {
            for (size_t t = block.children; t < block.end;) {
                VersionNode table;
                if (!ReadNode(data, t, block.end, table))
                    return false;
                for (size_t s = table.children; s < table.end;) {
                    VersionNode entry;
                    if (!ReadNode(data, s, table.end, entry))
                        return false;
                    info.strings[entry.key] = ValueText(data, entry);
                    s = Align4(entry.end);
                }
                t = Align4(table.end);
            }
        }
        at = Align4(block.end);
    }
    return true;
}
