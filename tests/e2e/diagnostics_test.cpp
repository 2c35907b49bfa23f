// The uniform message format, error counting and limits, exit statuses, and the
// "--main" entry, observed from outside.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "harness.h"

namespace {

using e2e::Lines;
using e2e::Sandbox;
using Strings = std::vector<std::string>;

TEST(Diagnostics, ErrorsAreCountedAndStopTheRunBeforeTheHandOff)
{
    Strings fifteen;
    for (int i = 0; i < 15; ++i)
        fifteen.push_back("-zz" + std::to_string(i));
    const std::string two = "cctrvx: Error: Unrecognized option `-zz1'\ncctrvx: Error: Unrecognized option `-zz2'\n";
    const std::vector<std::pair<Strings, std::string>> cases = {
        {{"-zz1", "-zz2", "a.c"}, two + "cctrvx: 2 errors detected\n"},
        {{"-zz1", "a.c"}, "cctrvx: Error: Unrecognized option `-zz1'\ncctrvx: 1 error detected\n"},
        // The tenth error aborts.
        {fifteen, "*cctrvx: Error: Unrecognized option `-zz9'\ncctrvx: Aborted after 10 errors\n"},
        {{"-c"}, "cctrvx: Fatal Error: No source files specified - type `cctrvx -help' for usage\n"},
        // Three dashes make an input for the main driver, which the user interface driver
        // rejects as an unrecognised option.
        {{"---x", "a.c"}, "cctrvx: Error: Unrecognized option `---x'\ncctrvx: 1 error detected\n"},
    };
    Sandbox box;
    box.Write("a.c", "int a;\n");
    for (const auto& [args, err] : cases) {
        SCOPED_TRACE(args.front());
        const auto result = box.Run(args);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "");
        if (err[0] == '*') {
            ASSERT_EQ(Lines(result.err).size(), 11u);
            EXPECT_EQ(result.err.substr(result.err.find("cctrvx: Error: Unrecognized option `-zz9'")), err.substr(1));
        } else {
            EXPECT_EQ(result.err, err);
        }
    }
}

TEST(Diagnostics, TheProgramNameIsTheLastComponentWithoutExecutableSuffix)
{
    Sandbox box;
    std::filesystem::create_symlink(e2e::Binary(), box.dir() / "tools.exe");
    std::filesystem::create_symlink(e2e::Binary(), box.dir() / "drv.EXE");
    auto result = e2e::Process({(box.dir() / "tools.exe").string(), "-zz"}, box.Environment(), box.dir()).Wait();
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(Lines(result.err).front(), "tools: Error: Unrecognized option `-zz'");
    EXPECT_EQ(Lines(result.err).back(), "tools: Fatal Error: No source files specified - type `tools -help' for usage");
    // The main driver names itself from its first argument as well.
    result = e2e::Process({(box.dir() / "drv.EXE").string(), "--main", "--nope"}, box.Environment(), box.dir()).Wait();
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "drv: Fatal Error: Unrecognized option `--nope'\n");
}

TEST(MainEntry, ArgumentsGoToTheMainDriverUnchanged)
{
    Sandbox box;
    // "--main" alone is an argument; three dashes make an input for the main driver.
    for (const Strings& args : {Strings{"--main"}, Strings{"--main", "-c", "---x"}}) {
        auto result = box.Run(args);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, "");
    }
    auto unknown = box.Run({"--main", "--bogus=1"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.err, "cctrvx: Fatal Error: Unrecognized option `--bogus'\n");
}

} // namespace
