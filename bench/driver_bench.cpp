// Whole-program benchmarks of cctrvx. They print figures and ratios; they never assert.
//
//   overhead  cctrvx -dryrun -c a.c against gcc -### -c a.c, median of 25 runs each
//   scaling   -dryrun and a full build with the stand-in tools for 100, 1,000 and 10,000
//             sources: times, time per source relative to 100 sources, peak memory
//   parallel  64 sources with tools that take a fixed time per call: sequential against
//             -flags-driver,--CCIMp
//
// Usage: driver_bench [overhead|scaling|parallel|all] [--quick]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Run {
    double seconds = 0;
    long peakKilobytes = 0;
    int status = -1;
};

// Runs a command in a directory with extra environment variables, output discarded.
Run Execute(const std::vector<std::string>& argv, const fs::path& directory,
            const std::vector<std::pair<std::string, std::string>>& env = {})
{
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(directory.c_str()) != 0)
            _exit(126);
        for (const auto& [name, value] : env)
            setenv(name.c_str(), value.c_str(), 1);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    Run run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakKilobytes = usage.ru_maxrss;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

Run Median(int times, const std::vector<std::string>& argv, const fs::path& directory,
           const std::vector<std::pair<std::string, std::string>>& env = {})
{
    std::vector<Run> runs;
    for (int i = 0; i < times; ++i)
        runs.push_back(Execute(argv, directory, env));
    std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.seconds < b.seconds; });
    return runs[runs.size() / 2];
}

fs::path Workspace()
{
    fs::path dir = fs::temp_directory_path() / ("cctrvx-bench-" + std::to_string(getpid()));
    fs::create_directories(dir / "tmp");
    return dir;
}

std::vector<std::string> MakeSources(const fs::path& dir, int count)
{
    fs::create_directories(dir);
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        const std::string name = "source" + std::to_string(i) + ".c";
        std::ofstream(dir / name) << "int value" << i << " = " << i << ";\n";
        names.push_back(name);
    }
    return names;
}

std::vector<std::pair<std::string, std::string>> Environment(const fs::path& work)
{
    return {{"VLX_DSP", CCTRVX_INSTALL_IMAGE}, {"TMP", (work / "tmp").string()}, {"CCTRVX_IGNORE_ENV", "1"}};
}

bool HaveGcc()
{
    return std::system("gcc --version >/dev/null 2>&1") == 0;
}

void Overhead(const fs::path& work, bool quick)
{
    const fs::path dir = work / "overhead";
    MakeSources(dir, 1);
    const int times = quick ? 5 : 25;
    Run driver = Median(times, {CCTRVX_BINARY, "-dryrun", "-c", "source0.c"}, dir, Environment(work));
    std::printf("overhead: cctrvx -dryrun -c a.c   median %.2f ms (%d runs)\n", driver.seconds * 1000, times);
    if (!HaveGcc()) {
        std::printf("overhead: gcc not found, no ratio\n");
        return;
    }
    Run gcc = Median(times, {"gcc", "-###", "-c", "source0.c"}, dir);
    std::printf("overhead: gcc -### -c a.c         median %.2f ms (%d runs)\n", gcc.seconds * 1000, times);
    std::printf("overhead: ratio cctrvx / gcc = %.2f\n", driver.seconds / gcc.seconds);
}

void Scaling(const fs::path& work, bool quick)
{
    const std::vector<int> sizes = quick ? std::vector<int>{100, 1000} : std::vector<int>{100, 1000, 10000};
    double dryBase = 0, buildBase = 0;
    for (int size : sizes) {
        const fs::path dir = work / ("scale" + std::to_string(size));
        std::vector<std::string> argv = {CCTRVX_BINARY, "-dryrun", "-o", "p.dxe"};
        for (const std::string& name : MakeSources(dir, size))
            argv.push_back(name);
        Run dry = Median(3, argv, dir, Environment(work));
        const double perSource = dry.seconds / size;
        if (dryBase == 0)
            dryBase = perSource;
        std::printf("scaling: -dryrun %6d sources  %8.3f s  %7.1f us/source  ratio %.2f  peak %ld KB\n", size,
                    dry.seconds, perSource * 1e6, perSource / dryBase, dry.peakKilobytes);
        if (size > 1000 && quick)
            continue;
        argv.erase(argv.begin() + 1);
        Run build = Execute(argv, dir, Environment(work));
        const double buildPerSource = build.seconds / size;
        if (buildBase == 0)
            buildBase = buildPerSource;
        std::printf("scaling: build   %6d sources  %8.3f s  %7.1f us/source  ratio %.2f  peak %ld KB  status %d\n",
                    size, build.seconds, buildPerSource * 1e6, buildPerSource / buildBase, build.peakKilobytes,
                    build.status);
    }
    std::printf("scaling: a ratio near 1.0 means the time per source stays the same as the list grows\n");
}

void Parallel(const fs::path& work, bool quick)
{
    const int count = quick ? 16 : 64;
    const fs::path dir = work / "parallel";
    std::vector<std::string> argv = {CCTRVX_BINARY, "-o", "p.dxe"};
    for (const std::string& name : MakeSources(dir, count))
        argv.push_back(name);
    auto env = Environment(work);
    env.emplace_back("TRVX_TOOL_DELAY_MS", "50");
    Run sequential = Execute(argv, dir, env);
    argv.push_back("-flags-driver,--CCIMp");
    Run parallel = Execute(argv, dir, env);
    const long processors = sysconf(_SC_NPROCESSORS_ONLN);
    std::printf("parallel: %d sources, tools take 50 ms a call, %ld processors\n", count, processors);
    std::printf("parallel: sequential %.2f s, parallel %.2f s, speed-up %.2f\n", sequential.seconds, parallel.seconds,
                sequential.seconds / parallel.seconds);
}

} // namespace

int main(int argc, char** argv)
{
    std::string what = argc > 1 ? argv[1] : "all";
    const bool quick = argc > 2 && std::strcmp(argv[2], "--quick") == 0;
    const fs::path work = Workspace();
    if (what == "overhead" || what == "all")
        Overhead(work, quick);
    if (what == "scaling" || what == "all")
        Scaling(work, quick);
    if (what == "parallel" || what == "all")
        Parallel(work, quick);
    fs::remove_all(work);
    return 0;
}
