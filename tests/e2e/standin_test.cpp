// The stand-in toolchain of the install image, run directly: each executable name keeps
// its tool's contract, and the files it writes let a test follow a source through every
// stage.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

#include "build_support.h"

namespace {

namespace fs = std::filesystem;
using e2e::Result;
using e2e::Sandbox;
using namespace e2e::build;

const Strings EtcTools = {"driver", "compiler", "gco", "prelinker", "nm", "ipa", "pgo", "demangler"};
const Strings RootTools = {"easmtrvx", "linker", "librarian", "link", "mem63k", "ccompiler", "objpp", "debugger"};

std::string ToolPath(const std::string& tool)
{
    const bool etc = std::find(EtcTools.begin(), EtcTools.end(), tool) != EtcTools.end();
    return e2e::InstallImage() + (etc ? "/Tarvex/etc/" : "/") + tool + ".exe";
}

TEST(StandInImage, EveryComponentAndDataFileIsInstalled)
{
    for (const Strings* tools : {&EtcTools, &RootTools}) {
        for (const std::string& tool : *tools) {
            EXPECT_TRUE(fs::is_regular_file(ToolPath(tool))) << tool;
            EXPECT_EQ(access(ToolPath(tool).c_str(), X_OK), 0) << tool;
        }
    }
    auto read = [](const std::string& file) { return e2e::TextOf(ReadFile(fs::path(e2e::InstallImage()) / file)); };
    EXPECT_TRUE(fs::is_regular_file(fs::path(e2e::InstallImage()) / "Tarvex/include/stdio.h"));
    EXPECT_TRUE(fs::is_regular_file(fs::path(e2e::InstallImage()) / "Tarvex/ldf/63832.ldf"));
    EXPECT_TRUE(fs::is_regular_file(fs::path(e2e::InstallImage()) / "Tarvex/ldf/63835.ldf"));
    EXPECT_EQ(read("System/custom.ini"), "Architecture = KDSP-63835\n");
    EXPECT_EQ(read("Tarvex/etc/cctrvx_driver.def"), "# main driver definition file of the stand-in toolchain\n");
    EXPECT_EQ(read("Tarvex/lib/libc.dlb").rfind("trvx library\n", 0), 0u);
    EXPECT_FALSE(Field(read("Tarvex/lib/libc.dlb"), "member: ").empty());
}

// One run of a stand-in tool. In the arguments and the texts expected, "<image>" stands for
// the install image ("<windows image>" with backslashes) and "<recorder>" for a copy of the
// recording program. A text expected
// is compared whole, except "*" (anything, for a file: that it exists), "<none>" (for a
// file: that it does not exist) and a text ending "..." (what the text starts with). The
// log is what the tool and those it started appended to TRVX_TOOL_LOG, compared by its end.
struct Step {
    std::string tool;
    Strings args;
    int status = 0;
    std::string out = "*";
    std::string err = "*";
    std::vector<std::pair<std::string, std::string>> files = {};
    std::string log = "";
    Env env = {};
};

struct Scenario {
    const char* title;
    std::vector<std::pair<std::string, std::string>> inputs;
    std::vector<Step> steps;
};

std::string Expand(std::string text, const Sandbox& box)
{
    for (const auto& [name, value] : {std::pair<std::string, std::string>{"<image>", e2e::InstallImage()},
                                      {"<windows image>", Windows(e2e::InstallImage())},
                                      {"<recorder>", (box.dir() / fs::path(e2e::Recorder()).filename()).string()}}) {
        for (std::size_t at; (at = text.find(name)) != std::string::npos;)
            text.replace(at, name.size(), value);
    }
    return text;
}

void ExpectText(const std::string& actual, const std::string& expected, const std::string& what)
{
    const bool start = expected.size() > 3 && expected.compare(expected.size() - 3, 3, "...") == 0;
    if (expected != "*") {
        const std::size_t size = start ? expected.size() - 3 : std::string::npos;
        EXPECT_EQ(actual.substr(0, size), expected.substr(0, size)) << what;
    }
}

const std::string SourceA = "#include \"b.h\"\n#include <c.h>\nint a;\n";
const std::string Deps = "src\\a.c src\\b.h inc\\c.h inc\\d.h\n";
const std::string AsmA = "trvx asm\ntool: compiler\nsource: src\\a.c\n";

const std::vector<Scenario> Scenarios = {
    {"compiler outputs",
     {{"a.c", "int a;\n"}, {"src/a.c", SourceA}, {"src/b.h", ""}, {"inc/c.h", ""}, {"out/.keep", ""}},
     {{"compiler", {"--kai_optimize", "1", "-DX=1", "--compiler_version"}, 0, "Tarvex stand-in compiler 6.2.0\n", ""},
      {"compiler", {"-Iinc", "-DX=1", "--TLI", "-O,-KDSP-63832", "--kai_optimize", "2", "--gen_asm_file_name",
                    "out\\a.s", "src\\a.c"}, 0, "", "*",
       {{"out/a.s", AsmA + "include: src\\b.h\ninclude: inc\\c.h\noption: -Iinc\noption: -DX=1\noption: -O\n"
                           "option: -KDSP-63832\noption: --kai_optimize 2\n"}}},
      {"compiler", {"--gen_c_file_name", "a.ic", "a.c"}, 0, "*", "*",
       {{"a.ic", "trvx c\ntool: compiler\nsource: a.c\n"}}},
      {"compiler", {"--c++", "--gen_obj_file_name", "a.doj", "a.c"}, 0, "*", "*",
       {{"a.doj", "trvx object\ntool: compiler\nsource: a.c\nlanguage: c++\noption: --c++\n"}}},
      {"compiler", {"a.c"}, 0, "trvx asm\ntool: compiler\nsource: a.c\n"},
      {"compiler", {"--no_code_gen", "a.c"}, 0, ""}}},
    {"#error and missing headers",
     {{"src/a.c", "int a;\n\n#error stop here\nint b;\n"}, {"a.c", "#include <b.h>\n"},
      {"inc/b.h", "int b;\n#error in header\n"}, {"c.c", "int c;\n#include \"missing.h\"\n"},
      {"bad.s", "nop\n#error no\n"}},
     {{"compiler", {"--error_file", "a.err", "--gen_asm_file_name", "a.s", "src\\a.c"}, 1, "*",
       "src\\a.c:3: error: #error directive\n", {{"a.err", "E src\\a.c 3\n"}, {"a.s", "<none>"}}},
      {"compiler", {"src\\a.c"}, 1, ""},
      {"compiler", {"-Iinc", "--error_file", "b.err", "a.c"}, 1, "*", "inc\\b.h:2: error: #error directive\n",
       {{"b.err", "E inc\\b.h 2\n"}}},
      {"compiler", {"-Iinc", "c.c"}, 1, "*", "c.c:2: error: cannot open include file \"missing.h\"\n"},
      {"easmtrvx", {"-o", "bad.doj", "bad.s"}, 1, "*", "bad.s:2: error: #error directive\n", {{"bad.doj", "<none>"}}}}},
    {"dependency rules and preprocessed text",
     {{"src/a.c", SourceA}, {"src/b.h", "#include <c.h>\n"}, {"inc/c.h", "#include \"d.h\"\n#include \"b.h\"\n"},
      {"inc/d.h", "int d;\n"}, {"a.c", "#include \"b.h\"\nint a;\n"}, {"b.h", "int b;\n"},
      {"inc/first.h", "int first;\n"}},
     {{"compiler", {"-Iinc", "--dependencies", "src\\a.c"}, 0, "a.doj: " + Deps},
      {"compiler", {"-I", "inc", "-M", "--depend_target", "obj\\x.doj", "src\\a.c"}, 0, "obj\\x.doj: " + Deps},
      // With --no_preproc_only the compilation happens as well.
      {"compiler", {"--include_directory", "inc", "--dependencies", "--no_preproc_only", "--gen_asm_file_name", "a.s",
                    "src\\a.c"}, 0, "a.doj: " + Deps, "*",
       {{"a.s", AsmA + "include: src\\b.h\ninclude: inc\\c.h\ninclude: inc\\d.h\noption: -Iinc\n"}}},
      {"compiler", {"--preprocess", "a.c"}, 0, "# 1 \"a.c\"\n# 1 \"b.h\"\nint b;\n# 2 \"a.c\"\nint a;\n"},
      {"compiler", {"-E", "--no_line_commands", "a.c"}, 0, "int b;\nint a;\n"},
      // A forced include comes first and counts as an include.
      {"compiler", {"-P", "--preinclude", "inc\\first.h", "a.c"}, 0, "int first;\nint b;\nint a;\n"},
      {"compiler", {"-M", "--preinclude", "inc\\first.h", "a.c"}, 0, "a.doj: a.c inc\\first.h b.h\n"}}},
    {"response files and the log",
     {{"my dir/a.c", "int a;\n"}, {"out dir/.keep", ""},
      {"args.lst", "-DMSG=a b\r\n--gen_obj_file_name\r\nout dir\\a.doj\r\nmy dir\\a.c\r\n"}},
     // The log shows the arguments as received ('@' is one of the characters that quote).
     {{"compiler", {"@args.lst"}, 0, "*", "*",
       {{"out dir/a.doj", "trvx object\ntool: compiler\nsource: my dir\\a.c\noption: -DMSG=a b\n"}},
       "compiler \"@args.lst\"\n"},
      {"compiler", {"@missing.lst"}, 1, "*", "compiler: cannot open response file `missing.lst'\n"},
      {"nm", {"plain", "a b", "", "x\"y", "p\\", "c:\\dir name\\", "a\\\"b", "t\tab", "50%", "x=1,y;z+~"}, 0, "*", "*",
       {}, "nm plain \"a b\" \"\" \"x\\\"y\" p\\ \"c:\\dir name\\\\\" \"a\\\\\\\"b\" \"t\tab\" \"50%\" x=1,y;z+~\n"},
      {"driver", {"--main"}, 0, "*", "*", {}, "driver --main\n"},
      // The debugger runs the program after its options (a Windows-style name) and
      // returns its status.
      {"debugger", {"-batch", "-q", "<windows image>\\Tarvex\\etc\\nm.exe", "-x", "a b"}, 0, "*", "*", {},
       "nm -x \"a b\"\n"},
      {"debugger", {"<recorder>", "-x"}, 7, "*", "*", {}, "", {{"RECORDER_STATUS", "7"}}}}},
    {"objects, libraries and the linker",
     {{"a.cpp", "int a;\n"}, {"b.s", "nop\n"}, {"main.c", "int main(void) { return 0; }\n"}, {"libs/.keep", ""},
      {"new/a.s", "nop\n"}, {"plain.dlb", "not a library\n"}},
     {{"compiler", {"--c++", "--gen_asm_file_name", "a.s", "a.cpp"}},
      {"easmtrvx", {"-63832", "-i", "inc", "-o", "a.doj", "a.s"}, 0, "*", "*",
       {{"a.doj", "trvx object\ntool: easmtrvx\nsource: a.cpp\ninput: a.s\nlanguage: c++\noption: -63832\n"
                  "option: -i inc\n"}}},
      {"easmtrvx", {"-o", "b.doj", "b.s"}, 0, "*", "*",
       {{"b.doj", "trvx object\ntool: easmtrvx\nsource: b.s\ninput: b.s\n"}}},
      {"compiler", {"--gen_obj_file_name", "main.doj", "main.c"}},
      // Each call adds its objects to the library.
      {"librarian", {"libs\\libx.dlb", "a.doj"}},
      {"librarian", {"libs\\libx.dlb", "b.doj"}, 0, "*", "*",
       {{"libs/libx.dlb", "trvx library\ntool: librarian\nmember: a.doj\nsource: a.cpp\nlanguage: c++\nmember: b.doj\n"
                          "source: b.s\n"}}},
      // The library is found in a -L directory, "-lc" in the image's library directory.
      {"linker", {"-T", "x.ldf", "-Llibs", "-L<image>/Tarvex/lib", "-MDKDSP", "-o", "prog.dxe", "main.doj", "libx.dlb",
                  "-lc"}, 0, "*", "*",
       {{"prog.dxe", "trvx executable\ntool: linker\nsource: main.c\nsource: a.cpp\nsource: b.s\nsource: printf.c\n"
                     "source: puts.c\ninput: main.doj\ninput: libx.dlb\ninput: -lc\nlanguage: c++\noption: -T x.ldf\n"
                     "option: -Llibs\noption: -L<image>/Tarvex/lib\noption: -MDKDSP\n"}}},
      {"linker", {"-Map", "p.map", "-o", "p.dxe", "b.doj"}, 0, "*", "*",
       {{"p.map", "trvx map\ntool: linker\noutput: p.dxe\ninput: b.doj\n"}}},
      // -M without -o: the rules on standard output, nothing written.
      {"linker", {"-M", "-MD__cplusplus", "b.doj"}, 0, "b.dxe: b.doj\n", "*", {{"b.dxe", "<none>"}}},
      {"linker", {"-o", "q.dxe", "b.doj", "libnone.dlb"}, 1, "*", "linker: cannot open `libnone.dlb'\n"},
      // A member of the same name is replaced in place.
      {"easmtrvx", {"-o", "new\\a.doj", "new\\a.s"}},
      {"librarian", {"l.dlb", "a.doj", "b.doj"}},
      {"librarian", {"l.dlb", "new\\a.doj"}, 0, "*", "*",
       {{"l.dlb", "trvx library\ntool: librarian\nmember: a.doj\nsource: new\\a.s\nmember: b.doj\nsource: b.s\n"}}},
      {"librarian", {"plain.dlb", "a.doj"}, 1, "*", "librarian: `plain.dlb' is not a library\n"}}},
    {"the prelinker: 1 answers that an object is C++, 2 is every failure",
     {{"c.c", "int c;\n"}, {"x.cpp", "int x;\n"}, {"dir.c/.keep", ""}},
     {{"compiler", {"--gen_obj_file_name", "c.doj", "c.c"}},
      {"compiler", {"--c++", "--gen_obj_file_name", "x.doj", "x.cpp"}},
      {"prelinker", {"c.doj"}, 0},
      {"prelinker", {"-j", "-y0", "c.doj", "-Ufoo", "x.doj"}, 1, "*", ""},
      {"prelinker", {"c.doj", "gone.doj"}, 2, "*", "prelinker: cannot open `gone.doj'\n"},
      {"prelinker", {"-M", "dir.c", "c.doj"}, 2, "*", "prelinker: cannot write `dir.c': Is a directory\n"},
      {"prelinker", {"@gone.lst"}, 2, "*", "prelinker: cannot open response file `gone.lst'\n"},
      {"prelinker", {"c.doj", "-M"}, 2},
      // It writes the munch source and runs the lister and the solver; a failing solver
      // makes the prelink fail.
      {"prelinker", {"-c", "<image>/Tarvex/etc/nm.exe -a", "-Y", "<image>/Tarvex/etc/ipa.exe --output out.dlb", "-M",
                     "munch.c", "c.doj"}, 0, "*", "*", {{"munch.c", "/* munch */\n/* c.doj */\n"}},
       "\nnm -a c.doj\nipa --output out.dlb c.doj\n"},
      {"prelinker", {"-Y", "<image>/Tarvex/etc/ipa.exe", "c.doj"}, 2, "*", "ipa: forced failure\n...", {}, "",
       {{"TRVX_TOOL_FAIL", "ipa"}}}}},
    {"the memory initializer and the profiler",
     {{"a.c", "int a;\n"}, {"guide.txt", "guide\n"}, {"run1.dat", "data\n"}},
     {{"compiler", {"--gen_obj_file_name", "a.doj", "a.c"}},
      {"linker", {"-o", "t.dxe", "a.doj"}},
      {"mem63k", {"-o", "p.dxe", "t.dxe"}, 0, "*", "*",
       {{"p.dxe", "trvx executable\ntool: mem63k\nsource: a.c\ninput: t.dxe\n"}}},
      {"pgo", {"-o", "p.pgo", "guide.txt", "run1.dat"}, 0, "*", "*",
       {{"p.pgo", "trvx profile\ntool: pgo\nsource: guide.txt\nsource: run1.dat\ninput: guide.txt\n"
                  "input: run1.dat\n"}}}}},
    {"TRVX_TOOL_FAIL: the named tools fail after writing a partial output",
     {{"a.s", "nop\n"}},
     {{"easmtrvx", {"-o", "a.doj", "a.s"}, 1, "*", "easmtrvx: forced failure\n", {{"a.doj", "trvx object\n..."}}, "",
       {{"TRVX_TOOL_FAIL", "easmtrvx"}}},
      {"easmtrvx", {"-o", "b.doj", "a.s"}, 0, "*", "*", {}, "", {{"TRVX_TOOL_FAIL", "compiler"}}},
      {"compiler", {"--compiler_version"}, 1, "", "*", {}, "", {{"TRVX_TOOL_FAIL", "linker,compiler"}}},
      // The prelinker's status 1 is an answer, so its failure has status 2.
      {"prelinker", {"-M", "m.c", "b.doj"}, 2, "*", "prelinker: forced failure\n", {{"m.c", "*"}}, "",
       {{"TRVX_TOOL_FAIL", "prelinker"}}}}},
};

TEST(StandInTools, EachToolKeepsItsContract)
{
    for (const Scenario& scenario : Scenarios) {
        Sandbox box;
        for (const auto& [name, text] : scenario.inputs)
            box.Write(name, text);
        fs::copy_file(e2e::Recorder(), Expand("<recorder>", box));
        const std::string log = (box.dir() / "tools.log").string();
        for (std::size_t i = 0; i < scenario.steps.size(); ++i) {
            const Step& step = scenario.steps[i];
            SCOPED_TRACE(std::string(scenario.title) + ", step " + std::to_string(i + 1) + ": " + step.tool);
            Strings argv = {ToolPath(step.tool)};
            for (const std::string& arg : step.args)
                argv.push_back(Expand(arg, box));
            Env env = step.env;
            env["TRVX_TOOL_LOG"] = log;
            const std::size_t logged = ReadFile(log).size();
            const Result result = e2e::Process(argv, box.Environment(env), box.dir()).Wait();
            EXPECT_EQ(result.status, step.status) << result.err;
            ExpectText(result.out, step.out, "standard output");
            ExpectText(result.err, step.err, "standard error");
            for (const auto& [name, text] : step.files) {
                EXPECT_EQ(box.Exists(name), text != "<none>") << name;
                if (box.Exists(name) && text != "<none>")
                    ExpectText(box.Read(name), Expand(text, box), name);
            }
            const std::string appended = e2e::TextOf(ReadFile(log).substr(logged));
            const std::string expected = Expand(step.log, box);
            EXPECT_TRUE(appended.size() >= expected.size() &&
                        appended.compare(appended.size() - expected.size(), expected.size(), expected) == 0)
                << appended;
        }
    }
}

TEST(StandInTools, TheDemanglerCopiesBinaryInputUnchanged)
{
    Sandbox box;
    std::string bytes("line\r\n\0\xff\x80 _Z3fooi\n", 16);
    for (int i = 0; i < 9000; ++i)
        bytes += static_cast<char>(i % 256);
    box.Write("in.bin", bytes);
    Strings words = {"/bin/sh", "-c", "exec \"$@\" <in.bin >out.bin", "sh"};
    for (const std::string& word : e2e::Launch({ToolPath("demangler")}))
        words.push_back(word);
    EXPECT_EQ(e2e::Process(words, e2e::LaunchEnvironment(box.Environment()), box.dir()).Wait().status, 0);
    EXPECT_EQ(box.ReadBytes("out.bin"), bytes);
}

TEST(StandInTools, TheToolSleepsBeforeWorking)
{
    Sandbox box;
    const auto start = std::chrono::steady_clock::now();
    const Result result =
        e2e::Process({ToolPath("nm")}, box.Environment({{"TRVX_TOOL_DELAY_MS", "300"}}), box.dir()).Wait();
    EXPECT_EQ(result.status, 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
}

} // namespace
