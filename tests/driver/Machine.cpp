#include "tests/driver/Driver.h"

#include "common/ScopedWin.h"

namespace driver {

namespace {

zenta::ScopedRegKey OpenForReading(HKEY root, const std::wstring& subKey) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        key = nullptr;
    return zenta::ScopedRegKey(key);
}

} // namespace

bool SetWindowsVersion(const std::wstring& exeName, const std::wstring& version) {
    std::wstring subKey = L"Software\\Wine\\AppDefaults\\" + exeName;
    HKEY created = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, subKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &created,
                        nullptr) != ERROR_SUCCESS)
        return false;
    zenta::ScopedRegKey key(created);
    LONG result =
        RegSetValueExW(key.Get(), L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                       static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t)));
    return result == ERROR_SUCCESS;
}

bool RegistryKeyExists(HKEY root, const std::wstring& subKey) {
    return OpenForReading(root, subKey).Valid();
}

bool ReadRegistryDword(HKEY root, const std::wstring& subKey, const std::wstring& name, DWORD& value) {
    zenta::ScopedRegKey key = OpenForReading(root, subKey);
    DWORD type = 0, data = 0, size = sizeof data;
    if (!key.Get() || RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS)
        return false;
    if (type != REG_DWORD || size != sizeof data)
        return false;
    value = data;
    return true;
}

bool ReadRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& name,
                        std::wstring& value) {
    zenta::ScopedRegKey key = OpenForReading(root, subKey);
    DWORD type = 0, size = 0;
    if (!key.Get() ||
        RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return false;
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size) !=
        ERROR_SUCCESS)
        return false;
    data.resize(size / sizeof(wchar_t));
    while (!data.empty() && data.back() == L'\0')
        data.pop_back();
    value = data;
    return true;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    zenta::ScopedHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid())
        return false;
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(bytes.size() - done > (1u << 20) ? (1u << 20) : bytes.size() - done);
        DWORD written = 0;
        if (!WriteFile(file.Get(), bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

bool ReadFileBytes(const std::wstring& path, std::string& bytes) {
    zenta::ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid())
        return false;
    std::string data;
    char buffer[65536];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr))
            return false;
        if (read == 0)
            break;
        data.append(buffer, read);
    }
    bytes.swap(data);
    return true;
}

bool MakeSparseFile(const std::wstring& path, unsigned long long size) {
    zenta::ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid())
        return false;
    // Marking it sparse may fail on some file systems; the length below is what counts.
    DWORD returned = 0;
    DeviceIoControl(file.Get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    return SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.Get());
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MakeDirectories(const std::wstring& path) {
    if (path.empty())
        return false;
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    size_t slash = path.find_last_of(L'\\');
    if (slash != std::wstring::npos && slash > 0 && !(slash == 2 && path[1] == L':' && path.size() == 3)) {
        std::wstring parent = path.substr(0, slash);
        if (!(parent.size() == 2 && parent[1] == L':') && !MakeDirectories(parent))
            return false;
    }
    return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool CopyTree(const std::wstring& from, const std::wstring& to) {
    if (!MakeDirectories(to))
        return false;
    WIN32_FIND_DATAW data;
    zenta::ScopedFindHandle find(FindFirstFileW((from + L"\\*").c_str(), &data));
    if (!find)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    bool ok = true;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        std::wstring source = from + L"\\" + name, target = to + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = CopyTree(source, target) && ok;
        else
            ok = CopyFileW(source.c_str(), target.c_str(), FALSE) && ok;
    } while (FindNextFileW(find.Get(), &data));
    return ok;
}

std::wstring BuildPath(const std::wstring& relative) {
    return L"Y:\\" + relative;
}

} // namespace driver
