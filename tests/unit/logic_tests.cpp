// The pure rules, one table each: boot.ini edits, font styles, progress arithmetic, space
// check, Windows and firmware decisions, provider answers, names and paths.
#include <doctest/doctest.h>

#include "common/Bcd.h"
#include "common/BootIniText.h"
#include "common/FastStartup.h"
#include "common/Firmware.h"
#include "common/Volume.h"
#include "common/WindowsKind.h"
#include "setup/CopyPlan.h"
#include "setup/Drives.h"
#include "setup/FontStyleText.h"
#include "setup/Package.h"
#include "setup/Preflight.h"
#include "setup/Protection.h"
#include "setup/ProgressText.h"
#include "setup/pages/SlideShow.h"
#include "tests/driver/Driver.h"
#include "uninstall/Stages.h"

#include <string>
#include <utility>
#include <vector>

namespace {

const std::string kEntry = "\r\nD:\\zeldr=\"" + std::string(kBootIniDescription) + "\"";
const std::string kHead = "[boot loader]\r\n";
const std::string kSystems = "[operating systems]\r\nC:\\WINDOWS=\"XP\"\r\n";
const std::string kLoader = "default=x\r\n";

} // namespace

TEST_CASE("boot.ini texts: an entry is a line of its own as the boot loader reads it; removal takes every "
          "entry line of the drive; the timeout goes back only while it is the one the add wrote") {
    enum Edit { Add, Remove, Restore };
    struct Case {
        const char* name;
        Edit edit;
        std::string before, after; // after == "" : nothing changes
        std::string recorded = ""; // the timeout line a restore gives back
    } cases[] = {
        {"TIMEOUT=10 stays as it is, bare line feed and all", Add, kHead + "TIMEOUT=10\n" + kSystems,
         kHead + "TIMEOUT=10\n" + kSystems + kEntry},
        {"no timeout: one after the header", Add, kHead + kSystems,
         kHead + "\r\ntimeout=10\r\n" + kSystems + kEntry},
        {"a commented entry is no entry", Add, kHead + "timeout=10\r\n;D:\\zeldr=\"x\"\r\n",
         kHead + "timeout=10\r\n;D:\\zeldr=\"x\"\r\n" + kEntry},
        {"a key inside another line is no entry", Add, kHead + "timeout=10\r\nC:\\x=\"D:\\zeldr=\"\r\n",
         kHead + "timeout=10\r\nC:\\x=\"D:\\zeldr=\"\r\n" + kEntry},
        {"changed description, blanks, case: still ours", Add,
         kHead + "timeout=5\r\n  D:\\ZELDR = \"other\"\r\n", ""},
        {"removed: the appended line", Remove, kHead + kSystems + kEntry.substr(2), kHead + kSystems},
        {"removed: two entries, one in the middle", Remove,
         kHead + "D:\\zeldr=\"a\"\r\n" + kSystems + "d:\\zeldr=\"b\"\r\nE:\\x=\"y\"\r\n",
         kHead + kSystems + "E:\\x=\"y\"\r\n"},
        {"removed: comments and other drives stay", Remove, kHead + ";D:\\zeldr=\"a\"\r\nE:\\zeldr=\"b\"\r\n",
         ""},
        {"restored: the line as it was", Restore, kHead + "timeout=10\r\n" + kLoader,
         kHead + "Timeout=3\r\n" + kLoader, "Timeout=3"},
        {"restored: there was none, ours goes", Restore, kHead + "\r\ntimeout=10\r\n" + kLoader,
         kHead + "\r\n" + kLoader},
        {"kept: changed by the user since", Restore, kHead + "timeout=20\r\n" + kLoader, "", "timeout=5"},
        {"kept: 10 written otherwise", Restore, kHead + "timeout = 10\r\n" + kLoader, "", "timeout=5"},
        {"kept: outside the section", Restore, kHead + kSystems + "timeout=10\r\n", "", "timeout=5"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        std::string edited;
        BootIniChange change;
        CHECK((c.edit == Restore ? RestoreBootIniTimeout(c.before, c.recorded, edited)
                                 : (c.edit == Add ? AddBootIniText : RemoveBootIniText)(
                                       c.before, 'D', edited, change)) == !c.after.empty());
        if (!c.after.empty())
            CHECK(edited == c.after);
    }
    CHECK(IsPlainBootIniText(kHead));
    CHECK_FALSE(IsPlainBootIniText("\xFF\xFE[\0b\0"));
    CHECK_FALSE(IsPlainBootIniText(std::string("[boot loader]\0", 14)));
}

TEST_CASE("boot.ini: lower, upper and Windows Setup's capitalised forms, in every place the rules apply") {
    const char* headers[] = {"[boot loader]", "[BOOT LOADER]", "[Boot Loader]"};
    const char* timeouts[] = {"timeout", "TIMEOUT", "Timeout"};
    const char* entries[] = {"d:\\zeldr", "D:\\ZELDR", "D:\\Zeldr"};
    for (const char* header : headers)
        for (const char* timeout : timeouts) {
            CAPTURE(header);
            CAPTURE(timeout);
            const std::string head = std::string(header) + "\r\n", line = std::string(timeout) + "=5";
            std::string edited, found;
            BootIniChange change;
            // Inside [boot loader]: the menu's timeout, raised, recorded as it was, given back.
            REQUIRE(AddBootIniText(head + line + "\r\n" + kSystems, 'D', edited, change));
            CHECK(edited == head + "timeout=10\r\n" + kSystems + kEntry);
            CHECK((BootIniTimeoutLine(head + line + "\r\n", found) && found == line));
            CHECK((RestoreBootIniTimeout(head + "timeout=10\r\n", line, edited) &&
                   edited == head + line + "\r\n"));
            // Outside it: not the menu's; the menu gets one of its own.
            REQUIRE(AddBootIniText(head + kSystems + line + "\r\n", 'D', edited, change));
            CHECK(edited == head + "\r\ntimeout=10\r\n" + kSystems + line + "\r\n" + kEntry);
        }
    for (const char* entry : entries) {
        CAPTURE(entry);
        const std::string content = kHead + kSystems + entry + "=\"x\"\r\n";
        std::string edited;
        BootIniChange change;
        CHECK_FALSE(AddBootIniText(content, 'D', edited, change));
        CHECK((RemoveBootIniText(content, 'D', edited, change) && edited == kHead + kSystems));
    }
}

TEST_CASE("volume identity: the files are where the recorded volume is now, or nowhere") {
    const std::wstring v1 = L"\\\\?\\Volume{1}\\", v2 = L"\\\\?\\Volume{2}\\";
    struct {
        wchar_t recorded;
        std::wstring volume, atLetter;
        wchar_t current, drive;
    } cases[] = {
        {L'D', L"", v2, L'F', L'D'},                   // recorded before volumes were: the letter as it is
        {L'?', L"", L"", 0, 0},                        // a letter that names no drive
        {L'D', v1, v1, L'D', L'D'},                    // the letter still names the volume
        {L'D', v1, L"\\\\?\\VOLUME{1}\\", L'D', L'D'}, // GUIDs ignore case
        {L'D', v1, v2, L'F', L'F'},  // another volume has the letter now: the volume's own letter
        {L'D', v1, L"", L'F', L'F'}, // the letter names nothing now
        {L'D', v1, v2, 0, 0},        // the volume has no letter: nowhere
    };
    for (const auto& c : cases)
        CHECK(RemovalDrive(c.recorded, c.volume, c.atLetter, c.current) == c.drive);
}

TEST_CASE("font styles: only pixel sizes count, bold only for 1, colours R,G,B modulo 256") {
    struct Case {
        std::vector<std::pair<const wchar_t*, const wchar_t*>> children;
        LONG height, weight;
        COLORREF color;
    } cases[] = {
        {{{L"fontsize", L"20"}, {L"fontunit", L"point"}}, 12, 400, 0},
        {{{L"fontunit", L"Pixels"}, {L"fontsize", L"20"}}, 20, 400, 0},
        {{{L"bold", L"1"}, {L"bold", L"0"}}, 12, 700, 0},
        {{{L"bold", L"2"}}, 12, 400, 0},
        {{{L"forecolor", L"255,0,0"}}, 12, 400, 0x0000FF},
        {{{L"ForeColor", L"10,20,30"}}, 12, 400, RGB(10, 20, 30)},
        {{{L"forecolor", L"300,0,0"}}, 12, 400, RGB(44, 0, 0)},
        {{{L"forecolor", L"1,2,3"}, {L"forecolor", L"255,0,"}, {L"forecolor", L"255,0"}},
         12,
         400,
         RGB(1, 2, 3)},
    };
    for (const Case& c : cases) {
        FontStyle style = DefaultFontStyle();
        CFontStyleBuilder builder(style);
        for (const auto& child : c.children)
            builder.Apply(child.first, child.second);
        builder.Finish();
        CHECK(style.logFont.lfHeight == c.height);
        CHECK(style.logFont.lfWeight == c.weight);
        CHECK(style.foreColor == c.color);
    }
    CHECK(FontStyleSlotForId(L"Buttontext2") == FontStyleSlot::ButtonText);
    CHECK(FontStyleSlotForId(L"titlebar") == FontStyleSlot::Title);
    CHECK(FontStyleSlotForId(L"sub") == FontStyleSlot::None);
}

TEST_CASE("progress: percentages, elapsed and remaining seconds") {
    struct {
        long long copied, total;
        bool completed;
        int percent;
    } percents[] = {
        {3, 7, false, 42}, {7, 7, false, 99}, {7, 7, true, 100}, {0, 0, true, 0}, {5, 0, false, 0}};
    for (const auto& p : percents)
        CHECK(ProgressPercent(p.copied, p.total, p.completed) == p.percent);
    struct {
        int percent;
        unsigned elapsed, remaining;
    } times[] = {{50, 30, 30}, {1, 3, 297}, {0, 40, 120}, {60, 0, 120}, {3, 100, 3233}};
    for (const auto& t : times)
        CHECK(RemainingSeconds(t.percent, t.elapsed) == t.remaining);
    CHECK(ElapsedSeconds(500, 0xFFFFFC18u) == 1); // the tick count wrapped meanwhile
    CHECK(PercentLine(42) == L"已安装: 42%");
    CHECK(TimeLine(30, 297) == L"已用30秒，剩余297秒");
}

TEST_CASE("space check: 4 GiB at least, and 512 MiB beyond the package") {
    const unsigned long long GiB = 1ull << 30, MiB = 1ull << 20;
    struct {
        unsigned long long free, package;
        bool room;
    } cases[] = {{4 * GiB, 3584 * MiB, true},
                 {4 * GiB - 1, 0, false},
                 {10 * GiB, 9830 * MiB, false},
                 {40 * GiB, 40 * GiB - 512 * MiB, true},
                 {40 * GiB, 40 * GiB - 512 * MiB + 1, false},
                 {~0ull, ~0ull, false}};
    for (const auto& c : cases)
        CHECK(HasRoomFor(c.free, c.package) == c.room);
    CHECK_FALSE(SelectedDriveHasRoom({{L'C', 40 * GiB}}, -1, 0));
    // Whole GiB, truncated: 3,000,000,000 bytes are 2.79 GiB (and 3 GB).
    for (auto label :
         {std::make_pair(1610612736ull, L"C:(1 GB空闲)"), std::make_pair(3000000000ull, L"C:(2 GB空闲)"),
          std::make_pair(1000000000000ull, L"C:(931 GB空闲)")})
        CHECK(FormatDriveLabel({L'C', label.first}) == label.second);
}

TEST_CASE("the Welcome button's checks: each fact alone decides, in their order, the first refusal ends") {
    const unsigned long long GiB = 1ull << 30;
    PreflightFacts ready;
    ready.packageDir = L"E:\\p";
    ready.packageBytes = 5 * GiB;
    ready.driveChosen = true;
    ready.drive = L'D';
    ready.freeBytes = 40 * GiB;
    ready.fileSystem = L"FAT32";
    ready.largestFile = L"E:\\p\\copyfiles\\disks\\a";
    ready.largestBytes = 2 * GiB; // a package of 2 GiB files fits on FAT32, whatever its total
    ready.volume.letter = L'D';   // one extent on a basic disk, no BitLocker on this Windows
    ready.volume.bitLocker.provider = static_cast<HRESULT>(0x8004100E);
    ready.volume.extentsError = ready.volume.layoutError = ready.volume.busError = ERROR_SUCCESS;
    ready.volume.extents = 1;
    struct Case {
        const char* name;
        void (*change)(PreflightFacts&);
        std::vector<const wchar_t*> shown; // the boxes in order, each by a part of its text
    } cases[] = {
        {"ready", [](PreflightFacts&) {}, {}},
        {"a file missing",
         [](PreflightFacts& f) { f.missingFiles = {L"copyfiles\\common\\zeldr"}; },
         {L"缺少以下文件：\nE:\\p\\copyfiles\\common\\zeldr"}},
        {"a link in the package",
         [](PreflightFacts& f) { f.packageLink = L"E:\\p\\copyfiles"; },
         {L"安装包中的“E:\\p\\copyfiles”是一个链接"}},
        {"a link at the target",
         [](PreflightFacts& f) { f.targetLink = L"D:\\zeldr"; },
         {L"目标驱动器上的“D:\\zeldr”是一个链接"}},
        {"a folder at the target",
         [](PreflightFacts& f) { f.existingFolder = L"D:\\zentaos"; },
         {L"已经有“D:\\zentaos”"}},
        {"no drive chosen", [](PreflightFacts& f) { f.driveChosen = false; }, {L"磁盘空间不足"}},
        {"no room", [](PreflightFacts& f) { f.freeBytes = 5 * GiB; }, {L"磁盘空间不足"}},
        {"a file FAT32 cannot hold",
         [](PreflightFacts& f) { f.largestBytes = 4 * GiB; },
         {L"文件系统是 FAT32，其中的单个文件不能达到 4 GB。安装包中的文件“E:\\p\\copyfiles\\disks\\a”有 "
          L"4294967296 字节"}},
        {"no ACLs",
         [](PreflightFacts& f) { f.rootAccess = RootAccess::NoAcls; },
         {L"D:\\ 的文件系统（例如 FAT32、exFAT）"}},
        {"a root users may rename in",
         [](PreflightFacts& f) { f.rootAccess = RootAccess::UsersMayRename; },
         {L"D:\\ 的根目录允许这台电脑上的每一个用户重命名或替换其中的文件夹"}},
        {"Fast Startup on", [](PreflightFacts& f) { f.fastStartupOn = true; }, {L"快速启动"}},
    };
    auto shows = [](const PreflightFacts& facts, std::vector<const wchar_t*> shown) {
        std::vector<Finding> findings = DecidePreflight(facts);
        std::vector<std::wstring> boxes;
        for (size_t i = 0; i < findings.size(); ++i) {
            if (findings[i].kind == FindingKind::Refuse)
                CHECK(i + 1 == findings.size()); // nothing after a refusal
            if (findings[i].kind != FindingKind::Note)
                boxes.push_back(findings[i].text);
        }
        REQUIRE(boxes.size() == shown.size());
        for (size_t i = 0; i < boxes.size(); ++i)
            CHECK(boxes[i].find(shown[i]) != std::wstring::npos);
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        PreflightFacts facts = ready;
        c.change(facts);
        shows(facts, c.shown);
    }
    // The order: with every fact against the drive, each refusal speaks alone once those before
    // it are taken away; then come all the questions, in their order.
    PreflightFacts facts = ready;
    facts.missingFiles = {L"x"}, facts.packageLink = L"l", facts.targetLink = L"t",
    facts.existingFolder = L"e";
    facts.freeBytes = 0, facts.largestBytes = 4 * GiB, facts.volume.extents = 2, facts.volume.busType = 8;
    facts.rootAccess = RootAccess::NoAcls, facts.fastStartupOn = true;
    const struct {
        const wchar_t* shown;
        void (*takeAway)(PreflightFacts&);
    } order[] = {{L"不完整", [](PreflightFacts& f) { f.missingFiles.clear(); }},
                 {L"安装包中的", [](PreflightFacts& f) { f.packageLink.clear(); }},
                 {L"目标驱动器上的", [](PreflightFacts& f) { f.targetLink.clear(); }},
                 {L"已经有", [](PreflightFacts& f) { f.existingFolder.clear(); }},
                 {L"磁盘空间不足", [](PreflightFacts& f) { f.freeBytes = 40 * GiB; }},
                 {L"单个文件", [](PreflightFacts& f) { f.largestBytes = 2 * GiB; }},
                 {L"D: 是跨越多块磁盘", [](PreflightFacts& f) { f.volume.extents = 1; }}};
    for (const auto& step : order) {
        CAPTURE(driver::Utf8(step.shown));
        shows(facts, {step.shown});
        step.takeAway(facts);
    }
    shows(facts, {L"RAID", L"访问权限", L"快速启动"});
    // The questions: what each button and answer means.
    PreflightFacts asked = ready;
    asked.volume.extents = 0;
    asked.rootAccess = RootAccess::UsersMayRename;
    asked.fastStartupOn = true;
    std::vector<Finding> findings = DecidePreflight(asked);
    REQUIRE(findings.size() == 4);
    const Finding& fastStartup = findings[3];
    for (const Finding* warning : {&findings[1], &findings[2]}) // the volume's, the root's
        CHECK((warning->caption == L"警告" && warning->buttons == MB_YESNO &&
               warning->icon == MB_ICONWARNING && warning->defaultButton == MB_DEFBUTTON2 &&
               warning->yes == Answer::GoOn && warning->no == Answer::KeepPage));
    CHECK((fastStartup.caption == L"提醒" && fastStartup.buttons == MB_YESNO &&
           fastStartup.icon == MB_ICONQUESTION && fastStartup.defaultButton == MB_DEFBUTTON1 &&
           fastStartup.yes == Answer::TurnOffFastStartup && fastStartup.no == Answer::GoOn));
}

TEST_CASE("the drive root: users who may rename what is made there, and links that count as links") {
    struct {
        const wchar_t* sddl;
        bool usersMayRename;
    } roots[] = {
        // Windows 10's system drive: Authenticated Users may create, not rename others' folders.
        {L"O:SYD:(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;;0x1301bf;;;AU)(A;OICIIO;SDGXGWGR;;;AU)(A;OICI;0x1200a9;;"
         L";BU)",
         false},
        {L"O:BAD:PAI(A;OICI;FA;;;WD)", true}, // Windows XP's data volume
        {L"O:WDD:(A;;FA;;;BA)", true},        // the owner
        {L"O:BUD:(A;;FA;;;BA)", true},
        {L"O:BAD:(A;;0x40;;;WD)", true}, // each right
        {L"O:BAD:(A;;WD;;;WD)", true},
        {L"O:BAD:(A;;WO;;;WD)", true},
        {L"O:BAD:(A;;GA;;;WD)", true},
        {L"O:BAD:(A;;0x1301bf;;;WD)", false}, // modify without delete-child
        {L"O:BAD:(A;;GW;;;WD)", false},
        {L"O:BAD:(A;;0x40;;;AU)", true}, // each trustee
        {L"O:BAD:(A;;0x40;;;BU)", true},
        {L"O:BAD:(A;;0x40;;;IU)", true},
        {L"O:BAD:(A;;0x40;;;BA)(A;;0x40;;;SY)(A;;0x40;;;CO)", false},
        {L"O:BAD:(A;OICIIO;FA;;;BU)", false}, // for what is made in it, not for the root
        {L"O:BAD:(A;OICI;FA;;;BU)", true},
        {L"O:BAD:(D;;FA;;;WD)", false},
        {nullptr, true},    // a null DACL: everyone may do everything
        {L"O:BAD:", false}, // an empty one: nobody may
    };
    for (const auto& r : roots) {
        CAPTURE(driver::Utf8(r.sddl ? r.sddl : L"null DACL"));
        zenta::ScopedLocal descriptor;
        SECURITY_DESCRIPTOR open;
        // wine's SDDL reading gives NO_ACCESS_CONTROL an empty DACL: the null one is made here.
        REQUIRE((r.sddl ? MakeSecurityDescriptor(r.sddl, descriptor)
                        : InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION) &&
                              SetSecurityDescriptorDacl(&open, TRUE, nullptr, FALSE)));
        CHECK(UsersMayRenameAtRoot(r.sddl ? descriptor.Get() : &open) == r.usersMayRename);
    }
    struct {
        DWORD attributes, tag;
        bool link;
    } entries[] = {
        {FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_MOUNT_POINT, true},
        {FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_SYMLINK, true},
        {FILE_ATTRIBUTE_REPARSE_POINT, 0x9000601Au, false}, // a cloud placeholder
        {FILE_ATTRIBUTE_REPARSE_POINT, 0x80000013u, false}, // a deduplicated file
        {FILE_ATTRIBUTE_DIRECTORY, IO_REPARSE_TAG_MOUNT_POINT,
         false}, // no reparse point: the tag means nothing
    };
    for (const auto& e : entries)
        CHECK(IsLinkEntry(e.attributes, e.tag) == e.link);
}

