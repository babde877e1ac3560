// What the two shipped programs promise the Windows loader: XP-loadable 32-bit GUI images
// that need nothing beyond the system's own DLLs, with their resources in place.
#include <doctest/doctest.h>

#include "common/ScopedWin.h"
#include "tests/driver/Driver.h"
#include "tests/shell/PeImage.h"

#include <algorithm>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The names in a space-separated list.
std::set<std::string> Names(const std::string& list) {
    std::istringstream in(list);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

// DLLs every Windows XP SP3 installation carries.
const std::set<std::string> kSystemDlls =
    Names("advapi32.dll comctl32.dll comdlg32.dll gdi32.dll imm32.dll kernel32.dll msvcrt.dll ntdll.dll "
          "ole32.dll oleaut32.dll rpcrt4.dll shell32.dll shlwapi.dll user32.dll uxtheme.dll version.dll "
          "winmm.dll ws2_32.dll");

// Functions newer than Windows XP SP3 that the mingw-w64 runtime, libstdc++, libgcc or
// winpthreads may import when a build setting changes; the programs look such functions up
// at run time instead.
const std::set<std::string> kPostXpFunctions = Names(
    "GetTickCount64 InitializeSRWLock AcquireSRWLockExclusive AcquireSRWLockShared "
    "ReleaseSRWLockExclusive ReleaseSRWLockShared TryAcquireSRWLockExclusive TryAcquireSRWLockShared "
    "InitializeConditionVariable SleepConditionVariableCS SleepConditionVariableSRW "
    "WakeConditionVariable WakeAllConditionVariable InitOnceExecuteOnce InitOnceBeginInitialize "
    "InitOnceComplete InitializeCriticalSectionEx GetSystemTimePreciseAsFileTime "
    "GetCurrentProcessorNumber FlsAlloc FlsFree FlsGetValue FlsSetValue CreateEventExW CreateMutexExW "
    "CreateSemaphoreExW GetLocaleInfoEx LCMapStringEx CompareStringEx GetUserDefaultLocaleName "
    "LocaleNameToLCID GetFileInformationByHandleEx SetFileInformationByHandle GetFinalPathNameByHandleW "
    "CreateSymbolicLinkW CancelIoEx GetErrorMode SetThreadErrorMode GetThreadId "
    "QueryFullProcessImageNameW RaiseFailFastException SetDefaultDllDirectories AddDllDirectory "
    "RemoveDllDirectory GetDynamicTimeZoneInformation Wow64DisableWow64FsRedirection "
    "Wow64RevertWow64FsRedirection");

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

void CheckVersionInfo(const std::wstring& path, const std::wstring& originalName) {
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
    REQUIRE(size);
    std::vector<char> data(size);
    REQUIRE(GetFileVersionInfoW(path.c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    WORD* translation = nullptr;
    UINT length = 0;
    REQUIRE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    CHECK(fixed->dwFileVersionMS == MAKELONG(1, 8));
    CHECK(fixed->dwProductVersionMS == MAKELONG(1, 8));
    REQUIRE(VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                           &length));
    auto text = [&](const wchar_t* name) {
        wchar_t key[100], *value = nullptr;
        swprintf(key, 100, L"\\StringFileInfo\\%04x%04x\\%ls", translation[0], translation[1], name);
        return VerQueryValueW(data.data(), key, reinterpret_cast<void**>(&value), &length)
                   ? std::wstring(value)
                   : std::wstring();
    };
    CHECK(text(L"ProductName") == L"Zenta LUM");
    CHECK(text(L"CompanyName") == L"星岚计算机技术公司");
    CHECK(text(L"FileVersion") == L"8.1");
    CHECK(text(L"ProductVersion") == L"8.1");
    CHECK(text(L"OriginalFilename") == originalName);
}

// The program's resources as the Windows loader finds them.
struct ModuleTraits {
    using Handle = HMODULE;
    static Handle Invalid() { return nullptr; }
    static bool Valid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { FreeLibrary(h); }
};
using ScopedModule = zenta::Scoped<ModuleTraits>;

ScopedModule LoadResources(const std::wstring& path) {
    ScopedModule module(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    REQUIRE(module);
    return module;
}

// The bytes of a resource; empty when there is none.
std::string ResourceBytes(const ScopedModule& module, LPCWSTR type, WORD id) {
    HRSRC found = FindResourceW(module.Get(), MAKEINTRESOURCEW(id), type);
    HGLOBAL loaded = found ? LoadResource(module.Get(), found) : nullptr;
    return loaded ? std::string(static_cast<const char*>(LockResource(loaded)),
                                SizeofResource(module.Get(), found))
                  : std::string();
}

BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR list) {
    reinterpret_cast<std::vector<WORD>*>(list)->push_back(language);
    return TRUE;
}

BOOL CALLBACK AddName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR list) {
    reinterpret_cast<std::vector<WORD>*>(list)->push_back(IS_INTRESOURCE(name) ? LOWORD(name) : 0);
    return TRUE;
}

std::vector<WORD> Manifests(const ScopedModule& module) {
    std::vector<WORD> ids;
    EnumResourceNamesW(module.Get(), RT_MANIFEST, AddName, reinterpret_cast<LONG_PTR>(&ids));
    return ids;
}

} // namespace

TEST_CASE("Setup.exe is an XP-loadable GUI image with its dialogs, faces and version") {
    const std::wstring path = driver::BuildPath(L"Setup.exe");
    CheckLoadableOnXp(LoadImageFile(path));
    CheckVersionInfo(path, L"Setup.exe");
    ScopedModule module = LoadResources(path);
    // Without a manifest Windows 8.1 and later keep reporting 6.2, which means BCD.
    CHECK(Manifests(module).empty());

    struct Dialog {
        WORD id;
        WORD language;
    };
    const WORD english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    const WORD chinese = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
    for (Dialog dialog : {Dialog{101, english}, Dialog{103, english}, Dialog{117, chinese},
                          Dialog{118, english}, Dialog{120, chinese}}) {
        INFO("dialog ", dialog.id);
        std::vector<WORD> languages;
        EnumResourceLanguagesW(module.Get(), RT_DIALOG, MAKEINTRESOURCEW(dialog.id), AddLanguage,
                               reinterpret_cast<LONG_PTR>(&languages));
        CHECK(languages == std::vector<WORD>{dialog.language});
    }

    for (WORD id : {104, 105, 106}) {
        INFO("bitmap ", id);
        std::string bitmap = ResourceBytes(module, RT_BITMAP, id);
        BITMAPINFOHEADER header;
        REQUIRE(bitmap.size() >= sizeof header);
        memcpy(&header, bitmap.data(), sizeof header);
        CHECK(header.biWidth == 120);
        CHECK(header.biHeight == 36);
        CHECK(header.biBitCount == 24);
        CHECK(header.biCompression == BI_RGB);
        CHECK(bitmap.size() >= sizeof header + 120 * 3 * 36);
    }
}

TEST_CASE("Uninstall.exe is an XP-loadable GUI image that asks for administrator rights") {
    const std::wstring path = driver::BuildPath(L"Uninstall.exe");
    CheckLoadableOnXp(LoadImageFile(path));
    CheckVersionInfo(path, L"Uninstall.exe");
    ScopedModule module = LoadResources(path);
    CHECK(Manifests(module) == std::vector<WORD>{1});
    CHECK(ResourceBytes(module, RT_MANIFEST, 1).find("level=\"requireAdministrator\"") != std::string::npos);
    CHECK(FindResourceW(module.Get(), MAKEINTRESOURCEW(5), RT_GROUP_ICON) != nullptr);
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
