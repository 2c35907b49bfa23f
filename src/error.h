// Diagnostics and termination: the single path of every warning, error, fatal error
// and internal error of both driver layers.
#pragma once

#include <csignal>
#include <cstdint>
#include <string>
#include <string_view>

// Severity levels of Error.
enum ErrorLevel : int {
    LEVEL_WARNING = 0,      // "Warning: ", formatted message
    LEVEL_ERROR = 1,        // "Error: ", formatted message, counted
    LEVEL_CLIB = 2,         // "Error: ", C library error text for the argument, counted
    LEVEL_ERROR_ALT = 3,    // "Error: ", formatted message, counted
    LEVEL_SYSTEM = 4,       // "Error: ", operating-system error text, counted
    LEVEL_FATAL = 5,        // "Fatal Error: ", formatted message, ends the program
    LEVEL_FATAL_CLIB = 6,   // "Fatal Error: ", C library error text
    LEVEL_FATAL_ALT = 7,    // "Fatal Error: ", formatted message
    LEVEL_FATAL_SYSTEM = 8, // "Fatal Error: ", operating-system error text
    LEVEL_MEMORY = 9,       // "Fatal Error: ", "Out of memory"
    LEVEL_INTERNAL = 10,    // "Internal Error: " (and every level above)
};

// The program's name at the start of every message; "cctrvx" until the program sets it.
extern const char* ProgName;
void SetProgName(std::string_view name);

extern std::uint32_t ErrorNum; // counted errors so far
extern std::uint32_t ErrorMax; // error limit, 0 for none
extern int NoWarnings;         // warnings are neither printed nor prefixed

// Prints one diagnostic. Returns to the caller only for levels 0 to 4, and then only
// while the error count stays below the limit. For levels 2 and 6 the format is the
// name handed to perror; for levels 4, 8 and 9 it is an optional name printed before
// the system text (it may be null).
void Error(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));
// The same for a name given as a string (the levels whose argument is a name rather than
// a format: 2, 4, 6, 8 and 9); the name is printed as it is.
void Error(int level, const std::string& name);

// Prints the error count and ends the program with status 1.
[[noreturn]] void ErrorExit();

// The interrupt handler: prints the signal number and ends the program with status 1.
// Inside a signal handler it does only what is safe there: the message is written
// without buffering, InterruptCleanup removes what is being written and the temporary
// files, and the process ends at once.
[[noreturn]] void Break(int signal);

// Set in a job of the parallel runner: the driver that started it reports the
// interrupt, so Break ends the job without a message.
extern int BreakQuietly;

// Set while Break runs as a signal handler (by the signal trampoline of the system
// module).
extern volatile std::sig_atomic_t InSignalHandler;
// Signal-safe removal of the deletion list and the private temporary directory; set
// once the file module has something to remove.
extern void (*InterruptCleanup)();

// Makes every failed allocation the out-of-memory error (level 9).
void InstallMemoryHandler();
