// What the two shipped programs promise the Windows loader: XP-loadable 32-bit GUI images
// that need nothing beyond the system's own DLLs, with their resources in place.
#include <doctest/doctest.h>

#include "tests/driver/Driver.h"
#include "tests/shell/PeImage.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

// DLLs every Windows XP SP3 installation carries.
const std::set<std::string> kSystemDlls = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll",    "imm32.dll",  "kernel32.dll",
    "msvcrt.dll",   "ntdll.dll",    "ole32.dll",    "oleaut32.dll", "rpcrt4.dll", "shell32.dll",
    "shlwapi.dll",  "user32.dll",   "uxtheme.dll",  "version.dll",  "winmm.dll",  "ws2_32.dll",
};

// Functions newer than Windows XP SP3 that the mingw-w64 runtime, libstdc++, libgcc or
// winpthreads may import when a build setting changes; the programs look such functions up
// at run time instead.
const std::set<std::string> kPostXpFunctions = {
    "GetTickCount64",
    "InitializeSRWLock",
    "AcquireSRWLockExclusive",
    "AcquireSRWLockShared",
    "ReleaseSRWLockExclusive",
    "ReleaseSRWLockShared",
    "TryAcquireSRWLockExclusive",
    "TryAcquireSRWLockShared",
    "InitializeConditionVariable",
    "SleepConditionVariableCS",
    "SleepConditionVariableSRW",
    "WakeConditionVariable",
    "WakeAllConditionVariable",
    "InitOnceExecuteOnce",
    "InitOnceBeginInitialize",
    "InitOnceComplete",
    "InitializeCriticalSectionEx",
    "GetSystemTimePreciseAsFileTime",
    "GetCurrentProcessorNumber",
    "FlsAlloc",
    "FlsFree",
    "FlsGetValue",
    "FlsSetValue",
    "CreateEventExW",
    "CreateMutexExW",
    "CreateSemaphoreExW",
    "GetLocaleInfoEx",
    "LCMapStringEx",
    "CompareStringEx",
    "GetUserDefaultLocaleName",
    "LocaleNameToLCID",
    "GetFileInformationByHandleEx",
    "SetFileInformationByHandle",
    "GetFinalPathNameByHandleW",
    "CreateSymbolicLinkW",
    "CancelIoEx",
    "GetErrorMode",
    "SetThreadErrorMode",
    "GetThreadId",
    "QueryFullProcessImageNameW",
    "RaiseFailFastException",
    "SetDefaultDllDirectories",
    "AddDllDirectory",
    "RemoveDllDirectory",
    "GetDynamicTimeZoneInformation",
    "Wow64DisableWow64FsRedirection",
    "Wow64RevertWow64FsRedirection",
};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    return text;
}

PeImage LoadImageFile(const std::wstring& path) {
    std::string bytes;
    REQUIRE_MESSAGE(driver::ReadFileBytes(path, bytes), "cannot read the built program");
    PeImage image;
    REQUIRE_MESSAGE(image.Parse(bytes), image.error);
    return image;
}

// Every import a Windows XP SP3 machine could not satisfy, one line each.
std::vector<std::string> XpImportProblems(const PeImage& image) {
    std::vector<std::string> problems;
    for (const PeImport& import : image.imports) {
        std::string name = import.dll + "!" +
                           (import.function.empty() ? "#" + std::to_string(import.ordinal) : import.function);
        if (kSystemDlls.count(Lower(import.dll)) == 0)
            problems.push_back("not a system DLL: " + name);
        if (kPostXpFunctions.count(import.function) != 0)
            problems.push_back("newer than XP: " + name);
        // A delay-loaded DLL would move a failure to load from start-up into the middle of
        // an installation.
        if (import.delayed)
            problems.push_back("delay-loaded: " + name);
    }
    return problems;
}

void CheckLoadableOnXp(const PeImage& image) {
    CHECK(image.machine == IMAGE_FILE_MACHINE_I386);
    CHECK(image.optionalMagic == IMAGE_NT_OPTIONAL_HDR32_MAGIC);
    CHECK((image.characteristics & IMAGE_FILE_EXECUTABLE_IMAGE) != 0);
    CHECK((image.characteristics & IMAGE_FILE_DLL) == 0);
    CHECK(image.subsystem == IMAGE_SUBSYSTEM_WINDOWS_GUI);
    CHECK(image.subsystemMajor == 5);
    CHECK(image.subsystemMinor == 1);
    CHECK(image.osMajor == 5);
    CHECK(image.osMinor == 1);
    CHECK_FALSE(image.imports.empty());
    for (const std::string& problem : XpImportProblems(image))
        FAIL_CHECK(problem);
}

