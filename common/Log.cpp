#include "common/Log.h"

#include "common/ScopedWin.h"
#include "common/SystemHelpers.h"
#include "common/Text.h"

#include <cstdarg>

namespace {

constexpr LONGLONG kLogCap = 1 << 20;

class CRunLog {
  public:
    void Open(const wchar_t* fileName) {
        zenta::ScopedLock hold(lock_);
        std::wstring temp = TempDirectory();
        if (temp.empty())
            return;
        path_ = temp + fileName;
        linesWritten_ = false;
        OpenFile();
    }

    void Write(const std::wstring& text) {
        zenta::ScopedLock hold(lock_);
        if (!file_)
            return;
        SYSTEMTIME now;
        GetLocalTime(&now);
        std::wstring line =
            zenta::FormatText(L"%04u-%02u-%02u %02u:%02u:%02u.%03u %ls\r\n", now.wYear, now.wMonth, now.wDay,
                              now.wHour, now.wMinute, now.wSecond, now.wMilliseconds, text.c_str());
        DWORD bytes = static_cast<DWORD>(line.size() * sizeof(wchar_t));
        if (size_ + bytes > kLogCap) {
            file_.Reset();
            Rotate();
            if (!OpenFile())
                return;
        }
        DWORD written = 0;
        if (WriteFile(file_.Get(), line.data(), bytes, &written, nullptr) && written == bytes) {
            size_ += written;
            linesWritten_ = true;
        } else
            file_.Reset(); // a disk that refuses one line refuses the next as well
    }

    std::wstring Path() {
        zenta::ScopedLock hold(lock_);
        return path_;
    }

    // Every line so far reached the file: it is open, took a line, and refused none.
    bool HoldsRun() {
        zenta::ScopedLock hold(lock_);
        return file_.Valid() && linesWritten_;
    }

  private:
    // Both stages of the uninstaller may have the file open for a moment: appends are shared.
    // The program runs elevated in a folder its user can write to: a link planted under the
    // log's name or anywhere on the way to it must not lead its writes anywhere else, so
    // links are opened as themselves and refused, and so is a file with a second name or one
    // that is not where we meant it to be. A file there already is looked at before anything
    // is made; a file we made and then refuse is deleted again through its handle, so that
    // nothing is left where a link led.
    bool OpenFile() {
        if (PathThroughLink(path_))
            return false; // nothing is made where a link leads
        for (int attempt = 0; attempt < 3; ++attempt) {
            bool made = false;
            if (!OpenChecked(made)) {
                const bool taken = !file_ && GetLastError() == ERROR_FILE_EXISTS;
                if (made)
                    DeleteThroughHandle(file_.Get());
                file_.Reset();
                if (!taken)
                    return false;
                continue; // made by someone else between the two opens: look at it again
            }
            if (size_ < kLogCap)
                break;
            file_.Reset();
            if (attempt == 2 || !Rotate())
                return false;
        }
        if (!file_)
            return false;
        if (size_ == 0) {
            const wchar_t bom = 0xFEFF;
            DWORD written = 0;
            WriteFile(file_.Get(), &bom, sizeof bom, &written, nullptr);
            size_ = written;
        }
        return true;
    }

    // Opens the file that is there, or makes a new one (`made`), and checks it; false (with
    // file_ still open when it was made) when it may not be written.
    bool OpenChecked(bool& made) {
        const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE,
                    flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
        file_.Reset(CreateFileW(path_.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, share, nullptr,
                                OPEN_EXISTING, flags, nullptr));
        if (!file_) {
            if (GetLastError() != ERROR_FILE_NOT_FOUND)
                return false;
            file_.Reset(CreateFileW(path_.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | DELETE,
                                    share | FILE_SHARE_DELETE, nullptr, CREATE_NEW, flags, nullptr));
            made = file_.Valid();
            if (!made)
                return false;
        }
        BY_HANDLE_FILE_INFORMATION info = {};
        if (!GetFileInformationByHandle(file_.Get(), &info) || info.nNumberOfLinks != 1 ||
            (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ||
            !OpenedWhereMeant(file_.Get(), path_))
            return false;
        size_ = (static_cast<LONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        if (!made)
            return true;
        // The handle that may delete it keeps others from reading it: the file checked is
        // opened again without that right, and the handle is kept only when it is the same file.
        zenta::ScopedHandle plain(CreateFileW(path_.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                                              share | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, flags,
                                              nullptr));
        BY_HANDLE_FILE_INFORMATION again = {};
        if (!plain || !GetFileInformationByHandle(plain.Get(), &again) ||
            again.dwVolumeSerialNumber != info.dwVolumeSerialNumber ||
            again.nFileIndexHigh != info.nFileIndexHigh || again.nFileIndexLow != info.nFileIndexLow)
            return false;
        file_ = std::move(plain);
        return true;
    }

    // Renaming replaces a planted .old link itself, never what it points to.
    bool Rotate() {
        return MoveFileExW(path_.c_str(), (path_ + L".old").c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    }

    zenta::CriticalSection lock_;
    std::wstring path_;
    zenta::ScopedHandle file_;
    LONGLONG size_ = 0;
    bool linesWritten_ = false;
};

CRunLog& RunLog() {
    static CRunLog log;
    return log;
}

} // namespace

void OpenLog(const wchar_t* fileName) {
    RunLog().Open(fileName);
}

void Log(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring text = zenta::FormatTextV(format, args);
    va_end(args);
    RunLog().Write(text);
}

std::wstring LogPath() {
    return RunLog().Path();
}

bool LogHoldsRun() {
    return RunLog().HoldsRun();
}

std::wstring ErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    zenta::ScopedLocal owner(buffer);
    std::wstring text = length ? std::wstring(buffer, length) : std::wstring();
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    std::wstring code = error > 0xFFFF ? zenta::FormatText(L"0x%08lX", static_cast<unsigned long>(error))
                                       : zenta::FormatText(L"%lu", static_cast<unsigned long>(error));
    return text.empty() ? code : code + L" (" + text + L")";
}
