// Win32 implementation of the platform layer: files, directories, host information and
// the registry.
#include "host/host.h"
#include "host/host_win32.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <direct.h>
#include <filesystem>
#include <io.h>
#include <lmcons.h>

namespace {

void Fail(DWORD error)
{
    errno = HostErrnoOf(error);
    SetLastError(error);
}

bool EndsWithNoCase(const std::string& text, const char* suffix)
{
    const std::size_t length = std::strlen(suffix);
    if (text.size() < length)
        return false;
    for (std::size_t i = 0; i < length; ++i) {
        if (std::tolower(static_cast<unsigned char>(text[text.size() - length + i])) != suffix[i])
            return false;
    }
    return true;
}

// The permission bits the C runtime reports: everyone may read; writing follows the
// read-only attribute; directories and programs by their suffix may be run.
unsigned Permissions(const std::string& path, DWORD attributes)
{
    unsigned owner = 04;
    if (!(attributes & FILE_ATTRIBUTE_READONLY))
        owner |= 02;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) || EndsWithNoCase(path, ".exe") || EndsWithNoCase(path, ".com") ||
        EndsWithNoCase(path, ".bat") || EndsWithNoCase(path, ".cmd"))
        owner |= 01;
    return owner << 6 | owner << 3 | owner;
}

// A stable number for a name whose file cannot be opened: its full path, ignoring case.
unsigned long long PathIdentity(const std::string& path)
{
    char full[MAX_PATH * 4];
    const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    std::string text = length > 0 && length < sizeof full ? std::string(full, length) : path;
    unsigned long long hash = 1469598103934665603ULL;
    for (char c : text) {
        hash ^= static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c)));
        hash *= 1099511628211ULL;
    }
    return hash;
}

bool Status(std::string_view name, HostFileStatus& status, bool followLinks)
{
    const std::string path = HostPath(name);
    status = HostFileStatus{};
    DWORD flags = FILE_FLAG_BACKUP_SEMANTICS;
    if (!followLinks)
        flags |= FILE_FLAG_OPEN_REPARSE_POINT;
    HANDLE file = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, flags, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        const DWORD type = GetFileType(file);
        if (type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE) {
            status.isCharDevice = type == FILE_TYPE_CHAR;
            status.isFifo = type == FILE_TYPE_PIPE;
            status.permissions = 0666;
            status.device = ~0ULL;
            status.inode = PathIdentity(path);
            CloseHandle(file);
            return true;
        }
        BY_HANDLE_FILE_INFORMATION information;
        const bool known = GetFileInformationByHandle(file, &information) != 0;
        const DWORD error = GetLastError();
        CloseHandle(file);
        if (known) {
            const DWORD attributes = information.dwFileAttributes;
            status.isDirectory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            status.isLink = !followLinks && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            status.isRegular = !status.isDirectory && !status.isLink;
            status.permissions = Permissions(path, attributes);
            status.modified = HostUnixTicks(information.ftLastWriteTime.dwHighDateTime,
                                            information.ftLastWriteTime.dwLowDateTime) /
                              10000000;
            status.device = information.dwVolumeSerialNumber;
            status.inode = static_cast<unsigned long long>(information.nFileIndexHigh) << 32 | information.nFileIndexLow;
            return true;
        }
        Fail(error);
    }
    // A file that cannot be opened (in use by the system, say) still has attributes.
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        Fail(GetLastError());
        return false;
    }
    status.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    status.isLink = !followLinks && (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    status.isRegular = !status.isDirectory && !status.isLink;
    status.permissions = Permissions(path, data.dwFileAttributes);
    status.modified = HostUnixTicks(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime) / 10000000;
    status.device = ~0ULL;
    status.inode = PathIdentity(path);
    return true;
}

} // namespace

bool HostStatus(std::string_view name, HostFileStatus& status)
{
    return Status(name, status, true);
}

bool HostLinkStatus(std::string_view name, HostFileStatus& status)
{
    return Status(name, status, false);
}

