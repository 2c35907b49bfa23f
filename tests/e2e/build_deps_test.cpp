// The build engine's read-only views and its replayable commands: makefile dependency
// lines instead of a build, the pruning of what is up to date, the graph display, and the
// main driver command printed by "cctrvx -dryrun" run again.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <string>
#include <utime.h>
#include <vector>

#include "build_support.h"
#include "harness.h"

namespace {

using e2e::Sandbox;
using namespace e2e::build;

// Sets a file's modification time (seconds since the epoch).
void SetTime(const Sandbox& box, const std::string& name, std::time_t when)
{
    utimbuf times{when, when};
    ASSERT_EQ(utime((box.dir() / name).c_str(), &times), 0) << name;
}

// A time as the graph display shows it, for a run with TZ=UTC.
std::string Shown(std::time_t when)
{
    std::tm parts{};
    gmtime_r(&when, &parts);
    char text[64];
    std::strftime(text, sizeof text, "%a %b %e %H:%M:%S %Y", &parts);
    return text;
}

// The words of a call with every temporary name replaced.
Strings Normalized(Strings words)
{
    for (std::string& word : words)
        word = WithoutTemporaryNames(word);
    return words;
}

constexpr std::time_t Base = 1700000000;  // Tue Nov 14 22:13:20 2023 UTC

// ---------------------------------------------------------------------------------------
// Dependency lines

TEST(BuildDependencies, RulesLookThroughTemporariesAndBuildNothing)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    box.Write("x.doj", "trvx object\n");
    auto result = box.Run(MainLine({"--print_output_file", "-o", "prog.dxe", "a.c", "x.doj", "-lc"}), Logged(box));
    ASSERT_EQ(result.status, 0) << result.err;
    // Link items are never prerequisites.
    EXPECT_EQ(result.out, "prog.dxe: a.c x.doj\n");
    EXPECT_EQ(result.err, "");
    EXPECT_FALSE(box.Exists("home/tools.log"));
    EXPECT_EQ(WorkFiles(box), (Strings{"a.c", "x.doj"}));
    EXPECT_EQ(box.Files("tmp"), Strings{});
}

TEST(BuildDependencies, KeptFilesGetARuleEachFromTheProductDown)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    box.Write("c.s", "nop\n");
    auto result = box.Run(MainLine({"-k", "--print_output_file", "-o", "prog.dxe", "a.c", "c.s", "-lc"}), Logged(box));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "prog.dxe: a.doj c.doj\n"
                          "a.doj: a.s\n"
                          "c.doj: c.s\n"
                          "a.s: a.c\n");
    EXPECT_FALSE(box.Exists("home/tools.log"));
    EXPECT_EQ(WorkFiles(box), (Strings{"a.c", "c.s"}));

    // Only sources: no product, no rule.
    result = box.Run(MainLine({"-k", "--print_output_file", "-M", "a.c"}), Logged(box));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "");
}

TEST(BuildDependencies, TheCompilerWritesDependencyLinesAndNothingIsBuilt)
{
    Sandbox box;
    box.Write("a.c", "#include \"a.h\"\nint a;\n");
    box.Write("a.h", "int h;\n");
    box.Write("b.c", "int b;\n");
    auto result = box.Run(MainLine({"-M", "a.c", "b.c"}), Logged(box));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "a.doj: a.c a.h\nb.doj: b.c\n");
    EXPECT_EQ(result.err, "cctrvx: Compiling a.c\ncctrvx: Compiling b.c\n");
    auto calls = ToolCalls(ToolLog(box));
    ASSERT_EQ(ToolNames(calls), (Strings{"compiler", "compiler"}));
    for (const Strings& call : calls) {
        EXPECT_NE(std::find(call.begin(), call.end(), "-M"), call.end());
        EXPECT_EQ(After(call, "--gen_asm_file_name"), "");
    }
    EXPECT_EQ(WorkFiles(box), (Strings{"a.c", "a.h", "b.c"}));
    EXPECT_EQ(box.Files("tmp"), Strings{});
}

