// Parallel builds: each object chain runs as a job; their output is written whole; the
// first failure stops new jobs and ends the run once the running ones finish; an
// interrupt ends every job and leaves nothing behind.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include "harness.h"

namespace {

namespace fs = std::filesystem;
using e2e::Lines;
using e2e::Sandbox;

std::vector<std::string> Sources(const Sandbox& box, int count)
{
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        const std::string name = "s" + std::to_string(i) + ".c";
        box.Write(name, "int s" + std::to_string(i) + ";\n");
        names.push_back(name);
    }
    return names;
}

int Count(const std::string& text, const std::string& what)
{
    int count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

TEST(Parallel, TheProductIsTheSameAsASequentialBuild)
{
    Sandbox box;
    std::vector<std::string> args = {"-o", "seq.dxe"};
    for (const std::string& source : Sources(box, 6))
        args.push_back(source);
    ASSERT_EQ(box.Run(args).status, 0);
    args[1] = "par.dxe";
    args.push_back("-flags-driver,--CCIMp");
    auto parallel = box.Run(args, {{"TRVX_TOOL_DELAY_MS", "50"}});
    ASSERT_EQ(parallel.status, 0) << parallel.err;
    std::string sequential = box.Read("seq.dxe");
    std::string product = box.Read("par.dxe");
    // The objects are temporaries with different names; the sources are the same, in order.
    auto sources = [](const std::string& text) {
        std::vector<std::string> lines;
        for (const std::string& line : Lines(text)) {
            if (line.rfind("source: ", 0) == 0)
                lines.push_back(line);
        }
        return lines;
    };
    EXPECT_EQ(sources(product), sources(sequential));
    EXPECT_EQ(sources(product).size(), 6u);
    for (int i = 0; i < 6; ++i)
        EXPECT_NE(parallel.err.find("cctrvx: Compiling s" + std::to_string(i) + ".c\n"), std::string::npos);
    EXPECT_TRUE(box.Files("tmp").empty());
}

TEST(Parallel, TheFirstFailureStopsNewJobs)
{
    Sandbox box;
    box.Write("bad.c", "#error broken\n");
    std::vector<std::string> args = {"-flags-driver,--parallel_jobs=1", "-o", "p.dxe", "bad.c"};
    for (const std::string& source : Sources(box, 4))
        args.push_back(source);
    const std::string log = (box.dir() / "tools.log").string();
    auto result = box.Run(args, {{"TRVX_TOOL_LOG", log}});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(Count(result.err, "Fatal Error: Compilation failed"), 1) << result.err;
    EXPECT_NE(result.err.find("bad.c:1: error: #error directive"), std::string::npos);
    EXPECT_EQ(Count(box.Read("tools.log"), "compiler "), 1);
    EXPECT_FALSE(box.Exists("p.dxe"));
    EXPECT_TRUE(box.Files("tmp").empty());
}

TEST(Parallel, RunningJobsFinishAndTheFailureIsReportedOnce)
{
    if (e2e::UnderWine())
        GTEST_SKIP() << "a Windows process cannot be copied, so there are no jobs: every chain runs in the "
                        "driver one after the other, and nothing runs beside the failing one";
    Sandbox box;
    box.Write("bad.c", "#error broken\n");
    std::vector<std::string> args = {"-flags-driver,--parallel_jobs=2", "-save-temps", "-o", "p.dxe", "bad.c"};
    for (const std::string& source : Sources(box, 5))
        args.push_back(source);
    auto result = box.Run(args, {{"TRVX_TOOL_DELAY_MS", "20"}});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(Count(result.err, "Fatal Error: Compilation failed"), 1) << result.err;
    // The job that ran beside the failing one finished: its kept object is there.
    EXPECT_TRUE(box.Exists("s0.doj"));
    EXPECT_FALSE(box.Exists("bad.s"));
    EXPECT_FALSE(box.Exists("bad.doj"));
    EXPECT_FALSE(box.Exists("p.dxe"));
    EXPECT_TRUE(box.Files("tmp").empty());
}

TEST(Parallel, PreprocessedOutputOfEachJobIsWrittenWhole)
{
    Sandbox box;
    std::vector<std::string> args = {"-E", "-flags-driver,--CCIMp"};
    for (int i = 0; i < 4; ++i) {
        const std::string name = "p" + std::to_string(i) + ".c";
        std::string text;
        for (int line = 0; line < 200; ++line)
            text += "int p" + std::to_string(i) + "_" + std::to_string(line) + ";\n";
        box.Write(name, text);
        args.push_back(name);
    }
    auto result = box.Run(args);
    ASSERT_EQ(result.status, 0) << result.err;
    // The lines of each source stay together.
    std::string previous;
    int changes = 0;
    for (const std::string& line : Lines(result.out)) {
        if (line.rfind("int p", 0) != 0)
            continue;
        const std::string source = line.substr(5, line.find('_') - 5);
        if (source != previous)
            ++changes;
        previous = source;
    }
    EXPECT_EQ(changes, 4);
}

TEST(Parallel, AnInterruptEndsEveryJobAndLeavesNothingBehind)
{
    for (int signal : e2e::InterruptSignals()) {
        Sandbox box;
        std::vector<std::string> args = {"-flags-driver,--CCIMp", "-o", "p.dxe"};
        for (const std::string& source : Sources(box, 4))
            args.push_back(source);
        const std::string log = (box.dir() / "tools.log").string();
        auto process = box.Start(args, {{"TRVX_TOOL_DELAY_MS", "3000"}, {"TRVX_TOOL_LOG", log}});
        for (int i = 0; i < 100 && !fs::exists(log); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        if (signal == SIGINT)
            kill(-process->pid(), SIGINT); // the whole group, as a terminal does
        else
            process->Signal(SIGTERM);
        auto result = process->Wait();
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find("Received signal " + std::to_string(signal) + " - terminating"), std::string::npos)
            << result.err;
        EXPECT_TRUE(box.Files("tmp").empty());
        EXPECT_FALSE(box.Exists("p.dxe"));
        for (const std::string& file : box.Files())
            EXPECT_TRUE(file == "home" || file == "tmp" || file == "tools.log" || file.rfind("s", 0) == 0) << file;
    }
}

} // namespace
