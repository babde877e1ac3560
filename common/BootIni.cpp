#include "common/BootIni.h"

#include "common/Log.h"
#include "common/ScopedWin.h"
#include "common/SystemHelpers.h"
#include "common/Text.h"
#include "common/UserTexts.h"

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

// The first change keeps the original as it was before we ever touched it; later changes
// leave that copy alone. Whatever else holds the name (a folder, a link) refuses the change:
// the original would have no copy.
bool KeepBackup(const std::wstring& path, BootIniResult& result) {
    std::wstring backup = BootIniBackupPath(path);
    if (!zenta::FitsPath(backup))
        return false;
    BY_HANDLE_FILE_INFORMATION info = {};
    if (ReadFileInfo(backup, info)) {
        if (!(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
            return true;
        result.status = BootIniStatus::BackupNotFile;
        SetLastError(ERROR_SUCCESS);
        return false;
    }
    DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
        return false;
    // Never over anything that appeared meanwhile.
    result.backupWritten = CopyFileW(path.c_str(), backup.c_str(), TRUE) != 0;
    return result.backupWritten;
}

// The edited text in a new file beside `path`, under a name nobody can know beforehand.
bool WritePending(const std::wstring& path, const std::string& content, std::wstring& pending) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        GUID guid;
        if (CoCreateGuid(&guid) != S_OK)
            return false;
        pending = path + zenta::FormatText(L".zenta.%08lx%04x.new", guid.Data1, guid.Data2);
        if (!zenta::FitsPath(pending))
            return false;
        zenta::ScopedHandle file(CreateFileW(pending.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            if (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS)
                continue;
            return false;
        }
        if (WriteWholeFile(file.Get(), content))
            return true;
        DWORD error = GetLastError();
        file.Reset();
        DeleteFileW(pending.c_str());
        SetLastError(error);
        return false;
    }
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

const wchar_t* StatusName(BootIniStatus status) {
    static const wchar_t* const kNames[] = {
        L"unchanged",      L"changed",        L"missing",           L"cannot be opened",
        L"cannot be read", L"not plain text", L"cannot be written", L"backup name holds no plain file"};
    return kNames[static_cast<int>(status)];
}

// An edit with what it needs besides the file's content.
class Editor {
  public:
    explicit Editor(BootIniEdit edit = nullptr) : edit_(edit) {}
    virtual ~Editor() = default;
    virtual bool Edit(const std::string& content, char drive, std::string& edited,
                      BootIniChange& change) const {
        return edit_ && edit_(content, drive, edited, change);
    }

  private:
    BootIniEdit edit_;
};

// Takes out the entry, and gives back the timeout line recorded at the installation while
// the timeout is still the one the add set.
class RemoveAndRestore : public Editor {
  public:
    explicit RemoveAndRestore(const std::string* timeoutLine) : timeoutLine_(timeoutLine) {}
    bool Edit(const std::string& content, char drive, std::string& edited,
              BootIniChange& change) const override {
        bool removed = RemoveBootIniText(content, drive, edited, change);
        std::string restored;
        if (!timeoutLine_)
            return removed;
        if (const char* fault = timeoutLine_->empty() ? nullptr : BootIniTimeoutLineFault(*timeoutLine_)) {
            Log(L"boot.ini: the recorded timeout line is not written back: %hs", fault);
            return removed;
        }
        if (!RestoreBootIniTimeout(removed ? edited : content, *timeoutLine_, restored))
            return removed;
        const std::string& line = *timeoutLine_;
        change.timeoutBefore = 10;
        change.timeoutAfter = line.empty() ? -1 : ParseBootIniTimeout(line.substr(line.find('=') + 1));
        edited.swap(restored);
        return true;
    }

  private:
    const std::string* timeoutLine_;
};

BootIniResult EditFile(const std::wstring& path, const Editor& editor, char drive);

BootIniResult Edit(const wchar_t* action, const wchar_t* targetPath, const Editor& editor) {
    std::wstring path = BootIniPath();
    BootIniResult result = EditFile(path, editor, DriveOf(targetPath));
    const BootIniChange& c = result.change;
    Log(L"boot.ini %ls %ls: %ls%ls; %d line(s) added, %d removed; timeout %ld -> %ld%ls", action,
        path.c_str(), StatusName(result.status),
        result.error ? (L", " + ErrorText(result.error)).c_str() : L"", c.linesAdded, c.linesRemoved,
        c.timeoutBefore, c.timeoutAfter, result.backupWritten ? L"; backup written" : L"");
    return result;
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

const wchar_t* BootIniStatusText(BootIniStatus status) {
    switch (status) {
    case BootIniStatus::Missing:
        return kBootIniMissingText;
    case BootIniStatus::OpenFailed:
        return kBootIniOpenText;
    case BootIniStatus::ReadFailed:
        return kBootIniReadText;
    case BootIniStatus::NotText:
        return kBootIniNotTextText;
    case BootIniStatus::WriteFailed:
        return kBootIniWriteText;
    case BootIniStatus::BackupNotFile:
        return kBootIniBackupText;
    default:
        return nullptr;
    }
}

BootIniResult EditBootIniFile(const std::wstring& path, BootIniEdit edit, char drive) {
    return EditFile(path, Editor(edit), drive);
}

namespace {

BootIniResult EditFile(const std::wstring& path, const Editor& editor, char drive) {
    BootIniResult result;
    DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        result.error = GetLastError();
        return result;
    }
    std::string content;
    {
        zenta::ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        result.status = BootIniStatus::OpenFailed;
        if (!file) {
            result.error = GetLastError();
            return result;
        }
        result.status = BootIniStatus::ReadFailed;
        if (!ReadWholeFile(file.Get(), content)) {
            result.error = GetLastError();
            return result;
        }
    }
    result.status = BootIniStatus::NotText;
    if (!IsPlainBootIniText(content)) {
        result.content.swap(content);
        return result;
    }

    std::string edited;
    try {
        if (!editor.Edit(content, drive, edited, result.change)) {
            result.status = BootIniStatus::Unchanged;
            result.content.swap(content);
            return result;
        }
    } catch (const std::bad_alloc&) {
        result.status = BootIniStatus::WriteFailed;
        result.error = ERROR_NOT_ENOUGH_MEMORY;
        return result;
    }

    std::wstring pending;
    result.status = BootIniStatus::WriteFailed;
    if (!KeepBackup(path, result) || !WritePending(path, edited, pending) ||
        !ReplaceWithPending(path, pending, attributes)) {
        result.error = GetLastError();
        return result;
    }
    result.status = BootIniStatus::Changed;
    result.content.swap(edited);
    return result;
}

} // namespace

BootIniResult AddBootIniEntry(const wchar_t* targetPath) {
    BootIniResult result = Edit(L"add", targetPath, Editor(AddBootIniText));
    result.done = (result.status == BootIniStatus::Changed || result.status == BootIniStatus::Unchanged) &&
                  HasBootIniEntry(result.content, DriveOf(targetPath));
    return result;
}

BootIniResult RemoveBootIniEntry(const wchar_t* targetPath, const std::string* timeoutLine) {
    BootIniResult result = Edit(L"remove", targetPath, RemoveAndRestore(timeoutLine));
    const char drive = DriveOf(targetPath);
    switch (result.status) {
    case BootIniStatus::Missing: // no boot.ini, so no entry of ours either
        result.done = true;
        break;
    case BootIniStatus::Changed:
    case BootIniStatus::Unchanged:
        result.done = !HasBootIniEntry(result.content, drive);
        break;
    case BootIniStatus::NotText:
        result.done = !MayHoldBootIniEntry(result.content, drive);
        break;
    default:
        break;
    }
    return result;
}

bool BootIniTimeoutBeforeAdd(const wchar_t* targetPath, std::string& line) {
    BootIniResult read = EditFile(BootIniPath(), Editor(), DriveOf(targetPath)); // reads, changes nothing
    std::string edited;
    BootIniChange change;
    if (read.status != BootIniStatus::Unchanged ||
        !AddBootIniText(read.content, DriveOf(targetPath), edited, change) ||
        change.timeoutAfter == change.timeoutBefore)
        return false;
    if (!BootIniTimeoutLine(read.content, line))
        line.clear();
    return true;
}
