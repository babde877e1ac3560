#include "tests/shell/PeImage.h"

#include <cstring>

bool PeImage::Parse(const std::string& bytes) {
    bytes_ = bytes;
    auto fail = [&](const char* why) {
        error = why;
        return false;
    };
    IMAGE_DOS_HEADER dos;
    if (!Read(0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE)
        return fail("no MZ header");
    DWORD ntOffset = static_cast<DWORD>(dos.e_lfanew);
    DWORD signature = 0;
    IMAGE_FILE_HEADER file;
    if (!Read(ntOffset, signature) || signature != IMAGE_NT_SIGNATURE || !Read(ntOffset + 4, file))
        return fail("no PE header");
    machine = file.Machine;
    characteristics = file.Characteristics;
    DWORD optionalOffset = ntOffset + 4 + sizeof file;
    if (!Read(optionalOffset, optionalMagic) || optionalMagic != IMAGE_NT_OPTIONAL_HDR32_MAGIC ||
        file.SizeOfOptionalHeader < sizeof(IMAGE_OPTIONAL_HEADER32))
        return fail("not a PE32 optional header");
    IMAGE_OPTIONAL_HEADER32 optional;
    if (!Read(optionalOffset, optional))
        return fail("short optional header");
    subsystem = optional.Subsystem;
    subsystemMajor = optional.MajorSubsystemVersion;
    subsystemMinor = optional.MinorSubsystemVersion;
    osMajor = optional.MajorOperatingSystemVersion;
    osMinor = optional.MinorOperatingSystemVersion;

    DWORD sectionOffset = optionalOffset + file.SizeOfOptionalHeader;
    for (WORD i = 0; i < file.NumberOfSections; ++i) {
        IMAGE_SECTION_HEADER section;
        if (!Read(sectionOffset + i * sizeof section, section))
            return fail("short section table");
        sections_.push_back(section);
    }
    auto directory = [&](int index) {
        return index < static_cast<int>(optional.NumberOfRvaAndSizes) ? optional.DataDirectory[index]
                                                                      : IMAGE_DATA_DIRECTORY{};
    };
    DWORD importRva = directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress;
    DWORD delayRva = directory(IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT).VirtualAddress;
    if (importRva && !ParseImports(importRva))
        return fail("broken import table");
    if (delayRva && !ParseDelayImports(delayRva))
        return fail("broken delay import table");
    return true;
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
