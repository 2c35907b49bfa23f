// Win32 implementation of the platform layer: names, environment, errors, streams, exit,
// console interrupts and time.
#include "host/host.h"
#include "host/host_win32.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

// The C runtime leaves the words of the command line as they are: the driver expands
// file-name patterns itself.
extern "C" {
int _dowildcard = 0;
}

namespace {

// Standard error is written as it comes, as the C standard has it, so that the texts of
// perror and of the streams keep their order whatever the stream is connected to.
const bool ErrorsUnbuffered = std::setvbuf(stderr, nullptr, _IONBF, 0) == 0;

} // namespace

std::string HostPath(std::string_view name)
{
    std::string path(name);
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

bool HostPutEnv(const std::string& name, const std::string& value)
{
    // The C runtime's copy is what getenv reads; the process environment is what the
    // children are given.
    if (_putenv_s(name.c_str(), value.c_str()) != 0)
        return false;
    if (!SetEnvironmentVariableA(name.c_str(), value.empty() ? nullptr : value.c_str())) {
        errno = HostErrnoOf(GetLastError());
        return false;
    }
    return true;
}

int HostErrno() { return errno; }
void HostSetErrno(int code) { errno = code; }
int HostLastError() { return static_cast<int>(GetLastError()); }
void HostSetLastError(int code) { SetLastError(static_cast<DWORD>(code)); }

std::string HostErrorText(int code)
{
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&buffer), 0,
        nullptr);
    std::string text;
    if (length > 0 && buffer)
        text.assign(buffer, length);
    if (buffer)
        LocalFree(buffer);
    // The system's texts end with a line break; the caller writes its own.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    if (text.empty())
        text = "Unknown error " + std::to_string(code);
    return text;
}

int HostErrnoOf(unsigned long error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
        return ENOENT;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
        return EEXIST;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_CURRENT_DIRECTORY:
        return EACCES;
    case ERROR_DIR_NOT_EMPTY:
        return ENOTEMPTY;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_BAD_EXE_FORMAT:
    case ERROR_EXE_MARKED_INVALID:
    case ERROR_BAD_FORMAT:
        return ENOEXEC;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EMFILE;
    case ERROR_DISK_FULL:
        return ENOSPC;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
        return EPIPE;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    default:
        return EINVAL;
    }
}

bool HostIsTerminal(FILE* stream)
{
    return _isatty(_fileno(stream)) != 0;
}

void HostWriteStderr(const char* text, std::size_t length)
{
    // Through the runtime's descriptor, so that a line ends the way every other line of
    // standard error does.
    while (length > 0) {
        const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(length, 4096));
        const int written = _write(2, text, chunk);
        if (written <= 0)
            return;
        text += written;
        length -= static_cast<std::size_t>(written);
    }
}

void HostExit(int status)
{
    std::exit(status);
}

void HostQuickExit(int status)
{
    // The interrupt handler runs on a thread of its own: the whole process ends at once,
    // the driver's own thread with it.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
    _exit(status);
}

bool HostAtExit(void (*function)())
{
    return std::atexit(function) == 0;
}

// Console interrupts ----------------------------------------------------------------------
//
// The console calls its control handlers on a thread of its own. The driver's signal
// function runs there with the lock below held; HostSignalBlock holds the same lock, so
// the function never sees a structure half updated by the driver's thread.

namespace {

struct SignalLock {
    CRITICAL_SECTION section;
    SignalLock() { InitializeCriticalSection(&section); }
    // Never deleted: a handler may still run while the process ends.
};

SignalLock& Lock()
{
    static SignalLock lock;
    return lock;
}

// Made before main, while there is only one thread.
const bool LockReady = (Lock(), true);

HostSignalFunction volatile SignalFunction = nullptr;

BOOL WINAPI ConsoleHandler(DWORD event)
{
    int signal = 0;
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        signal = SIGINT;
        break;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        signal = SIGTERM;
        break;
    default:
        return FALSE;
    }
    const HostSignalFunction function = SignalFunction;
    if (!function)
        return FALSE;
    EnterCriticalSection(&Lock().section);
    function(signal);
    LeaveCriticalSection(&Lock().section);
    SetEvent(HostInterruptSeen());
    return TRUE;
}

} // namespace

HANDLE HostInterruptSeen()
{
    static const HANDLE seen = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    return seen;
}

bool HostSetSignalFunction(HostSignalFunction function)
{
    (void)LockReady;
    (void)ErrorsUnbuffered;
    HostInterruptSeen();
    SignalFunction = function;
    static bool installed = false;
    if (!installed) {
        if (!SetConsoleCtrlHandler(ConsoleHandler, TRUE)) {
            errno = HostErrnoOf(GetLastError());
            return false;
        }
        installed = true;
    }
    return true;
}

HostSignalBlock::HostSignalBlock()
{
    EnterCriticalSection(&Lock().section);
}

HostSignalBlock::~HostSignalBlock()
{
    LeaveCriticalSection(&Lock().section);
}

HostTime HostNow()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const long long ticks = HostUnixTicks(now.dwHighDateTime, now.dwLowDateTime);
    return HostTime{ticks / 10000000, static_cast<int>(ticks / 10000 % 1000)};
}

long long HostUnixTicks(unsigned long high, unsigned long low)
{
    // 100-nanosecond ticks since 1601, less the ticks up to 1970.
    const unsigned long long ticks = (static_cast<unsigned long long>(high) << 32) | low;
    return static_cast<long long>(ticks) - 116444736000000000LL;
}

unsigned long HostProcessId()
{
    return GetCurrentProcessId();
}

std::optional<std::string> HostCurrentDirectory()
{
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) {
            errno = HostErrnoOf(GetLastError());
            return std::nullopt;
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return HostName(buffer);
        }
        buffer.resize(length);
    }
}

std::optional<std::string> HostExecutablePath()
{
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            errno = HostErrnoOf(GetLastError());
            return std::nullopt;
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return HostName(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool HostRemoveFile(std::string_view name)
{
    return _unlink(HostPath(name).c_str()) == 0;
}

std::optional<std::string> HostSearchPath()
{
    // Already a list separated by ";".
    const char* path = std::getenv("PATH");
    if (!path)
        return std::nullopt;
    return HostName(path);
}

std::string HostTemporaryDirectory()
{
    const char* directory = std::getenv("TEMP");
    return HostName(directory && directory[0] ? directory : "\\");
}

bool HostPutEnvPath(const std::string& name, const std::string& path)
{
    return HostPutEnv(name, HostPath(path));
}

int HostRedirectStandardOutput(std::string_view file)
{
    std::fflush(stdout);
    const int fd = _open(HostPath(file).c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return -1;
    const int saved = _dup(1);
    if (saved < 0 || _dup2(fd, 1) < 0) {
        const int error = errno;
        _close(fd);
        if (saved >= 0)
            _close(saved);
        errno = error;
        return -1;
    }
    _close(fd);
    return saved;
}

bool HostRestoreStandardOutput(int saved)
{
    std::fflush(stdout);
    const bool ok = _dup2(saved, 1) >= 0;
    _close(saved);
    return ok;
}
