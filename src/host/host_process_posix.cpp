// POSIX implementation of the platform layer: child processes.
#include "host/host.h"

#include "args.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// The children running now, for passing signals on. Written only with the signals
// blocked, read by the signal handler.
constexpr int MaxChildren = 64;
volatile pid_t RunningChildren[MaxChildren];

// The signal passed on to the children, kept so that a child started after it arrived
// hears of it too.
volatile std::sig_atomic_t ForwardedSignal = 0;

void Register(pid_t pid)
{
    HostSignalBlock block;
    for (auto& slot : RunningChildren) {
        if (slot == 0) {
            slot = pid;
            break;
        }
    }
    if (ForwardedSignal)
        kill(pid, ForwardedSignal);
}

void Unregister(pid_t pid)
{
    HostSignalBlock block;
    for (auto& slot : RunningChildren) {
        if (slot == pid)
            slot = 0;
    }
}

} // namespace

void HostRegisterChild(int pid)
{
    Register(pid);
}

void HostUnregisterChild(int pid)
{
    Unregister(pid);
}

void HostForgetChildren()
{
    HostSignalBlock block;
    for (auto& slot : RunningChildren)
        slot = 0;
    ForwardedSignal = 0;
}

namespace {

std::string HostFile(const std::string& name)
{
    std::string lower = name;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower == "nul" ? std::string("/dev/null") : HostPath(name);
}

int OpenRedirection(const HostRedirection& redirection)
{
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (redirection.append ? O_APPEND : O_TRUNC);
    return open(HostFile(redirection.file).c_str(), flags, 0666);
}

std::vector<char*> Pointers(const std::vector<std::string>& arguments)
{
    std::vector<char*> pointers;
    pointers.reserve(arguments.size() + 1);
    for (const std::string& argument : arguments)
        pointers.push_back(const_cast<char*>(argument.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

// Spawn attributes: default handling of the interrupt and termination signals (and of
// the broken pipe and child signals, whatever this process was given) and no blocked
// signals in the child.
struct Attributes {
    posix_spawnattr_t attributes;
    Attributes()
    {
        posix_spawnattr_init(&attributes);
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGINT);
        sigaddset(&defaults, SIGTERM);
        sigaddset(&defaults, SIGPIPE);
        sigaddset(&defaults, SIGCHLD);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    }
    ~Attributes() { posix_spawnattr_destroy(&attributes); }
};

struct Actions {
    posix_spawn_file_actions_t actions;
    Actions() { posix_spawn_file_actions_init(&actions); }
    ~Actions() { posix_spawn_file_actions_destroy(&actions); }
};

// An ignored child signal survives exec, so a parent may hand it on; children would then
// vanish without an exit status to wait for. The default comes back before the first one.
void WaitableChildren()
{
    static bool done = false;
    if (done)
        return;
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(SIGCHLD, &action, nullptr);
    done = true;
}

bool Spawn(pid_t& pid, const std::string& program, const std::vector<std::string>& arguments, Actions& actions)
{
    WaitableChildren();
    Attributes attributes;
    std::vector<char*> argv = Pointers(arguments);
    const std::string path = HostPath(program);
    HostSignalBlock block;
    int error = posix_spawn(&pid, path.c_str(), &actions.actions, &attributes.attributes, argv.data(), environ);
    if (error != 0) {
        errno = error;
        return false;
    }
    Register(pid);
    return true;
}

HostOutcome Wait(pid_t pid)
{
    HostOutcome exit;
    exit.started = true;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            status = 0;
            break;
        }
    }
    Unregister(pid);
    if (WIFEXITED(status)) {
        exit.status = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        exit.signal = WTERMSIG(status);
        exit.status = 128 + exit.signal;
    }
    return exit;
}

} // namespace

bool HostCheckRedirection(const HostRedirection& redirection)
{
    int fd = OpenRedirection(redirection);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

HostOutcome HostRun(const std::string& program, const std::string& commandLine, const HostRedirection* redirection)
{
    const std::vector<std::string> arguments = ArgSplitCommandLine(commandLine);
    Actions actions;
    int fd = -1;
    if (redirection) {
        fd = OpenRedirection(*redirection);
        if (fd < 0)
            return HostOutcome{};
        posix_spawn_file_actions_adddup2(&actions.actions, fd, STDOUT_FILENO);
        if (redirection->bothStreams)
            posix_spawn_file_actions_adddup2(&actions.actions, fd, STDERR_FILENO);
    }
    std::fflush(nullptr);
    pid_t pid = 0;
    const bool started = Spawn(pid, program, arguments, actions);
    const int error = errno;
    if (fd >= 0)
        close(fd);
    if (!started) {
        errno = error;
        return HostOutcome{};
    }
    return Wait(pid);
}

HostOutcome HostRunPipe(const std::string& first, const std::string& firstCommandLine, const std::string& second,
                        const std::string& secondCommandLine, const HostRedirection* redirection, bool& secondStarted)
{
    const std::vector<std::string> firstArguments = ArgSplitCommandLine(firstCommandLine);
    const std::vector<std::string> secondArguments = ArgSplitCommandLine(secondCommandLine);
    secondStarted = false;
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0)
        return HostOutcome{};
    std::fflush(nullptr);

    Actions firstActions;
    posix_spawn_file_actions_adddup2(&firstActions.actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&firstActions.actions, pipeEnds[1], STDERR_FILENO);
    pid_t firstPid = 0;
    if (!Spawn(firstPid, first, firstArguments, firstActions)) {
        const int error = errno;
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        errno = error;
        return HostOutcome{};
    }
    close(pipeEnds[1]);

    Actions secondActions;
    posix_spawn_file_actions_adddup2(&secondActions.actions, pipeEnds[0], STDIN_FILENO);
    int fd = -1;
    if (redirection) {
        fd = OpenRedirection(*redirection);
        if (fd >= 0) {
            posix_spawn_file_actions_adddup2(&secondActions.actions, fd, STDOUT_FILENO);
            if (redirection->bothStreams)
                posix_spawn_file_actions_adddup2(&secondActions.actions, fd, STDERR_FILENO);
        }
    }
    pid_t secondPid = 0;
    secondStarted = (!redirection || fd >= 0) && Spawn(secondPid, second, secondArguments, secondActions);
    close(pipeEnds[0]);
    if (fd >= 0)
        close(fd);
    HostOutcome outcome = Wait(firstPid);
    if (secondStarted)
        Wait(secondPid);
    return outcome;
}

namespace {

// The command interpreter of this host knows the null device by another name.
std::string ForHostShell(std::string line)
{
    for (const char* notation : {" >>nul", " >nul"}) {
        std::size_t at = line.find(notation);
        if (at != std::string::npos && (at + std::string(notation).size() == line.size() ||
                                        line[at + std::string(notation).size()] == ' '))
            line.replace(at + std::string(notation).size() - 3, 3, "/dev/null");
    }
    return line;
}

} // namespace

int HostRunShell(const std::string& commandLine)
{
    std::fflush(nullptr);
    Actions actions;
    pid_t pid = 0;
    if (!Spawn(pid, "/bin/sh", {"sh", "-c", ForHostShell(commandLine)}, actions))
        return -1;
    HostOutcome exit = Wait(pid);
    return exit.status;
}

void HostForwardSignal(int signal)
{
    ForwardedSignal = signal;
    for (const auto& slot : RunningChildren) {
        if (slot != 0)
            kill(slot, signal);
    }
}
