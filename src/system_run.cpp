// Running programs: finding them, showing their command lines, redirection, pipes,
// timing, interrupts, and the command interpreter.
#include <cstdio>

#include "cctrvx/globals.h"
#include "args.h"
#include "error.h"
#include "file_names.h"
#include "file_system.h"
#include "file_temp.h"
#include "host/host.h"
#include "system.h"

namespace {

// The full path of a program: its file name along the given path, then along PATH.
std::string Locate(std::string_view program, std::string_view searchPath)
{
    const std::string name(FileName(program));
    if (std::optional<std::string> found = FindPathVar(name, searchPath))
        return *found;
    if (!searchPath.empty()) {
        const std::string path(searchPath);
        Error(LEVEL_WARNING, "Couldn't find `%s' in `%s'", name.c_str(), path.c_str());
    }
    if (std::optional<std::string> found = FindPathVar(name, PathList))
        return *found;
    Error(LEVEL_FATAL, "Couldn't find `%s' in %%%s%%", name.c_str(), "PATH");
    return {};
}

// The entries a run puts at the head of an argument list, taken off again afterwards.
class HeadEntries {
public:
    explicit HeadEntries(List& list) : list_(list), count_(list.count) {}
    ~HeadEntries()
    {
        while (list_.count > count_)
            ArgRemHead(list_);
    }
    HeadEntries(const HeadEntries&) = delete;
    HeadEntries& operator=(const HeadEntries&) = delete;

private:
    List& list_;
    std::uint32_t count_;
};

// Scripts run under their interpreter and link files run their target: the program to
// start, with the list's head adjusted.
std::string Resolve(const std::string& path, List& arguments)
{
    std::string target;
    List interpreterArguments;
    const int kind = FileExecutable(path, &target, &interpreterArguments);
    if (kind >= 0)
        return path;
    if (kind == -2)
        ArgRemHead(arguments);
    while (Arg* last = ArgLast(interpreterArguments)) {
        Remove(interpreterArguments, last);
        AddHead(arguments, last);
    }
    ArgAddHead(arguments, target);
    return target;
}

std::optional<HostRedirection> Redirection(int mode, std::string_view file)
{
    if (mode == REDIRECT_NONE)
        return std::nullopt;
    HostRedirection redirection;
    redirection.file = std::string(file);
    redirection.append = mode == REDIRECT_APPEND || mode == REDIRECT_BOTH_APPEND;
    redirection.bothStreams = mode == REDIRECT_BOTH || mode == REDIRECT_BOTH_APPEND;
    return redirection;
}

void CheckRedirection(const std::optional<HostRedirection>& redirection)
{
    if (redirection && !HostCheckRedirection(*redirection))
        Error(LEVEL_FATAL_CLIB, redirection->file);
}


void ReportNotStarted(const std::string& program, const char* call)
{
    const std::string name(FileName(program));
    Error(LEVEL_WARNING, "While attempting to execute `%s':", name.c_str());
    Error(LEVEL_FATAL_CLIB, std::string(call));
}

// A child ended by a signal is reported, so its failure is never silent.
void ReportSignal(const std::string& program, const HostOutcome& exit)
{
    if (exit.signal != 0) {
        const std::string name(FileName(program));
        Error(LEVEL_WARNING, "`%s' was terminated by signal %d", name.c_str(), exit.signal);
    }
}

// After a child: the driver's interrupt handler is back, and takes a signal that arrived
// while the child ran.
void AfterChild(const std::string& program)
{
    Handle(Break);
    if (Timing) {
        const std::string name(FileName(program));
        TimeProgram(name.c_str());
    }
}

} // namespace

