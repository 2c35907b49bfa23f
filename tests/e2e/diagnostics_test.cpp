// The uniform message format, error counting and limits, exit statuses, and the
// "--main" entry, observed from outside.
#include <gtest/gtest.h>

#include <filesystem>

#include "harness.h"

namespace {

using e2e::Lines;
using e2e::Sandbox;

TEST(Diagnostics, CountedErrorsStopTheRunBeforeTheHandOff)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    auto result = box.Run({"-zz1", "-zz2", "a.c"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "cctrvx: Error: Unrecognized option `-zz1'\n"
                          "cctrvx: Error: Unrecognized option `-zz2'\n"
                          "cctrvx: 2 errors detected\n");
    EXPECT_EQ(result.out, "");
}

TEST(Diagnostics, OneErrorIsCountedWithoutPlural)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    auto result = box.Run({"-zz1", "a.c"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(Lines(result.err).back(), "cctrvx: 1 error detected");
}

TEST(Diagnostics, TheTenthErrorAborts)
{
    Sandbox box;
    std::vector<std::string> args;
    for (int i = 0; i < 15; ++i)
        args.push_back("-zz" + std::to_string(i));
    auto result = box.Run(args);
    EXPECT_EQ(result.status, 1);
    auto lines = Lines(result.err);
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[9], "cctrvx: Error: Unrecognized option `-zz9'");
    EXPECT_EQ(lines[10], "cctrvx: Aborted after 10 errors");
}

TEST(Diagnostics, NoSourceFilesIsFatal)
{
    Sandbox box;
    auto result = box.Run({"-c"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "cctrvx: Fatal Error: No source files specified - type `cctrvx -help' for usage\n");
}

TEST(Diagnostics, ProgramNameIsTheLastComponentWithoutExecutableSuffix)
{
    Sandbox box;
    std::filesystem::create_symlink(e2e::Binary(), box.dir() / "tools.exe");
    e2e::Process process({(box.dir() / "tools.exe").string(), "-zz"}, box.Environment(), box.dir());
    auto result = process.Wait();
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(Lines(result.err).front(), "tools: Error: Unrecognized option `-zz'");
    EXPECT_EQ(Lines(result.err).back(), "tools: Fatal Error: No source files specified - type `tools -help' for usage");
}

TEST(MainEntry, MainAloneIsAnArgument)
{
    Sandbox box;
    auto result = box.Run({"--main"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
}

TEST(MainEntry, ArgumentsGoToTheMainDriverUnchanged)
{
    Sandbox box;
    // Three dashes make an input for the main driver; the user interface driver would
    // reject the word as an unrecognised option.
    auto direct = box.Run({"--main", "-c", "---x"});
    EXPECT_EQ(direct.status, 0);
    EXPECT_EQ(direct.err, "");
    auto user = box.Run({"---x", "a.c"});
    EXPECT_EQ(user.status, 1);

    auto unknown = box.Run({"--main", "--bogus=1"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.err, "cctrvx: Fatal Error: Unrecognized option `--bogus'\n");
}

TEST(MainEntry, MainDriverNamesItselfFromItsFirstArgument)
{
    Sandbox box;
    std::filesystem::create_symlink(e2e::Binary(), box.dir() / "drv.EXE");
    e2e::Process process({(box.dir() / "drv.EXE").string(), "--main", "--nope"}, box.Environment(), box.dir());
    auto result = process.Wait();
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "drv: Fatal Error: Unrecognized option `--nope'\n");
}

} // namespace
