#include "harness.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace e2e {

namespace {

// A setting of the environment, else the value of this build.
std::string Setting(const char* name, const char* fallback)
{
    const char* value = std::getenv(name);
    return value ? value : fallback;
}

} // namespace

std::string Binary() { return Setting("CCTRVX_TEST_BINARY", CCTRVX_BINARY); }
std::string InstallImage() { return Setting("CCTRVX_TEST_INSTALL", CCTRVX_INSTALL_IMAGE); }
std::string Recorder() { return Setting("CCTRVX_TEST_RECORDER", CCTRVX_RECORDER); }

std::string Launcher()
{
    static const std::string launcher = [] {
        const char* value = std::getenv("CCTRVX_TEST_LAUNCHER");
        if (!value || !*value)
            return std::string();
        std::string name = value;
        if (name.find('/') != std::string::npos)
            return name;
        const char* path = std::getenv("PATH");
        std::istringstream directories(path ? path : "/usr/bin:/bin");
        std::string directory;
        while (std::getline(directories, directory, ':')) {
            const std::string candidate = (directory.empty() ? std::string(".") : directory) + "/" + name;
            if (access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        // Debian keeps the 64-bit loader beside its libraries.
        if (access(("/usr/lib/wine/" + name).c_str(), X_OK) == 0)
            return "/usr/lib/wine/" + name;
        return name;
    }();
    return launcher;
}

bool UnderWine()
{
    const std::string launcher = Launcher();
    return fs::path(launcher).filename().string().find("wine") != std::string::npos;
}

namespace {

bool IsWindowsProgram(std::string name)
{
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    return name.size() >= 4 && name.compare(name.size() - 4, 4, ".exe") == 0;
}

// The environment of a Windows program under Wine: Wine keeps HOME, TMP, TEMP and PATH of
// the Unix side to itself and hands on WINEHOME, WINETMP, WINETEMP and WINEPATH under the
// plain names (the test prefix has no TMP or TEMP of its own that would win). The Wine
// settings of the test run itself go along.
std::map<std::string, std::string> WineEnvironment(const std::map<std::string, std::string>& env)
{
    std::map<std::string, std::string> result;
    for (const auto& [name, value] : env) {
        if (name == "HOME" || name == "TMP" || name == "TEMP") {
            result["WINE" + name] = value;
        } else if (name == "PATH") {
            std::string list = value;
            std::replace(list.begin(), list.end(), ':', ';');
            result["WINEPATH"] = list;
        } else {
            result[name] = value;
        }
    }
    for (const char* pass : {"WINEPREFIX", "WINEDEBUG", "WINESERVER", "WINELOADER", "WINEDLLOVERRIDES", "WINEARCH"}) {
        if (const char* value = std::getenv(pass))
            result[pass] = value;
    }
    // The Unix side of the launcher still needs a search path of its own.
    const char* path = std::getenv("PATH");
    result["PATH"] = path ? path : "/usr/bin:/bin";
    return result;
}

} // namespace

std::vector<std::string> Launch(std::vector<std::string> argv)
{
    if (!argv.empty() && !Launcher().empty() && IsWindowsProgram(argv[0]))
        argv.insert(argv.begin(), Launcher());
    return argv;
}

std::string TextOf(std::string text)
{
    if (!UnderWine())
        return text;
    for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;)
        text.erase(at, 1);
    return text;
}

std::map<std::string, std::string> LaunchEnvironment(const std::map<std::string, std::string>& env)
{
    return UnderWine() ? WineEnvironment(env) : env;
}

std::string HostPathOf(std::string name)
{
    if (UnderWine() && name.size() >= 3 && (name[0] == 'Z' || name[0] == 'z') && name[1] == ':' &&
        (name[2] == '\\' || name[2] == '/'))
        name.erase(0, 2);
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

std::vector<int> InterruptSignals()
{
    if (UnderWine())
        return {SIGINT};
    return {SIGINT, SIGTERM};
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line))
        lines.push_back(line);
    return lines;
}

