// The platform layer: the only code that touches the host.
//
// Inside the driver every name is Windows-style (backslash separators, drive colons).
// The functions here take such names and turn them into host paths at the boundary;
// names that come from the host are turned back before they are handed out.
#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Names ------------------------------------------------------------------------------

// The host path of a name: on a POSIX host every backslash becomes a slash; on Windows
// the name is the path (a slash becomes a backslash).
std::string HostPath(std::string_view name);
// The name of a host path: every slash becomes a backslash.
std::string HostName(std::string_view hostPath);

// Environment ------------------------------------------------------------------------

// The value of an environment variable, or nothing when it is unset.
std::optional<std::string> HostGetEnv(const char* name);
// Puts "name=value" into the environment of this process and of its children.
// Returns false (errno set) when the host refuses.
bool HostPutEnv(const std::string& name, const std::string& value);

// Error codes ------------------------------------------------------------------------

// The C library's error number.
int HostErrno();
void HostSetErrno(int code);
// The operating system's last-error value (the same as the C library's on a POSIX host).
int HostLastError();
void HostSetLastError(int code);
// The system's text for an operating-system error code.
std::string HostErrorText(int code);

// Streams ----------------------------------------------------------------------------

// Nonzero when the stream is a terminal.
bool HostIsTerminal(FILE* stream);
// Writes bytes to standard error with no buffering and no allocation (safe in a
// signal handler).
void HostWriteStderr(const char* text, std::size_t length);

// Ending the process -----------------------------------------------------------------

// Ends the process through the C library, so that the exit handlers run. In a fuzzing
// build it throws a HostExitRequest instead, so that a fatal error ends only the input
// being tried.
struct HostExitRequest {
    int status;
};
[[noreturn]] void HostExit(int status);
// Ends the process at once, without exit handlers or stream flushing (signal handlers).
[[noreturn]] void HostQuickExit(int status);
// Registers a function to run at process exit; false when the host refuses.
bool HostAtExit(void (*function)());

// Signals ----------------------------------------------------------------------------

using HostSignalFunction = void (*)(int);
// Installs one function for the interrupt and the termination signal (SIGINT, SIGTERM),
// and ignores a broken pipe: a write to a reader that went away fails instead. On Windows
// the console's control events call it: Ctrl-C and Ctrl-Break as SIGINT, closing the
// console, logging off and shutting down as SIGTERM.
// Returns false (errno set) when the host refuses.
bool HostSetSignalFunction(HostSignalFunction function);

// Blocks the interrupt and termination signals for its lifetime, so that a signal
// handler never sees a data structure half updated. Nests.
class HostSignalBlock {
public:
    HostSignalBlock();
    ~HostSignalBlock();
    HostSignalBlock(const HostSignalBlock&) = delete;
    HostSignalBlock& operator=(const HostSignalBlock&) = delete;
};

// Time -------------------------------------------------------------------------------

struct HostTime {
    long long seconds;
    int milliseconds;
};
HostTime HostNow();

// Process identity -------------------------------------------------------------------

unsigned long HostProcessId();

// Files and directories ----------------------------------------------------------------

// The current directory as a name, or nothing (errno set).
std::optional<std::string> HostCurrentDirectory();
// The full path of the running executable as a name, or nothing (errno set).
std::optional<std::string> HostExecutablePath();
// Removes a file (not a directory); false (errno set) on failure.
bool HostRemoveFile(std::string_view name);

struct HostFileStatus {
    bool isDirectory = false;
    bool isRegular = false;
    bool isCharDevice = false;
    bool isFifo = false;
    bool isLink = false;          // only from HostLinkStatus
    unsigned permissions = 0;     // the nine permission bits, owner read first (0400)
    long long modified = 0;       // modification time in seconds
    unsigned long long device = 0;
    unsigned long long inode = 0;
};
// The status of a name, following symbolic links; false (errno set) when it cannot be read.
bool HostStatus(std::string_view name, HostFileStatus& status);
// The status of a name itself, not following a symbolic link.
bool HostLinkStatus(std::string_view name, HostFileStatus& status);

enum HostAccessMode : int { HOST_EXISTS = 0, HOST_EXECUTE = 1, HOST_WRITE = 2, HOST_READ = 4 };
// Whether this process may access the name in the given way.
bool HostAccess(std::string_view name, int mode);

// Creates a directory, private to this user when `privateMode` is set; false (errno set)
// when it cannot (also when the name exists).
bool HostMakeDirectory(std::string_view name, bool privateMode = false);
// Removes an empty directory; false (errno set) on failure.
bool HostRemoveDirectory(std::string_view name);
// Changes the working directory; false (errno set) on failure.
bool HostChangeDirectory(std::string_view name);
// The entries of a directory, "." and ".." included, sorted by byte value; nothing when
// the directory cannot be listed.
std::optional<std::vector<std::string>> HostListDirectory(std::string_view name);
// True when both names exist and are the same file of the host (device and inode).
bool HostSameFile(std::string_view first, std::string_view second);
// Opens a file with the C library (fopen modes).
FILE* HostOpenFile(std::string_view name, const char* mode);