TEST_CASE("the drive the installed system finds: Fast Startup asked and given back, files FAT can hold") {
    struct {
        DWORD major, minor;
        bool hiberboot, hibernation, ask;
    } asks[] = {{6, 2, true, true, true},  {10, 0, true, true, true},  {6, 1, true, true, false},
                {5, 1, true, true, false}, {6, 2, false, true, false}, {6, 2, true, false, false}};
    for (const auto& a : asks) {
        static FastStartupState state; // read, and powrprof.dll loaded, only on 6.2 and later
        static int reads;
        state = {a.hiberboot, a.hibernation}, reads = 0;
        CHECK(FastStartupQuestionNeeded(a.major, a.minor, [] { return ++reads, state; }) == a.ask);
        CHECK(reads == (a.major * 10 + a.minor >= 62));
    }
    struct {
        bool recorded, known;
        DWORD current;
        bool restore;
    } restores[] = {
        {true, true, 0, true}, {false, true, 0, false}, {true, false, 0, false}, {true, true, 1, false}};
    for (const auto& r : restores)
        CHECK(HiberbootToRestore(r.recorded, r.known, r.current) == r.restore);
    struct {
        const wchar_t* fileSystem;
        unsigned long long bytes;
        bool holds;
    } holds[] = {{L"FAT32", 0xFFFFFFFFull, true},  {L"Fat32", 0x100000000ull, false},
                 {L"fat", 0x100000000ull, false},  {L"NTFS", 0x100000000ull, true},
                 {L"exFAT", 0x100000000ull, true}, {L"", 0x100000000ull, true}};
    for (const auto& h : holds)
        CHECK(FileSystemHoldsFile(h.fileSystem, h.bytes) == h.holds);
}

