#include "tests/install/InstallKit.h"

#include "common/BootIni.h"
#include "common/Messages.h"
#include "common/Registry.h"
#include "common/SystemHelpers.h"
#include "common/WizardWindow.h"
#include "tests/bootini/TestHelpers.h"
#include "tests/fakebcd/FakeBcd.h"
#include "tests/welcome/WelcomeTestKit.h"

namespace installkit {

namespace {

const wchar_t kDescription[] = L"星岚系统(boot zenta LUM)";

bool MakeFile(const std::wstring& path, size_t size, char fill) {
    return driver::WriteFileBytes(path, std::string(size, fill));
}

bool SetVersions(const wchar_t* version) {
    for (const wchar_t* exe : {L"Setup.exe", L"Uninstall.exe", L"Del_ZentaUninstall.exe"})
        if (!driver::SetWindowsVersion(exe, version))
            return false;
    return true;
}

void ClearInstallation() {
    SetFileAttributesW(kLoader, FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(kLoader);
    DeleteDirectoryTree(kTarget);
    DeleteRegistryTree(kHardDiskKey);
    DeleteRegistryTree(kUninstallKey);
}

std::string ReadAll(const std::wstring& path) {
    std::string bytes;
    return driver::ReadFileBytes(path, bytes) ? bytes : std::string("(unreadable)");
}

std::wstring ReadString(const wchar_t* key, const wchar_t* name) {
    std::wstring value;
    return driver::ReadRegistryString(HKEY_LOCAL_MACHINE, key, name, value) ? value : L"(missing)";
}

bool HasDword(const wchar_t* key, const wchar_t* name, DWORD expected) {
    DWORD value = 0;
    return driver::ReadRegistryDword(HKEY_LOCAL_MACHINE, key, name, value) && value == expected;
}

// Sum of the sizes of the files lying directly in `folder`.
unsigned long long FilesSize(const std::wstring& folder) {
    unsigned long long total = 0;
    WIN32_FIND_DATAW entry;
    zenta::ScopedFindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &entry));
    if (!find)
        return 0;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            total += (static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
    } while (FindNextFileW(find.Get(), &entry));
    return total;
}

std::wstring DeviceOfD() {
    wchar_t device[MAX_PATH] = {};
    QueryDosDeviceW(L"D:", device, MAX_PATH);
    return device;
}

// The objects of the store that are no fresh store's.
std::vector<const fakebcd::Object*> ForeignObjects(const fakebcd::Store& store) {
    std::vector<const fakebcd::Object*> found;
    for (const fakebcd::Object& object : store.objects)
        if (!fakebcd::SameId(object.id, fakebcd::kBootManagerId) &&
            !fakebcd::SameId(object.id, fakebcd::kWindowsLoaderId))
            found.push_back(&object);
    return found;
}

void BcdEntryFaults(std::wstring& faults) {
    std::wstring guid = ReadString(kHardDiskKey, L"Guid");
    if (guid.size() != 38)
        faults += L"Guid is " + guid + L"; ";
    fakebcd::Store store = fakebcd::ReadStore();
    const fakebcd::Object* entry = store.Find(guid);
    if (!entry) {
        faults += L"no BCD entry " + guid + L"; ";
        return;
    }
    const fakebcd::Element* description = entry->Find(fakebcd::kDescription);
    const fakebcd::Element* path = entry->Find(fakebcd::kApplicationPath);
    const fakebcd::Element* device = entry->Find(fakebcd::kApplicationDevice);
    if (entry->type != 0x10400008)
        faults += L"entry type; ";
    if (!description || description->text != kDescription)
        faults += L"entry description; ";
    if (!path || path->text != L"\\zentaos\\zeldr.mbr")
        faults += L"entry path; ";
    if (!device || device->deviceType != 2 || device->path != DeviceOfD())
        faults += L"entry device; ";
    std::vector<std::wstring> order;
    if (!store.DisplayOrder(order) || order.size() != 2 || !fakebcd::SameId(order.back(), guid))
        faults += L"display order; ";
    unsigned long long timeout = 0;
    if (!store.Timeout(timeout) || timeout != 10)
        faults += L"timeout; ";
    if (ForeignObjects(store).size() != 1)
        faults += L"more than one new BCD object; ";
}

} // namespace

