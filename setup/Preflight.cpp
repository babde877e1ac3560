#include "setup/Preflight.h"

#include "common/FastStartup.h"
#include "common/Log.h"
#include "common/ScopedWin.h"
#include "common/Text.h"
#include "setup/Drives.h"
#include "setup/Package.h"
#include "setup/Protection.h"
#include "setup/VolumeFacts.h"

#include <aclapi.h>

namespace {

const wchar_t kShortageText[] =
    L"安装目标盘磁盘空间不足，请删除部分不需要的程序，或者删除(移走)部分不需要的数据再安装";
const wchar_t kFastStartupQuestion[] =
    L"这台电脑开启了Windows的“快速启动”。开启快速启动时，Windows关机后并没有完全关闭，"
    L"星岚系统启动后将无法安全地使用安装它的驱动器。\n\n"
    L"是否关闭快速启动？\n\n"
    L"重启电脑不受影响；以后可以在控制面板的“电源选项”中重新打开快速启动。";
const wchar_t kNoAclQuestion[] =
    L"目标驱动器 %ls 的文件系统（例如 FAT32、exFAT）不能设置访问权限。安装到这里以后，这台电脑上的每一个用户"
    L"都可以替换已安装的启动程序和卸载程序。\n\n确定仍然安装到这个驱动器吗？";
const wchar_t kOpenRootQuestion[] =
    L"目标驱动器 %ls 的根目录允许这台电脑上的每一个用户重命名或替换其中的文件夹。安装到这里以后，每一个用户"
    L"都可以替换已安装的启动程序和卸载程序。\n\n确定仍然安装到这个驱动器吗？";
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
    finding.caption = L"错误";
    finding.icon = MB_ICONERROR;
    finding.errorBox = true;
    finding.log = log;
    return finding;
}

// A refusal shown as a reminder: "提醒", no icon, no log path.
Finding Reminder(const std::wstring& text, const std::wstring& log) {
    Finding finding = Refusal(text, log);
    finding.caption = L"提醒";
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
        Question(zenta::FormatText(noAcls ? kNoAclQuestion : kOpenRootQuestion, root), L"警告",
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
        return L"安装包不完整，缺少以下文件：" + list;
    }
    if (!facts.packageLink.empty())
        return L"安装包中的“" + facts.packageLink +
               L"”是一个链接（连接点或符号链接）。为安全起见，安装程序只安装安装包本身的文件，"
               L"不读取链接指向的位置。请重新获取完整的安装包。";
    if (!facts.driveChosen)
        return std::wstring();
    if (!facts.targetLink.empty())
        return L"目标驱动器上的“" + facts.targetLink +
               L"”是一个链接（连接点、符号链接或硬链接）。为安全起见，安装程序不会写入链接指向的"
               L"位置。请删除它，或者选择其他驱动器。";
    if (!facts.existingFolder.empty())
        return L"目标驱动器上已经有“" + facts.existingFolder +
               L"”，它不是本安装程序创建的。为安全起见，安装程序只写入自己新建的文件夹。"
               L"请删除或重命名它，或者选择其他驱动器。";
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
            zenta::FormatText(
                L"目标驱动器 %lc: 的文件系统是 %ls，其中的单个文件不能达到 4 GB。安装包中的文件“%ls”有 "
                L"%llu 字节，无法复制到这个驱动器。请选择 NTFS 格式的驱动器。",
                letter, facts.fileSystem.c_str(), facts.largestFile.c_str(), facts.largestBytes),
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
        Finding question =
            Question(volume.text, L"警告", MB_ICONWARNING, MB_DEFBUTTON2, Answer::GoOn, Answer::KeepPage,
                     zenta::FormatText(kVolumeYesLog, static_cast<wint_t>(facts.drive)), kKeepPageLog);
        question.log = volume.log;
        findings.push_back(question);
    }
    if (facts.rootAccess != RootAccess::Protected)
        findings.push_back(AccessQuestion(facts));
    if (facts.fastStartupOn)
        findings.push_back(Question(kFastStartupQuestion, L"提醒", MB_ICONQUESTION, MB_DEFBUTTON1,
                                    Answer::TurnOffFastStartup, Answer::GoOn,
                                    L"Fast Startup: the user chose to turn it off",
                                    L"Fast Startup: the user chose to keep it on"));
    return findings;
}
