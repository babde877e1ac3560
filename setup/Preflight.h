// The checks of the Welcome page's button, before anything is written: what the package
// and the chosen drive are like (gathered without a window, so that it may run on a worker),
// and what follows from it (a pure decision), as the boxes the page shows in order.
//
// A new check adds its facts to PreflightFacts, gathers them in GatherPreflightFacts (which
// the Welcome page runs on a worker, so a fact that takes a second to learn, such as an
// answer from WMI, keeps no window waiting) and places its finding in DecidePreflight where
// it belongs in the order.
#pragma once
#include "common/WindowsKind.h"
#include "setup/VolumeReadiness.h"

#include <windows.h>
#include <string>
#include <vector>

// What the drive root lets others do with the folders an installation makes there.
enum class RootAccess {
    Protected,      // only administrators may rename what is made at the root
    NoAcls,         // the file system keeps no access control lists (FAT32, exFAT)
    UsersMayRename, // the root's descriptor lets every user rename or replace it
};

struct PreflightFacts {
    // The package.
    std::vector<std::wstring> missingFiles; // below the package ("copyfiles\common\zeldr")
    std::wstring packageDir;
    std::wstring packageLink;            // the first link in the package; empty when none
    unsigned long long packageBytes = 0; // everything below copyfiles
    // The chosen drive: nothing of it is known when none was chosen.
    bool driveChosen = false;
    wchar_t drive = 0;
    unsigned long long freeBytes = 0;
    std::wstring targetLink;     // \zentaos or \zeldr as a link; empty when neither is
    std::wstring existingFolder; // \zentaos when something of that name is there
    std::wstring fileSystem;     // "NTFS", "FAT32"; empty when unknown
    std::wstring largestFile;    // the largest file the installation copies
    unsigned long long largestBytes = 0;
    RootAccess rootAccess = RootAccess::Protected;
    VolumeFacts volume; // whether the computer can start from it: BitLocker, extents, disk, bus
    // The running Windows.
    bool fastStartupOn = false; // Windows 8 or later with Fast Startup on
};

// What one finding tells.
enum class FindingKind {
    Note,   // a log line only
    Refuse, // a box with OK; the page stays
    Ask,    // a Yes/No question; each answer says how to go on
};
// What an answer to a question does.
enum class Answer {
    GoOn,
    KeepPage,
    TurnOffFastStartup, // go on, and turn Fast Startup off during the installation
};

struct Finding {
    FindingKind kind = FindingKind::Note;
    std::wstring log; // written before anything is shown; may be empty
    std::wstring text, caption;
    UINT buttons = MB_OK, icon = 0, defaultButton = 0;
    bool errorBox = false; // shown as an error box (with the log's path)
    Answer yes = Answer::GoOn, no = Answer::GoOn;
    std::wstring yesLog, noLog;
};

// The facts for an installation of the package on `kind` to `drive` (0: no drive chosen)
// with `freeBytes` free. No window is needed: this may run on a worker.
PreflightFacts GatherPreflightFacts(const std::wstring& packageDir, WindowsKind kind, wchar_t drive,
                                    unsigned long long freeBytes);

// The findings in the order they are shown. The list ends with the first refusal; an answer
// that keeps the page skips the rest. No refusal and every answer going on: the wizard goes on.
std::vector<Finding> DecidePreflight(const PreflightFacts& facts);
