// Win32 implementation of the platform layer: child processes.
//
// A child is started with CreateProcess and the command line exactly as the driver quoted
// it: on this host that line is what the child receives. Its standard handles are
// duplicates made inheritable for that one child and closed as soon as it has started,
// so no child holds a handle meant for another (a pipe's reader would otherwise never
// see the end of its input).
#include "host/host.h"
#include "host/host_win32.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <io.h>

namespace {

// A handle owned here, closed when it goes.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~Handle() { Close(); }
    Handle(Handle&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    Handle& operator=(Handle&& other) noexcept
    {
        if (this != &other) {
            Close();
            handle_ = other.handle_;
            other.handle_ = nullptr;
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Close()
    {
        if (handle_)
            CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    HANDLE handle_ = nullptr;
};

void Fail(DWORD error)
{
    errno = HostErrnoOf(error);
    SetLastError(error);
}

// The handle behind one of this process's standard descriptors (0, 1, 2), which follows
// any redirection made through the C runtime.
HANDLE Standard(int fd)
{
    const intptr_t handle = _get_osfhandle(fd);
    return handle == -1 || handle == -2 ? nullptr : reinterpret_cast<HANDLE>(handle);
}

// An inheritable copy of a handle; nothing when there is none to copy.
Handle Inheritable(HANDLE handle)
{
    if (!handle)
        return Handle();
    HANDLE copy = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS))
        return Handle();
    return Handle(copy);
}

bool IsNullDevice(const std::string& name)
{
    if (name.size() != 3)
        return false;
    return std::tolower(static_cast<unsigned char>(name[0])) == 'n' &&
           std::tolower(static_cast<unsigned char>(name[1])) == 'u' &&
           std::tolower(static_cast<unsigned char>(name[2])) == 'l';
}

// Opens a redirection file, inheritable; nothing (errno set) when it cannot be opened.
Handle OpenRedirection(const HostRedirection& redirection)
{
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, TRUE};
    const std::string path = IsNullDevice(redirection.file) ? std::string("NUL") : HostPath(redirection.file);
    const DWORD access = redirection.append ? FILE_APPEND_DATA | SYNCHRONIZE : GENERIC_WRITE;
    HANDLE file = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &attributes,
                              redirection.append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Fail(GetLastError());
        return Handle();
    }
    return Handle(file);
}

struct Child {
    Handle process;
    bool started = false;
};

// Starts a program with the given standard handles (inheritable ones, or null).
Child Start(const std::string& program, const std::string& commandLine, HANDLE input, HANDLE output, HANDLE errors)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = errors;
    PROCESS_INFORMATION information{};
    // CreateProcess may write into the command line.
    std::string line = commandLine;
    Child child;
    if (!CreateProcessA(program.empty() ? nullptr : HostPath(program).c_str(), line.data(), nullptr, nullptr, TRUE, 0,
                        nullptr, nullptr, &startup, &information)) {
        Fail(GetLastError());
        return child;
    }
    CloseHandle(information.hThread);
    child.process = Handle(information.hProcess);
    child.started = true;
    return child;
}

HostOutcome Wait(const Child& child)
{
    HostOutcome outcome;
    outcome.started = true;
    WaitForSingleObject(child.process.get(), INFINITE);
    DWORD status = 0;
    if (GetExitCodeProcess(child.process.get(), &status))
        outcome.status = static_cast<int>(status);
    // The console gives its interrupt to every process attached to it, each on a thread
    // of its own: a child it ended may be seen to end before this process's handler has
    // run. The driver hears of the interrupt first, so that it ends as interrupted.
    if (status == static_cast<DWORD>(STATUS_CONTROL_C_EXIT))
        WaitForSingleObject(HostInterruptSeen(), 2000);
    return outcome;
}

} // namespace

bool HostCheckRedirection(const HostRedirection& redirection)
{
    return static_cast<bool>(OpenRedirection(redirection));
}

HostOutcome HostRun(const std::string& program, const std::string& commandLine, const HostRedirection* redirection)
{
    Handle file;
    if (redirection) {
        file = OpenRedirection(*redirection);
        if (!file)
            return HostOutcome{};
    }
    std::fflush(nullptr);
    Handle input = Inheritable(Standard(0));
    Handle output = file ? Handle() : Inheritable(Standard(1));
    Handle errors = file && redirection->bothStreams ? Handle() : Inheritable(Standard(2));
    Child child = Start(program, commandLine, input.get(), file ? file.get() : output.get(),
                        file && redirection->bothStreams ? file.get() : errors.get());
    const int error = errno;
    input.Close();
    output.Close();
    errors.Close();
    file.Close();
    if (!child.started) {
        errno = error;
        return HostOutcome{};
    }
    return Wait(child);
}

HostOutcome HostRunPipe(const std::string& first, const std::string& firstCommandLine, const std::string& second,
                        const std::string& secondCommandLine, const HostRedirection* redirection, bool& secondStarted)
{
    secondStarted = false;
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, nullptr, 512)) {
        Fail(GetLastError());
        return HostOutcome{};
    }
    Handle reader(readEnd);
    Handle writer(writeEnd);
    std::fflush(nullptr);

    Child firstChild;
    {
        Handle input = Inheritable(Standard(0));
        Handle pipeEnd = Inheritable(writer.get());
        firstChild = Start(first, firstCommandLine, input.get(), pipeEnd.get(), pipeEnd.get());
    }
    const int error = errno;
    writer.Close();
    if (!firstChild.started) {
        errno = error;
        return HostOutcome{};
    }

    Child secondChild;
    {
        Handle file;
        if (redirection)
            file = OpenRedirection(*redirection);
        if (!redirection || file) {
            Handle pipeEnd = Inheritable(reader.get());
            Handle output = file ? Handle() : Inheritable(Standard(1));
            Handle errors = file && redirection->bothStreams ? Handle() : Inheritable(Standard(2));
            secondChild = Start(second, secondCommandLine, pipeEnd.get(), file ? file.get() : output.get(),
                                file && redirection->bothStreams ? file.get() : errors.get());
        }
    }
    reader.Close();
    secondStarted = secondChild.started;
    HostOutcome outcome = Wait(firstChild);
    if (secondStarted)
        Wait(secondChild);
    return outcome;
}

int HostRunShell(const std::string& commandLine)
{
    std::fflush(nullptr);
    // "/s" takes the line between the outer quotes exactly as it is, quotes of its own
    // included.
    std::string interpreter = "cmd.exe";
    if (const char* comspec = std::getenv("COMSPEC"); comspec && *comspec)
        interpreter = comspec;
    Handle input = Inheritable(Standard(0));
    Handle output = Inheritable(Standard(1));
    Handle errors = Inheritable(Standard(2));
    Child child = Start(interpreter, "cmd.exe /s /c \"" + commandLine + "\"", input.get(), output.get(), errors.get());
    input.Close();
    output.Close();
    errors.Close();
    if (!child.started)
        return -1;
    return Wait(child).status;
}

void HostForwardSignal(int)
{
    // The console hands an interrupt to every process attached to it; the children have
    // heard of it already.
}
