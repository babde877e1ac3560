#include "common/BootIni.h"

#include "common/ScopedWin.h"
#include "common/Text.h"

#include <algorithm>
#include <new>

namespace {

const DWORD kReplaceBlockingAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// The drive letter of an installation path; 0 (never a letter) when there is none.
char DriveOf(const wchar_t* targetPath) {
    if (!targetPath || !IsDriveLetter(targetPath[0]))
        return 0;
    return static_cast<char>(targetPath[0]);
}

bool ReadWholeFile(HANDLE file, std::string& content) {
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file, &size) || size.HighPart != 0 || size.LowPart > 0x7FFFFFFF)
        return false;
    try {
        content.assign(size.LowPart, '\0');
    } catch (const std::bad_alloc&) {
        return false;
    }
    DWORD done = 0;
    while (done < size.LowPart) {
        DWORD got = 0;
        if (!ReadFile(file, &content[done], size.LowPart - done, &got, nullptr) || got == 0)
            return false;
        done += got;
    }
    return true;
}

bool WriteWholeFile(HANDLE file, const std::string& content) {
    size_t done = 0;
    while (done < content.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(content.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, content.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return FlushFileBuffers(file) != 0;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The first change keeps the original as it was before we ever touched it; later changes
// leave that copy alone.
bool KeepBackup(const std::wstring& path) {
    std::wstring backup = BootIniBackupPath(path);
    if (!zenta::FitsPath(backup))
        return false;
    if (Exists(backup))
        return true;
    return CopyFileW(path.c_str(), backup.c_str(), TRUE) != 0;
}

bool WritePending(const std::wstring& pending, const std::string& content) {
    if (Exists(pending)) { // left behind by an interrupted run
        SetFileAttributesW(pending.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(pending.c_str());
    }
    zenta::ScopedHandle file(
        CreateFileW(pending.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    if (WriteWholeFile(file.Get(), content))
        return true;
    file.Reset();
    DeleteFileW(pending.c_str());
    return false;
}

// Swaps the complete new file in. A read-only, hidden or system target refuses to be
// replaced, so those bits are lifted for the move and the original attributes put back.
bool ReplaceWithPending(const std::wstring& path, const std::wstring& pending, DWORD attributes) {
    if (attributes & kReplaceBlockingAttributes) {
        DWORD plain = attributes & ~kReplaceBlockingAttributes;
        SetFileAttributesW(path.c_str(), plain ? plain : FILE_ATTRIBUTE_NORMAL);
    }
    bool moved =
        MoveFileExW(pending.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!moved)
        DeleteFileW(pending.c_str());
    SetFileAttributesW(path.c_str(), attributes);
    return moved;
}

void Tell(BootIniStatus status) {
    if (const wchar_t* text = BootIniStatusText(status))
        MessageBoxW(nullptr, text, L"警告", MB_OK);
}

} // namespace

std::wstring BootIniPath() {
    wchar_t system[MAX_PATH] = {};
    if (GetSystemDirectoryW(system, MAX_PATH) == 0)
        return std::wstring();
    return std::wstring(1, system[0]) + L":\\boot.ini";
}

std::wstring BootIniBackupPath(const std::wstring& path) {
    return path + L".zenta.bak";
}
std::wstring BootIniPendingPath(const std::wstring& path) {
    return path + L".zenta.new";
}

const wchar_t* BootIniStatusText(BootIniStatus status) {
    switch (status) {
    case BootIniStatus::Missing:
        return L"boot.ini 不存在";
    case BootIniStatus::OpenFailed:
        return L"boot.ini 打开出错";
    case BootIniStatus::ReadFailed:
        return L"boot.ini 读取出错";
    case BootIniStatus::WriteFailed:
        return L"boot.ini 写入出错";
    default:
        return nullptr;
    }
}

BootIniStatus EditBootIniFile(const std::wstring& path, BootIniEdit edit, char drive, std::string* result) {
    DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return BootIniStatus::Missing;

    std::string content;
    {
        zenta::ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            return BootIniStatus::OpenFailed;
        if (!ReadWholeFile(file.Get(), content))
            return BootIniStatus::ReadFailed;
    }

    std::string edited;
    try {
        if (!edit(content, drive, edited)) {
            if (result)
                result->swap(content);
            return BootIniStatus::Unchanged;
        }
    } catch (const std::bad_alloc&) {
        return BootIniStatus::WriteFailed;
    }

    std::wstring pending = BootIniPendingPath(path);
    if (!zenta::FitsPath(pending) || !KeepBackup(path) || !WritePending(pending, edited) ||
        !ReplaceWithPending(path, pending, attributes))
        return BootIniStatus::WriteFailed;
    if (result)
        result->swap(edited);
    return BootIniStatus::Changed;
}

bool AddBootIniEntry(const wchar_t* targetPath) {
    char drive = DriveOf(targetPath);
    if (!drive)
        return false;
    BootIniStatus status = EditBootIniFile(BootIniPath(), AddBootIniText, drive, nullptr);
    Tell(status);
    return status == BootIniStatus::Changed || status == BootIniStatus::Unchanged;
}

bool RemoveBootIniEntry(const wchar_t* targetPath) {
    char drive = DriveOf(targetPath);
    std::string after;
    BootIniStatus status = EditBootIniFile(BootIniPath(), RemoveBootIniText, drive, &after);
    Tell(status);
    if (status == BootIniStatus::Missing)
        return true; // no boot.ini, so no entry of ours either
    return (status == BootIniStatus::Changed || status == BootIniStatus::Unchanged) &&
           !HasBootIniEntry(after, drive);
}
