#include "setup/Preflight.h"

#include "common/FastStartup.h"
#include "common/Log.h"
#include "common/ScopedWin.h"
#include "common/Text.h"
#include "common/UserTexts.h"
#include "setup/Drives.h"
#include "setup/Package.h"
#include "setup/Protection.h"
#include "setup/VolumeFacts.h"

#include <aclapi.h>

namespace {

const wchar_t kVolumeYesLog[] = L"%lc: the user installs there all the same";
const wchar_t kKeepPageLog[] = L"the user keeps the page";

Finding Note(const std::wstring& log) {
    Finding finding;
    finding.log = log;
    return finding;
}

Finding Refusal(const std::wstring& text, const std::wstring& log = std::wstring()) {
    Finding finding;
    finding.kind = FindingKind::Refuse;
    finding.text = text;
    finding.caption = kErrorCaption;
    finding.icon = MB_ICONERROR;
    finding.errorBox = true;
    finding.log = log;
    return finding;
}

// A refusal shown as a reminder: "提醒", no icon, no log path.
Finding Reminder(const std::wstring& text, const std::wstring& log) {
    Finding finding = Refusal(text, log);
    finding.caption = kReminderCaption;
    finding.icon = 0;
    finding.errorBox = false;
    return finding;
}

// A Yes/No question; `yes` and `no` say how to go on after each answer, logged as given.
Finding Question(const std::wstring& text, const wchar_t* caption, UINT icon, UINT defaultButton, Answer yes,
                 Answer no, const std::wstring& yesLog, const std::wstring& noLog) {
    Finding finding;
    finding.kind = FindingKind::Ask;
    finding.text = text;
    finding.caption = caption;
    finding.buttons = MB_YESNO;
    finding.icon = icon;
    finding.defaultButton = defaultButton;
    finding.yes = yes;
    finding.no = no;
    finding.yesLog = yesLog;
    finding.noLog = noLog;
    return finding;
}

// Installing where every user may replace what was installed, only when the user says so.
Finding AccessQuestion(const PreflightFacts& facts) {
    const wchar_t root[] = {facts.drive, L':', L'\\', 0};
    bool noAcls = facts.rootAccess == RootAccess::NoAcls;
    Finding finding =
        Question(zenta::FormatText(noAcls ? kNoAclQuestion : kOpenRootQuestion, root), kWarningCaption,
                 MB_ICONWARNING, MB_DEFBUTTON2, Answer::GoOn, Answer::KeepPage,
                 zenta::FormatText(L"the user installs on %ls all the same", root), kKeepPageLog);
    finding.log =
        zenta::FormatText(noAcls ? L"%ls keeps no access control lists: the user is asked"
                                 : L"%ls lets every user rename what is made at its root: the user is asked",
                          root);
    return finding;
}

// What the root's descriptor lets users do; a descriptor that cannot be read is taken as
// the worst case.
RootAccess ReadRootAccess(wchar_t drive) {
    const wchar_t root[] = {drive, L':', L'\\', 0};
    if (!VolumeKeepsAcls(root))
        return RootAccess::NoAcls;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD error =
        GetNamedSecurityInfoW(root, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, nullptr, nullptr, &descriptor);
    if (error != ERROR_SUCCESS) {
        Log(L"the security of %ls cannot be read (error %lu): taken as open to every user", root, error);
        return RootAccess::UsersMayRename;
    }
    zenta::ScopedLocal owned(descriptor);
    return UsersMayRenameAtRoot(descriptor) ? RootAccess::UsersMayRename : RootAccess::Protected;
}

// The text of the first refusal about what the package or the target holds, in the order
// they are checked; empty when there is none.
std::wstring PackageOrTargetRefusal(const PreflightFacts& facts) {
    // A package without its boot files would install a boot entry that starts nothing and
    // an uninstall record with nothing to run.
    if (!facts.missingFiles.empty()) {
        std::wstring list;
        for (const std::wstring& file : facts.missingFiles)
            list += L"\n" + facts.packageDir + L"\\" + file;
        return kIncompletePackageText + list;
    }
    if (!facts.packageLink.empty())
        return zenta::FormatText(kPackageLinkText, facts.packageLink.c_str());
    if (!facts.driveChosen)
        return std::wstring();
    if (!facts.targetLink.empty())
        return zenta::FormatText(kTargetLinkText, facts.targetLink.c_str());
    if (!facts.existingFolder.empty())
        return zenta::FormatText(kForeignFolderText, facts.existingFolder.c_str());
    return std::wstring();
}

} // namespace

