// Tool failures at every stage of a build: the fatal message of the stage, exit status 1,
// no later tool run, and a working directory that holds only the inputs and the results
// already kept, with nothing left in the temporary directory. Failures are forced with
// TRVX_TOOL_FAIL (the tool leaves a partial output behind) or with an "#error" line.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "build_support.h"

namespace {

using e2e::Sandbox;
using namespace e2e::build;

const Strings Inputs = {"a.c", "b.c", "bad.c", "broken.s", "c.s"};

void WriteInputs(const Sandbox& box)
{
    box.Write("a.c", "int a;\n");
    box.Write("b.c", "int b;\n");
    box.Write("bad.c", "int x;\n#error stop here\n");
    box.Write("broken.s", "#error stop here\n");
    box.Write("c.s", "nop\n");
}

// The inputs with some more files, sorted.
Strings InputsAnd(Strings more)
{
    more.insert(more.end(), Inputs.begin(), Inputs.end());
    std::sort(more.begin(), more.end());
    return more;
}

struct Failure {
    const char* name;
    Strings words;        // after the component words of the main driver
    const char* failing;  // TRVX_TOOL_FAIL, or "" for an #error line
    std::string err;      // the whole of standard error
    Strings tools;        // the tools called, the failing one last
    Strings kept = {};    // results that stay besides the inputs
};

std::ostream& operator<<(std::ostream& out, const Failure& failure)
{
    return out << failure.name;
}

// The message of a forced failure of a tool and the fatal error of its stage.
std::string Forced(const std::string& tool, const std::string& stage)
{
    return tool + ": forced failure\ncctrvx: Fatal Error: " + stage + " failed\n";
}

const std::string BadC = "cctrvx: Compiling a.c\ncctrvx: Compiling bad.c\nbad.c:2: error: #error directive\n"
                         "cctrvx: Fatal Error: Compilation failed\n";
const Strings ToPrelinker = {"compiler", "easmtrvx", "easmtrvx", "prelinker"};
const Strings ToMunchLink = {"compiler", "easmtrvx", "easmtrvx", "prelinker", "ipa", "compiler", "easmtrvx", "linker"};
const Strings ToLibrarian = {"compiler", "easmtrvx", "easmtrvx", "librarian"};
const Strings MunchPrelink = {"-k", "--prelink", "--LIM2", "-o", "prog.dxe", "a.c", "-munch", "c.s"};

class StageFailure : public ::testing::TestWithParam<Failure> {};

TEST_P(StageFailure, FatalMessageStatusOneAndNothingLeftBehind)
{
    const Failure& failure = GetParam();
    Sandbox box;
    WriteInputs(box);
    Env env;
    if (*failure.failing)
        env["TRVX_TOOL_FAIL"] = failure.failing;
    auto result = box.Run(MainLine(failure.words), Logged(box, env));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, failure.err);
    EXPECT_EQ(result.out, "");
    // The first failure stops the build.
    EXPECT_EQ(ToolNames(ToolCalls(ToolLog(box))), failure.tools);
    EXPECT_EQ(WorkFiles(box), InputsAnd(failure.kept));
}

INSTANTIATE_TEST_SUITE_P(
    Stages, StageFailure,
    ::testing::Values(
        Failure{"CompilerErrorStopsLaterSources", {"-o", "prog.dxe", "a.c", "bad.c", "b.c"}, "", BadC,
                {"compiler", "easmtrvx", "compiler"}},
        Failure{"CompilerLeavesAPartialOutput", {"-o", "prog.dxe", "a.c"}, "compiler",
                Forced("compiler", "Compilation"), {"compiler"}},
        Failure{"CompilerErrorAfterAnObjectWasMade", {"-c", "a.c", "bad.c", "b.c"}, "", BadC,
                {"compiler", "easmtrvx", "compiler"}, {"a.doj"}},
        Failure{"AssemblerErrorInAUserSource", {"-o", "prog.dxe", "a.c", "broken.s"}, "",
                "broken.s:1: error: #error directive\ncctrvx: Fatal Error: Assembler failed\n",
                {"compiler", "easmtrvx", "easmtrvx"}},
        Failure{"AssemblerLeavesAPartialObject", {"-c", "a.c"}, "easmtrvx", Forced("easmtrvx", "Assembler"),
                {"compiler", "easmtrvx"}},
        Failure{"PrelinkerLeavesAPartialMunchSource", {"--prelink", "-o", "prog.dxe", "a.c", "-munch", "c.s"},
                "prelinker", Forced("prelinker", "Prelink"), ToPrelinker},
        Failure{"LinkerLeavesAPartialProduct", {"--prelink", "-o", "prog.dxe", "a.c", "c.s"}, "linker",
                Forced("linker", "Link"), {"compiler", "easmtrvx", "easmtrvx", "prelinker", "ipa", "linker"}},
        Failure{"LibraryBuilderLeavesAPartialLibrary", {"--LIMst", "-o", "lib.dlb", "a.c", "c.s"}, "librarian",
                Forced("librarian", "Library builder"), ToLibrarian},
        Failure{"MemoryInitializerLeavesAPartialProduct", {"--LIM2", "-o", "prog.dxe", "a.c"}, "mem63k",
                Forced("mem63k", "Memory initializer"), {"compiler", "easmtrvx", "linker", "mem63k"}}),
    [](const ::testing::TestParamInfo<Failure>& info) { return std::string(info.param.name); });

