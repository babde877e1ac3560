// The programs as they ship: Windows XP can load them, they load nothing from beside
// themselves, ask for administrator rights without changing how Windows reports its version,
// and carry no debug data.
#include <doctest/doctest.h>

#include "tests/driver/Driver.h"

#include <algorithm>
#include <cstring>

namespace {

struct Image {
    std::string bytes;
    const IMAGE_NT_HEADERS32* nt = nullptr;
    explicit Image(const std::wstring& path) : bytes(driver::ReadBytes(path)) {
        REQUIRE(bytes.size() > sizeof(IMAGE_DOS_HEADER));
        nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(
            bytes.data() + reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data())->e_lfanew);
    }
    const IMAGE_SECTION_HEADER* Sections() const { return IMAGE_FIRST_SECTION(nt); }
    const char* At(DWORD rva) const {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            const IMAGE_SECTION_HEADER& s = Sections()[i];
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.Misc.VirtualSize)
                return bytes.data() + s.PointerToRawData + (rva - s.VirtualAddress);
        }
        return nullptr;
    }
};

} // namespace

TEST_CASE("Setup.exe and Uninstall.exe: XP headers, KnownDLL imports, the manifest, no debug data, small") {
    const struct {
        const wchar_t* name;
        size_t maxBytes;
    } programs[] = {{L"Setup.exe", 480 * 1024}, {L"Uninstall.exe", 380 * 1024}};
    const char* knownDlls[] = {"kernel32.dll", "user32.dll",  "gdi32.dll",    "advapi32.dll",
                               "shell32.dll",  "ole32.dll",   "oleaut32.dll", "msvcrt.dll",
                               "rpcrt4.dll",   "shlwapi.dll", "comdlg32.dll"};
    for (const auto& program : programs) {
        CAPTURE(driver::Utf8(program.name));
        const std::wstring path = driver::Build(std::wstring(ZENTA_SHIPPED) + program.name);
        Image image(path);
        const IMAGE_OPTIONAL_HEADER32& optional = image.nt->OptionalHeader;
        CHECK(image.nt->FileHeader.Machine == IMAGE_FILE_MACHINE_I386);
        CHECK(optional.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_GUI);
        CHECK((optional.MajorSubsystemVersion == 5 && optional.MinorSubsystemVersion == 1));
        CHECK((optional.MajorOperatingSystemVersion == 5 && optional.MinorOperatingSystemVersion == 1));
        CHECK(image.bytes.size() < program.maxBytes);
        std::printf("%s: %zu bytes\n", driver::Utf8(program.name).c_str(), image.bytes.size());
        CHECK(image.nt->FileHeader.PointerToSymbolTable == 0);
        for (WORD i = 0; i < image.nt->FileHeader.NumberOfSections; ++i) {
            std::string name(reinterpret_cast<const char*>(image.Sections()[i].Name), 8);
            CHECK_MESSAGE((name[0] != '/' && name.compare(0, 6, ".debug") != 0), name);
        }
        auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
            image.At(optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress));
        for (; import && import->Name; ++import) {
            std::string dll = image.At(import->Name);
            std::transform(dll.begin(), dll.end(), dll.begin(), ::tolower);
            CHECK_MESSAGE(std::any_of(std::begin(knownDlls), std::end(knownDlls),
                                      [&](const char* known) { return dll == known; }),
                          dll);
        }
        HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
        REQUIRE(found);
        std::string manifest(static_cast<const char*>(LockResource(LoadResource(module, found))),
                             SizeofResource(module, found));
        CHECK(manifest.find("<requestedExecutionLevel level=\"requireAdministrator\" uiAccess=\"false\"/>") !=
              std::string::npos);
        // A compatibility section would make Windows 8.1 and later report 6.3 or 10.0.
        for (const char* absent : {"compatibility", "supportedOS", "dependency", "dpiAware"})
            CHECK(manifest.find(absent) == std::string::npos);
        FreeLibrary(module);
    }
}
