// The stand-in toolchain of the install image, run directly: each executable name keeps
// its tool's contract, and the files it writes let a test follow a source through every
// stage.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

#include "harness.h"

namespace {

namespace fs = std::filesystem;
using e2e::Lines;
using e2e::Result;
using e2e::Sandbox;

const std::set<std::string> EtcTools = {"driver", "compiler", "gco", "prelinker", "nm", "ipa", "pgo", "demangler"};
const std::set<std::string> RootTools = {"easmtrvx", "linker", "librarian", "link", "mem63k", "ccompiler", "objpp", "debugger"};

std::string ToolPath(const std::string& tool)
{
    return e2e::InstallImage() + (EtcTools.count(tool) ? "/Tarvex/etc/" : "/") + tool + ".exe";
}

Result RunTool(const Sandbox& box, const std::string& tool, const std::vector<std::string>& args,
               const std::map<std::string, std::string>& extra = {})
{
    std::vector<std::string> argv{ToolPath(tool)};
    argv.insert(argv.end(), args.begin(), args.end());
    e2e::Process process(argv, box.Environment(extra), box.dir());
    return process.Wait();
}

// The lines of a stand-in file that begin with a key ("source: ", "option: ", ...), with
// the key removed.
std::vector<std::string> Field(const std::string& text, const std::string& key)
{
    std::vector<std::string> values;
    for (const std::string& line : Lines(text)) {
        if (line.compare(0, key.size(), key) == 0)
            values.push_back(line.substr(key.size()));
    }
    return values;
}

using Strings = std::vector<std::string>;

TEST(StandInImage, EveryComponentAndDataFileIsInstalled)
{
    for (const auto* tools : {&EtcTools, &RootTools}) {
        for (const std::string& tool : *tools) {
            SCOPED_TRACE(tool);
            EXPECT_TRUE(fs::is_regular_file(ToolPath(tool)));
            EXPECT_EQ(access(ToolPath(tool).c_str(), X_OK), 0);
        }
    }
    fs::path image = e2e::InstallImage();
    for (const char* file : {"Tarvex/include/stdio.h", "Tarvex/lib/libc.dlb", "Tarvex/ldf/63832.ldf",
                             "Tarvex/ldf/63835.ldf", "System/custom.ini", "Tarvex/etc/cctrvx_driver.def"}) {
        SCOPED_TRACE(file);
        EXPECT_TRUE(fs::is_regular_file(image / file));
    }
    Sandbox box;
    fs::copy_file(image / "System/custom.ini", box.dir() / "custom.ini");
    fs::copy_file(image / "Tarvex/etc/cctrvx_driver.def", box.dir() / "def");
    fs::copy_file(image / "Tarvex/lib/libc.dlb", box.dir() / "libc.dlb");
    EXPECT_EQ(box.Read("custom.ini"), "Architecture = KDSP-63835\n");
    EXPECT_EQ(box.Read("def"), "# main driver definition file of the stand-in toolchain\n");
    EXPECT_EQ(Lines(box.Read("libc.dlb")).front(), "trvx library");
    EXPECT_FALSE(Field(box.Read("libc.dlb"), "member: ").empty());
}

TEST(StandInImage, TheToolIsChosenByTheNameIgnoringCaseAndExeSuffix)
{
    Sandbox box;
    fs::create_symlink(ToolPath("compiler"), box.dir() / "COMPILER.Exe");
    e2e::Process compiler({(box.dir() / "COMPILER.Exe").string(), "--compiler_version"}, box.Environment(), box.dir());
    Result result = compiler.Wait();
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "Tarvex stand-in compiler 6.2.0\n");

    fs::create_symlink(ToolPath("compiler"), box.dir() / "cc1.exe");
    e2e::Process unknown({(box.dir() / "cc1.exe").string()}, box.Environment(), box.dir());
    result = unknown.Wait();
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("`cc1' is not the name of a tool"), std::string::npos) << result.err;
}