std::wstring MakePackage(const std::wstring& name, const std::vector<DiskFile>& disks) {
    std::wstring package = L"E:\\" + name;
    std::wstring copyfiles = package + L"\\copyfiles";
    bool ok = driver::CopyTree(driver::BuildPath(L"test-data\\install\\package"), package) &&
              CopyFileW(driver::BuildPath(L"Setup.exe").c_str(), (package + L"\\Setup.exe").c_str(), FALSE);
    for (const wchar_t* folder : {L"\\common", L"\\bcd", L"\\ini", L"\\disks"})
        ok = ok && driver::MakeDirectories(copyfiles + folder);
    ok = ok &&
         CopyFileW(driver::BuildPath(L"Uninstall.exe").c_str(),
                   (copyfiles + L"\\common\\Uninstall.exe").c_str(), FALSE) &&
         MakeFile(copyfiles + L"\\common\\zeldr", 512, 'L') &&
         driver::WriteFileBytes(copyfiles + L"\\common\\readme.txt", "Zenta LUM test package\r\n") &&
         MakeFile(copyfiles + L"\\bcd\\zeldr.mbr", 512, 'M') &&
         MakeFile(copyfiles + L"\\ini\\zeldr.ini", 64, 'I');
    for (const DiskFile& file : disks) {
        std::wstring folder = copyfiles + L"\\disks";
        if (!file.folder.empty())
            folder += L"\\" + file.folder;
        ok = ok && driver::MakeDirectories(folder) &&
             driver::MakeSparseFile(folder + L"\\" + file.name, file.size);
    }
    return ok ? package : std::wstring();
}

void DeletePackage(const std::wstring& package) {
    if (!package.empty())
        DeleteDirectoryTree(package.c_str());
}

std::string FreshBootIni() {
    return "[boot loader]\r\ntimeout=5\r\ndefault=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n"
           "[operating systems]\r\nmulti(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP "
           "Professional\" /fastdetect\r\n";
}

std::string BootIniEntryOfD() {
    return "\r\nD:\\zeldr=\"\xD0\xC7\xE1\xB0\xCF\xB5\xCD\xB3(boot zenta LUM)\"";
}

bool PrepareMachine(Kind kind) {
    if (!SetVersions(kind == Kind::Bcd ? L"win7" : L"winxp") || !testhelp::UseUnmanagedWindows())
        return false;
    ClearInstallation();
    SetFileAttributesW(L"C:\\boot.ini", FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(BootIniBackupPath(L"C:\\boot.ini").c_str());
    if (!driver::WriteFileBytes(L"C:\\boot.ini", FreshBootIni()))
        return false;
    return kind == Kind::BootIni || fakebcd::InstallProvider();
}

std::string Leftovers(Kind kind) {
    std::wstring left;
    if (Exists(kTarget))
        left += L"D:\\zentaos; ";
    if (Exists(kLoader))
        left += L"D:\\zeldr; ";
    if (driver::RegistryKeyExists(HKEY_LOCAL_MACHINE, kHardDiskKey))
        left += L"HardDisk record; ";
    if (driver::RegistryKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey))
        left += L"uninstall record; ";
    if (kind == Kind::Bcd) {
        fakebcd::Store store = fakebcd::ReadStore();
        std::vector<std::wstring> order;
        if (!ForeignObjects(store).empty())
            left += L"BCD entry; ";
        if (!store.DisplayOrder(order) || order != std::vector<std::wstring>{fakebcd::kWindowsLoaderId})
            left += L"display order; ";
    } else if (ReadAll(L"C:\\boot.ini").find("D:\\zeldr") != std::string::npos) {
        left += L"boot.ini line; ";
    }
    return Utf8(left);
}

std::string InstallationFaults(Kind kind, const std::vector<DiskFile>& disks) {
    std::wstring faults;
    const std::wstring dir = kTarget;
    if (FileSize(kUninstaller) != FileSize(driver::BuildPath(L"Uninstall.exe")))
        faults += L"Uninstall.exe; ";
    if (FileSize(dir + L"\\zeldr") != 512 || FileSize(dir + L"\\readme.txt") <= 0)
        faults += L"common files; ";
    bool bcd = kind == Kind::Bcd;
    if (Exists(dir + L"\\zeldr.mbr") != bcd || Exists(dir + L"\\zeldr.ini") == bcd)
        faults += L"boot folder of the wrong kind; ";
    for (const DiskFile& file : disks) {
        long long size = FileSize(dir + L"\\" + file.name);
        if (file.folder.empty() ? size != static_cast<long long>(file.size) : size != -1)
            faults += L"disk file " + file.name + L"; ";
    }
    DWORD attributes = GetFileAttributesW(kLoader);
    const DWORD hidden = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & hidden) != hidden || FileSize(kLoader) != 512)
        faults += L"D:\\zeldr; ";

    if (!HasDword(kHardDiskKey, L"Drive", 68))
        faults += L"Drive; ";
    const wchar_t* expected[][2] = {{L"DisplayName", L"Zenta LUM系统"},    {L"DisplayVersion", L"8.1"},
                                    {L"Publisher", L"星岚计算机技术公司"}, {L"RegisterPath", kUninstaller},
                                    {L"ProductName", L"Zenta LUM系统"},    {L"UninstallString", kUninstaller},
                                    {L"DisplayIcon", kUninstaller},        {L"InstallLocation", kTarget}};
    for (const auto& value : expected)
        if (ReadString(kUninstallKey, value[0]) != value[1])
            faults += std::wstring(value[0]) + L" = " + ReadString(kUninstallKey, value[0]) + L"; ";
    if (!HasDword(kUninstallKey, L"EstimatedSize", static_cast<DWORD>(FilesSize(dir) / 1024)))
        faults += L"EstimatedSize; ";
    if (!HasDword(kUninstallKey, L"NoModify", 1) || !HasDword(kUninstallKey, L"NoRepair", 1))
        faults += L"NoModify/NoRepair; ";

    std::string bootIni = ReadAll(L"C:\\boot.ini");
    if (bcd) {
        BcdEntryFaults(faults);
        if (bootIni != FreshBootIni())
            faults += L"boot.ini touched; ";
    } else {
        // Each removal leaves the line end before the removed line, so a file that has seen
        // installations come and go ends in more empty lines before the entry.
        std::string before = FreshBootIni();
        before.replace(before.find("timeout=5"), 9, "timeout=10");
        const std::string entry = BootIniEntryOfD();
        bool endsInEntry = bootIni.size() >= entry.size() &&
                           bootIni.compare(bootIni.size() - entry.size(), entry.size(), entry) == 0;
        std::string rest = endsInEntry ? bootIni.substr(0, bootIni.size() - entry.size()) : std::string();
        while (rest.size() > before.size() && rest.compare(rest.size() - 2, 2, "\r\n") == 0)
            rest.resize(rest.size() - 2);
        if (!endsInEntry || rest != before)
            faults += L"boot.ini; ";
        if (driver::RegistryKeyExists(HKEY_LOCAL_MACHINE, kHardDiskKey) &&
            ReadString(kHardDiskKey, L"Guid") != L"(missing)")
            faults += L"Guid on boot.ini; ";
    }
    return Utf8(faults);
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Utf8(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                   nullptr, nullptr);
    std::string bytes(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], size, nullptr,
                            nullptr);
    return bytes;
}

