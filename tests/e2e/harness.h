// Black-box test harness: runs the built cctrvx in a fresh temporary directory with a
// controlled environment and captures its exit status, standard output and standard
// error.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

namespace fs = std::filesystem;

struct Result {
    int status = -1;       // exit status, or 128 + signal when killed
    std::string out;       // standard output
    std::string err;       // standard error
};

// A child process started in the background. A Windows program (a name ending in ".exe")
// is started through the launcher when one is set (see Launcher below).
class Process {
public:
    Process(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
            const fs::path& directory);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    int pid() const { return pid_; }
    void Signal(int signal) const;
    // Stops reading the standard error, as a reader that goes away does.
    void CloseErrorStream();
    // Waits for the process and collects its output.
    Result Wait();

private:
    int pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    bool waited_ = false;
};

// A temporary working directory with a home directory inside it; removed afterwards.
class Sandbox {
public:
    // With files written in it (see Write).
    explicit Sandbox(std::initializer_list<std::pair<std::string, std::string>> files = {});
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    const fs::path& dir() const { return dir_; }
    fs::path home() const { return dir_ / "home"; }
    fs::path tmp() const { return dir_ / "tmp"; }

    // Writes a file (directories made as needed) relative to the sandbox.
    fs::path Write(const std::string& relative, const std::string& contents) const;
    // The text of a file (see TextOf); ReadBytes gives its bytes as they are.
    std::string Read(const std::string& relative) const;
    std::string ReadBytes(const std::string& relative) const;
    bool Exists(const std::string& relative) const;
    // Every file below a directory of the sandbox (relative paths, sorted).
    std::vector<std::string> Files(const std::string& relative = ".") const;

    // The environment of a run: PATH, HOME (the sandbox home), TMP (the sandbox tmp),
    // VLX_DSP (the install image), LANG=C, plus `extra`; a value of "<unset>" removes a
    // variable.
    std::map<std::string, std::string> Environment(const std::map<std::string, std::string>& extra = {}) const;

    // Runs cctrvx with the arguments in the sandbox directory.
    Result Run(const std::vector<std::string>& args, const std::map<std::string, std::string>& extra = {}) const;
    // Starts cctrvx in the background.
    std::unique_ptr<Process> Start(const std::vector<std::string>& args,
                                   const std::map<std::string, std::string>& extra = {}) const;

private:
    fs::path dir_;
};

// The built program and the install image of the stand-in toolchain: CCTRVX_TEST_BINARY
// and CCTRVX_TEST_INSTALL, else those of this build.
std::string Binary();
std::string InstallImage();

// The program that starts a Windows program on this machine (CCTRVX_TEST_LAUNCHER, such
// as wine64), found along PATH when it is a bare name; empty when programs run directly.
std::string Launcher();
// True when the programs under test are Windows programs run by Wine. Under Wine a run
// sees the Windows side of the machine: its own HOME, TMP, TEMP and PATH are handed over
// as Wine expects them (WINEHOME, WINETMP, WINETEMP, WINEPATH), and its text output ends
// lines with "\r\n", which Result and Sandbox::Read give back as "\n".
bool UnderWine();
// The words that start a program: the launcher first for a Windows program.
std::vector<std::string> Launch(std::vector<std::string> argv);
// Lines ending "\r\n" turned into lines ending "\n" (under Wine only).
std::string TextOf(std::string text);
// The environment for a program that starts Windows programs itself (a shell or make
// running the driver through the launcher): handed over as the launcher expects it.
std::map<std::string, std::string> LaunchEnvironment(const std::map<std::string, std::string>& env);
// The host path of a name the driver printed: backslashes become slashes, and under Wine
// the drive "Z:", which Wine maps to the root of the Unix side, goes.
std::string HostPathOf(std::string name);
// The signals that interrupt the driver as a terminal or the system would: SIGINT and
// SIGTERM. Under Wine only SIGINT, which Wine delivers as the console's Ctrl-C event;
// a SIGTERM ends a Windows program at once, as a kill does, and the console's close event
// that takes its place on Windows has no Unix counterpart.
std::vector<int> InterruptSignals();

// The recording program of the tests (CCTRVX_TEST_RECORDER, else that of this build).
std::string Recorder();

// Splits a text into lines.
std::vector<std::string> Lines(const std::string& text);

} // namespace e2e