void CheckVersionInfo(const PeImage& image, const std::wstring& originalName) {
    const PeResource* resource = image.FindResource(16, 1); // RT_VERSION
    REQUIRE(resource);
    VersionInfo info;
    REQUIRE(ParseVersionInfo(resource->data, info));
    CHECK(info.fileVersionMS == MAKELONG(1, 8));
    CHECK(info.productVersionMS == MAKELONG(1, 8));
    CHECK(info.strings[L"ProductName"] == L"Zenta LUM");
    CHECK(info.strings[L"CompanyName"] == L"星岚计算机技术公司");
    CHECK(info.strings[L"FileVersion"] == L"8.1");
    CHECK(info.strings[L"ProductVersion"] == L"8.1");
    CHECK(info.strings[L"OriginalFilename"] == originalName);
}

const PeResource* FindManifest(const PeImage& image) {
    for (const PeResource& resource : image.resources)
        if (resource.type == 24) // RT_MANIFEST
            return &resource;
    return nullptr;
}

} // namespace

TEST_CASE("Setup.exe is an XP-loadable GUI image with its dialogs, faces and version") {
    PeImage image = LoadImageFile(driver::BuildPath(L"Setup.exe"));
    CheckLoadableOnXp(image);
    CheckVersionInfo(image, L"Setup.exe");
    // Without a manifest Windows 8.1 and later keep reporting 6.2, which means BCD.
    CHECK(FindManifest(image) == nullptr);

    struct Dialog {
        WORD id;
        WORD language;
    };
    const WORD english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    const WORD chinese = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
    for (Dialog dialog : {Dialog{101, english}, Dialog{103, english}, Dialog{117, chinese},
                          Dialog{118, english}, Dialog{120, chinese}}) {
        INFO("dialog ", dialog.id);
        const PeResource* resource = image.FindResource(5, dialog.id); // RT_DIALOG
        REQUIRE(resource);
        CHECK(resource->language == dialog.language);
    }

    for (WORD id : {104, 105, 106}) {
        INFO("bitmap ", id);
        const PeResource* resource = image.FindResource(2, id); // RT_BITMAP
        REQUIRE(resource);
        BITMAPINFOHEADER header;
        REQUIRE(resource->data.size() >= sizeof header);
        memcpy(&header, resource->data.data(), sizeof header);
        CHECK(header.biWidth == 120);
        CHECK(header.biHeight == 36);
        CHECK(header.biBitCount == 24);
        CHECK(header.biCompression == BI_RGB);
        CHECK(resource->data.size() >= sizeof header + 120 * 3 * 36);
    }
}

TEST_CASE("Uninstall.exe is an XP-loadable GUI image that asks for administrator rights") {
    PeImage image = LoadImageFile(driver::BuildPath(L"Uninstall.exe"));
    CheckLoadableOnXp(image);
    CheckVersionInfo(image, L"Uninstall.exe");
    const PeResource* manifest = FindManifest(image);
    REQUIRE(manifest);
    CHECK(manifest->id == 1);
    CHECK(manifest->data.find("level=\"requireAdministrator\"") != std::string::npos);
    CHECK(image.FindResource(14, 5) != nullptr); // RT_GROUP_ICON 5
}

TEST_CASE("the image checks read real tables and name what XP lacks") {
    // The test program is built by the same toolchain: its table must hold what it calls.
    wchar_t self[MAX_PATH] = {};
    REQUIRE(GetModuleFileNameW(nullptr, self, MAX_PATH));
    PeImage image = LoadImageFile(self);
    CHECK(image.subsystem == IMAGE_SUBSYSTEM_WINDOWS_CUI);
    bool createFile = false;
    for (const PeImport& import : image.imports)
        createFile = createFile || (Lower(import.dll) == "kernel32.dll" && import.function == "CreateFileW");
    CHECK(createFile);

    PeImage fake;
    fake.imports = {{"KERNEL32.dll", "CreateFileW", 0, false},
                    {"KERNEL32.dll", "GetTickCount64", 0, false},
                    {"libwinpthread-1.dll", "pthread_create", 0, false},
                    {"OLEAUT32.dll", "", 9, true}};
    std::vector<std::string> problems = XpImportProblems(fake);
    REQUIRE(problems.size() == 3);
    CHECK(problems[0] == "newer than XP: KERNEL32.dll!GetTickCount64");
    CHECK(problems[1] == "not a system DLL: libwinpthread-1.dll!pthread_create");
    CHECK(problems[2] == "delay-loaded: OLEAUT32.dll!#9");

    PeImage nothing;
    CHECK_FALSE(nothing.Parse("MZ"));
    CHECK_FALSE(nothing.Parse(std::string(4096, '\0')));
}
