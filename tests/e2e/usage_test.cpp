// What the user sees without building: the help, the manual page, the help file, the
// version and identification output, the test programs, option-list files for long
// command lines, the predefined macros of each target configuration, the uniform message
// format with error counting, limits and exit statuses, and the "--main" entry.
#include <gtest/gtest.h>

#include <filesystem>

#include "build_support.h"

namespace {

namespace fs = std::filesystem;
using e2e::Lines;
using e2e::Sandbox;
using namespace e2e::build;

std::string Fixture(const std::string& name)
{
    return ReadFile(fs::path(CCTRVX_FIXTURES) / name);
}

// The main driver's command that a run shows, its words joined by blanks.
std::string Joined(const std::string& err)
{
    std::string joined;
    for (const std::string& word : MainCommand(err))
        joined += word + " ";
    return joined;
}

TEST(Help, TheOptionSummaryTheHelpFileAndTheManualPage)
{
    Sandbox box;
    auto result = box.Run({"-help", "a.c", "-zz"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, Fixture("help.txt"));
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(box.Run({"-h"}).out, Fixture("help.txt"));
    // A bare command shows the help file.
    result = box.Run({});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out.rfind("cctrvx - C and C++ compiler driver for the Tarvex DSPs\n", 0), 0u);

    // The manual page is shown without overstrikes, and must be readable.
    result = box.Run({"-man"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out.find('\b'), std::string::npos);
    EXPECT_EQ(result.out.rfind("NAME\n       cctrvx - C and C++ compiler driver", 0), 0u);
    EXPECT_TRUE(box.Files("tmp").empty());

    fs::create_directories(box.dir() / "empty-install");
    result = box.Run({"-man"}, {{"VLX_DSP", (box.dir() / "empty-install").string()}});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Contains(result.err, "cctrvx.1: No such file or directory")) << result.err;
}

TEST(Version, IdentificationsAndTheCompilerVersion)
{
    Sandbox box;
    auto ids = box.Run({"-full-version", "-ids"});
    EXPECT_EQ(ids.status, 0);
    auto lines = Lines(ids.err);
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[0], "Operating System = Windows NT, Processor Family = TARVEX");
    EXPECT_EQ(lines[1].rfind("args.", 0), 0u);
    EXPECT_EQ(lines[13].rfind("system.", 0), 0u);

