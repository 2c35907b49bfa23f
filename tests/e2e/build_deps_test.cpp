// The build engine's read-only views: makefile dependency lines instead of a build, the
// pruning of what is up to date, and the graph display.
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

constexpr std::time_t Base = 1700000000;  // Tue Nov 14 22:13:20 2023 UTC

TEST(BuildDependencies, RulesLookThroughTemporariesKeptFilesGetARuleEachNothingIsBuilt)
{
    // Link items are never prerequisites; kept files get a rule each, from the product
    // down; only sources make no product and no rule.
    const std::vector<std::pair<Strings, std::string>> cases = {
        {{"-o", "prog.dxe", "a.c", "x.doj", "-lc"}, "prog.dxe: a.c x.doj\n"},
        {{"-k", "-o", "prog.dxe", "a.c", "c.s", "-lc"}, "prog.dxe: a.doj c.doj\na.doj: a.s\nc.doj: c.s\na.s: a.c\n"},
        {{"-k", "-M", "a.c"}, ""},
    };
    for (const auto& [words, rules] : cases) {
        SCOPED_TRACE(rules);
        Sandbox box({{"a.c", "int a;\n"}, {"c.s", "nop\n"}, {"x.doj", "trvx object\n"}});
        Strings line = {"--print_output_file"};
        line.insert(line.end(), words.begin(), words.end());
        auto result = box.Run(MainLine(line), Logged(box));
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, rules);
        EXPECT_EQ(result.err, "");
        EXPECT_FALSE(box.Exists("home/tools.log"));
        EXPECT_EQ(WorkFiles(box), (Strings{"a.c", "c.s", "x.doj"}));
    }
}

TEST(BuildDependencies, TheCompilerWritesDependencyLinesAndNothingIsBuilt)
{
    Sandbox box({{"a.c", "#include \"a.h\"\nint a;\n"}, {"a.h", "int h;\n"}, {"b.c", "int b;\n"}});
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
}

// A node as the graph display shows it: its name, what is known of it, its parents and
// its children.
std::string Node(const std::string& name, const std::string& info, const Strings& parents, const Strings& children)
{
    std::string text = "    `" + name + "':" + info + "\n\tparents:";
    for (const std::string& parent : parents)
        text += " `" + parent + "'";
    text += "\n\tchildren:";
    for (const std::string& child : children)
        text += " `" + child + "'";
    return text + "\n";
}

std::string At(std::time_t when, const std::string& info) { return " [" + Shown(when) + "] " + info; }

const std::string Between = "intermediate compilation stage:\nassembler preprocessing stage:\n";

TEST(BuildDependencies, DependencyBuildRemakesOnlyWhatIsOutOfDate)
{
    Sandbox box({{"a.c", "int a;\n"}, {"b.c", "int b;\n"}});
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
    // The graph is pruned: the up-to-date object of a.c stays without parents and is no
    // longer intermediate; a.c and a.s are gone.
    SetTime(box, "b.c", Base + 30);
    print.insert(print.begin(), "--dependency_graph");
    result = box.Run(MainLine(print), {{"TZ", "UTC"}});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "prog.dxe: a.doj b.doj\nb.doj: b.s\nb.s: b.c\n");
    const std::string made = At(Base + 10, "intermediate exists");
    EXPECT_EQ(result.err, "compilation stage:\n" + Node("b.c", At(Base + 30, "exists"), {}, {"b.s"}) + Between +
                              "assembly stage:\n" + Node("b.s", made, {"b.c"}, {"b.doj"}) +
                              "linking stage:\n" + Node("a.doj", At(Base + 10, "exists"), {}, {"prog.dxe"}) +
                              Node("b.doj", made, {"b.s"}, {"prog.dxe"}) +
                              "product:\n" + Node("prog.dxe", At(Base + 20, "exists"), {"a.doj", "b.doj"}, {}));

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

TEST(BuildGraph, EveryStageWithItsNodesFlagsAndLinks)
{
    Sandbox box({{"a.c", "int a;\n"}, {"x.doj", "trvx object\n"}});
    SetTime(box, "a.c", Base);
    SetTime(box, "x.doj", Base + 61);
    auto result = box.Run(MainLine({"-k", "--dependency_graph", "--print_output_file", "-o", "prog.dxe", "a.c",
                                    "x.doj", "-lc"}),
                          Logged(box, {{"TZ", "UTC"}}));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "compilation stage:\n" + Node("a.c", At(Base, "exists"), {}, {"a.s"}) + Between +
                              "assembly stage:\n" + Node("a.s", " intermediate", {"a.c"}, {"a.doj"}) +
                              "linking stage:\n" + Node("a.doj", " intermediate", {"a.s"}, {"prog.dxe"}) +
                              Node("x.doj", At(Base + 61, "exists"), {}, {"prog.dxe"}) +
                              Node("-lc", "", {}, {"prog.dxe"}) +
                              "product:\n" + Node("prog.dxe", "", {"a.doj", "x.doj", "-lc"}, {}));
    EXPECT_EQ(result.out, "prog.dxe: a.doj x.doj\na.doj: a.s\na.s: a.c\n");
    EXPECT_FALSE(box.Exists("home/tools.log"));
}

TEST(BuildGraph, TemporariesAndPreprocessing)
{
    Sandbox box({{"a.c", "int a;\n"}, {"c.s", "nop\n"}});
    SetTime(box, "a.c", Base);
    SetTime(box, "c.s", Base);
    // The assembler preprocessor adds a stage; temporaries show no time.
    auto result = box.Run(MainLine({"--process_asm", "--dependency_graph", "--print_output_file", "-o", "prog.dxe",
                                    "a.c", "c.s"}),
                          {{"TZ", "UTC"}});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string temporary = " temporary intermediate";
    EXPECT_EQ(WithoutTemporaryNames(result.err),
              "compilation stage:\n" + Node("a.c", At(Base, "exists"), {}, {"<tmp>.s"}) + Between +
                  Node("<tmp>.s", temporary, {"a.c"}, {"<tmp>.s"}) + Node("c.s", At(Base, "exists"), {}, {"<tmp>.s"}) +
                  "assembly stage:\n" + Node("<tmp>.s", temporary, {"<tmp>.s"}, {"<tmp>.doj"}) +
                  Node("<tmp>.s", temporary, {"c.s"}, {"<tmp>.doj"}) +
                  "linking stage:\n" + Node("<tmp>.doj", temporary, {"<tmp>.s"}, {"prog.dxe"}) +
                  Node("<tmp>.doj", temporary, {"<tmp>.s"}, {"prog.dxe"}) +
                  "product:\n" + Node("prog.dxe", "", {"<tmp>.doj", "<tmp>.doj"}, {}));
    EXPECT_EQ(result.out, "prog.dxe: a.c c.s\n");
}

} // namespace
