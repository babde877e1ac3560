// Whether the computer can start Zenta LUM from the target: the volume's facts judged as a
// table, BitLocker asked through the fake provider, and the files the loader reads.
#include <doctest/doctest.h>

#include "common/ScopedWin.h"
#include "setup/LoaderFiles.h"
#include "setup/VolumeFacts.h"
#include "tests/driver/Driver.h"
#include "tests/fakebcd/FakeBcd.h"

#include <winioctl.h>
#include <functional>
#include <vector>

namespace {

// A volume nothing stands against: no BitLocker on this Windows, one extent on a basic SATA disk.
VolumeFacts Plain() {
    VolumeFacts f;
    f.letter = L'D';
    f.bitLocker.provider = static_cast<HRESULT>(0x8004100E);
    f.extentsError = f.layoutError = f.busError = ERROR_SUCCESS;
    f.extents = 1;
    f.busType = 0xB;
    return f;
}

// BitLocker's provider answered every step: a decrypted volume.
void Listed(VolumeFacts& f) {
    f.bitLocker = {S_OK, S_OK, true, S_OK, true, S_OK, 0, 0};
}

// The findings' kinds ("R" refuse, "A" ask) in order, each text naming the drive and holding `word`.
std::string Kinds(const VolumeFacts& facts, const wchar_t* word) {
    std::string kinds;
    for (const VolumeFinding& finding : JudgeVolume(facts)) {
        kinds += finding.kind == Readiness::Refuse ? "R" : "A";
        CHECK(finding.text.find(L"目标驱动器 D:") != std::wstring::npos);
        CHECK(finding.text.find(word) != std::wstring::npos);
    }
    return kinds;
}

} // namespace

TEST_CASE("a target volume: each fact alone refuses it, asks about it, or lets it pass") {
    struct Case {
        const char* name;
        std::function<void(VolumeFacts&)> change;
        const char* kinds;
        const wchar_t* word;
    } cases[] = {
        {"plain", [](VolumeFacts&) {}, "", L""},
        {"BitLocker: listed and decrypted", Listed, "", L""},
        {"BitLocker: encrypted", [](VolumeFacts& f) { Listed(f), f.bitLocker.conversionStatus = 1; }, "R",
         L"BitLocker"},
        {"BitLocker: decryption paused", [](VolumeFacts& f) { Listed(f), f.bitLocker.conversionStatus = 5; },
         "R", L"先在控制面板"},
        {"BitLocker: a persistent volume id",
         [](VolumeFacts& f) { Listed(f), f.bitLocker.volumeIdEmpty = false; }, "R", L"BitLocker"},
        {"BitLocker: id set, status unknown",
         [](VolumeFacts& f) {
             Listed(f), f.bitLocker.volumeIdEmpty = false, f.bitLocker.conversion = 0x80310000;
         },
         "R", L"BitLocker"},
        {"BitLocker: provider refused",
         [](VolumeFacts& f) { f.bitLocker.provider = static_cast<HRESULT>(0x80041003); }, "A", L"0x80041003"},
        {"BitLocker: lookup failed",
         [](VolumeFacts& f) { Listed(f), f.bitLocker.lookup = static_cast<HRESULT>(0x80041069); }, "A",
         L"0x80041069"},
        {"BitLocker: not listed", [](VolumeFacts& f) { Listed(f), f.bitLocker.listed = false; }, "A",
         L"没有列出"},
        {"BitLocker: id unread", [](VolumeFacts& f) { Listed(f), f.bitLocker.volumeId = E_FAIL; }, "A",
         L"0x80004005"},
        {"BitLocker: status unknown", [](VolumeFacts& f) { Listed(f), f.bitLocker.conversion = 0x80310000; },
         "A", L"0x80310000"},
        {"two extents", [](VolumeFacts& f) { f.extents = 2; }, "R", L"跨越多块磁盘"},
        {"no extent", [](VolumeFacts& f) { f.extents = 0; }, "A", L"哪一块磁盘"},
        {"extents unknown", [](VolumeFacts& f) { f.extentsError = ERROR_INVALID_FUNCTION; }, "A",
         L"错误代码 1）"},
        {"layout unknown", [](VolumeFacts& f) { f.layoutError = ERROR_NOT_SUPPORTED; }, "A",
         L"错误代码 50）"},
        {"dynamic disk", [](VolumeFacts& f) { f.dynamicDisk = true; }, "R", L"动态磁盘"},
        {"bus unknown", [](VolumeFacts& f) { f.busError = ERROR_ACCESS_DENIED; }, "A", L"错误代码 5）"},
        {"USB", [](VolumeFacts& f) { f.busType = 7; }, "A", L"USB 磁盘"},
        {"RAID", [](VolumeFacts& f) { f.busType = 8; }, "A", L"RAID"},
        {"virtual", [](VolumeFacts& f) { f.busType = 0xE; }, "A", L"虚拟磁盘"},
        {"file-backed virtual", [](VolumeFacts& f) { f.busType = 0xF; }, "A", L"虚拟磁盘"},
        {"storage spaces", [](VolumeFacts& f) { f.busType = 0x10; }, "A", L"虚拟磁盘"},
        {"SAS", [](VolumeFacts& f) { f.busType = 0xA; }, "", L""},
        {"refusals come before questions",
         [](VolumeFacts& f) { f.bitLocker.provider = E_FAIL, f.extents = 3; }, "RA", L""},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        VolumeFacts facts = Plain();
        c.change(facts);
        CHECK(Kinds(facts, c.word) == c.kinds);
    }
}

