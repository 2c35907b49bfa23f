// trvx-recorder: a program that takes the place of a tool in the black-box tests and
// records exactly what it was given. Everything it does is controlled by environment
// variables, so the driver's command line reaches it untouched.
//
// Each setting is looked up first as RECORDER_<NAME>_<KEY>, where NAME is the file name
// the program was started under, upper-cased, without directory and ".exe" (so a copy
// named linker.exe reads RECORDER_LINKER_STATUS), then as RECORDER_<KEY>:
//
//     ARGS      append a record of the call to this file: "argc N\n", then for each
//               argument (argv[0] included) its length in decimal, ':', the bytes and '\n'
//     IGNORE    a signal number to ignore while it runs
//     TOUCH     create this file (a partial output, say) before anything else
//     STDIN     copy standard input to this file (truncated first)
//     STDOUT    write this text to standard output
//     STDERR    write this text to standard error
//     DELAY_MS  sleep that many milliseconds before ending
//     SIGNAL    end by raising this signal (default handling restored first)
//     STATUS    exit status (0 when unset)
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <thread>

#ifdef _WIN32
#include <io.h>
// The same calls under the runtime's names; every file is binary.
#define open(file, flags, mode) _open(file, (flags) | _O_BINARY, mode)
#define read _read
#define write _write
#define close _close
#define O_CLOEXEC _O_NOINHERIT
#define STDIN_FILENO 0
#define STDOUT_FILENO 1
#define STDERR_FILENO 2
constexpr int FileMode = 0600;
#else
#include <unistd.h>
constexpr int FileMode = 0644;
#endif

namespace {

std::string Name;

// The setting for this program's name, else the general one.
const char* Setting(const char* key)
{
    std::string specific = "RECORDER_" + Name + "_" + key;
    if (const char* value = std::getenv(specific.c_str()))
        return value;
    std::string general = std::string("RECORDER_") + key;
    return std::getenv(general.c_str());
}

bool WriteAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        ssize_t put = write(fd, data, static_cast<unsigned>(size));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        data += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

// Writes a text to a file opened with the further flags; a failure ends the program with
// the status.
void WriteFile(const char* file, int flags, const std::string& text, int status)
{
    const int fd = open(file, O_WRONLY | O_CREAT | O_CLOEXEC | flags, FileMode);
    if (fd < 0 || !WriteAll(fd, text.data(), text.size())) {
        std::perror(file);
        std::exit(status);
    }
    close(fd);
}

std::string ReadStandardInput()
{
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = read(STDIN_FILENO, buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno != EINTR)
            break;
        if (got > 0)
            text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

} // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    _setmode(STDIN_FILENO, _O_BINARY);
    _setmode(STDOUT_FILENO, _O_BINARY);
    _setmode(STDERR_FILENO, _O_BINARY);
#endif
    std::string program = argc > 0 ? argv[0] : "recorder";
    if (std::size_t slash = program.find_last_of("/\\"); slash != std::string::npos)
        program.erase(0, slash + 1);
    if (program.size() > 4 && program.compare(program.size() - 4, 4, ".exe") == 0)
        program.resize(program.size() - 4);
    for (char c : program)
        Name += std::isalnum(static_cast<unsigned char>(c)) ? static_cast<char>(std::toupper(c)) : '_';

    if (const char* number = Setting("IGNORE"))
        std::signal(std::atoi(number), SIG_IGN);
    if (const char* file = Setting("TOUCH")) {
        int fd = open(file, O_WRONLY | O_CREAT | O_CLOEXEC, FileMode);
        if (fd >= 0)
            close(fd);
    }
    if (const char* file = Setting("ARGS")) {
        std::string record = "argc " + std::to_string(argc) + "\n";
        for (int i = 0; i < argc; ++i)
            record += std::to_string(std::strlen(argv[i])) + ":" + argv[i] + "\n";
        WriteFile(file, O_APPEND, record, 120);
    }
    if (const char* file = Setting("STDIN"))
        WriteFile(file, O_TRUNC, ReadStandardInput(), 121);
    if (const char* text = Setting("STDOUT"))
        WriteAll(STDOUT_FILENO, text, std::strlen(text));
    if (const char* text = Setting("STDERR"))
        WriteAll(STDERR_FILENO, text, std::strlen(text));
    if (const char* delay = Setting("DELAY_MS"))
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atol(delay)));
    if (const char* number = Setting("SIGNAL")) {
        const int signal = std::atoi(number);
        std::signal(signal, SIG_DFL);
#ifndef _WIN32
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, signal);
        sigprocmask(SIG_UNBLOCK, &set, nullptr);
#endif
        std::raise(signal);
        return 125;
    }
    const char* status = Setting("STATUS");
    return status ? std::atoi(status) : 0;
}
