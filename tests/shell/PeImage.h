// A read-only view of a 32-bit PE file: headers and imports, read from the bytes alone so
// that the checks see exactly what the Windows loader would.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

struct PeImport {
    std::string dll;      // as written in the file
    std::string function; // empty when imported by ordinal
    WORD ordinal = 0;
    bool delayed = false;
};

class PeImage {
  public:
    // False (with `error` set) when the bytes are not a well-formed PE32 image.
    bool Parse(const std::string& bytes);

    std::string error;
    WORD machine = 0;
    WORD characteristics = 0;
    WORD optionalMagic = 0;
    WORD subsystem = 0;
    WORD subsystemMajor = 0, subsystemMinor = 0;
    WORD osMajor = 0, osMinor = 0;
    std::vector<PeImport> imports;

  private:
    bool RvaToOffset(DWORD rva, DWORD& offset) const;
    bool ReadString(DWORD rva, std::string& text) const;
    bool ParseImports(DWORD rva);
    bool ParseDelayImports(DWORD rva);
    bool ParseThunks(const std::string& dll, DWORD thunkRva, bool delayed);

    template <typename T> bool Read(DWORD offset, T& value) const {
        if (offset > bytes_.size() || bytes_.size() - offset < sizeof(T))
            return false;
        memcpy(&value, bytes_.data() + offset, sizeof(T));
        return true;
    }

    std::string bytes_;
    std::vector<IMAGE_SECTION_HEADER> sections_;
};
