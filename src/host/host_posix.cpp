// POSIX implementation of the platform layer: names, environment, errors, streams,
// exit, signals and time.
#include "host/host.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

std::string HostPath(std::string_view name)
{
    std::string path(name);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

bool HostPutEnv(const std::string& name, const std::string& value)
{
    return setenv(name.c_str(), value.c_str(), 1) == 0;
}

int HostErrno() { return errno; }
void HostSetErrno(int code) { errno = code; }
int HostLastError() { return errno; }
void HostSetLastError(int code) { errno = code; }

std::string HostErrorText(int code)
{
    return std::strerror(code);
}

bool HostIsTerminal(FILE* stream)
{
    return isatty(fileno(stream)) != 0;
}

void HostWriteStderr(const char* text, std::size_t length)
{
    while (length > 0) {
        ssize_t written = write(STDERR_FILENO, text, length);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        text += written;
        length -= static_cast<std::size_t>(written);
    }
}

void HostExit(int status)
{
#ifdef CCTRVX_FUZZING
    throw HostExitRequest{status};
#else
    std::exit(status);
#endif
}

void HostQuickExit(int status)
{
    _exit(status);
}

bool HostAtExit(void (*function)())
{
    return std::atexit(function) == 0;
}

bool HostSetSignalFunction(HostSignalFunction function)
{
    struct sigaction action {};
    action.sa_handler = function;
    sigemptyset(&action.sa_mask);
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    action.sa_flags = 0;
    // A reader that goes away (a pager quit early) makes the driver's writes fail instead
    // of ending it on the spot, so the run still ends through its clean-up. Children get
    // the default handling back when they are started.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    return sigaction(SIGINT, &action, nullptr) == 0 && sigaction(SIGTERM, &action, nullptr) == 0 &&
           sigaction(SIGPIPE, &ignore, nullptr) == 0;
}

namespace {
int BlockDepth = 0;
sigset_t SavedMask;
}

HostSignalBlock::HostSignalBlock()
{
    if (BlockDepth++ == 0) {
        sigset_t block;
        sigemptyset(&block);
        sigaddset(&block, SIGINT);
        sigaddset(&block, SIGTERM);
        sigprocmask(SIG_BLOCK, &block, &SavedMask);
    }
}

HostSignalBlock::~HostSignalBlock()
{
    if (--BlockDepth == 0)
        sigprocmask(SIG_SETMASK, &SavedMask, nullptr);
}

HostTime HostNow()
{
    struct timeval now {};
    gettimeofday(&now, nullptr);
    return HostTime{static_cast<long long>(now.tv_sec), static_cast<int>(now.tv_usec / 1000)};
}

unsigned long HostProcessId()
{
    return static_cast<unsigned long>(getpid());
}

std::optional<std::string> HostCurrentDirectory()
{
    std::string buffer(256, '\0');
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE)
            return std::nullopt;
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(std::strlen(buffer.c_str()));
    return HostName(buffer);
}

std::optional<std::string> HostExecutablePath()
{
    std::string buffer(256, '\0');
    while (true) {
        ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return std::nullopt;
        if (static_cast<std::size_t>(length) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(length));
            return HostName(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool HostRemoveFile(std::string_view name)
{
    return unlink(HostPath(name).c_str()) == 0;
}

std::optional<std::string> HostSearchPath()
{
    const char* path = std::getenv("PATH");
    if (!path)
        return std::nullopt;
    std::string list = HostName(path);
    std::replace(list.begin(), list.end(), ':', ';');
    return list;
}

std::string HostTemporaryDirectory()
{
    const char* directory = std::getenv("TMPDIR");
    return HostName(directory && directory[0] ? directory : "/tmp");
}

bool HostPutEnvPath(const std::string& name, const std::string& path)
{
    return HostPutEnv(name, HostPath(path));
}

int HostRedirectStandardOutput(std::string_view file)
{
    std::fflush(stdout);
    int fd = open(HostPath(file).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return -1;
    int saved = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    if (saved < 0 || dup2(fd, STDOUT_FILENO) < 0) {
        int error = errno;
        close(fd);
        if (saved >= 0)
            close(saved);
        errno = error;
        return -1;
    }
    close(fd);
    return saved;
}

bool HostRestoreStandardOutput(int saved)
{
    std::fflush(stdout);
    bool ok = dup2(saved, STDOUT_FILENO) >= 0;
    close(saved);
    return ok;
}