TEST(BuildDependencies, DependencyBuildRemakesOnlyWhatIsOutOfDate)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    box.Write("b.c", "int b;\n");
    const Strings kept = {"-k", "-o", "prog.dxe", "a.c", "b.c"};
    ASSERT_EQ(box.Run(MainLine(kept)).status, 0);
    for (const char* source : {"a.c", "b.c"})
        SetTime(box, source, Base);
    for (const char* made : {"a.s", "a.doj", "b.s", "b.doj"})
        SetTime(box, made, Base + 10);
    SetTime(box, "prog.dxe", Base + 20);

    // Everything up to date: the product keeps no prerequisite worth a rule.
    Strings print = {"--dependency_build", "--print_output_file"};
    print.insert(print.end(), kept.begin(), kept.end());
    auto result = box.Run(MainLine(print));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "");

    // A changed source: its chain and the product are remade, the other object is reused.
    SetTime(box, "b.c", Base + 30);
    result = box.Run(MainLine(print));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "prog.dxe: a.doj b.doj\n"
                          "b.doj: b.s\n"
                          "b.s: b.c\n");

    Strings build = {"--dependency_build"};
    build.insert(build.end(), kept.begin(), kept.end());
    result = box.Run(MainLine(build), Logged(box));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    auto calls = ToolCalls(ToolLog(box));
    ASSERT_EQ(ToolNames(calls), (Strings{"compiler", "easmtrvx", "linker"}));
    EXPECT_EQ(calls[0].back(), "b.c");
    EXPECT_EQ(calls[2], (Strings{"linker", "-o", "prog.dxe", "a.doj", "b.doj"}));
    EXPECT_EQ(Field(box.Read("prog.dxe"), "source: "), (Strings{"a.c", "b.c"}));
}

// ---------------------------------------------------------------------------------------
// Graph display

TEST(BuildGraph, EveryStageWithItsNodesFlagsAndLinks)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    box.Write("x.doj", "trvx object\n");
    SetTime(box, "a.c", Base);
    SetTime(box, "x.doj", Base + 61);
    auto result = box.Run(MainLine({"-k", "--dependency_graph", "--print_output_file", "-o", "prog.dxe", "a.c",
                                    "x.doj", "-lc"}),
                          Logged(box, {{"TZ", "UTC"}}));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "compilation stage:\n"
                          "    `a.c': [" + Shown(Base) + "] exists\n"
                          "\tparents:\n"
                          "\tchildren: `a.s'\n"
                          "intermediate compilation stage:\n"
                          "assembler preprocessing stage:\n"
                          "assembly stage:\n"
                          "    `a.s': intermediate\n"
                          "\tparents: `a.c'\n"
                          "\tchildren: `a.doj'\n"
                          "linking stage:\n"
                          "    `a.doj': intermediate\n"
                          "\tparents: `a.s'\n"
                          "\tchildren: `prog.dxe'\n"
                          "    `x.doj': [" + Shown(Base + 61) + "] exists\n"
                          "\tparents:\n"
                          "\tchildren: `prog.dxe'\n"
                          "    `-lc':\n"
                          "\tparents:\n"
                          "\tchildren: `prog.dxe'\n"
                          "product:\n"
                          "    `prog.dxe':\n"
                          "\tparents: `a.doj' `x.doj' `-lc'\n"
                          "\tchildren:\n");
    EXPECT_EQ(result.out, "prog.dxe: a.doj x.doj\na.doj: a.s\na.s: a.c\n");
    EXPECT_FALSE(box.Exists("home/tools.log"));
}

