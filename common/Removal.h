// Removing a recorded installation: boot entry, boot loader file, installation directory
// and both registry records, in that order, so that a removal that stops half-way can always
// be finished by a later one.
#pragma once
#include "common/WindowsKind.h"

#include <windows.h>
#include <string>
#include <vector>

// What a removal left behind, each item checked on the machine after the attempt.
struct RemovalOutcome {
    bool recorded = false;          // "Drive" was readable: there was an installation to remove
    DWORD driveValue = 0;           // "Drive" as recorded
    wchar_t drive = 0;              // where the files are: the recorded letter, or the recorded volume's
                                    // letter now; 0 when neither names a drive
    bool volumeUnreachable = false; // the recorded volume has no drive letter now: nothing touched
    bool volumeGone = false;        // the recorded volume no longer exists: its files went with it
    bool bootEntryRemoved = false;
    bool bootEntryForeign = false;  // the record names an entry that is not ours: left alone
    bool bootConfigRefused = false; // the boot configuration can never be changed as it is (boot.ini
                                    // that is not plain text)
    std::wstring bootEntryId;       // the recorded BCD entry, for the user to delete by hand
    bool bootEntryEdited = false;   // foreign only by its description or path: once ours, edited since
    bool loaderRemoved = false;     // drive:\zeldr
    bool directoryRemoved = false;  // drive:\zentaos
    bool fastStartupLeft = false;   // Fast Startup, which the installation turned off, is still off
    bool installRecordRemoved = false;
    bool uninstallRecordRemoved = false;
    // What the boot configuration had to tell the user ("警告"), in the order it happened.
    std::vector<std::wstring> warnings;

    // True when an installation was recorded and nothing of it is left.
    bool Complete() const {
        return recorded && bootEntryRemoved && loaderRemoved && directoryRemoved && !fastStartupLeft &&
               installRecordRemoved && uninstallRecordRemoved;
    }
};

// How a removal ended, for what the user is told and offered.
enum class RemovalEnd {
    Removed,   // nothing of the installation is left (or none was recorded)
    DriveGone, // nothing is left but what went with the recorded volume
    Transient, // something is left that a later removal may take: the records stay for it
    Lasting,   // what is left no later run can remove: only the user can, by hand
};
RemovalEnd ClassifyRemoval(const RemovalOutcome& outcome);

// Removes the installation recorded under "SOFTWARE\Zenta\HardDisk". Without a readable
// "Drive" nothing at all is touched. The boot entry goes first; the files only once it is
// gone (an entry must never point at boot code that is no longer there), and the records
// only once nothing else is left, so that Setup and the uninstaller find the installation
// again and can finish the removal. The files are looked for on the recorded volume wherever
// its letter is now; a volume without a letter keeps everything as it is. The menu timeout
// goes back to what it was when it is still the one the installation set, and so does Fast
// Startup, once nothing else of the installation is left. A volume that no longer exists took
// the files with it: the boot entry and the records still go. `bootEntryMade` false (a
// rollback of an installation that made no entry) leaves the boot configuration alone.
// \zentaos and \zeldr go only when "Made" (or `madeHere`, what the rollback's own run knows
// it made) says the installation made them: whatever else has those names is someone else's.
// Shows nothing; writes each step to the log.
RemovalOutcome RemoveInstallation(WindowsKind kind, bool bootEntryMade = true, DWORD madeHere = 0);

// For an incomplete removal: what is left, one item a line, for a message box.
std::wstring DescribeIncompleteRemoval(const RemovalOutcome& outcome);
// For a Lasting end: what stays and how to remove each by hand, one item a paragraph.
std::wstring DescribeLeftForGood(const RemovalOutcome& outcome);
// Deletes the records only, at the user's word, leaving everything else as it is; logs it.
// True when both are gone afterwards.
bool ForgetInstallation();
