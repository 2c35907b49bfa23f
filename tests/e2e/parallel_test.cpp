// Parallel builds: each object chain runs as a job; their output is written whole; the
// first failure stops new jobs and ends the run once the running ones finish; an
// interrupt ends every job and leaves nothing behind.
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include "build_support.h"

namespace {

using e2e::Lines;
using e2e::Sandbox;
using namespace e2e::build;

// The arguments followed by sources s0.c, s1.c, ... written to the sandbox.
Strings WithSources(const Sandbox& box, Strings args, int count)
{
    for (int i = 0; i < count; ++i) {
        args.push_back("s" + std::to_string(i) + ".c");
        box.Write(args.back(), "int s" + std::to_string(i) + ";\n");
    }
    return args;
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
    Strings args = WithSources(box, {"-o", "seq.dxe"}, 6);
    ASSERT_EQ(box.Run(args).status, 0);
    args[1] = "par.dxe";
    args.push_back("-flags-driver,--CCIMp");
    auto parallel = box.Run(args, {{"TRVX_TOOL_DELAY_MS", "50"}});
    ASSERT_EQ(parallel.status, 0) << parallel.err;
    // The objects are temporaries with different names; the sources are the same, in order.
    EXPECT_EQ(Field(box.Read("par.dxe"), "source: "), Field(box.Read("seq.dxe"), "source: "));
    EXPECT_EQ(Field(box.Read("par.dxe"), "source: ").size(), 6u);
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(Contains(parallel.err, "cctrvx: Compiling s" + std::to_string(i) + ".c\n"));
    EXPECT_TRUE(box.Files("tmp").empty());
}

TEST(Parallel, TheFirstFailureStopsNewJobs)
{
    Sandbox box({{"bad.c", "#error broken\n"}});
    auto result =
        box.Run(WithSources(box, {"-flags-driver,--parallel_jobs=1", "-o", "p.dxe", "bad.c"}, 4), Logged(box));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(Count(result.err, "Fatal Error: Compilation failed"), 1) << result.err;
    EXPECT_TRUE(Contains(result.err, "bad.c:1: error: #error directive"));
    EXPECT_EQ(Count(ToolLog(box), "compiler "), 1);
    EXPECT_FALSE(box.Exists("p.dxe"));
    EXPECT_TRUE(box.Files("tmp").empty());
}

TEST(Parallel, RunningJobsFinishAndTheFailureIsReportedOnce)
{
    if (e2e::UnderWine())
        GTEST_SKIP() << "a Windows process cannot be copied, so there are no jobs: every chain runs in the "
                        "driver one after the other, and nothing runs beside the failing one";
    Sandbox box({{"bad.c", "#error broken\n"}});
    const Strings args = {"-flags-driver,--parallel_jobs=2", "-save-temps", "-o", "p.dxe", "bad.c"};
    auto result = box.Run(WithSources(box, args, 5), {{"TRVX_TOOL_DELAY_MS", "20"}});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(Count(result.err, "Fatal Error: Compilation failed"), 1) << result.err;
    // The job that ran beside the failing one finished: its kept object is there.
    EXPECT_TRUE(box.Exists("s0.doj"));
    for (const char* gone : {"bad.s", "bad.doj", "p.dxe"})
        EXPECT_FALSE(box.Exists(gone)) << gone;
    EXPECT_TRUE(box.Files("tmp").empty());
}

TEST(Parallel, PreprocessedOutputOfEachJobIsWrittenWhole)
{
    Sandbox box;
    Strings args = {"-E", "-flags-driver,--CCIMp"};
    for (int i = 0; i < 4; ++i) {
        args.push_back("p" + std::to_string(i) + ".c");
        std::string text;
        for (int line = 0; line < 200; ++line)
            text += "int p" + std::to_string(i) + "_" + std::to_string(line) + ";\n";
        box.Write(args.back(), text);
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
        changes += source != previous;
        previous = source;
    }
    EXPECT_EQ(changes, 4);
}

TEST(Parallel, AnInterruptEndsEveryJobAndLeavesNothingBehind)
{
    for (int signal : e2e::InterruptSignals()) {
        Sandbox box;
        auto process = box.Start(WithSources(box, {"-flags-driver,--CCIMp", "-o", "p.dxe"}, 4),
                                 Logged(box, {{"TRVX_TOOL_DELAY_MS", "3000"}}));
        WaitFor([&box] { return box.Exists("home/tools.log"); });
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        if (signal == SIGINT)
            kill(-process->pid(), SIGINT); // the whole group, as a terminal does
        else
            process->Signal(SIGTERM);
        auto result = process->Wait();
        EXPECT_EQ(result.status, 1);
        EXPECT_TRUE(Contains(result.err, "Received signal " + std::to_string(signal) + " - terminating")) << result.err;
        EXPECT_EQ(WorkFiles(box), (Strings{"s0.c", "s1.c", "s2.c", "s3.c"}));
    }
}

} // namespace