TEST(BuildGraph, TemporariesPreprocessingAndPruning)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    box.Write("c.s", "nop\n");
    SetTime(box, "a.c", Base);
    SetTime(box, "c.s", Base);
    // The assembler preprocessor adds a stage; temporaries show no time.
    auto result = box.Run(MainLine({"--process_asm", "--dependency_graph", "--print_output_file", "-o", "prog.dxe",
                                    "a.c", "c.s"}),
                          {{"TZ", "UTC"}});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(WithoutTemporaryNames(result.err), "compilation stage:\n"
                                                 "    `a.c': [" + Shown(Base) + "] exists\n"
                                                 "\tparents:\n"
                                                 "\tchildren: `<tmp>.s'\n"
                                                 "intermediate compilation stage:\n"
                                                 "assembler preprocessing stage:\n"
                                                 "    `<tmp>.s': temporary intermediate\n"
                                                 "\tparents: `a.c'\n"
                                                 "\tchildren: `<tmp>.s'\n"
                                                 "    `c.s': [" + Shown(Base) + "] exists\n"
                                                 "\tparents:\n"
                                                 "\tchildren: `<tmp>.s'\n"
                                                 "assembly stage:\n"
                                                 "    `<tmp>.s': temporary intermediate\n"
                                                 "\tparents: `<tmp>.s'\n"
                                                 "\tchildren: `<tmp>.doj'\n"
                                                 "    `<tmp>.s': temporary intermediate\n"
                                                 "\tparents: `c.s'\n"
                                                 "\tchildren: `<tmp>.doj'\n"
                                                 "linking stage:\n"
                                                 "    `<tmp>.doj': temporary intermediate\n"
                                                 "\tparents: `<tmp>.s'\n"
                                                 "\tchildren: `prog.dxe'\n"
                                                 "    `<tmp>.doj': temporary intermediate\n"
                                                 "\tparents: `<tmp>.s'\n"
                                                 "\tchildren: `prog.dxe'\n"
                                                 "product:\n"
                                                 "    `prog.dxe':\n"
                                                 "\tparents: `<tmp>.doj' `<tmp>.doj'\n"
                                                 "\tchildren:\n");
    EXPECT_EQ(result.out, "prog.dxe: a.c c.s\n");

    // Pruned after a kept build in which only b.c changed: the up-to-date object of a.c
    // stays without parents and is no longer intermediate; a.c and a.s are gone.
    box.Write("b.c", "int b;\n");
    ASSERT_EQ(box.Run(MainLine({"-k", "-o", "prog.dxe", "a.c", "b.c"})).status, 0);
    SetTime(box, "b.c", Base + 30);
    for (const char* made : {"a.s", "a.doj", "b.s", "b.doj"})
        SetTime(box, made, Base + 10);
    SetTime(box, "prog.dxe", Base + 20);
    result = box.Run(MainLine({"-k", "--dependency_build", "--dependency_graph", "--print_output_file", "-o",
                               "prog.dxe", "a.c", "b.c"}),
                     {{"TZ", "UTC"}});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "compilation stage:\n"
                          "    `b.c': [" + Shown(Base + 30) + "] exists\n"
                          "\tparents:\n"
                          "\tchildren: `b.s'\n"
                          "intermediate compilation stage:\n"
                          "assembler preprocessing stage:\n"
                          "assembly stage:\n"
                          "    `b.s': [" + Shown(Base + 10) + "] intermediate exists\n"
                          "\tparents: `b.c'\n"
                          "\tchildren: `b.doj'\n"
                          "linking stage:\n"
                          "    `a.doj': [" + Shown(Base + 10) + "] exists\n"
                          "\tparents:\n"
                          "\tchildren: `prog.dxe'\n"
                          "    `b.doj': [" + Shown(Base + 10) + "] intermediate exists\n"
                          "\tparents: `b.s'\n"
                          "\tchildren: `prog.dxe'\n"
                          "product:\n"
                          "    `prog.dxe': [" + Shown(Base + 20) + "] exists\n"
                          "\tparents: `a.doj' `b.doj'\n"
                          "\tchildren:\n");
    EXPECT_EQ(result.out, "prog.dxe: a.doj b.doj\nb.doj: b.s\nb.s: b.c\n");
}

// ---------------------------------------------------------------------------------------
// Printed commands run again

