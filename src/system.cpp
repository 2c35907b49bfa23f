#include "system.h"

#include <algorithm>
#include <csignal>
#include <cstdio>

#include "cctrvx/globals.h"
#include "args.h"
#include "file_names.h"
#include "file_optfile.h"
#include "file_temp.h"

#include "error.h"
#include "host/host.h"

namespace {

volatile std::sig_atomic_t Pending = 0;
volatile std::sig_atomic_t Immediate = 0;
void (*volatile CurrentHandler)(int) = nullptr;
bool TrampolineInstalled = false;

void SignalTrampoline(int signal)
{
    if (Immediate && CurrentHandler) {
        InSignalHandler = 1;
        CurrentHandler(signal);
        InSignalHandler = 0;
    } else {
        // A child may be running: it hears of the signal too, and the driver takes its
        // own interrupt path as soon as the child has ended.
        if (!Pending)
            Pending = signal;
        HostForwardSignal(signal);
    }
}

void InstallTrampoline()
{
    if (TrampolineInstalled)
        return;
    if (!HostSetSignalFunction(SignalTrampoline))
        Error(LEVEL_FATAL_CLIB, "signal()");
    TrampolineInstalled = true;
}

} // namespace

void Handle(SignalMode)
{
    InstallTrampoline();
    HostSignalBlock block;
    Immediate = 0;
}

void Handle(void (*handler)(int))
{
    InstallTrampoline();
    int signal = 0;
    {
        HostSignalBlock block;
        CurrentHandler = handler;
        Immediate = 1;
        signal = Pending;
        Pending = 0;
    }
    if (signal)
        handler(signal);
}

int PendingSignal()
{
    return Pending;
}

std::string ProgramName()
{
    std::optional<std::string> path = HostExecutablePath();
    if (!path)
        Error(LEVEL_FATAL_SYSTEM, "GetModuleFileName()");
    return *path;
}

std::string CommandLine(const List& arguments)
{
    return ArgList2String(' ', ArgEscapeSpec, ArgQuoteSpec, arguments);
}

std::string RedirectionNotation(int mode, std::string_view file)
{
    std::string notation;
    switch (mode) {
    case REDIRECT_OUTPUT:
    case REDIRECT_BOTH:
        notation = " >";
        break;
    case REDIRECT_APPEND:
    case REDIRECT_BOTH_APPEND:
        notation = " >>";
        break;
    default:
        return notation;
    }
    notation.append(file);
    if ((mode == REDIRECT_BOTH || mode == REDIRECT_BOTH_APPEND) && ErrorRedirect)
        notation += " 2>&1";
    return notation;
}

std::string ShellCommandLine(std::string_view program, int mode, std::string_view file, const List& arguments)
{
    std::string line = ArgQuote(FileName(program), ArgEscapeSpec, ArgQuoteSpec);
    if (arguments.count > 0) {
        line += ' ';
        line += CommandLine(arguments);
    }
    line += RedirectionNotation(mode, file);
    return line;
}

void ShowCommand(const std::string& line)
{
    if (Wrap) {
        std::fputc('\t', stderr);
        FileWrap(stderr, line, 8, true);
    } else {
        std::fprintf(stderr, "\t%s\n", line.c_str());
    }
}

namespace {

char ComputerName[16];
char UserName[257];
HostTime ClockStart{0, 0};

void CopyName(char* buffer, std::size_t size, const std::string& name)
{
    std::size_t length = std::min(name.size(), size - 1);
    name.copy(buffer, length);
    buffer[length] = '\0';
}

} // namespace

int SystemInfo(const char** system, const char** computer, const char** third)
{
    if (system)
        *system = IsWindowsNT() ? "Windows NT" : "Windows 95/98";
    if (third)
        *third = nullptr;
    std::optional<std::string> name = HostComputerName();
    if (!name) {
        Error(LEVEL_SYSTEM, "GetComputerName()");
        if (computer)
            *computer = nullptr;
        return 0;
    }
    CopyName(ComputerName, sizeof ComputerName, *name);
    if (computer)
        *computer = ComputerName;
    return 1;
}

int UserInfo(const char** user, const char** second, const char** third)
{
    if (second)
        *second = nullptr;
    if (third)
        *third = nullptr;
    std::optional<std::string> name = HostUserName();
    if (!name) {
        Error(LEVEL_SYSTEM, "GetUserName()");
        if (user)
            *user = nullptr;
        return 0;
    }
    CopyName(UserName, sizeof UserName, *name);
    if (user)
        *user = UserName;
    return 1;
}

int IsWindowsNT()
{
    return 1;
}

int ThreadSafe()
{
    return 0;
}

std::optional<std::string> HomeDir()
{
    std::optional<std::string> home = HostGetEnv("HOME");
    if (!home || home->empty()) {
        EnvironRecord("HOME", std::nullopt);
        return std::nullopt;
    }
    EnvironRecord("HOME", *home);
    return home;
}

std::optional<std::string> ReadRegistry(std::string_view key, std::string_view valueName)
{
    const std::string display = BuildString({"HKEY_CURRENT_USER\\", key, "\\", valueName});
    bool isString = true;
    std::optional<std::string> value = HostReadRegistry(key, valueName, isString);
    if (value && !isString) {
        Error(LEVEL_ERROR, "Invalid type of data stored in registry key `%s'", display.c_str());
        value.reset();
    } else if (value && value->empty()) {
        value.reset();
    }
    EnvironRecord(display, value ? OptValue(*value) : std::nullopt);
    return value;
}

void TimeProgram(const char* program)
{
    if (!program) {
        ClockStart = HostNow();
        return;
    }
    const HostTime now = HostNow();
    const float elapsed = static_cast<float>(now.seconds - ClockStart.seconds) +
                          static_cast<float>(now.milliseconds - ClockStart.milliseconds) / 1000.0f;
    std::fprintf(stderr, "\t%s: Total = %.*fs\n", program, 2, static_cast<double>(elapsed));
}

void HandleAlarm() {}
void SetAlarm() {}
void CancelAlarm() {}
