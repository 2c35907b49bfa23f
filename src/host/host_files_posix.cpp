// POSIX implementation of the platform layer: files, directories, host information and
// the registry stand-in.
#include "host/host.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

void Fill(const struct stat& info, HostFileStatus& status)
{
    status.isDirectory = S_ISDIR(info.st_mode);
    status.isRegular = S_ISREG(info.st_mode);
    status.isCharDevice = S_ISCHR(info.st_mode);
    status.isFifo = S_ISFIFO(info.st_mode);
    status.isLink = S_ISLNK(info.st_mode);
    status.permissions = info.st_mode & 0777;
    status.modified = static_cast<long long>(info.st_mtime);
    status.device = static_cast<unsigned long long>(info.st_dev);
    status.inode = static_cast<unsigned long long>(info.st_ino);
}

} // namespace

bool HostStatus(std::string_view name, HostFileStatus& status)
{
    struct stat info {};
    if (stat(HostPath(name).c_str(), &info) != 0)
        return false;
    Fill(info, status);
    return true;
}

bool HostLinkStatus(std::string_view name, HostFileStatus& status)
{
    struct stat info {};
    if (lstat(HostPath(name).c_str(), &info) != 0)
        return false;
    Fill(info, status);
    return true;
}

bool HostAccess(std::string_view name, int mode)
{
    int flags = F_OK;
    if (mode & HOST_EXECUTE)
        flags |= X_OK;
    if (mode & HOST_WRITE)
        flags |= W_OK;
    if (mode & HOST_READ)
        flags |= R_OK;
    return access(HostPath(name).c_str(), flags) == 0;
}

bool HostMakeDirectory(std::string_view name, bool privateMode)
{
    return mkdir(HostPath(name).c_str(), privateMode ? 0700 : 0777) == 0;
}

bool HostRemoveDirectory(std::string_view name)
{
    return rmdir(HostPath(name).c_str()) == 0;
}

bool HostChangeDirectory(std::string_view name)
{
    return chdir(HostPath(name).c_str()) == 0;
}

std::optional<std::vector<std::string>> HostListDirectory(std::string_view name)
{
    std::string path = HostPath(name);
    DIR* directory = opendir(path.empty() ? "." : path.c_str());
    if (!directory)
        return std::nullopt;
    std::vector<std::string> entries;
    while (struct dirent* entry = readdir(directory))
        entries.emplace_back(entry->d_name);
    closedir(directory);
    std::sort(entries.begin(), entries.end());
    return entries;
}

bool HostSameFile(std::string_view first, std::string_view second)
{
    HostFileStatus a, b;
    return HostStatus(first, a) && HostStatus(second, b) && a.device == b.device && a.inode == b.inode;
}

FILE* HostOpenFile(std::string_view name, const char* mode)
{
    return std::fopen(HostPath(name).c_str(), mode);
}

namespace {

// Removes what `directory` (an open descriptor) holds, then nothing else. Links are
// removed themselves, never followed.
void RemoveContentsSafely(int directory, int depth)
{
    if (depth > 64)
        return;
    struct Entry {
        unsigned long long inode;
        long long next;
        unsigned short length;
        unsigned char type;
        char name[1];
    };
    alignas(8) char buffer[4096];
    // Entries removed while the directory is listed may make the listing skip others, so
    // it is listed again for as long as a pass removes something.
    bool removed = true;
    while (removed) {
        removed = false;
        lseek(directory, 0, SEEK_SET);
        long count;
        while ((count = syscall(SYS_getdents64, directory, buffer, sizeof buffer)) > 0) {
            for (long offset = 0; offset < count;) {
                auto* entry = reinterpret_cast<Entry*>(buffer + offset);
                offset += entry->length;
                const char* name = entry->name;
                if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
                    continue;
                if (unlinkat(directory, name, 0) == 0) {
                    removed = true;
                    continue;
                }
                int child = openat(directory, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
                if (child >= 0) {
                    RemoveContentsSafely(child, depth + 1);
                    close(child);
                    if (unlinkat(directory, name, AT_REMOVEDIR) == 0)
                        removed = true;
                }
            }
        }
    }
}

// The host path of a name, without allocating.
void SafeHostPath(const char* name, char (&path)[4096])
{
    std::size_t length = 0;
    for (; name[length] && length + 1 < sizeof path; ++length)
        path[length] = name[length] == '\\' ? '/' : name[length];
    path[length] = '\0';
}

} // namespace

void HostUnlinkSafely(const char* name)
{
    char path[4096];
    SafeHostPath(name, path);
    unlink(path);
}

void HostRemoveSafely(const char* name)
{
    char path[4096];
    SafeHostPath(name, path);
    if (unlink(path) == 0)
        return;
    int directory = open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (directory < 0)
        return;
    RemoveContentsSafely(directory, 0);
    close(directory);
    rmdir(path);
}

std::optional<std::string> HostComputerName()
{
    char name[256];
    if (gethostname(name, sizeof name) != 0)
        return std::nullopt;
    name[sizeof name - 1] = '\0';
    return std::string(name);
}

std::optional<std::string> HostUserName()
{
    if (struct passwd* entry = getpwuid(getuid()); entry && entry->pw_name && entry->pw_name[0])
        return std::string(entry->pw_name);
    if (const char* user = std::getenv("USER"); user && user[0])
        return std::string(user);
    errno = ENOENT;
    return std::nullopt;
}

std::optional<std::string> HostReadRegistry(std::string_view key, std::string_view valueName, bool& isString)
{
    isString = true;
    const char* home = std::getenv("HOME");
    if (!home || !home[0])
        return std::nullopt;
    std::ifstream file(std::string(home) + "/.cctrvx_registry");
    if (!file)
        return std::nullopt;
    std::string wanted = std::string(key) + "\\" + std::string(valueName);
    auto lower = [](std::string text) {
        for (char& c : text)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    };
    std::string line;
    std::optional<std::string> value;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#')
            continue;
        std::size_t equals = line.find('=', start);
        if (equals == std::string::npos)
            continue;
        // Registry keys and value names are compared without regard to case.
        if (lower(line.substr(start, equals - start)) != lower(wanted))
            continue;
        std::string data = line.substr(equals + 1);
        isString = data.compare(0, 6, "dword:") != 0;
        value = data;
    }
    return value;
}

bool HostMove(std::string_view source, std::string_view destination)
{
    return std::rename(HostPath(source).c_str(), HostPath(destination).c_str()) == 0;
}