PreflightFacts GatherPreflightFacts(const std::wstring& packageDir, WindowsKind kind, wchar_t drive,
                                    unsigned long long freeBytes) {
    PreflightFacts facts;
    facts.packageDir = packageDir;
    facts.missingFiles = MissingPackageFiles(packageDir, kind);
    facts.packageLink = LinkInPackage(packageDir);
    facts.packageBytes = PackageFiles(packageDir).bytes;
    facts.fastStartupOn = FastStartupQuestionNeeded();
    if (!drive)
        return facts;
    facts.driveChosen = true;
    facts.drive = drive;
    facts.freeBytes = freeBytes;
    facts.targetLink = LinkedTargetPath(drive);
    facts.existingFolder = ExistingTargetFolder(drive);
    facts.fileSystem = DriveFileSystem(drive);
    TreeFiles copied = CopiedFiles(packageDir, kind);
    facts.largestFile = copied.largest;
    facts.largestBytes = copied.largestBytes;
    facts.rootAccess = ReadRootAccess(drive);
    facts.volume = QueryVolumeFacts(drive);
    return facts;
}

std::vector<Finding> DecidePreflight(const PreflightFacts& facts) {
    std::vector<Finding> findings;
    std::wstring refusal = PackageOrTargetRefusal(facts);
    if (!refusal.empty()) {
        findings.push_back(Refusal(refusal));
        return findings;
    }
    DriveEntry entry{facts.drive, facts.freeBytes};
    if (!facts.driveChosen || !HasRoomFor(facts.freeBytes, facts.packageBytes)) {
        findings.push_back(
            Reminder(kShortageText,
                     zenta::FormatText(L"space check refused: %ls, package %llu bytes",
                                       facts.driveChosen ? FormatDriveLabel(entry).c_str() : L"no drive",
                                       facts.packageBytes)));
        return findings;
    }
    findings.push_back(
        Note(zenta::FormatText(L"drive chosen: %lc: with %llu bytes free for a package of %llu bytes",
                               static_cast<wint_t>(facts.drive), facts.freeBytes, facts.packageBytes)));
    if (!FileSystemHoldsFile(facts.fileSystem, facts.largestBytes)) {
        const wint_t letter = static_cast<wint_t>(facts.drive);
        findings.push_back(Reminder(
            zenta::FormatText(kFileTooLargeText, letter, facts.fileSystem.c_str(), facts.largestFile.c_str(),
                              facts.largestBytes),
            zenta::FormatText(
                L"file system check refused: %lc: is %ls, the package's largest file %ls has %llu bytes",
                letter, facts.fileSystem.c_str(), facts.largestFile.c_str(), facts.largestBytes)));
        return findings;
    }
    // Whether the computer can start Zenta LUM from the drive: its refusals come before any
    // question, so that no answer is followed by a refusal.
    for (const VolumeFinding& volume : JudgeVolume(facts.volume)) {
        if (volume.kind == Readiness::Refuse) {
            findings.push_back(Refusal(volume.text, volume.log));
            return findings;
        }
        Finding question = Question(
            volume.text, kWarningCaption, MB_ICONWARNING, MB_DEFBUTTON2, Answer::GoOn, Answer::KeepPage,
            zenta::FormatText(kVolumeYesLog, static_cast<wint_t>(facts.drive)), kKeepPageLog);
        question.log = volume.log;
        findings.push_back(question);
    }
    if (facts.rootAccess != RootAccess::Protected)
        findings.push_back(AccessQuestion(facts));
    if (facts.fastStartupOn)
        findings.push_back(Question(kFastStartupQuestion, kReminderCaption, MB_ICONQUESTION, MB_DEFBUTTON1,
                                    Answer::TurnOffFastStartup, Answer::GoOn,
                                    L"Fast Startup: the user chose to turn it off",
                                    L"Fast Startup: the user chose to keep it on"));
    return findings;
}