Process::Process(const std::vector<std::string>& program, const std::map<std::string, std::string>& environment,
                 const fs::path& directory)
{
    const std::vector<std::string> argv = Launch(program);
    const bool launched = argv.size() != program.size();
    const std::map<std::string, std::string> env = launched && UnderWine() ? WineEnvironment(environment) : environment;
    int out[2];
    int err[2];
    if (pipe(out) != 0 || pipe(err) != 0)
        throw std::runtime_error("pipe failed");
    std::vector<std::string> envStrings;
    for (const auto& [name, value] : env)
        envStrings.push_back(name + "=" + value);
    std::vector<char*> cArgs;
    for (const std::string& a : argv)
        cArgs.push_back(const_cast<char*>(a.c_str()));
    cArgs.push_back(nullptr);
    std::vector<char*> cEnv;
    for (std::string& e : envStrings)
        cEnv.push_back(e.data());
    cEnv.push_back(nullptr);

    pid_ = fork();
    if (pid_ < 0)
        throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        // A process group of its own, so that a test can interrupt it like a terminal does.
        setpgid(0, 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        close(out[0]);
        close(out[1]);
        close(err[0]);
        close(err[1]);
        int devnull = open("/dev/null", O_RDONLY);
        if (devnull >= 0) {
            dup2(devnull, 0);
            close(devnull);
        }
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        signal(SIGPIPE, SIG_DFL);
        if (chdir(directory.c_str()) != 0)
            _exit(126);
        execve(cArgs[0], cArgs.data(), cEnv.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    outFd_ = out[0];
    errFd_ = err[0];
}

Process::~Process()
{
    if (!waited_ && pid_ > 0) {
        kill(pid_, SIGKILL);
        Wait();
    }
}

void Process::Signal(int signal) const
{
    kill(pid_, signal);
}

void Process::CloseErrorStream()
{
    close(errFd_);
    errFd_ = -1;
}

Result Process::Wait()
{
    Result result;
    pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
    std::string* targets[2] = {&result.out, &result.err};
    int open = errFd_ < 0 ? 1 : 2;
    char buffer[65536];
    while (open > 0) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                targets[i]->append(buffer, static_cast<std::size_t>(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    waited_ = true;
    result.out = TextOf(std::move(result.out));
    result.err = TextOf(std::move(result.err));
    if (WIFEXITED(status))
        result.status = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.status = 128 + WTERMSIG(status);
    return result;
}

Sandbox::Sandbox(std::initializer_list<std::pair<std::string, std::string>> files)
{
    std::string pattern = (fs::temp_directory_path() / "cctrvx-e2e-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    dir_ = pattern;
    fs::create_directories(home());
    fs::create_directories(tmp());
    for (const auto& [name, contents] : files)
        Write(name, contents);
}

Sandbox::~Sandbox()
{
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

fs::path Sandbox::Write(const std::string& relative, const std::string& contents) const
{
    fs::path path = dir_ / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << contents;
    return path;
}

std::string Sandbox::Read(const std::string& relative) const
{
    return TextOf(ReadBytes(relative));
}

std::string Sandbox::ReadBytes(const std::string& relative) const
{
    std::ifstream in(dir_ / relative, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool Sandbox::Exists(const std::string& relative) const
{
    return fs::exists(fs::symlink_status(dir_ / relative));
}

std::vector<std::string> Sandbox::Files(const std::string& relative) const
{
    std::vector<std::string> files;
    fs::path root = dir_ / relative;
    if (!fs::exists(root))
        return files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        files.push_back(fs::relative(entry.path(), root).string());
    std::sort(files.begin(), files.end());
    return files;
}

std::map<std::string, std::string> Sandbox::Environment(const std::map<std::string, std::string>& extra) const
{
    std::map<std::string, std::string> env;
    const char* path = std::getenv("PATH");
    env["PATH"] = path ? path : "/usr/bin:/bin";
    env["HOME"] = home().string();
    env["TMP"] = tmp().string();
    env["VLX_DSP"] = InstallImage();
    env["LANG"] = "C";
    for (const char* pass : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
        if (const char* value = std::getenv(pass))
            env[pass] = value;
    }
    for (const auto& [name, value] : extra) {
        if (value == "<unset>")
            env.erase(name);
        else
            env[name] = value;
    }
    return env;
}

Result Sandbox::Run(const std::vector<std::string>& args, const std::map<std::string, std::string>& extra) const
{
    return Start(args, extra)->Wait();
}

std::unique_ptr<Process> Sandbox::Start(const std::vector<std::string>& args,
                                        const std::map<std::string, std::string>& extra) const
{
    std::vector<std::string> argv{Binary()};
    argv.insert(argv.end(), args.begin(), args.end());
    return std::make_unique<Process>(argv, Environment(extra), dir_);
}

} // namespace e2e
