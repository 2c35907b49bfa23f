// Host services: signal handling, host information, timing and command execution.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "list.h"

// Signal handling ---------------------------------------------------------------------

enum class SignalMode {
    Default, // while a child runs: the child has the default handling
    Ignore,  // while a child is set up or cleaned up, and while files are deleted
};

// Installs the handling of the interrupt and termination signals. With a mode, a signal
// that arrives is noted (and passed on to a running child) instead of ending the
// driver at once; the handler installed next takes it as soon as it is installed, so
// the driver always ends through its own interrupt path. With a handler, a signal runs
// the handler at once. A refusal by the host is fatal ("signal()").
void Handle(SignalMode mode);
void Handle(void (*handler)(int));

// The signal noted while a mode was installed, or 0.
int PendingSignal();

// Host information ----------------------------------------------------------------------

// The full path of the running executable; failure is fatal ("GetModuleFileName()").
std::string ProgramName();

// Command lines --------------------------------------------------------------------------

// Redirection modes of the run functions.
enum RedirectMode : int {
    REDIRECT_NONE = 0,
    REDIRECT_OUTPUT = 1,        // standard output to the file, truncated
    REDIRECT_APPEND = 2,        // standard output to the file, appended
    REDIRECT_BOTH = 3,          // standard output and error to the file, truncated
    REDIRECT_BOTH_APPEND = 4,   // standard output and error to the file, appended
};

// The words of a list quoted for a command line and joined with blanks.
std::string CommandLine(const List& arguments);
// The shell notation of a redirection: " >file", " >>file", with " 2>&1" for modes 3
// and 4 when ErrorRedirect is set.
std::string RedirectionNotation(int mode, std::string_view file);
// The command line of a shell command: the program's file-name part (quoted like any
// word), the arguments, and the redirection notation.
std::string ShellCommandLine(std::string_view program, int mode, std::string_view file, const List& arguments);
// Shows a command on standard error: a tab, then the line (wrapped from column 8 with
// continuation marks when Wrap is set).
void ShowCommand(const std::string& line);

// Returns "Windows NT" on the NT family; the computer name (nonzero when obtained).
int SystemInfo(const char** system, const char** computer, const char** third);
// The user name (nonzero when obtained).
int UserInfo(const char** user, const char** second, const char** third);
// Nonzero on the NT family of hosts (this host counts as one).
int IsWindowsNT();
// 0: thread-safe run-time libraries are not available.
int ThreadSafe();
// The home directory (HOME), or nothing when unset or empty; recorded.
std::optional<std::string> HomeDir();
// A string value under the current user's key path; recorded as
// "HKEY_CURRENT_USER\key\value".
std::optional<std::string> ReadRegistry(std::string_view key, std::string_view valueName);
// Starts the clock (null) or prints the time elapsed since, for a program name.
void TimeProgram(const char* program);
// No time limit is enforced on this host.
void HandleAlarm();
void SetAlarm();
void CancelAlarm();

// Running programs -------------------------------------------------------------------------

// Runs a program found along the search path (";"-separated, then PATH), showing the
// command under Verbose or DryRun; 0 without running it in a dry run. `arguments` holds
// the arguments only and is left as it was.
int RunCommand(std::string_view program, std::string_view searchPath, int mode, std::string_view file,
               List& arguments);
// Runs the first program with its output (both streams) piped into the second; the
// redirection applies to the second. Returns the first program's status.
int RunCommandPipe(std::string_view first, std::string_view firstPath, std::string_view second,
                   std::string_view secondPath, int mode, std::string_view file, List& firstArguments,
                   List& secondArguments);
// Runs a command through the command interpreter.
int RunShellCommand(std::string_view program, int mode, std::string_view file, List& arguments);
int RunShellCommandPipe(std::string_view first, std::string_view second, int mode, std::string_view file,
                        List& firstArguments, List& secondArguments);

// The parallel runner: runs a node's chain as a job. -1 when no job slot is free.
struct Node;
int RunParallel(int (*function)(Node*), Node* node);
int WaitParallel();
// Waits for any running job; nonzero when a job failed (its status through `status`).
int WaitParallelAny(int* status);
void WaitParallelAll();

int MkDir(std::string_view path);
int RmDir(std::string_view path);