TEST_CASE("a dynamic disk by its partition types, MBR and GPT") {
    const GUID basic = {0xEBD0A0A2, 0xB9E5, 0x4433, {0x87, 0xC0, 0x68, 0xB6, 0xB7, 0x26, 0x99, 0xC7}};
    const GUID ldmData = {0xAF9B60A0, 0x1431, 0x4F62, {0xBC, 0x68, 0x33, 0x11, 0x71, 0x4A, 0x69, 0xAD}};
    const GUID ldmMetadata = {0x5808C8AA, 0x7E8F, 0x42E0, {0x85, 0xD2, 0xE1, 0xE9, 0x04, 0x34, 0xCF, 0xB3}};
    struct Case {
        PARTITION_STYLE style;
        BYTE mbrType;
        GUID gptType;
        bool dynamic;
    } cases[] = {{PARTITION_STYLE_MBR, 0x07, {}, false},
                 {PARTITION_STYLE_MBR, 0x42, {}, true},
                 {PARTITION_STYLE_GPT, 0, basic, false},
                 {PARTITION_STYLE_GPT, 0, ldmData, true},
                 {PARTITION_STYLE_GPT, 0, ldmMetadata, true}};
    for (const Case& c : cases) {
        std::vector<BYTE> buffer(sizeof(DRIVE_LAYOUT_INFORMATION_EX) + sizeof(PARTITION_INFORMATION_EX));
        auto* layout = reinterpret_cast<DRIVE_LAYOUT_INFORMATION_EX*>(buffer.data());
        layout->PartitionCount = 2; // the second entry is the one that counts
        layout->PartitionEntry[0].PartitionStyle = layout->PartitionEntry[1].PartitionStyle = c.style;
        layout->PartitionEntry[0].Mbr.PartitionType = 0x07;
        layout->PartitionEntry[1].Mbr.PartitionType = c.mbrType;
        if (c.style == PARTITION_STYLE_GPT)
            layout->PartitionEntry[0].Gpt.PartitionType = basic,
            layout->PartitionEntry[1].Gpt.PartitionType = c.gptType;
        CHECK(HasLdmPartition(buffer.data(), static_cast<DWORD>(buffer.size())) == c.dynamic);
        CHECK_FALSE(HasLdmPartition(buffer.data(),
                                    static_cast<DWORD>(buffer.size() - sizeof(PARTITION_INFORMATION_EX))));
    }
}