TEST_CASE("drives: a volume's letter is a mount path that is exactly a drive's root, whichever path it is") {
    struct {
        const wchar_t* path;
        wchar_t letter;
    } paths[] = {{L"C:\\", L'C'}, {L"z:\\", L'Z'}, {L"C:\\mnt\\vol\\", 0}, {L"D:\\x", 0},
                 {L"A:\\", 0},    {L"C:", 0},      {L"1:\\", 0},           {L"", 0}};
    for (const auto& p : paths)
        CHECK(DriveLetterOfMountPath(p.path) == p.letter);
    const wchar_t folderThenRoot[] = L"C:\\mnt\\vol\\\0E:\\\0";
    CHECK(DriveLetterOfMountPaths(folderThenRoot, std::size(folderThenRoot)) == L'E');
    CHECK(DriveLetterOfMountPaths(folderThenRoot, 12) == 0);
    CHECK(DriveLetterOfMountPaths(L"E:\\", 2) == 0); // not terminated within its length
}

TEST_CASE("Windows versions, firmware and the provider's ways of saying \"not found\"") {
    struct {
        DWORD major, minor;
        WindowsKind kind;
    } versions[] = {{5, 0, Unsupported}, {5, 1, BootIni}, {5, 2, BootIni},     {5, 3, Unsupported},
                    {6, 0, Bcd},         {6, 3, Bcd},     {10, 0, Unsupported}};
    for (const auto& v : versions)
        CHECK(ClassifyWindowsVersion(v.major, v.minor) == v.kind);
    struct {
        bool typeKnown;
        DWORD type, probeError;
        Firmware firmware;
    } firmwares[] = {{true, 1, 0, Firmware::Bios},
                     {true, 2, ERROR_INVALID_FUNCTION, Firmware::Uefi},
                     {false, 0, ERROR_INVALID_FUNCTION, Firmware::Bios},
                     {false, 0, ERROR_NOACCESS, Firmware::Uefi},
                     {false, 0, ERROR_SUCCESS, Firmware::Uefi},
                     {true, 0, ERROR_INVALID_FUNCTION, Firmware::Bios}};
    for (const auto& f : firmwares)
        CHECK(DecideFirmware(f.typeKnown, f.type, f.probeError) == f.firmware);
    for (DWORD code : {0x80041002u, 0x80070002u, 0x80070490u, 0xC0000034u, 0xD0000034u, 0xD0000225u})
        CHECK(IsNotFound(static_cast<HRESULT>(code)));
    for (DWORD code : {0x00000000u, 0x80041001u, 0x80070005u, 0x80004005u})
        CHECK_FALSE(IsNotFound(static_cast<HRESULT>(code)));
}

TEST_CASE("names and paths: slides, the package folder, the uninstaller's temporary copy") {
    for (const wchar_t* name : {L"B.JPG", L"a.jpeg", L"a.jpg.bak"})
        CHECK(IsSlideFileName(name));
    CHECK_FALSE(IsSlideFileName(L"c.png"));
    CHECK(PackageDirOf(L"D:\\pkg\\Setup.exe") == L"D:\\pkg");
    CHECK(PackageDirOf(L"E:\\Setup.exe") == L"E:");
    const std::wstring temp = L"C:\\Temp\\";
    CHECK(IsTemporaryCopy(L"C:\\temp\\ZentaUninstall.0a1b\\Del_ZentaUninstall.exe", temp));
    for (const wchar_t* other :
         {L"C:\\Temp\\Del_ZentaUninstall.exe", L"C:\\Temp\\ZentaUninstall.\\Del_ZentaUninstall.exe",
          L"C:\\Temp\\ZentaUninstall.1\\x\\Del_ZentaUninstall.exe", L"D:\\zentaos\\Uninstall.exe",
          L"C:\\Temp\\Other.1\\Del_ZentaUninstall.exe"})
        CHECK_FALSE(IsTemporaryCopy(other, temp));
}
