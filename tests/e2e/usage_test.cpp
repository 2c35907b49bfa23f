// What the user sees without building: the help, the manual page, the help file, the
// version and identification output, the test programs, option-list files for long
// command lines, and the predefined macros of each target configuration.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "harness.h"

namespace {

namespace fs = std::filesystem;
using e2e::Lines;
using e2e::Sandbox;

std::string Fixture(const std::string& name)
{
    std::ifstream in(fs::path(CCTRVX_FIXTURES) / name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The words of the main driver's command printed by -dryrun (continuation lines joined).
std::string MainCommand(const std::string& err)
{
    std::string joined;
    for (const std::string& line : Lines(err)) {
        std::string text = line;
        if (!text.empty() && text[0] == '\t')
            text.erase(0, 1);
        if (text.size() >= 2 && text.compare(text.size() - 2, 2, " \\") == 0)
            text.resize(text.size() - 2);
        joined += text + " ";
    }
    return joined;
}

TEST(Help, TheOptionSummaryIsPrintedByteForByte)
{
    Sandbox box;
    auto result = box.Run({"-help", "a.c", "-zz"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, Fixture("help.txt"));
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(box.Run({"-h"}).out, Fixture("help.txt"));
}

TEST(Help, TheManualPageIsShownWithoutOverstrikes)
{
    Sandbox box;
    auto result = box.Run({"-man"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out.find('\b'), std::string::npos);
    EXPECT_EQ(result.out.rfind("NAME\n       cctrvx - C and C++ compiler driver", 0), 0u);
    EXPECT_TRUE(box.Files("tmp").empty());
}

TEST(Help, AManualPageThatCannotBeReadFailsTheRun)
{
    Sandbox box;
    fs::create_directories(box.dir() / "empty-install");
    auto result = box.Run({"-man"}, {{"VLX_DSP", (box.dir() / "empty-install").string()}});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("cctrvx.1: No such file or directory"), std::string::npos) << result.err;
}

TEST(Help, ABareCommandShowsTheHelpFile)
{
    Sandbox box;
    auto result = box.Run({});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out.rfind("cctrvx - C and C++ compiler driver for the Tarvex DSPs\n", 0), 0u);
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
    EXPECT_NE(none.err.find("cctrvx: Fatal Error: No source files specified - type `cctrvx -help' for usage\n"),
              std::string::npos);
}

const char* const CTest = "#include <stdio.h>\n\nvoid main(void)\n{\n    puts(\"test passed\");\n}\n";

TEST(TestPrograms, TheCTestProgramIsBuiltAndRemoved)
{
    Sandbox box;
    const std::string log = (box.dir() / "tools.log").string();
    auto result = box.Run({"-test", "-o", "t.dxe"}, {{"TRVX_TOOL_LOG", log}});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(box.Exists("t.dxe"));
    EXPECT_NE(box.Read("t.dxe").find("source: "), std::string::npos);
    EXPECT_NE(box.Read("tools.log").find("--ignore_main_dependency"), std::string::npos);
    EXPECT_TRUE(box.Files("tmp").empty());
    EXPECT_FALSE(box.Exists("cctrvx_test.c"));
}

TEST(TestPrograms, KeptTestProgramsAreByteExact)
{
    Sandbox box;
    auto c = box.Run({"-test", "-save-temps"});
    ASSERT_EQ(c.status, 0) << c.err;
    EXPECT_EQ(box.Read("cctrvx_test.c"), CTest);
    EXPECT_TRUE(box.Exists("cctrvx_test.dxe"));

    Sandbox cxx;
    auto result = cxx.Run({"-test", "-save-temps", "-c++"});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string expected = "#include <stdio.h>\n\ntemplate <class T> void f(T s)\n{\n    printf(\"%s\\n\", s);\n}\n\n"
                                 "class A\n{\n  public:\n    A(): i(1) { }\n    ~A() { if (i == 1) f(\"test passed\"); }\n"
                                 "  private:\n    int i;\n}\na;\n\nvoid main(void)\n{\n}\n";
    EXPECT_EQ(cxx.Read("cctrvx_test.c"), expected);
    EXPECT_NE(cxx.Read("cctrvx_test.dxe").find("language: c++"), std::string::npos);

    Sandbox ansi;
    ASSERT_EQ(ansi.Run({"-test", "-save-temps", "-c++", "-ansi"}).status, 0);
    EXPECT_EQ(ansi.Read("cctrvx_test.c"), CTest);
}

TEST(TestPrograms, AHeaderAloneCompilesTheHeaderTestProgram)
{
    Sandbox box;
    box.Write("a.h", "int from_header;\n");
    auto result = box.Run({"a.h", "-save-temps", "-c"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(box.Read("cctrvx_hdr.c"), "void main(void)\n{\n}\n");
    EXPECT_NE(box.Read("cctrvx_hdr.s").find("include: a.h"), std::string::npos);
}

TEST(OptionLists, ALongSourceListTravelsThroughAFile)
{
    Sandbox box;
    std::vector<std::string> args = {"-c"};
    for (int i = 0; i < 120; ++i) {
        const std::string name = "source_file_with_a_rather_long_name_" + std::to_string(i) + ".c";
        box.Write(name, "int x" + std::to_string(i) + ";\n");
        args.push_back(name);
    }
    auto dry = box.Run(args, {});
    ASSERT_EQ(dry.status, 0) << dry.err;
    EXPECT_EQ(box.Files().size(), 120u + 120u + 2u); // sources, objects, home and tmp

    std::vector<std::string> shown = args;
    shown.push_back("-dryrun");
    auto printed = box.Run(shown);
    // A dry run writes no option-list file: the names stay on the command line.
    EXPECT_NE(MainCommand(printed.err).find("source_file_with_a_rather_long_name_119.c"), std::string::npos);

    std::vector<std::string> kept = args;
    kept.push_back("-save-temps");
    kept.push_back("-v");
    auto verbose = box.Run(kept);
    ASSERT_EQ(verbose.status, 0);
    const std::string command = MainCommand(verbose.err);
    EXPECT_NE(command.find("--option_file cctrvx_file.lst"), std::string::npos);
    EXPECT_EQ(command.find("--write_options"), std::string::npos);
    const std::string list = box.Read("cctrvx_file.lst");
    EXPECT_EQ(list.rfind("# main driver options file generated by cctrvx 6.2.0 on ", 0), 0u);
    for (int i = 0; i < 120; ++i)
        EXPECT_NE(list.find("source_file_with_a_rather_long_name_" + std::to_string(i) + ".c"), std::string::npos);
}

TEST(OptionLists, NamesWithVariableSignsArriveUnchanged)
{
    Sandbox box;
    std::vector<std::string> args = {"-c", "-write-files"};
    for (const char* name : {"x$Y.c", "p%PATH%q.c", "50%.c"}) {
        box.Write(name, "int v;\n");
        args.push_back(name);
    }
    auto result = box.Run(args, {{"Y", "expanded"}});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(box.Exists("x$Y.doj"));
    EXPECT_TRUE(box.Exists("p%PATH%q.doj"));
    EXPECT_TRUE(box.Exists("50%.doj"));
}

std::string DryRun(const std::vector<std::string>& extra)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    std::vector<std::string> args = {"-dryrun", "a.c"};
    args.insert(args.end(), extra.begin(), extra.end());
    auto result = box.Run(args);
    EXPECT_EQ(result.status, 0) << result.err;
    return MainCommand(result.err);
}

// The words of a printed command line, by the quoting rules of command lines.
std::vector<std::string> Words(const std::string& line)
{
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i >= line.size())
            break;
        std::string word;
        bool quoted = false;
        while (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
            if (line[i] == '\\') {
                std::size_t run = 0;
                while (i < line.size() && line[i] == '\\') {
                    ++run;
                    ++i;
                }
                if (i < line.size() && line[i] == '"') {
                    word.append(run / 2, '\\');
                    if (run % 2) {
                        word += '"';
                        ++i;
                    }
                } else {
                    word.append(run, '\\');
                }
            } else if (line[i] == '"') {
                quoted = !quoted;
                ++i;
            } else {
                word += line[i++];
            }
        }
        words.push_back(word);
    }
    return words;
}

// The words appear in the command in this order.
bool InOrder(const std::string& command, const std::vector<std::string>& expected)
{
    const std::vector<std::string> words = Words(command);
    std::size_t at = 0;
    for (const std::string& word : expected) {
        while (at < words.size() && words[at] != word)
            ++at;
        if (at == words.size())
            return false;
        ++at;
    }
    return true;
}

TEST(TargetConfiguration, PredefinedMacrosAndDefaultsInOrder)
{
    const std::string plain = DryRun({});
    EXPECT_TRUE(InOrder(plain, {"--assert", "system(embedded)", "--assert", "machine(kdsptrvx)", "--assert",
                                "cpu(kdsptrvx)", "--assert", "compiler(cctrvx)", "-D__ZCC__=1", "-D_LANGUAGE_C=1",
                                "-D__DOUBLES_ARE_FLOATS__=1", "-D_NO_LONGLONG=1", "-D__VELTRIX_EXTENSIONS__=1",
                                "-DKDSPTARVEX=1", "-D__KDSPTARVEX__=1", "-DKDSP63832=1", "-D__KDSP63832__=1",
                                "-Dasm=__asm", "-Dinline=__inline"}))
        << plain;
    EXPECT_NE(plain.find("-KDSP-63832"), std::string::npos);
    EXPECT_TRUE(InOrder(plain, {"--COMPO_fe_asm", "-63832"}));
    EXPECT_TRUE(InOrder(plain, {"--COMPO_ln", "-DKDSP-63832"}));

    const std::string model = DryRun({"-63835"});
    EXPECT_TRUE(InOrder(model, {"-DKDSPTARVEX=1", "-D__KDSPTARVEX__=1", "-DKDSP63835=1", "-D__KDSP63835__=1"}));
    EXPECT_EQ(model.find("KDSP63832"), std::string::npos);

    const std::string ansi = DryRun({"-ansi", "-pedantic"});
    EXPECT_NE(ansi.find("-D__STRICT_ANSI__=1"), std::string::npos);
    EXPECT_EQ(ansi.find("-DKDSPTARVEX=1"), std::string::npos);
    EXPECT_EQ(ansi.find("__VELTRIX_EXTENSIONS__"), std::string::npos);
    EXPECT_EQ(ansi.find("-Dinline=__inline"), std::string::npos);

    const std::string cxx = DryRun({"-c++"});
    EXPECT_TRUE(InOrder(cxx, {"--c++", "--alternative_tokens", "--veltrix_mode"}));
    EXPECT_NE(cxx.find("-MD__cplusplus"), std::string::npos);

    const std::string none = DryRun({"-no-defs"});
    EXPECT_EQ(none.find("--assert"), std::string::npos);
    EXPECT_EQ(none.find("-D__ZCC__"), std::string::npos);
    EXPECT_EQ(none.find("Tarvex\\include"), std::string::npos);
    EXPECT_NE(none.find("-Dinline=__inline"), std::string::npos);

    const std::string reserved = DryRun({"-reserve", "m3"});
    EXPECT_NE(reserved.find("-D__M3_RESERVED__=1"), std::string::npos);
    EXPECT_NE(reserved.find("-reserve=m3"), std::string::npos);
    EXPECT_TRUE(InOrder(reserved, {"--COMPO_ln", "-MDM3_RESERVED"}));
}

} // namespace