TEST(StandInCompiler, VersionQueryAmongOtherOptions)
{
    Sandbox box;
    Result result = RunTool(box, "compiler", {"--kai_optimize", "1", "-DX=1", "--compiler_version"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "Tarvex stand-in compiler 6.2.0\n");
    EXPECT_EQ(result.err, "");
}

TEST(StandInCompiler, WritesTheAssemblerOutputNamedByTheOption)
{
    Sandbox box;
    box.Write("src/a.c", "#include \"a.h\"\nint main(void) { return 0; }\n");
    box.Write("src/a.h", "int a;\n");
    box.Write("out/.keep", "");
    Result result = RunTool(box, "compiler", {"-Iinc", "-DX=1", "--TLI", "-O,-KDSP-63832", "--kai_optimize", "2",
                                              "--gen_asm_file_name", "out\\a.s", "src\\a.c"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(box.Read("out/a.s"), "trvx asm\n"
                                   "tool: compiler\n"
                                   "source: src\\a.c\n"
                                   "include: src\\a.h\n"
                                   "option: -Iinc\n"
                                   "option: -DX=1\n"
                                   "option: -O\n"
                                   "option: -KDSP-63832\n"
                                   "option: --kai_optimize 2\n");
}

TEST(StandInCompiler, TheOutputOptionChoosesTheKindAndNoneMeansStandardOutput)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    EXPECT_EQ(RunTool(box, "compiler", {"--gen_c_file_name", "a.ic", "a.c"}).status, 0);
    EXPECT_EQ(Lines(box.Read("a.ic")).front(), "trvx c");
    EXPECT_EQ(RunTool(box, "compiler", {"--c++", "--gen_obj_file_name", "a.doj", "a.c"}).status, 0);
    EXPECT_EQ(Lines(box.Read("a.doj")).front(), "trvx object");
    EXPECT_EQ(Field(box.Read("a.doj"), "language: "), Strings{"c++"});

    Result result = RunTool(box, "compiler", {"a.c"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "trvx asm\ntool: compiler\nsource: a.c\n");

    result = RunTool(box, "compiler", {"--no_code_gen", "a.c"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "");
}

TEST(StandInCompiler, ErrorDirectiveFailsAndWritesTheErrorFile)
{
    Sandbox box;
    box.Write("src/a.c", "int a;\n\n#error stop here\nint b;\n");
    Result result = RunTool(box, "compiler", {"--error_file", "a.err", "--gen_asm_file_name", "a.s", "src\\a.c"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "src\\a.c:3: error: #error directive\n");
    EXPECT_EQ(box.Read("a.err"), "E src\\a.c 3\n");
    EXPECT_FALSE(box.Exists("a.s"));

    // Without an error file only the message.
    result = RunTool(box, "compiler", {"src\\a.c"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
}

TEST(StandInCompiler, ErrorsInAHeaderNameTheHeader)
{
    Sandbox box;
    box.Write("a.c", "#include <b.h>\n");
    box.Write("inc/b.h", "int b;\n#error in header\n");
    Result result = RunTool(box, "compiler", {"-Iinc", "--error_file", "a.err", "a.c"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "inc\\b.h:2: error: #error directive\n");
    EXPECT_EQ(box.Read("a.err"), "E inc\\b.h 2\n");

    box.Write("c.c", "int c;\n#include \"missing.h\"\n");
    result = RunTool(box, "compiler", {"-Iinc", "c.c"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "c.c:2: error: cannot open include file \"missing.h\"\n");
}

TEST(StandInCompiler, DependencyRulesListNestedHeadersOnce)
{
    Sandbox box;
    box.Write("src/a.c", "#include \"b.h\"\n#include <c.h>\nint a;\n");
    box.Write("src/b.h", "#include <c.h>\n");
    box.Write("inc/c.h", "#include \"d.h\"\n#include \"b.h\"\n");
    box.Write("inc/d.h", "int d;\n");

    Result result = RunTool(box, "compiler", {"-Iinc", "--dependencies", "src\\a.c"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "a.doj: src\\a.c src\\b.h inc\\c.h inc\\d.h\n");

    result = RunTool(box, "compiler", {"-I", "inc", "-M", "--depend_target", "obj\\x.doj", "src\\a.c"});
    EXPECT_EQ(result.out, "obj\\x.doj: src\\a.c src\\b.h inc\\c.h inc\\d.h\n");

    // With --no_preproc_only the compilation happens as well.
    result = RunTool(box, "compiler", {"--include_directory", "inc", "--dependencies", "--no_preproc_only",
                                       "--gen_asm_file_name", "a.s", "src\\a.c"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "a.doj: src\\a.c src\\b.h inc\\c.h inc\\d.h\n");
    EXPECT_EQ(Field(box.Read("a.s"), "include: "), (Strings{"src\\b.h", "inc\\c.h", "inc\\d.h"}));
}

TEST(StandInCompiler, PreprocessedTextReplacesEachInclude)
{
    Sandbox box;
    box.Write("a.c", "#include \"b.h\"\nint a;\n");
    box.Write("b.h", "int b;\n");
    Result result = RunTool(box, "compiler", {"--preprocess", "a.c"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "# 1 \"a.c\"\n# 1 \"b.h\"\nint b;\n# 2 \"a.c\"\nint a;\n");

    result = RunTool(box, "compiler", {"-E", "--no_line_commands", "a.c"});
    EXPECT_EQ(result.out, "int b;\nint a;\n");

    // A forced include comes first and counts as an include.
    box.Write("inc/first.h", "int first;\n");
    result = RunTool(box, "compiler", {"-P", "--preinclude", "inc\\first.h", "a.c"});
    EXPECT_EQ(result.out, "int first;\nint b;\nint a;\n");
    result = RunTool(box, "compiler", {"-M", "--preinclude", "inc\\first.h", "a.c"});
    EXPECT_EQ(result.out, "a.doj: a.c inc\\first.h b.h\n");
}

TEST(StandInTools, ResponseFilesGiveOneArgumentPerLine)
{
    Sandbox box;
    box.Write("my dir/a.c", "int a;\n");
    box.Write("args.lst", "-DMSG=a b\r\n--gen_obj_file_name\r\nout dir\\a.doj\r\nmy dir\\a.c\r\n");
    box.Write("out dir/.keep", "");
    std::string log = (box.dir() / "tools.log").string();
    Result result = RunTool(box, "compiler", {"@args.lst"}, {{"TRVX_TOOL_LOG", log}});
    ASSERT_EQ(result.status, 0) << result.err;
    std::string object = box.Read("out dir/a.doj");
    EXPECT_EQ(Field(object, "source: "), Strings{"my dir\\a.c"});
    EXPECT_EQ(Field(object, "option: "), Strings{"-DMSG=a b"});
    // The log shows the arguments as received ('@' is one of the characters that quote).
    EXPECT_EQ(box.Read("tools.log"), "compiler \"@args.lst\"\n");

    result = RunTool(box, "compiler", {"@missing.lst"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "compiler: cannot open response file `missing.lst'\n");
}

TEST(StandInChain, AssemblerLibrarianTwiceAndLinkerKeepEverySource)
{
    Sandbox box;
    box.Write("a.cpp", "int a;\n");
    box.Write("b.s", "nop\n");
    box.Write("main.c", "int main(void) { return 0; }\n");
    box.Write("libs/.keep", "");

    ASSERT_EQ(RunTool(box, "compiler", {"--c++", "--gen_asm_file_name", "a.s", "a.cpp"}).status, 0);
    ASSERT_EQ(RunTool(box, "easmtrvx", {"-63832", "-i", "inc", "-o", "a.doj", "a.s"}).status, 0);
    ASSERT_EQ(RunTool(box, "easmtrvx", {"-o", "b.doj", "b.s"}).status, 0);
    ASSERT_EQ(RunTool(box, "compiler", {"--gen_obj_file_name", "main.doj", "main.c"}).status, 0);

    std::string object = box.Read("a.doj");
    EXPECT_EQ(Lines(object).front(), "trvx object");
    EXPECT_EQ(Field(object, "source: "), Strings{"a.cpp"});
    EXPECT_EQ(Field(object, "input: "), Strings{"a.s"});
    EXPECT_EQ(Field(object, "language: "), Strings{"c++"});
    EXPECT_EQ(Field(object, "option: "), (Strings{"-63832", "-i inc"}));
    EXPECT_EQ(Field(box.Read("b.doj"), "source: "), Strings{"b.s"});

    // Each call adds its objects to the library.
    ASSERT_EQ(RunTool(box, "librarian", {"libs\\libx.dlb", "a.doj"}).status, 0);
    ASSERT_EQ(RunTool(box, "librarian", {"libs\\libx.dlb", "b.doj"}).status, 0);
    std::string library = box.Read("libs/libx.dlb");
    EXPECT_EQ(Lines(library).front(), "trvx library");
    EXPECT_EQ(Field(library, "member: "), (Strings{"a.doj", "b.doj"}));
    EXPECT_EQ(Field(library, "source: "), (Strings{"a.cpp", "b.s"}));

    // The library is found in a -L directory, "-lc" in the image's library directory.
    std::string libDir = e2e::InstallImage() + "/Tarvex/lib";
    Result result = RunTool(box, "linker", {"-T", "x.ldf", "-Llibs", "-L" + libDir, "-MDKDSP", "-o", "prog.dxe",
                                            "main.doj", "libx.dlb", "-lc"});
    ASSERT_EQ(result.status, 0) << result.err;
    std::string program = box.Read("prog.dxe");
    EXPECT_EQ(Lines(program).front(), "trvx executable");
    EXPECT_EQ(Field(program, "tool: "), Strings{"linker"});
    EXPECT_EQ(Field(program, "source: "), (Strings{"main.c", "a.cpp", "b.s", "printf.c", "puts.c"}));
    EXPECT_EQ(Field(program, "input: "), (Strings{"main.doj", "libx.dlb", "-lc"}));
    EXPECT_EQ(Field(program, "language: "), Strings{"c++"});
    EXPECT_EQ(Field(program, "option: "), (Strings{"-T x.ldf", "-Llibs", "-L" + libDir, "-MDKDSP"}));
}

TEST(StandInLibrarian, AMemberOfTheSameNameIsReplacedInPlace)
{
    Sandbox box;
    box.Write("a.s", "nop\n");
    box.Write("b.s", "nop\n");
    box.Write("new/a.s", "nop\n");
    ASSERT_EQ(RunTool(box, "easmtrvx", {"-o", "a.doj", "a.s"}).status, 0);
    ASSERT_EQ(RunTool(box, "easmtrvx", {"-o", "b.doj", "b.s"}).status, 0);
    ASSERT_EQ(RunTool(box, "easmtrvx", {"-o", "new\\a.doj", "new\\a.s"}).status, 0);
    ASSERT_EQ(RunTool(box, "librarian", {"l.dlb", "a.doj", "b.doj"}).status, 0);
    ASSERT_EQ(RunTool(box, "librarian", {"l.dlb", "new\\a.doj"}).status, 0);
    std::string library = box.Read("l.dlb");
    EXPECT_EQ(Field(library, "member: "), (Strings{"a.doj", "b.doj"}));
    EXPECT_EQ(Field(library, "source: "), (Strings{"new\\a.s", "b.s"}));

    box.Write("plain.dlb", "not a library\n");
    Result result = RunTool(box, "librarian", {"plain.dlb", "a.doj"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "librarian: `plain.dlb' is not a library\n");
}

TEST(StandInPrelinker, AnswersOneWhenAnObjectIsCxx)
{
    Sandbox box;
    box.Write("c.c", "int c;\n");
    box.Write("x.cpp", "int x;\n");
    ASSERT_EQ(RunTool(box, "compiler", {"--gen_obj_file_name", "c.doj", "c.c"}).status, 0);
    ASSERT_EQ(RunTool(box, "compiler", {"--c++", "--gen_obj_file_name", "x.doj", "x.cpp"}).status, 0);

    EXPECT_EQ(RunTool(box, "prelinker", {"c.doj"}).status, 0);
    Result result = RunTool(box, "prelinker", {"-j", "-y0", "c.doj", "-Ufoo", "x.doj"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "");

    result = RunTool(box, "prelinker", {"c.doj", "gone.doj"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "prelinker: cannot open `gone.doj'\n");
}

TEST(StandInPrelinker, EveryFailureIsStatusTwoSinceOneIsAnAnswer)
{
    Sandbox box;
    box.Write("c.s", "nop\n");
    ASSERT_EQ(RunTool(box, "easmtrvx", {"-o", "c.doj", "c.s"}).status, 0);
    fs::create_directories(box.dir() / "munch.c");
    Result result = RunTool(box, "prelinker", {"-M", "munch.c", "c.doj"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "prelinker: cannot write `munch.c': Is a directory\n");

    result = RunTool(box, "prelinker", {"@gone.lst"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "prelinker: cannot open response file `gone.lst'\n");

    result = RunTool(box, "prelinker", {"c.doj", "-M"});
    EXPECT_EQ(result.status, 2);
}

TEST(StandInPrelinker, WritesTheMunchSourceAndRunsTheListerAndTheSolver)
{
    Sandbox box;
    box.Write("c.s", "nop\n");
    ASSERT_EQ(RunTool(box, "easmtrvx", {"-o", "c.doj", "c.s"}).status, 0);
    std::string log = (box.dir() / "tools.log").string();
    Result result = RunTool(box, "prelinker",
                            {"-c", ToolPath("nm") + " -a", "-Y", ToolPath("ipa") + " --output out.dlb", "-M", "munch.c", "c.doj"},
                            {{"TRVX_TOOL_LOG", log}});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(box.Read("munch.c"), "/* munch */\n/* c.doj */\n");
    auto lines = Lines(box.Read("tools.log"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], "nm -a c.doj");
    EXPECT_EQ(lines[2], "ipa --output out.dlb c.doj");

    // A failing solver makes the prelink fail.
    result = RunTool(box, "prelinker", {"-Y", ToolPath("ipa"), "c.doj"}, {{"TRVX_TOOL_FAIL", "ipa"}});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(Lines(result.err).front(), "ipa: forced failure");
}

TEST(StandInLinker, MapFileDependencyRulesAndMissingInputs)
{
    Sandbox box;
    box.Write("a.s", "nop\n");
    ASSERT_EQ(RunTool(box, "easmtrvx", {"-o", "a.doj", "a.s"}).status, 0);

    Result result = RunTool(box, "linker", {"-Map", "p.map", "-o", "p.dxe", "a.doj"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(box.Read("p.map"), "trvx map\ntool: linker\noutput: p.dxe\ninput: a.doj\n");

    // -M without -o: the rules on standard output, nothing written.
    result = RunTool(box, "linker", {"-M", "-MD__cplusplus", "a.doj"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "a.dxe: a.doj\n");
    EXPECT_FALSE(box.Exists("a.dxe"));

    result = RunTool(box, "linker", {"-o", "q.dxe", "a.doj", "libnone.dlb"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "linker: cannot open `libnone.dlb'\n");
}

TEST(StandInTools, AssemblerFailsOnAnErrorDirective)
{
    Sandbox box;
    box.Write("bad.s", "nop\n#error no\n");
    Result result = RunTool(box, "easmtrvx", {"-o", "bad.doj", "bad.s"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "bad.s:2: error: #error directive\n");
    EXPECT_FALSE(box.Exists("bad.doj"));
}

TEST(StandInTools, SystemCompilerPostprocessorAndTheOtherBuilders)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    box.Write("g.s", "nop\n");
    ASSERT_EQ(RunTool(box, "compiler", {"--gen_c_file_name", "a.ic", "a.c"}).status, 0);

    ASSERT_EQ(RunTool(box, "ccompiler", {"-c", "-Foa.doj", "a.ic"}).status, 0);
    EXPECT_EQ(box.Read("a.doj"), "trvx object\ntool: ccompiler\nsource: a.c\ninput: a.ic\n");

    ASSERT_EQ(RunTool(box, "objpp", {"a.doj"}).status, 0);
    EXPECT_EQ(Lines(box.Read("a.doj")).back(), "postprocessed");

    ASSERT_EQ(RunTool(box, "gco", {"-o", "g.is", "g.s"}).status, 0);
    EXPECT_EQ(box.Read("g.is"), "trvx asm\ntool: gco\nsource: g.s\ninput: g.s\n");

    ASSERT_EQ(RunTool(box, "link", {"-o", "a.dll", "a.doj"}).status, 0);
    EXPECT_EQ(Lines(box.Read("a.dll")).front(), "trvx dll");

    ASSERT_EQ(RunTool(box, "linker", {"-o", "t.dxe", "a.doj"}).status, 0);
    ASSERT_EQ(RunTool(box, "mem63k", {"-o", "p.dxe", "t.dxe"}).status, 0);
    std::string program = box.Read("p.dxe");
    EXPECT_EQ(Lines(program).front(), "trvx executable");
    EXPECT_EQ(Field(program, "tool: "), Strings{"mem63k"});
    EXPECT_EQ(Field(program, "input: "), Strings{"t.dxe"});
    EXPECT_EQ(Field(program, "source: "), Strings{"a.c"});

    box.Write("guide.txt", "guide\n");
    box.Write("run1.dat", "data\n");
    ASSERT_EQ(RunTool(box, "pgo", {"-o", "p.pgo", "guide.txt", "run1.dat"}).status, 0);
    EXPECT_EQ(Lines(box.Read("p.pgo")).front(), "trvx profile");
    EXPECT_EQ(Field(box.Read("p.pgo"), "input: "), (Strings{"guide.txt", "run1.dat"}));
}

TEST(StandInDemangler, CopiesBinaryInputUnchanged)
{
    Sandbox box;
    std::string bytes("line\r\n\0\xff\x80 _Z3fooi\n", 16);
    for (int i = 0; i < 9000; ++i)
        bytes += static_cast<char>(i % 256);
    box.Write("in.bin", bytes);
    std::vector<std::string> words = {"/bin/sh", "-c", "exec \"$@\" <in.bin >out.bin", "sh"};
    for (const std::string& word : e2e::Launch({ToolPath("demangler")}))
        words.push_back(word);
    e2e::Process process(words, e2e::LaunchEnvironment(box.Environment()), box.dir());
    Result result = process.Wait();
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(box.ReadBytes("out.bin"), bytes);
}

TEST(StandInDebugger, RunsTheProgramAfterItsOptionsAndReturnsItsStatus)
{
    Sandbox box;
    std::string log = (box.dir() / "tools.log").string();
    // The program comes as a Windows-style name.
    std::string program = ToolPath("nm");
    for (char& c : program)
        if (c == '/')
            c = '\\';
    Result result = RunTool(box, "debugger", {"-batch", "-q", program, "-x", "a b"}, {{"TRVX_TOOL_LOG", log}});
    EXPECT_EQ(result.status, 0) << result.err;
    auto lines = Lines(box.Read("tools.log"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "nm -x \"a b\"");

    const fs::path recorder = box.dir() / fs::path(e2e::Recorder()).filename();
    fs::copy_file(e2e::Recorder(), recorder);
    result = RunTool(box, "debugger", {recorder.string(), "-x"}, {{"RECORDER_STATUS", "7"}});
    EXPECT_EQ(result.status, 7);
}

TEST(StandInLog, OneLinePerCallWithWindowsQuoting)
{
    Sandbox box;
    std::string log = (box.dir() / "tools.log").string();
    Result result = RunTool(box, "nm", {"plain", "a b", "", "x\"y", "p\\", "c:\\dir name\\", "a\\\"b", "t\tab", "50%",
                                        "x=1,y;z+~"},
                            {{"TRVX_TOOL_LOG", log}});
    EXPECT_EQ(result.status, 0);
    RunTool(box, "driver", {"--main"}, {{"TRVX_TOOL_LOG", log}});
    EXPECT_EQ(box.Read("tools.log"),
              "nm plain \"a b\" \"\" \"x\\\"y\" p\\ \"c:\\dir name\\\\\" \"a\\\\\\\"b\" \"t\tab\" \"50%\" x=1,y;z+~\n"
              "driver --main\n");
}

TEST(StandInFailure, ANamedToolFailsAfterWritingAPartialOutput)
{
    Sandbox box;
    box.Write("a.s", "nop\n");
    Result result = RunTool(box, "easmtrvx", {"-o", "a.doj", "a.s"}, {{"TRVX_TOOL_FAIL", "easmtrvx"}});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "easmtrvx: forced failure\n");
    ASSERT_TRUE(box.Exists("a.doj"));
    EXPECT_EQ(Lines(box.Read("a.doj")).front(), "trvx object");

    // Other tools go on working; a list may name several.
    EXPECT_EQ(RunTool(box, "easmtrvx", {"-o", "b.doj", "a.s"}, {{"TRVX_TOOL_FAIL", "compiler"}}).status, 0);
    result = RunTool(box, "compiler", {"--compiler_version"}, {{"TRVX_TOOL_FAIL", "linker,compiler"}});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");

    // The prelinker's status 1 is an answer, so its failure has status 2.
    result = RunTool(box, "prelinker", {"-M", "m.c", "b.doj"}, {{"TRVX_TOOL_FAIL", "prelinker"}});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "prelinker: forced failure\n");
    EXPECT_TRUE(box.Exists("m.c"));
}

TEST(StandInDelay, TheToolSleepsBeforeWorking)
{
    Sandbox box;
    auto start = std::chrono::steady_clock::now();
    Result result = RunTool(box, "nm", {}, {{"TRVX_TOOL_DELAY_MS", "300"}});
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(result.status, 0);
    EXPECT_GE(elapsed, std::chrono::milliseconds(300));
}

} // namespace
