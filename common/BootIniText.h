// The byte edits of boot.ini. boot.ini is ANSI text of whatever code page the system uses;
// the edits work on raw bytes, line by line as the boot loader reads them, and never
// re-encode what they do not touch.
#pragma once
#include <string>

// "星岚系统(boot zenta LUM)" as its 24 GBK (code page 936) bytes, on every system.
extern const char kBootIniDescription[];
constexpr size_t kBootIniDescriptionSize = 24;

// True for A-Z and a-z: anything else cannot name a boot.ini entry of ours.
bool IsDriveLetter(unsigned drive);
// "D:\zeldr": the key of the entry for drive D.
std::string BootIniEntryKey(char drive);
// The appended line: CR LF, key, "=", the quoted description; no line end after it.
std::string BootIniEntryLine(char drive);

// False for content the boot loader would not read as ANSI text: a UTF-16 byte-order mark,
// or NUL bytes anywhere.
bool IsPlainBootIniText(const std::string& content);
// True when a line of `content` is an entry of `drive`: not a comment (";"), and its text
// before "=" is the drive's key, blanks around it and the case of letters aside.
bool HasBootIniEntry(const std::string& content, char drive);
// What a removal that may not edit the file must assume: true when an entry line of `drive`
// shows in `content` read as ANSI text or as UTF-16 (its NUL bytes dropped).
bool MayHoldBootIniEntry(const std::string& content, char drive);
// The [boot loader] section's timeout line as it stands, without its line end; false when
// the section has none.
bool BootIniTimeoutLine(const std::string& content, std::string& line);
// Gives the menu timeout back: the section's timeout line, while it still reads exactly
// "timeout=10" as an add wrote it, becomes `recorded` again (an empty `recorded`: there was
// none, and the line goes). False (and `edited` untouched) when nothing changes.
bool RestoreBootIniTimeout(const std::string& content, const std::string& recorded, std::string& edited);
// Why a recorded timeout line may not be written back into boot.ini; null when it may: a
// single line whose key is "timeout" (any case, blanks around it and "=" aside) and whose
// value is a number of at most 9 digits. Anything else could put text of another's making
// into the boot loader's file.
const char* BootIniTimeoutLineFault(const std::string& line);
// The timeout value as boot.ini's reader sees it: at most 63 bytes, trailing white space
// dropped, leading digits in decimal; text that is no number counts as 0.
long ParseBootIniTimeout(const std::string& value);

// What an edit did, for the log. A timeout of -1 means there was none.
struct BootIniChange {
    int linesAdded = 0;
    int linesRemoved = 0;
    long timeoutBefore = -1;
    long timeoutAfter = -1;
};

// Adds the entry line for `drive` and raises the timeout of the [boot loader] section to 10
// when it is lower. False (and `edited` untouched) when an entry of the drive is there already.
bool AddBootIniText(const std::string& content, char drive, std::string& edited, BootIniChange& change);
// Takes out every entry line of `drive`. False (and `edited` untouched) when there is none.
bool RemoveBootIniText(const std::string& content, char drive, std::string& edited, BootIniChange& change);