// With kept intermediates (-k), what was made before the failure stays; the partial output
// of the failing tool and the product do not.
INSTANTIATE_TEST_SUITE_P(
    KeptFiles, StageFailure,
    ::testing::Values(
        Failure{"CompilerError", {"-k", "-o", "prog.dxe", "a.c", "bad.c"}, "", BadC,
                {"compiler", "easmtrvx", "compiler"}, {"a.doj", "a.s"}},
        Failure{"AssemblerFailure", {"-k", "-o", "prog.dxe", "a.c"}, "easmtrvx", Forced("easmtrvx", "Assembler"),
                {"compiler", "easmtrvx"}, {"a.s"}},
        Failure{"PrelinkerFailure", MunchPrelink, "prelinker", Forced("prelinker", "Prelink"), ToPrelinker,
                {"a.doj", "a.s", "c.doj"}},
        Failure{"LinkerFailure", MunchPrelink, "linker", Forced("linker", "Link"), ToMunchLink,
                {"a.doj", "a.s", "c.doj", "munch.c", "munch.doj", "munch.s"}},
        Failure{"MemoryInitializerFailure", MunchPrelink, "mem63k", Forced("mem63k", "Memory initializer"),
                {"compiler", "easmtrvx", "easmtrvx", "prelinker", "ipa", "compiler", "easmtrvx", "linker", "mem63k"},
                {"a.doj", "a.s", "c.doj", "munch.c", "munch.doj", "munch.s"}},
        Failure{"LibraryBuilderFailure", {"-k", "--LIMst", "-o", "lib.dlb", "a.c", "c.s"}, "librarian",
                Forced("librarian", "Library builder"), ToLibrarian, {"a.doj", "a.s", "c.doj"}}),
    [](const ::testing::TestParamInfo<Failure>& info) { return std::string(info.param.name); });

// The same through the user interface driver, whose private temporary directory goes too.
TEST(BuildKeptFiles, SaveTempsKeepsIntermediatesThroughAFailedLink)
{
    Sandbox box;
    WriteInputs(box);
    auto result = box.Run({"-save-temps", "-o", "prog.dxe", "a.c", "b.c"}, Logged(box, {{"TRVX_TOOL_FAIL", "linker"}}));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "cctrvx: Compiling a.c\n"
                          "cctrvx: Compiling b.c\n"
                          "linker: forced failure\n"
                          "cctrvx: Fatal Error: Link failed\n");
    EXPECT_EQ(WorkFiles(box), InputsAnd({"a.doj", "a.s", "b.doj", "b.s"}));
    EXPECT_EQ(Field(box.Read("b.doj"), "source: "), Strings{"b.c"});
}

TEST(BuildKeptFiles, WithoutThemNoIntermediateRemainsAfterSuccess)
{
    const std::vector<std::pair<std::string, Strings>> runs = {
        {"prog.dxe", {"-o", "prog.dxe", "a.c", "b.c", "c.s"}},
        {"lib.dlb", {"-build-lib", "-o", "lib.dlb", "a.c", "c.s"}},
        {"prog.dxe", {"-c++", "-o", "prog.dxe", "a.c", "b.c"}},
    };
    for (const auto& [product, words] : runs) {
        Sandbox box;
        WriteInputs(box);
        auto result = box.Run(words, Logged(box));
        SCOPED_TRACE(words[0]);
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(WorkFiles(box), InputsAnd({product}));
        // Every temporary the tools were given was in the temporary directory.
        for (const Strings& call : ToolCalls(ToolLog(box))) {
            for (const std::string& word : call) {
                if (WithoutTemporaryNames(word) != word) {
                    EXPECT_EQ(word.rfind(Windows(box.tmp().string()) + "\\", 0), 0u) << word;
                }
            }
        }
    }
}

// An output name that turns out to be a directory makes its tool fail; the cleanup after
// the failure removes files only, never the user's directory and what is in it. Without a
// writability check in front of the tool (the prelinker has none, "-expert-linker" turns it
// off) only the deletion list stands between the directory and its removal.
TEST(BuildKeptFiles, AFailedOutputThatIsADirectoryIsNotRemoved)
{
    struct Case {
        Strings words;
        std::string directory;
        std::string err;
    };
    const std::vector<Case> cases = {
        {MainLine({"-k", "--prelink", "-o", "prog.dxe", "a.c", "-munch"}), "munch.c",
         "prelinker: cannot write `munch.c': Is a directory\ncctrvx: Fatal Error: Prelink failed\n"},
        {{"-expert-linker", "-build-lib", "-o", "keep.dlb", "a.c"}, "keep.dlb",
         "librarian: cannot write `keep.dlb': Is a directory\ncctrvx: Fatal Error: Library builder failed\n"},
        {{"-expert-linker", "-save-temps", "-c", "a.c"}, "a.s",
         "compiler: cannot write `a.s': Is a directory\ncctrvx: Fatal Error: Compilation failed\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.directory);
        Sandbox box;
        WriteInputs(box);
        box.Write(c.directory + "/data.txt", "precious\n");
        auto result = box.Run(c.words);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(box.Read(c.directory + "/data.txt"), "precious\n");
        EXPECT_EQ(box.Files("tmp"), Strings{});
    }
}

} // namespace