TEST_CASE("BitLocker through the provider, as Windows answers with packet privacy asked for") {
    struct Case {
        const char* name;
        bool bitLocker;
        std::vector<fakebcd::EncryptableVolume> volumes;
        std::vector<std::wstring> failures;
        const char* kinds;
    } cases[] = {
        {"no namespace: no BitLocker on this Windows", false, {}, {}, ""},
        {"decrypted", true, {{L"D:", 0, L""}, {L"E:", 1, L"{x}"}}, {}, ""},
        {"encrypted", true, {{L"D:", 1, L"{5be3f3d1-7e2a-4c39-9a7d-1b2c3d4e5f60}"}}, {}, "R"},
        {"encryption in progress, no id yet", true, {{L"D:", 2, L""}}, {}, "R"},
        {"decrypted, but BitLocker's id is there", true, {{L"D:", 0, L"{x}"}}, {}, "R"},
        {"not listed", true, {{L"E:", 0, L""}}, {}, "A"},
        {"the lookup fails", true, {{L"D:", 1, L"{x}"}}, {L"ExecQuery"}, "A"},
        {"the volume is locked", true, {{L"D:", 0, L""}}, {L"GetConversionStatus"}, "A"},
    };
    zenta::ScopedCoInit com;
    fakebcd::InProcess provider;
    for (const Case& c : cases) {
        CAPTURE(c.name);
        fakebcd::Store store = fakebcd::FreshStore();
        store.bitLocker = c.bitLocker;
        store.volumes = c.volumes;
        store.failures = c.failures;
        REQUIRE(fakebcd::SaveStore(store));
        VolumeFacts facts = Plain();
        facts.bitLocker = QueryBitLocker(L'D');
        CHECK(Kinds(facts, L"BitLocker") == c.kinds);
    }
}

TEST_CASE("the files the loader reads: plain, or refused; images in more than one piece are named") {
    struct Case {
        DWORD attributes, extents;
        LoaderFileState state;
    } cases[] = {
        {FILE_ATTRIBUTE_ARCHIVE, 0, LoaderFileState::Fine},
        {FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, 1, LoaderFileState::Fine},
        {FILE_ATTRIBUTE_ARCHIVE, 2, LoaderFileState::Fragmented},
        {FILE_ATTRIBUTE_COMPRESSED, 1, LoaderFileState::Unreadable},
        {FILE_ATTRIBUTE_ENCRYPTED, 1, LoaderFileState::Unreadable},
        {FILE_ATTRIBUTE_SPARSE_FILE, 1, LoaderFileState::Unreadable},
        {FILE_ATTRIBUTE_SPARSE_FILE, 9, LoaderFileState::Unreadable},
    };
    for (const Case& c : cases) {
        CAPTURE(c.attributes);
        CHECK(JudgeLoaderFile(c.attributes, c.extents) == c.state);
    }
    CHECK(UnreadableText(L"D:\\zeldr", FILE_ATTRIBUTE_COMPRESSED | FILE_ATTRIBUTE_SPARSE_FILE)
              .find(L"“D:\\zeldr”是压缩、稀疏文件") != std::wstring::npos);

    // A new file made plain and given its size first holds exactly its data afterwards.
    const std::wstring path = L"D:\\reserved.img";
    zenta::ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    REQUIRE(file);
    CHECK(MakeUncompressed(file.Get(), path) == ERROR_SUCCESS);
    CHECK(ReserveFinalSize(file.Get(), path, 3 << 20) == ERROR_SUCCESS);
    std::vector<char> data(3 << 20, 'z');
    DWORD written = 0, extents = 0;
    REQUIRE(WriteFile(file.Get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr));
    LARGE_INTEGER size = {};
    CHECK((GetFileSizeEx(file.Get(), &size) && size.QuadPart == 3 << 20));
    CHECK(CountExtents(file.Get(), path, extents) == ERROR_SUCCESS);
    CHECK(extents >= 1);
    file.Reset();
    CHECK(MakeUnencrypted(path) == ERROR_SUCCESS);
    DeleteFileW(path.c_str());
}
