// Every kind of run: the main driver command that -dryrun prints for a user command line,
// run on its own with "cctrvx --main", gives the same result as the user command.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>

#include "build_support.h"

namespace {

namespace fs = std::filesystem;
using namespace e2e::build;
using e2e::Sandbox;

struct Case {
    const char* title;
    Strings user;      // the user's command line
    Strings products;  // the files it makes
    std::size_t shown = 1;  // the commands -dryrun prints, the main driver's last
};

// Cases are shown by their titles.
void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.title;
}

void WriteInputs(const Sandbox& box)
{
    box.Write("a.c", "#include \"a.h\"\nint a;\n");
    box.Write("a.h", "int from_header;\n");
    box.Write("b.c", "int b;\n");
    box.Write("c.s", "nop\n");
    box.Write("guide.pgo", "trvx profile\n");
    box.Write("run.pgo", "trvx profile\n");
    fs::create_directories(box.dir() / "out");
    fs::create_directories(box.dir() / "inc dir");
}

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
    std::string calls;  // without temporary names and without the profiler, which the user
                        // interface driver runs itself before it hands over
    std::map<std::string, std::string> products;
};

Outcome Collect(const Sandbox& box, const e2e::Result& result, const Strings& products)
{
    Outcome outcome{result.status, WithoutTemporaryNames(result.out), result.err, "", {}};
    for (const std::string& line : e2e::Lines(WithoutTemporaryNames(ToolLog(box)))) {
        if (line.rfind("pgo ", 0) != 0)
            outcome.calls += line + "\n";
    }
    for (const std::string& product : products) {
        outcome.products[product] = box.Exists(product) ? WithoutTemporaryNames(box.Read(product)) : "<missing>";
        fs::remove(box.dir() / product);
    }
    fs::remove(box.dir() / "home" / "tools.log");
    return outcome;
}

class Replay : public ::testing::TestWithParam<Case> {};

TEST_P(Replay, ThePrintedCommandRunsTheSameBuild)
{
    const Case& c = GetParam();
    Sandbox box;
    WriteInputs(box);

    auto direct = box.Run(c.user, Logged(box));
    ASSERT_EQ(direct.status, 0) << direct.err;
    const Outcome user = Collect(box, direct, c.products);

    // A dry run runs and writes nothing.
    const Strings before = WorkFiles(box);
    Strings dry = c.user;
    dry.push_back("-dryrun");
    auto printed = box.Run(dry, Logged(box));
    ASSERT_EQ(printed.status, 0) << printed.err;
    EXPECT_FALSE(box.Exists("home/tools.log"));
    EXPECT_EQ(WorkFiles(box), before);
    const Strings commands = PrintedCommands(printed.err);
    ASSERT_EQ(commands.size(), c.shown) << printed.err;
    Strings words = SplitCommandLine(commands.back());
    ASSERT_GE(words.size(), 2u);
    ASSERT_EQ(words[1], "--main");
    // The program's own path (on Windows with its drive), run as printed.
    EXPECT_EQ(fs::canonical(e2e::HostPathOf(words[0])), fs::canonical(e2e::Binary()));
    // The standard output of a preprocessing or dependency run goes to the output file,
    // shown as a redirection at the end of the command.
    std::string redirection;
    if (words.back().rfind(">", 0) == 0) {
        redirection = words.back().substr(1);
        words.pop_back();
    }
    auto replayed = RunWords(box, words, Logged(box));
    if (!redirection.empty())
        std::ofstream(box.dir() / redirection, std::ios::binary) << replayed.out;
    const Outcome again = Collect(box, replayed, c.products);

    EXPECT_EQ(again.status, user.status);
    if (redirection.empty()) {
        EXPECT_EQ(again.out, user.out);
    }
    EXPECT_EQ(again.err, user.err);
    EXPECT_EQ(again.calls, user.calls);
    EXPECT_EQ(again.products, user.products);
    for (const auto& [name, text] : user.products)
        EXPECT_NE(text, "<missing>") << name;
    EXPECT_TRUE(box.Files("tmp").empty());
}