// The user's command, and the main driver command that "-dryrun" prints for it run on
// its own, call the same tools with the same arguments and make the same product.
TEST(BuildReplay, ThePrintedMainCommandBuildsWhatTheUserCommandBuilds)
{
    Sandbox box;
    box.Write("a.c", "#include <stdio.h>\nint a;\n");
    box.Write("b.c", "int b;\n");
    box.Write("c.s", "nop\n");
    const Strings user = {"-O", "-o", "prog.dxe", "a.c", "b.c", "c.s"};

    Strings dry = {"-dryrun"};
    dry.insert(dry.end(), user.begin(), user.end());
    auto printed = box.Run(dry, Logged(box));
    ASSERT_EQ(printed.status, 0) << printed.err;
    const Strings commands = PrintedCommands(printed.err);
    ASSERT_EQ(commands.size(), 1u) << printed.err;
    EXPECT_FALSE(box.Exists("home/tools.log"));
    EXPECT_EQ(WorkFiles(box), (Strings{"a.c", "b.c", "c.s"}));

    Strings words = SplitCommandLine(commands[0]);
    ASSERT_GE(words.size(), 2u);
    // The program's own path (on Windows with its drive).
    const std::string binary = Windows(e2e::Binary());
    EXPECT_EQ(words[0].substr(words[0].size() - std::min(words[0].size(), binary.size())), binary);
    EXPECT_EQ(words[1], "--main");
    auto replayed = box.Run(Strings(words.begin() + 1, words.end()), Logged(box));
    ASSERT_EQ(replayed.status, 0) << replayed.err;
    const std::string replayedLog = WithoutTemporaryNames(ToolLog(box));
    const std::string replayedProduct = WithoutTemporaryNames(box.Read("prog.dxe"));
    std::filesystem::remove(box.dir() / "home" / "tools.log");
    std::filesystem::remove(box.dir() / "prog.dxe");

    auto direct = box.Run(user, Logged(box));
    ASSERT_EQ(direct.status, 0) << direct.err;
    EXPECT_EQ(direct.err, replayed.err);
    EXPECT_EQ(WithoutTemporaryNames(ToolLog(box)), replayedLog);
    EXPECT_EQ(WithoutTemporaryNames(box.Read("prog.dxe")), replayedProduct);
    EXPECT_EQ(Field(replayedProduct, "source: "), (Strings{"a.c", "b.c", "c.s"}));
    EXPECT_EQ(box.Files("tmp"), Strings{});
}

// "-dry" shows each tool's command and runs none; a real run calls the same tools with
// the same arguments (the IPA solver is started by the prelinker, not by the driver).
TEST(BuildReplay, TheCommandsShownByDryAreTheCommandsRun)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    box.Write("c.s", "nop\n");
    auto shown = box.Run({"-dry", "-o", "prog.dxe", "a.c", "c.s"}, Logged(box));
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_FALSE(box.Exists("home/tools.log"));
    EXPECT_EQ(WorkFiles(box), (Strings{"a.c", "c.s"}));
    std::vector<Strings> dryCalls;
    for (const std::string& command : PrintedCommands(shown.err)) {
        Strings words = SplitCommandLine(command);
        const std::string program = words.empty() ? std::string() : words[0];
        // The tools are ".exe" files; so is the driver itself on Windows.
        if (program.size() < 4 || program.compare(program.size() - 4, 4, ".exe") != 0 ||
            (words.size() > 1 && words[1] == "--main"))
            continue;
        words[0] = program.substr(program.find_last_of('\\') + 1, program.size() - program.find_last_of('\\') - 5);
        dryCalls.push_back(Normalized(words));
    }

    auto run = box.Run({"-o", "prog.dxe", "a.c", "c.s"}, Logged(box));
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<Strings> realCalls;
    for (const Strings& call : ToolCalls(ToolLog(box))) {
        if (call[0] != "ipa")
            realCalls.push_back(Normalized(call));
    }
    ASSERT_EQ(ToolNames(realCalls), (Strings{"compiler", "easmtrvx", "easmtrvx", "prelinker", "linker"}));
    EXPECT_EQ(dryCalls, realCalls);
}

} // namespace