    auto version = box.Run({"-version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "Tarvex stand-in compiler 6.2.0\n");

    auto failing = box.Run({"-version"}, {{"TRVX_TOOL_FAIL", "compiler"}});
    EXPECT_EQ(failing.status, 0);
    EXPECT_EQ(failing.out, "Compiler invocation failed\n");

    auto none = box.Run({"-v"});
    EXPECT_EQ(none.status, 1);
    EXPECT_TRUE(Contains(none.err, "cctrvx: Fatal Error: No source files specified - type `cctrvx -help' for usage\n"));
}

TEST(TestPrograms, TheTestProgramsAreBuiltAndRemovedOrKeptByteExact)
{
    const std::string c = "#include <stdio.h>\n\nvoid main(void)\n{\n    puts(\"test passed\");\n}\n";
    const std::string cxx = "#include <stdio.h>\n\ntemplate <class T> void f(T s)\n{\n    printf(\"%s\\n\", s);\n}\n\n"
                            "class A\n{\n  public:\n    A(): i(1) { }\n    ~A() { if (i == 1) f(\"test passed\"); }\n"
                            "  private:\n    int i;\n}\na;\n\nvoid main(void)\n{\n}\n";
    Sandbox box;
    auto result = box.Run({"-test", "-o", "t.dxe"}, Logged(box));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(Contains(box.Read("t.dxe"), "source: "));
    EXPECT_TRUE(Contains(ToolLog(box), "--ignore_main_dependency"));
    EXPECT_EQ(WorkFiles(box), Strings{"t.dxe"});

    for (const auto& [args, text] : {std::pair{Strings{}, c}, std::pair{Strings{"-c++"}, cxx},
                                     std::pair{Strings{"-c++", "-ansi"}, c}}) {
        Sandbox kept;
        Strings words = {"-test", "-save-temps"};
        words.insert(words.end(), args.begin(), args.end());
        ASSERT_EQ(kept.Run(words).status, 0);
        EXPECT_EQ(kept.Read("cctrvx_test.c"), text);
        EXPECT_TRUE(kept.Exists("cctrvx_test.dxe"));
        if (args.size() == 1) {
            EXPECT_TRUE(Contains(kept.Read("cctrvx_test.dxe"), "language: c++"));
        }
    }

    // A header alone compiles the header test program.
    box.Write("a.h", "int from_header;\n");
    result = box.Run({"a.h", "-save-temps", "-c"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(box.Read("cctrvx_hdr.c"), "void main(void)\n{\n}\n");
    EXPECT_TRUE(Contains(box.Read("cctrvx_hdr.s"), "include: a.h"));
}

TEST(OptionLists, ALongSourceListTravelsThroughAFile)
{
    Sandbox box;
    Strings args = {"-c"};
    for (int i = 0; i < 120; ++i) {
        const std::string name = "source_file_with_a_rather_long_name_" + std::to_string(i) + ".c";
        box.Write(name, "int x" + std::to_string(i) + ";\n");
        args.push_back(name);
    }
    auto result = box.Run(args);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(WorkFiles(box).size(), 120u + 120u); // sources and objects

    // A dry run writes no option-list file: the names stay on the command line.
    args.push_back("-dryrun");
    EXPECT_TRUE(Contains(Joined(box.Run(args).err), "source_file_with_a_rather_long_name_119.c"));

    args.back() = "-save-temps";
    args.push_back("-v");
    result = box.Run(args);
    ASSERT_EQ(result.status, 0);
    const std::string command = Joined(result.err);
    EXPECT_TRUE(Contains(command, "--option_file cctrvx_file.lst"));
    EXPECT_FALSE(Contains(command, "--write_options"));
    const std::string list = box.Read("cctrvx_file.lst");
    EXPECT_EQ(list.rfind("# main driver options file generated by cctrvx 6.2.0 on ", 0), 0u);
    for (int i = 0; i < 120; ++i)
        EXPECT_TRUE(Contains(list, "source_file_with_a_rather_long_name_" + std::to_string(i) + ".c"));
}

// The words appear in the command in this order.
bool InOrder(const Strings& words, const Strings& expected)
{
    auto at = words.begin();
    for (const std::string& word : expected) {
        at = std::find(at, words.end(), word);
        if (at == words.end())
            return false;
        ++at;
    }
    return true;
}

TEST(TargetConfiguration, PredefinedMacrosAndDefaultsInOrder)
{
    struct Case {
        Strings options;
        std::vector<Strings> inOrder;  // runs of words in this order
        Strings present;               // parts of the command
        Strings absent;
    };
    const std::vector<Case> cases = {
        {{},
         {{"--assert", "system(embedded)", "--assert", "machine(kdsptrvx)", "--assert", "cpu(kdsptrvx)", "--assert",
           "compiler(cctrvx)", "-D__ZCC__=1", "-D_LANGUAGE_C=1", "-D__DOUBLES_ARE_FLOATS__=1", "-D_NO_LONGLONG=1",
           "-D__VELTRIX_EXTENSIONS__=1", "-DKDSPTARVEX=1", "-D__KDSPTARVEX__=1", "-DKDSP63832=1", "-D__KDSP63832__=1",
           "-Dasm=__asm", "-Dinline=__inline"},
          {"--COMPO_fe_asm", "-63832"},
          {"--COMPO_ln", "-DKDSP-63832"}},
         {"-KDSP-63832"},
         {}},
        {{"-63835"},
         {{"-DKDSPTARVEX=1", "-D__KDSPTARVEX__=1", "-DKDSP63835=1", "-D__KDSP63835__=1"}},
         {},
         {"KDSP63832"}},
        {{"-ansi", "-pedantic"}, {}, {"-D__STRICT_ANSI__=1"},
         {"-DKDSPTARVEX=1", "__VELTRIX_EXTENSIONS__", "-Dinline=__inline"}},
        {{"-c++"}, {{"--c++", "--alternative_tokens", "--veltrix_mode"}}, {"-MD__cplusplus"}, {}},
        {{"-no-defs"}, {}, {"-Dinline=__inline"}, {"--assert", "-D__ZCC__", "Tarvex\\include"}},
        {{"-reserve", "m3"}, {{"--COMPO_ln", "-MDM3_RESERVED"}}, {"-D__M3_RESERVED__=1", "-reserve=m3"}, {}},
    };
    Sandbox box({{"a.c", "int a;\n"}});
    for (const Case& c : cases) {
        Strings args = {"-dryrun", "a.c"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const auto result = box.Run(args);
        EXPECT_EQ(result.status, 0) << result.err;
        const Strings words = MainCommand(result.err);
        const std::string command = Joined(result.err);
        for (const Strings& run : c.inOrder)
            EXPECT_TRUE(InOrder(words, run)) << run.front() << " in " << command;
        for (const std::string& part : c.present)
            EXPECT_TRUE(Contains(command, part)) << part << " in " << command;
        for (const std::string& part : c.absent)
            EXPECT_FALSE(Contains(command, part)) << part << " in " << command;
    }
}

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
    Sandbox box({{"a.c", "int a;\n"}});
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
