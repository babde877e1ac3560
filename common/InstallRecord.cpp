#include "common/InstallRecord.h"

#include "resources/resource.h"
#include "version.h"

const wchar_t kBootSectorOnDevice[] = L"\\zentaos\\zeldr.mbr";

namespace {

constexpr REGSAM kView = KEY_WOW64_32KEY;

constexpr wchar_t kDrive[] = L"Drive";
constexpr wchar_t kVolume[] = L"Volume";
constexpr wchar_t kGuid[] = L"Guid";
constexpr wchar_t kTimeout[] = L"Timeout";
constexpr wchar_t kHiberboot[] = L"Hiberboot";
constexpr wchar_t kMade[] = L"Made";

std::wstring OnDrive(wchar_t drive, const wchar_t* path) {
    return std::wstring(1, drive) + L":" + path;
}

} // namespace

std::wstring InstallDirectory(wchar_t drive) {
    return OnDrive(drive, L"\\zentaos");
}

std::wstring LoaderFile(wchar_t drive) {
    return OnDrive(drive, L"\\zeldr");
}

std::wstring InstalledUninstaller(wchar_t drive) {
    return InstallDirectory(drive) + L"\\Uninstall.exe";
}

std::wstring InstalledBootSector(wchar_t drive) {
    return OnDrive(drive, kBootSectorOnDevice);
}

std::string BootIniLoaderPath(char drive) {
    return std::string(1, drive) + ":\\zeldr";
}

bool CInstallRecord::Create() {
    return key_.Create(kHardDiskKey, kView);
}

bool CInstallRecord::Open(bool write) {
    return key_.Open(kHardDiskKey, (write ? KEY_ALL_ACCESS : KEY_QUERY_VALUE) | kView);
}

bool CInstallRecord::WriteDrive(wchar_t letter) {
    return key_.WriteDword(kDrive, static_cast<DWORD>(letter));
}

bool CInstallRecord::ReadDrive(DWORD& value) {
    return key_.ReadDword(kDrive, value);
}

bool CInstallRecord::WriteVolume(const std::wstring& volume) {
    return key_.WriteString(kVolume, volume.c_str());
}

bool CInstallRecord::ReadVolume(std::wstring& volume) {
    return key_.ReadText(kVolume, volume);
}

bool CInstallRecord::WriteBootEntryId(const std::wstring& id) {
    return key_.WriteString(kGuid, id.c_str());
}

bool CInstallRecord::ReadBootEntryId(std::wstring& id) {
    return key_.ReadShortText(kGuid, 200, id);
}

bool CInstallRecord::WriteMenuTimeout(DWORD seconds) {
    return key_.WriteDword(kTimeout, seconds);
}

bool CInstallRecord::ReadMenuTimeout(DWORD& seconds) {
    return key_.ReadDword(kTimeout, seconds);
}

bool CInstallRecord::WriteBootIniTimeout(const std::string& line) {
    return key_.WriteString(kTimeout, BytesAsUnits(line).c_str());
}

bool CInstallRecord::ReadBootIniTimeout(std::string& line) {
    std::wstring units;
    if (!key_.ReadText(kTimeout, units))
        return false;
    line = UnitsAsBytes(units);
    return true;
}

bool CInstallRecord::ForgetTimeout() {
    return key_.DeleteValue(kTimeout);
}

bool CInstallRecord::WriteHiberboot(DWORD value) {
    return key_.WriteDword(kHiberboot, value);
}

bool CInstallRecord::ReadHiberboot(DWORD& value) {
    return key_.ReadDword(kHiberboot, value);
}

bool CInstallRecord::WriteMade(DWORD items) {
    return key_.WriteDword(kMade, items);
}

bool CInstallRecord::AddMade(DWORD item) {
    DWORD items = 0;
    return key_.ReadDword(kMade, items) && WriteMade(items | item);
}

DWORD CInstallRecord::MadeItems() {
    DWORD items = 0, type = 0, size = sizeof items;
    const LONG status =
        RegQueryValueExW(key_.Get(), kMade, nullptr, &type, reinterpret_cast<BYTE*>(&items), &size);
    if (status == ERROR_FILE_NOT_FOUND)
        return kMadeAll;
    return status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof items ? items & kMadeAll : 0;
}

bool InstallationRecorded() {
    CInstallRecord record;
    DWORD drive = 0;
    return record.Open(false) && record.ReadDrive(drive);
}

bool WriteUninstallRecord(wchar_t drive, long long bytes) {
    CRegistry key;
    const std::wstring uninstaller = InstalledUninstaller(drive), directory = InstallDirectory(drive);
    const long long kib = bytes / 1024;
    return key.Create(kUninstallKey, kView) && key.WriteString(L"DisplayName", L"" ZENTA_DISPLAY_NAME) &&
           key.WriteString(L"DisplayVersion", L"" ZENTA_VERSION_TEXT) &&
           key.WriteString(L"Publisher", L"" ZENTA_PUBLISHER) &&
           key.WriteString(L"RegisterPath", uninstaller.c_str()) &&
           key.WriteString(L"ProductName", L"" ZENTA_DISPLAY_NAME) &&
           key.WriteString(L"UninstallString", uninstaller.c_str()) &&
           // What Programs and Features needs to show the entry properly.
           key.WriteString(L"DisplayIcon", uninstaller.c_str()) &&
           key.WriteString(L"InstallLocation", directory.c_str()) &&
           key.WriteDword(L"EstimatedSize", static_cast<DWORD>(kib > 0xFFFFFFFFll ? 0xFFFFFFFFll : kib)) &&
           key.WriteDword(L"NoModify", 1) && key.WriteDword(L"NoRepair", 1);
}

bool DeleteRecords() {
    bool installGone = DeleteKeyTree(kHardDiskKey, kView);
    return DeleteKeyTree(kUninstallKey, kView) && installGone;
}

bool InstallRecordGone() {
    return RegistryKeyGone(kHardDiskKey, kView);
}

bool UninstallRecordGone() {
    return RegistryKeyGone(kUninstallKey, kView);
}

std::wstring BytesAsUnits(const std::string& bytes) {
    std::wstring units;
    for (char byte : bytes)
        units += static_cast<wchar_t>(static_cast<unsigned char>(byte));
    return units;
}

std::string UnitsAsBytes(const std::wstring& units) {
    std::string bytes;
    for (wchar_t unit : units)
        bytes += static_cast<char>(unit & 0xFF);
    return bytes;
}
