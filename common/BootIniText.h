// The byte edits of boot.ini. boot.ini is ANSI text of whatever code page the system uses;
// the edits work on raw bytes and never re-encode what they do not touch.
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
// True when a line of `content` starts with the key of `drive` followed by "=".
bool HasBootIniEntry(const std::string& content, char drive);
// The timeout value as boot.ini's reader sees it: at most 63 bytes, trailing white space
// dropped, leading digits in decimal; text that is no number counts as 0.
long ParseBootIniTimeout(const std::string& value);

// Adds the entry line for `drive` and raises a timeout below 10 seconds to 10. False (and
// `edited` untouched) when nothing has to change.
bool AddBootIniText(const std::string& content, char drive, std::string& edited);
// Takes out the first entry line of `drive`. False (and `edited` untouched) when there is none.
bool RemoveBootIniText(const std::string& content, char drive, std::string& edited);
