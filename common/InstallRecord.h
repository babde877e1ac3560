// What an installation leaves behind: the record of it in the registry, the uninstall entry
// Programs and Features shows, and the paths of its files on the target drive. Every name of
// the record and every path of the installation is made here and nowhere else.
//
// Both keys are used in the 32-bit view of the registry (KEY_WOW64_32KEY), the one the
// shipped 32-bit programs see on 64-bit Windows, whichever build reads them.
#pragma once
#include "common/Registry.h"

#include <windows.h>
#include <string>

constexpr wchar_t kHardDiskKey[] = L"SOFTWARE\\Zenta\\HardDisk";
constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZentaLUM";

// The installation's paths on drive `drive`: the installation directory "X:\zentaos", the boot
// loader at the drive's root "X:\zeldr", and two files the installation needs in its directory.
std::wstring InstallDirectory(wchar_t drive);
std::wstring LoaderFile(wchar_t drive);
std::wstring InstalledUninstaller(wchar_t drive);
std::wstring InstalledBootSector(wchar_t drive);
// The boot sector file as the BCD entry names it on its device: "\zentaos\zeldr.mbr".
extern const wchar_t kBootSectorOnDevice[];
// The loader as a boot.ini entry names it: "D:\zeldr".
std::string BootIniLoaderPath(char drive);

// The record under HKEY_LOCAL_MACHINE\SOFTWARE\Zenta\HardDisk, one typed read and write per value:
//   "Drive"     REG_DWORD  the target's drive letter (in the low word)
//   "Volume"    REG_SZ     the target's volume GUID path ("\\?\Volume{...}\")
//   "Guid"      REG_SZ     the BCD entry's identifier, recorded before the store is touched
//   "Timeout"   REG_DWORD  the boot menu's timeout before the installation (BCD), or
//               REG_SZ     the boot.ini timeout line it replaced, one byte a UTF-16 unit
//   "Hiberboot" REG_DWORD  "HiberbootEnabled" before the installation turned Fast Startup off
//   "Made"      REG_DWORD  what the installation made on the drive, a bit each (kMadeDirectory,
//               kMadeLoader), set right after it made it; 0 from the first record step on
// Every function is false (the last error says why) when the key is not open or the value
// cannot be written, or is absent or of another form when read.
class CInstallRecord {
  public:
    // Makes the key, or opens the one that is there, for writing.
    bool Create();
    // Opens the key that is there: for reading, or with `write` for changing it too.
    bool Open(bool write);
    void Close() { key_.Close(); }

    bool WriteDrive(wchar_t letter);
    bool ReadDrive(DWORD& value);
    bool WriteVolume(const std::wstring& volume);
    bool ReadVolume(std::wstring& volume);
    bool WriteBootEntryId(const std::wstring& id);
    // At most 200 bytes; the value up to its first null.
    bool ReadBootEntryId(std::wstring& id);
    bool WriteMenuTimeout(DWORD seconds);
    bool ReadMenuTimeout(DWORD& seconds);
    bool WriteBootIniTimeout(const std::string& line);
    bool ReadBootIniTimeout(std::string& line);
    // True when no timeout is recorded afterwards.
    bool ForgetTimeout();
    bool WriteHiberboot(DWORD value);
    bool ReadHiberboot(DWORD& value);
    bool WriteMade(DWORD items);
    // Adds `item` to "Made" (read first, so that no bit is lost).
    bool AddMade(DWORD item);
    // What "Made" says was made: kMadeAll for a record without the value (an earlier build's),
    // nothing for a value of another form.
    DWORD MadeItems();

  private:
    CRegistry key_;
};

// The bits of "Made": the installation directory, the boot loader file.
constexpr DWORD kMadeDirectory = 1;
constexpr DWORD kMadeLoader = 2;
// What a record written before "Made" existed stands for: both were the installation's.
constexpr DWORD kMadeAll = kMadeDirectory | kMadeLoader;

// True when "Drive" is readable: an installation is recorded.
bool InstallationRecorded();

// Writes the uninstall entry of an installation on `drive` of `bytes` in size.
bool WriteUninstallRecord(wchar_t drive, long long bytes);

// Deletes both records; true when both are gone afterwards.
bool DeleteRecords();
// True when the key is no longer there (not merely one we may not open).
bool InstallRecordGone();
bool UninstallRecordGone();

// boot.ini keeps bytes: its line is recorded one byte a unit, so that it comes back exactly.
std::wstring BytesAsUnits(const std::string& bytes);
std::string UnitsAsBytes(const std::wstring& units);