bool HostAccess(std::string_view name, int mode)
{
    const DWORD attributes = GetFileAttributesA(HostPath(name).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        Fail(GetLastError());
        return false;
    }
    // A read-only directory still takes new files; any file may be started as a program.
    if ((mode & HOST_WRITE) && (attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        errno = EACCES;
        return false;
    }
    if ((mode & HOST_EXECUTE) && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        errno = EACCES;
        return false;
    }
    return true;
}

bool HostMakeDirectory(std::string_view name, bool)
{
    // A directory made under the user's own temporary directory is private through the
    // rights it inherits from it.
    return _mkdir(HostPath(name).c_str()) == 0;
}

bool HostRemoveDirectory(std::string_view name)
{
    return _rmdir(HostPath(name).c_str()) == 0;
}

bool HostChangeDirectory(std::string_view name)
{
    if (SetCurrentDirectoryA(HostPath(name).c_str()))
        return true;
    Fail(GetLastError());
    return false;
}

std::optional<std::vector<std::string>> HostListDirectory(std::string_view name)
{
    std::string pattern = name.empty() ? std::string(".") : HostPath(name);
    if (pattern.back() != '\\' && pattern.back() != ':')
        pattern += '\\';
    pattern += '*';
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // An empty drive root has no entries at all, not even "." and "..".
        if (error != ERROR_FILE_NOT_FOUND) {
            Fail(error);
            return std::nullopt;
        }
        return std::vector<std::string>{".", ".."};
    }
    std::vector<std::string> entries;
    do {
        entries.emplace_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    // A drive root lists neither "." nor "..".
    for (std::size_t dots = 1; dots <= 2; ++dots) {
        if (std::find(entries.begin(), entries.end(), std::string(dots, '.')) == entries.end())
            entries.emplace_back(dots, '.');
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

bool HostSameFile(std::string_view first, std::string_view second)
{
    auto identity = [](std::string_view name, BY_HANDLE_FILE_INFORMATION& information) {
        HANDLE file = CreateFileA(HostPath(name).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        const bool known = GetFileInformationByHandle(file, &information) != 0;
        CloseHandle(file);
        return known;
    };
    BY_HANDLE_FILE_INFORMATION a, b;
    return identity(first, a) && identity(second, b) && a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

FILE* HostOpenFile(std::string_view name, const char* mode)
{
    return std::fopen(HostPath(name).c_str(), mode);
}

namespace {

// Removes what a directory holds, depth first, with fixed buffers only. A reparse point
// (a junction or a symbolic link) is removed itself, never followed.
void RemoveContentsSafely(char* path, std::size_t length, std::size_t size, int depth)
{
    if (depth > 64 || length + 3 >= size)
        return;
    path[length] = '\\';
    path[length + 1] = '*';
    path[length + 2] = '\0';
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) {
        path[length] = '\0';
        return;
    }
    do {
        const char* name = found.cFileName;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        const std::size_t nameLength = std::strlen(name);
        if (length + 1 + nameLength >= size)
            continue;
        std::memcpy(path + length + 1, name, nameLength + 1);
        const DWORD attributes = found.dwFileAttributes;
        if (attributes & FILE_ATTRIBUTE_READONLY)
            SetFileAttributesA(path, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
                RemoveContentsSafely(path, length + 1 + nameLength, size, depth + 1);
            RemoveDirectoryA(path);
        } else {
            DeleteFileA(path);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    path[length] = '\0';
}

} // namespace

namespace {

// A name with backslashes in a fixed buffer, without allocating; returns its length.
std::size_t SafeName(const char* name, char* path, std::size_t size)
{
    std::size_t length = 0;
    for (; name[length] && length + 1 < size; ++length)
        path[length] = name[length] == '/' ? '\\' : name[length];
    path[length] = '\0';
    return length;
}

} // namespace

void HostUnlinkSafely(const char* name)
{
    char path[MAX_PATH * 4];
    SafeName(name, path, sizeof path);
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        DeleteFileA(path);
}

void HostRemoveSafely(const char* name)
{
    char path[MAX_PATH * 4];
    const std::size_t length = SafeName(name, path, sizeof path);
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileA(path);
        return;
    }
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        RemoveContentsSafely(path, length, sizeof path, 0);
    RemoveDirectoryA(path);
}

std::optional<std::string> HostComputerName()
{
    char name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = sizeof name;
    if (!GetComputerNameA(name, &size)) {
        Fail(GetLastError());
        return std::nullopt;
    }
    return std::string(name, size);
}

std::optional<std::string> HostUserName()
{
    char name[UNLEN + 1];
    DWORD size = sizeof name;
    if (!GetUserNameA(name, &size)) {
        Fail(GetLastError());
        return std::nullopt;
    }
    // The size counts the terminator.
    return std::string(name);
}

std::optional<std::string> HostReadRegistry(std::string_view key, std::string_view valueName, bool& isString)
{
    isString = true;
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, std::string(key).c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return std::nullopt;
    const std::string value(valueName);
    DWORD type = 0;
    DWORD size = 0;
    std::optional<std::string> result;
    if (RegQueryValueExA(handle, value.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS && size > 0) {
        if (type != REG_SZ) {
            isString = false;
            result = std::string();
        } else {
            std::string data(size, '\0');
            if (RegQueryValueExA(handle, value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) ==
                    ERROR_SUCCESS &&
                size > 0) {
                data.resize(size);
                // The stored size counts the terminator.
                while (!data.empty() && data.back() == '\0')
                    data.pop_back();
                result = data;
            }
        }
    }
    RegCloseKey(handle);
    return result;
}

bool HostMove(std::string_view source, std::string_view destination)
{
    if (MoveFileExA(HostPath(source).c_str(), HostPath(destination).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
        return true;
    Fail(GetLastError());
    return false;
}