long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return static_cast<long long>((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) |
                                  data.nFileSizeLow);
}

SetupRun::~SetupRun() {
    if (process.handle && !process.Wait(0))
        process.Kill();
    process.Close();
}

bool SetupRun::Start(const std::wstring& package, HANDLE token) {
    const std::wstring exe = package + L"\\Setup.exe";
    if (token) {
        std::wstring commandLine = L"\"" + exe + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (!CreateProcessAsUserW(token, exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                  package.c_str(), &startup, &info))
            return false;
        CloseHandle(info.hThread);
        process.handle = info.hProcess;
        process.id = info.dwProcessId;
    } else {
        process = driver::Start(exe, L"", package);
    }
    if (!process.handle)
        return false;
    wizard = driver::WaitForProcessWindow(process.id, kWizardClassName, L"", 20000);
    return wizard != nullptr;
}

bool SetupRun::WaitForPage(Page page, DWORD timeoutMs) {
    return driver::WaitUntil([&] { return ReadPage(wizard) == page; }, timeoutMs);
}

bool SetupRun::StartInstall(const std::wstring& package, wchar_t letter, HANDLE token) {
    return Start(package, token) && WaitForPage(Page::Welcome, 10000) && InstallTo(letter);
}

bool SetupRun::InstallTo(wchar_t letter) {
    HWND box = welcomekit::FindDescendant(wizard, L"ComboBox");
    if (!box)
        return false;
    LRESULT count = SendMessageW(box, CB_GETCOUNT, 0, 0), wanted = -1;
    for (LRESULT i = 0; i < count && wanted < 0; ++i)
        if (welcomekit::ComboItem(box, static_cast<int>(i)).compare(0, 2, std::wstring{letter, L':'}) == 0)
            wanted = i;
    if (wanted < 0)
        return false;
    LRESULT current = SendMessageW(box, CB_GETCURSEL, 0, 0);
    for (LRESULT i = current; i < wanted; ++i)
        welcomekit::PressKey(box, VK_DOWN, true);
    for (LRESULT i = current; i > wanted; --i)
        welcomekit::PressKey(box, VK_UP, true);
    if (!driver::WaitUntil([&] { return SendMessageW(box, CB_GETCURSEL, 0, 0) == wanted; }, 5000))
        return false;
    return Press(IDC_PAGE_NEXT) && WaitForPage(Page::Progress, 10000);
}

bool SetupRun::Press(int id) {
    HWND control = driver::FindControl(wizard, id);
    if (!control)
        return false;
    driver::Click(control);
    return true;
}

bool SetupRun::Ended(DWORD timeoutMs, DWORD* exitCode) {
    return process.Wait(timeoutMs, exitCode);
}

bool SetupRun::Shoot(const std::wstring& name) {
    // The page paints after it is placed; give it the moment a user's eye would.
    Sleep(400);
    return driver::Screenshot(wizard, name);
}

bool AnswerBox(const std::wstring& textPart, int button, DWORD timeoutMs, SeenBox* seen) {
    HWND box = driver::WaitForMessageBox(0, textPart, timeoutMs);
    if (!box)
        return false;
    if (seen) {
        seen->caption = driver::WindowText(box);
        seen->text = driver::MessageBoxText(box);
        GetWindowThreadProcessId(box, &seen->processId);
    }
    return driver::AnswerMessageBox(box, button);
}

} // namespace installkit