// Signal-safe removal, for the interrupt path: no allocation, no locks (on Windows the
// interrupt handler runs on a thread of its own, with HostSignalBlock's lock held). The name is a
// NUL-terminated name; a directory is removed with everything in it, never following a
// symbolic link out of the tree.
void HostRemoveSafely(const char* name);
// The same for a file: a directory of that name is left alone.
void HostUnlinkSafely(const char* name);

// Host information -----------------------------------------------------------------------

// The host's name for this computer, or nothing (errno set).
std::optional<std::string> HostComputerName();
// The name of the user running this process, or nothing (errno set).
std::optional<std::string> HostUserName();

// A string value under the current user's part of the registry (on Windows the registry
// itself; on a POSIX host the stand-in $HOME/.cctrvx_registry: one value a line as
// "KEY\VALUE NAME=DATA", '#' starts a comment); nothing when the value is absent.
// `isString` is false when its data is not a string (a number; "dword:..." in the stand-in).
std::optional<std::string> HostReadRegistry(std::string_view key, std::string_view valueName, bool& isString);

// The search path of the host (PATH) as a Windows-style list: directories separated by
// ";", with backslashes (on Windows, PATH as it is); nothing when PATH is unset.
std::optional<std::string> HostSearchPath();
// The directory for temporary files where "TMP" names none, as a name: the host's own
// (TMPDIR, else /tmp, on a POSIX host; TEMP, else the root directory of the current drive,
// on Windows).
std::string HostTemporaryDirectory();
// Puts "name=path" into the environment, the path given as a name and handed to the
// children as a host path. Returns false (errno set) when the host refuses.
bool HostPutEnvPath(const std::string& name, const std::string& path);

// Child processes --------------------------------------------------------------------------

// Where a child's standard output (and, with `bothStreams`, its standard error) goes: a
// file, truncated or appended to.
struct HostRedirection {
    std::string file;       // a name; "nul" is the null device
    bool append = false;
    bool bothStreams = false;
};

// The outcome of a child run: its exit status, or the signal that ended it.
struct HostOutcome {
    bool started = false;   // false: the program could not be started (errno set)
    int status = 0;         // exit status
    int signal = 0;         // the signal that ended it, or 0
};

// Opens a redirection file for a child; false (errno set) when it cannot be opened.
bool HostCheckRedirection(const HostRedirection& redirection);
// Runs a program and waits for it. The command line holds the program's words quoted
// by the command-line quoting rule, the program's own name first: it is what the child
// receives (on this host it is split back into exactly those words). The child has the
// default handling of the interrupt and termination signals.
HostOutcome HostRun(const std::string& program, const std::string& commandLine, const HostRedirection* redirection);
// Runs two programs joined by a pipe: the first one's standard output and standard error
// go into the pipe, the second reads it. Waits for both; the outcome is the first one's.
// `secondStarted` tells whether the second program could be started.
HostOutcome HostRunPipe(const std::string& first, const std::string& firstCommandLine, const std::string& second,
                        const std::string& secondCommandLine, const HostRedirection* redirection, bool& secondStarted);
// Runs a command line through the host's command interpreter; -1 when it cannot be run.
// The line is written for the Windows command interpreter ("nul" is the null device).
int HostRunShell(const std::string& commandLine);
// Passes a signal on to every running child (signal-safe).
void HostForwardSignal(int signal);

// Points this process's standard output at a file (truncated); returns a handle of the
// saved standard output, or -1 (errno set) when the file cannot be opened.
int HostRedirectStandardOutput(std::string_view file);
// Puts the saved standard output back; false (errno set) on failure.
bool HostRestoreStandardOutput(int saved);

// Copies a file (a directory with everything in it); false (errno set) on failure.
bool HostCopy(std::string_view source, std::string_view destination);
// Renames or moves a file or directory; false (errno set) on failure.
bool HostMove(std::string_view source, std::string_view destination);

// Jobs ---------------------------------------------------------------------------------

// A job: a copy of this process that runs one function with its standard output and
// standard error captured, so that its output can be written whole when it ends.
struct HostJob {
    int pid = -1;
    int output = -1; // the captured standard output
    int errors = -1; // the captured standard error
};
// Whether this host can run jobs (not on Windows); without them every chain runs in the
// driver itself.
bool HostJobsSupported();
// Starts a job running `function(argument)`; it ends with the function's result. The
// caller's pending output is flushed first. false (errno set) when it cannot start.
bool HostStartJob(int (*function)(void*), void* argument, HostJob& job);
// Waits until one of the jobs ends; returns its index and stores its status (128 + the
// signal when a signal ended it).
std::size_t HostWaitJob(const std::vector<HostJob>& jobs, int& status);
// Writes a finished job's captured output to this process's standard output and
// standard error, and releases it.
void HostFinishJob(HostJob& job);
// The number of processors online.
int HostProcessorCount();