int RunCommand(std::string_view program, std::string_view searchPath, int mode, std::string_view file,
               List& arguments)
{
    HeadEntries restore(arguments);
    const std::string path = Locate(program, searchPath);
    ArgAddHead(arguments, path);
    if (DryRun || Verbose)
        ShowCommand(CommandLine(arguments) + RedirectionNotation(mode, file));
    if (DryRun)
        return 0;

    const std::string started = Resolve(path, arguments);
    if (Timing)
        TimeProgram(nullptr);
    Handle(SignalMode::Ignore);
    const std::optional<HostRedirection> redirection = Redirection(mode, file);
    CheckRedirection(redirection);
    // The child receives the command line as it is shown.
    const std::string line = CommandLine(arguments);
    Handle(SignalMode::Default);
    const HostOutcome exit = HostRun(started, line, redirection ? &*redirection : nullptr);
    Handle(SignalMode::Ignore);
    if (!exit.started)
        ReportNotStarted(started, "spawnv()");
    AfterChild(started);
    ReportSignal(started, exit);
    return exit.status;
}

int RunCommandPipe(std::string_view first, std::string_view firstPath, std::string_view second,
                   std::string_view secondPath, int mode, std::string_view file, List& firstArguments,
                   List& secondArguments)
{
    HeadEntries restoreFirst(firstArguments);
    HeadEntries restoreSecond(secondArguments);
    const std::string firstFound = Locate(first, firstPath);
    const std::string secondFound = Locate(second, secondPath);
    ArgAddHead(firstArguments, firstFound);
    ArgAddHead(secondArguments, secondFound);
    if (DryRun || Verbose) {
        std::string line = CommandLine(firstArguments);
        if (ErrorRedirect)
            line += " 2>&1";
        line += " | " + CommandLine(secondArguments) + RedirectionNotation(mode, file);
        ShowCommand(line);
    }
    if (DryRun)
        return 0;

    const std::string firstProgram = Resolve(firstFound, firstArguments);
    const std::string secondProgram = Resolve(secondFound, secondArguments);
    if (Timing)
        TimeProgram(nullptr);
    Handle(SignalMode::Ignore);
    const std::optional<HostRedirection> redirection = Redirection(mode, file);
    CheckRedirection(redirection);
    const std::string firstLine = CommandLine(firstArguments);
    const std::string secondLine = CommandLine(secondArguments);
    Handle(SignalMode::Default);
    bool secondStarted = false;
    const HostOutcome exit =
        HostRunPipe(firstProgram, firstLine, secondProgram, secondLine, redirection ? &*redirection : nullptr, secondStarted);
    Handle(SignalMode::Ignore);
    if (!exit.started)
        ReportNotStarted(firstProgram, "spawnv()");
    if (!secondStarted)
        Error(LEVEL_FATAL_CLIB, "cwait()");
    AfterChild(firstProgram);
    ReportSignal(firstProgram, exit);
    return exit.status;
}

namespace {

int RunShell(const std::string& program, const std::string& line)
{
    if (DryRun || Verbose)
        ShowCommand(line);
    if (DryRun)
        return 0;
    if (Timing)
        TimeProgram(nullptr);
    Handle(SignalMode::Default);
    const int result = HostRunShell(line);
    if (result == -1)
        ReportNotStarted(program, "system()");
    AfterChild(program);
    return result;
}

} // namespace

int RunShellCommand(std::string_view program, int mode, std::string_view file, List& arguments)
{
    return RunShell(std::string(program), ShellCommandLine(program, mode, file, arguments));
}

int RunShellCommandPipe(std::string_view first, std::string_view second, int mode, std::string_view file,
                        List& firstArguments, List& secondArguments)
{
    std::string line = ShellCommandLine(first, REDIRECT_NONE, "", firstArguments);
    if (ErrorRedirect)
        line += " 2>&1";
    line += " | " + ShellCommandLine(second, mode, file, secondArguments);
    return RunShell(std::string(first), line);
}

int MkDir(std::string_view path)
{
    return HostMakeDirectory(path) ? 0 : -1;
}

int RmDir(std::string_view path)
{
    return HostRemoveDirectory(path) ? 0 : -1;
}