INSTANTIATE_TEST_SUITE_P(
    EveryKindOfRun, Replay,
    ::testing::Values(
        Case{"Object", {"-c", "a.c"}, {"a.doj"}},
        Case{"Assembler", {"-S", "a.c"}, {"a.s"}},
        Case{"Preprocess", {"-E", "-o", "a.i", "a.c"}, {"a.i"}},
        Case{"Library", {"-build-lib", "-o", "lib.dlb", "a.c", "b.c"}, {"lib.dlb"}},
        Case{"Executable", {"-O", "-o", "prog.dxe", "a.c", "b.c", "c.s"}, {"prog.dxe"}},
        Case{"QuotedWords", {"-O", "-Dmsg=\"a b\"", "-I", "inc dir", "-flags-link", "-x y", "-o", "my prog.dxe",
                             "a.c", "c.s"}, {"my prog.dxe"}},
        Case{"Dependencies", {"-M", "a.c", "b.c"}, {}},
        Case{"ObjectsWithDependencyFiles", {"-c", "-MD", "a.c"}, {"a.doj", "a.d"}},
        Case{"ProfileGuided", {"-pguide-file", "guide.pgo", "-save-temps", "-o", "p.dxe", "a.c", "run.pgo"},
             {"p.dxe", "a.s", "a.doj"}, 2},
        Case{"Debug", {"-g", "-o", "p.dxe", "a.c"}, {"p.dxe"}},
        Case{"NoPrelink", {"-no-prelink", "-o", "p.dxe", "a.c", "c.s"}, {"p.dxe"}},
        Case{"OutputDirectory", {"-path-output", "out", "-c", "a.c", "b.c"}, {"out/a.doj", "out/b.doj"}},
        Case{"Cxx", {"-c++", "-o", "p.dxe", "b.c"}, {"p.dxe"}}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.title); });

// Names that a shell or an option file would take apart build end to end.
TEST(HostileNames, SourcesWithAwkwardNamesBuildEndToEnd)
{
    Sandbox box;
    Strings names = {"my file.c", "cost$HOME.c", "x$Y.c", "100%.c", "%PATH%.c", "p%PATH%q.c", "semi;colon.c",
                     "amp&er.c", "paren(1).c"};
    // Windows file names hold no double quote and no bar, and Wine hands the driver its
    // arguments through a code page.
    if (!e2e::UnderWine()) {
        for (const char* name : {"quote\"d.c", "pipe|x.c", "caf\xc3\xa9.c"})
            names.push_back(name);
    }
    Strings args = {"-o", "prog.dxe"};
    for (const std::string& name : names) {
        box.Write(name, "int v;\n");
        args.push_back(name);
    }
    // Variables named in them, set or not, are never expanded.
    auto result = box.Run(args, Logged(box, {{"Y", "expanded"}}));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(Field(box.Read("prog.dxe"), "source: "), names);
    EXPECT_TRUE(box.Files("tmp").empty());

    // Through option-list files as well.
    args.insert(args.end(), {"-write-files", "-write-opts", "-DQ=\"a b\""});
    auto listed = box.Run(args, Logged(box, {{"Y", "expanded"}}));
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(Field(box.Read("prog.dxe"), "source: "), names);
}

TEST(HostileNames, LongPathsAndLeadingDashes)
{
    if (e2e::UnderWine())
        GTEST_SKIP() << "Windows paths are limited to 260 characters unless the program opts in";
    Sandbox box;
    std::string directory = "d";
    while (directory.size() < 300)
        directory += "/segment_of_a_long_directory_name";
    box.Write(directory + "/deep.c", "int deep;\n");
    auto deep = box.Run({"-c", directory + "/deep.c"});
    ASSERT_EQ(deep.status, 0) << deep.err;
    EXPECT_TRUE(box.Exists("deep.doj"));

    box.Write("-dash.c", "int dash;\n");
    box.Write("b.c", "int b;\n");
    auto relative = box.Run({"-c", "./-dash.c"});
    ASSERT_EQ(relative.status, 0) << relative.err;
    EXPECT_TRUE(box.Exists("-dash.doj"));

    // After -pass a word with a leading dash is an option for the main driver: "-dash.c"
    // is its "-d" with the value "ash.c", which goes to the compiler; "-zz.c" is one it
    // does not know, which ends the run before anything is built.
    auto passed = box.Run({"-pass", "-dash.c", "-c", "b.c"}, Logged(box));
    EXPECT_EQ(passed.status, 0) << passed.err;
    EXPECT_TRUE(Contains(ToolLog(box), " -dash.c "));
    auto unknown = box.Run({"-pass", "-zz.c", "-c", "b.c"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_TRUE(Contains(unknown.err, "Fatal Error: Unrecognized option `-zz.c'")) << unknown.err;
    EXPECT_TRUE(box.Files("tmp").empty());
}

} // namespace
