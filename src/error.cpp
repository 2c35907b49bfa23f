#include "error.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "host/host.h"

std::uint32_t ErrorNum = 0;
std::uint32_t ErrorMax = 10;
int NoWarnings = 0;

volatile std::sig_atomic_t InSignalHandler = 0;
int BreakQuietly = 0;
void (*InterruptCleanup)() = nullptr;

namespace {

// The name is kept in a fixed buffer so that the signal path can print it without
// allocating; longer names are cut.
char ProgNameBuffer[256] = "cctrvx";

const char* Prefix(int level)
{
    if (level == LEVEL_WARNING)
        return "Warning: ";
    if (level <= LEVEL_SYSTEM)
        return "Error: ";
    if (level <= LEVEL_MEMORY)
        return "Fatal Error: ";
    return "Internal Error: ";
}

bool IsCounted(int level)
{
    return level >= LEVEL_ERROR && level <= LEVEL_SYSTEM;
}

const char* Plural(std::uint32_t count)
{
    return count == 1 ? "" : "s";
}

// A formatter for "%s" and "%d" that neither allocates nor locks, for the signal path.
std::size_t FormatSafely(char* buffer, std::size_t size, const char* format, const char* text, int number)
{
    std::size_t length = 0;
    auto put = [&](char c) {
        if (length + 1 < size)
            buffer[length++] = c;
    };
    for (const char* p = format; *p; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            for (const char* t = text; *t; ++t)
                put(*t);
            ++p;
        } else if (p[0] == '%' && p[1] == 'd') {
            char digits[16];
            int count = 0;
            long value = number;
            if (value < 0) {
                put('-');
                value = -value;
            }
            do {
                digits[count++] = static_cast<char>('0' + value % 10);
                value /= 10;
            } while (value > 0);
            while (count > 0)
                put(digits[--count]);
            ++p;
        } else {
            put(*p);
        }
    }
    buffer[length] = '\0';
    return length;
}

[[noreturn]] void OutOfMemory()
{
    Error(LEVEL_MEMORY, nullptr);
    HostExit(1); // not reached: level 9 ends the program
}

} // namespace

const char* ProgName = ProgNameBuffer;

void SetProgName(std::string_view name)
{
    std::size_t length = std::min(name.size(), sizeof ProgNameBuffer - 1);
    std::memcpy(ProgNameBuffer, name.data(), length);
    ProgNameBuffer[length] = '\0';
}

namespace {

// Prints one diagnostic and ends or counts as its level says. `arguments` is null when
// `text` is to be printed as it is.
void Report(int level, const char* text, va_list* arguments)
{
    // Printing may change both error values, so the code of the failed call is saved first.
    const bool system = level == LEVEL_SYSTEM || level == LEVEL_FATAL_SYSTEM;
    const int saved = system ? HostLastError() : HostErrno();
    const bool quiet = level == LEVEL_WARNING && NoWarnings;

    std::fflush(stdout);
    if (!quiet) {
        std::fprintf(stderr, "%s: ", ProgName);
        std::fputs(Prefix(level), stderr);
    }

    if (level == LEVEL_MEMORY) {
        if (text)
            std::fprintf(stderr, "%s: ", text);
        std::fputs("Out of memory\n", stderr);
    } else if (level == LEVEL_CLIB || level == LEVEL_FATAL_CLIB) {
        HostSetErrno(saved);
        std::perror(text);
        HostSetErrno(0);
    } else if (system) {
        HostSetLastError(saved);
        std::string systemText = HostErrorText(saved);
        if (text)
            std::fprintf(stderr, "%s: ", text);
        std::fprintf(stderr, "%s\n", systemText.c_str());
        HostSetLastError(0);
    } else if (!quiet) {
        if (arguments)
            std::vfprintf(stderr, text, *arguments);
        else
            std::fputs(text, stderr);
        std::fputc('\n', stderr);
    }

    if (IsCounted(level)) {
        ++ErrorNum;
        if (ErrorNum == ErrorMax) {
            std::fprintf(stderr, "%s: Aborted after %lu error%s\n", ProgName,
                         static_cast<unsigned long>(ErrorMax), Plural(ErrorMax));
            HostExit(1);
        }
    } else if (level >= LEVEL_FATAL) {
        HostExit(1);
    }
}

} // namespace

void Error(int level, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    Report(level, format, &arguments);
    va_end(arguments);
}

void Error(int level, const std::string& name)
{
    Report(level, name.c_str(), nullptr);
}

void ErrorExit()
{
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %lu error%s detected\n", ProgName, static_cast<unsigned long>(ErrorNum),
                 Plural(ErrorNum));
    HostExit(1);
}

void Break(int signal)
{
    char message[sizeof ProgNameBuffer + 64];
    std::size_t length =
        FormatSafely(message, sizeof message, "%s: Received signal %d - terminating\n", ProgNameBuffer, signal);
    if (BreakQuietly)
        length = 0;
    if (InSignalHandler) {
        HostWriteStderr(message, length);
        if (InterruptCleanup)
            InterruptCleanup();
        HostQuickExit(1);
    }
    std::fflush(stdout);
    HostWriteStderr(message, length);
    HostExit(1);
}

void InstallMemoryHandler()
{
    std::set_new_handler(OutOfMemory);
}
