// The build engine end to end: main driver command lines as "cctrvx -dryrun" prints them,
// run against the stand-in tools. Each case follows its sources through every tool by the
// calls in TRVX_TOOL_LOG and by the "source:" lines of the files the tools write, and
// checks what the run leaves behind (WorkFiles lists what is left in TMP as well).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "build_support.h"

namespace {

using e2e::Sandbox;
using namespace e2e::build;

void WriteSources(const Sandbox& box)
{
    box.Write("a.c", "#include \"a.h\"\nint a;\n");
    box.Write("a.h", "int h;\n");
    box.Write("b.cpp", "int b;\n");
    box.Write("c.s", "nop\n");
}

// An object as the stand-in assembler writes it.
std::string ObjectFrom(const std::string& source)
{
    return "trvx object\ntool: easmtrvx\nsource: " + source + "\ninput: " + source + "\n";
}

// Runs a main driver command line with a fresh tool log: the result and the tools' calls.
struct Built {
    e2e::Result result;
    std::vector<Strings> calls;
};

Built Build(const Sandbox& box, const Strings& words)
{
    std::filesystem::remove(box.home() / "tools.log");
    const e2e::Result result = box.Run(MainLine(words), Logged(box));
    EXPECT_EQ(result.status, 0) << result.err;
    return {result, ToolCalls(ToolLog(box))};
}

TEST(BuildObjects, CCxxAndAssemblerSourcesBecomeObjectsAndNothingIsLinked)
{
    Sandbox box;
    WriteSources(box);
    auto [result, calls] = Build(box, {"-c", "a.c", "c.s"});
    // One source at the compilation stage and one at the assembly stage: no announcement.
    EXPECT_EQ(result.err + result.out, "");
    ASSERT_EQ(ToolNames(calls), (Strings{"compiler", "easmtrvx", "easmtrvx"}));
    const std::string assembler = After(calls[0], "--gen_asm_file_name");
    EXPECT_TRUE(IsTemporaryIn(box, assembler, ".s")) << assembler;
    EXPECT_EQ(calls[0].back(), "a.c");
    EXPECT_EQ(calls[1], (Strings{"easmtrvx", "-o", "a.doj", assembler}));
    EXPECT_EQ(calls[2], (Strings{"easmtrvx", "-o", "c.doj", "c.s"}));
    // The object of a.c was assembled from what the compiler made of a.c.
    EXPECT_EQ(box.Read("a.doj"), "trvx object\ntool: easmtrvx\nsource: a.c\ninput: " + assembler + "\n");
    EXPECT_EQ(Field(box.Read("c.doj"), "source: "), Strings{"c.s"});
    EXPECT_EQ(WorkFiles(box), (Strings{"a.c", "a.doj", "a.h", "b.cpp", "c.doj", "c.s"}));

    // A C++ source is compiled with its instantiation request file.
    auto [cxx, compiled] = Build(box, {"--c++", "-c", "b.cpp"});
    EXPECT_EQ(cxx.err, "");
    ASSERT_EQ(ToolNames(compiled), (Strings{"compiler", "easmtrvx"}));
    const Strings& compile = compiled[0];
    const std::string cxxAssembler = After(compile, "--gen_asm_file_name");
    ASSERT_GE(compile.size(), 6u);
    EXPECT_EQ(Strings(compile.end() - 5, compile.end()),
              (Strings{"--ii_file", "b.ii", "--gen_asm_file_name", cxxAssembler, "b.cpp"}));
    EXPECT_NE(std::find(compile.begin(), compile.end(), "--c++"), compile.end());
    EXPECT_EQ(compiled[1], (Strings{"easmtrvx", "-o", "b.doj", cxxAssembler}));
    EXPECT_EQ(Field(box.Read("b.doj"), "source: "), Strings{"b.cpp"});
    EXPECT_EQ(Field(box.Read("b.doj"), "language: "), Strings{"c++"});
    EXPECT_EQ(WorkFiles(box), (Strings{"a.c", "a.doj", "a.h", "b.cpp", "b.doj", "c.doj", "c.s"}));
}

TEST(BuildObjects, KeptIntermediatesRecordEveryStage)
{
    Sandbox box;
    WriteSources(box);
    auto calls = Build(box, {"-k", "-o", "prog.dxe", "a.c"}).calls;
    ASSERT_EQ(ToolNames(calls), (Strings{"compiler", "easmtrvx", "linker"}));
    EXPECT_EQ(Strings(calls[0].end() - 3, calls[0].end()), (Strings{"--gen_asm_file_name", "a.s", "a.c"}));
    EXPECT_EQ(calls[1], (Strings{"easmtrvx", "-o", "a.doj", "a.s"}));
    EXPECT_EQ(calls[2], (Strings{"linker", "-o", "prog.dxe", "a.doj"}));
    EXPECT_EQ(box.Read("a.s"), "trvx asm\ntool: compiler\nsource: a.c\ninclude: a.h\n");
    EXPECT_EQ(box.Read("a.doj"), "trvx object\ntool: easmtrvx\nsource: a.c\ninput: a.s\n");
    EXPECT_EQ(box.Read("prog.dxe"), "trvx executable\ntool: linker\nsource: a.c\ninput: a.doj\n");
    EXPECT_EQ(WorkFiles(box), (Strings{"a.c", "a.doj", "a.h", "a.s", "b.cpp", "c.s", "prog.dxe"}));
}

TEST(BuildObjects, ALongCompilerCommandGoesThroughAResponseFileShownWholeByADryRun)
{
    Sandbox box({{"a.c", "int a;\n"}});
    Strings words;
    for (int i = 0; i < 120; ++i)
        words.insert(words.end(), {"--COMPO_fe", "-DMACRO_WITH_A_RATHER_LONG_NAME_NUMBER_" + std::to_string(i) + "=1"});
    words.insert(words.end(), {"-c", "a.c"});
    // A dry run shows the command whole and writes no response file.
    Strings dry = words;
    dry.insert(dry.begin(), "--dryrun");
    auto result = box.Run(MainLine(dry));
    ASSERT_EQ(result.status, 0) << result.err;
    const Strings commands = PrintedCommands(result.err);
    ASSERT_EQ(commands.size(), 2u);
    const Strings compile = SplitCommandLine(commands[0]);
    EXPECT_EQ(compile.size(), 1u + 120u + 3u);
    EXPECT_EQ(compile.back(), "a.c");
    EXPECT_EQ(WorkFiles(box), Strings{"a.c"});

    auto calls = Build(box, words).calls;
    ASSERT_EQ(ToolNames(calls), (Strings{"compiler", "easmtrvx"}));
    ASSERT_EQ(calls[0].size(), 2u);
    EXPECT_EQ(calls[0][1][0], '@');
    EXPECT_TRUE(IsTemporaryIn(box, calls[0][1].substr(1), ".lst")) << calls[0][1];
    // The compiler read every option from the file, which is gone.
    EXPECT_EQ(Field(box.Read("a.doj"), "source: "), Strings{"a.c"});
    EXPECT_EQ(WorkFiles(box), (Strings{"a.c", "a.doj"}));
}

TEST(BuildExecutable, PrelinkerMunchObjectAndMemoryInitializer)
{
    Sandbox box;
    WriteSources(box);
    const Strings words = {"--prelink", "--LIM2", "-o", "prog.dxe", "a.c", "-munch", "c.s"};
    // A dry run shows every command, the munch source's among them, and writes nothing,
    // not even kept files.
    for (const bool keep : {false, true}) {
        Strings dry = {"--dryrun"};
        dry.insert(dry.end(), words.begin(), words.end());
        if (keep)
            dry.push_back("-k");
        auto result = box.Run(MainLine(dry), Logged(box));
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, "");
        Strings programs;
        for (const std::string& command : PrintedCommands(result.err)) {
            const std::string program = SplitCommandLine(command).at(0);
            programs.push_back(program.substr(program.find_last_of('\\') + 1));
        }
        EXPECT_EQ(programs, (Strings{"compiler.exe", "easmtrvx.exe", "easmtrvx.exe", "prelinker.exe", "compiler.exe",
                                     "easmtrvx.exe", "linker.exe", "mem63k.exe"}));
        EXPECT_FALSE(box.Exists("home/tools.log"));
        EXPECT_EQ(WorkFiles(box), (Strings{"a.c", "a.h", "b.cpp", "c.s"}));
    }
    auto [result, calls] = Build(box, words);
    EXPECT_EQ(result.err, "");
    ASSERT_EQ(ToolNames(calls), (Strings{"compiler", "easmtrvx", "easmtrvx", "prelinker", "ipa", "compiler",
                                         "easmtrvx", "linker", "mem63k"}));
    const std::string objectA = After(calls[1], "-o");
    const std::string objectC = After(calls[2], "-o");
    EXPECT_TRUE(IsTemporaryIn(box, objectA, ".doj")) << objectA;
    EXPECT_TRUE(IsTemporaryIn(box, objectC, ".doj")) << objectC;
    // The prelinker writes the munch source; "-munch" itself is no input of it.
    const std::string munch = After(calls[3], "-M");
    EXPECT_TRUE(IsTemporaryIn(box, munch, ".c")) << munch;
    EXPECT_EQ(calls[3],
              (Strings{"prelinker", "-M", munch, "-Y", Image() + "\\Tarvex\\etc\\ipa.exe", objectA, objectC}));
    // The munch source is compiled and assembled like any other C source ...
    EXPECT_EQ(calls[5].back(), munch);
    const std::string munchObject = After(calls[6], "-o");
    EXPECT_EQ(calls[6], (Strings{"easmtrvx", "-o", munchObject, After(calls[5], "--gen_asm_file_name")}));
    EXPECT_TRUE(IsTemporaryIn(box, munchObject, ".doj")) << munchObject;
    // ... and its object is linked where "-munch" stood. The linker writes a temporary
    // executable that the memory initializer turns into the product.
    const std::string linked = After(calls[7], "-o");
    EXPECT_TRUE(IsTemporaryIn(box, linked, ".dxe")) << linked;
    EXPECT_EQ(calls[7], (Strings{"linker", "-o", linked, objectA, munchObject, objectC}));
    EXPECT_EQ(calls[8], (Strings{"mem63k", "-o", "prog.dxe", linked}));
    const std::string product = box.Read("prog.dxe");
    EXPECT_EQ(Field(product, "tool: "), Strings{"mem63k"});
    EXPECT_EQ(Field(product, "source: "), (Strings{"a.c", munch, "c.s"}));
    EXPECT_EQ(Field(product, "input: "), Strings{linked});
    EXPECT_EQ(WorkFiles(box), (Strings{"a.c", "a.h", "b.cpp", "c.s", "prog.dxe"}));
}

TEST(BuildExecutable, TheMunchObjectIsLinkedWhereTheItemStood)
{
    for (const Strings& inputs : {Strings{"-munch", "a.c", "c.s"}, Strings{"a.c", "-munch", "c.s"},
                                  Strings{"a.c", "c.s", "-munch"}}) {
        SCOPED_TRACE(inputs[0] + " " + inputs[1] + " " + inputs[2]);
        Sandbox box;
        WriteSources(box);
        Strings words = {"-k", "--prelink", "-o", "prog.dxe"};
        words.insert(words.end(), inputs.begin(), inputs.end());
        Strings linked = {"linker", "-o", "prog.dxe"};
        Strings prelinked = {"prelinker", "-M", "munch.c", "-Y", Image() + "\\Tarvex\\etc\\ipa.exe"};
        Strings sources;
        for (const std::string& input : inputs) {
            const std::string stem = input == "-munch" ? "munch" : input.substr(0, input.find('.'));
            linked.push_back(stem + ".doj");
            if (input != "-munch")
                prelinked.push_back(stem + ".doj");
            sources.push_back(input == "-munch" ? "munch.c" : input);
        }
        auto calls = Build(box, words).calls;
        ASSERT_EQ(ToolNames(calls), (Strings{"compiler", "easmtrvx", "easmtrvx", "prelinker", "ipa", "compiler",
                                             "easmtrvx", "linker"}));
        EXPECT_EQ(calls[3], prelinked);
        EXPECT_EQ(Strings(calls[5].end() - 3, calls[5].end()), (Strings{"--gen_asm_file_name", "munch.s", "munch.c"}));
        EXPECT_EQ(calls[6], (Strings{"easmtrvx", "-o", "munch.doj", "munch.s"}));
        EXPECT_EQ(calls[7], linked);
        EXPECT_EQ(Field(box.Read("prog.dxe"), "source: "), sources);
        EXPECT_EQ(Field(box.Read("munch.doj"), "source: "), Strings{"munch.c"});
        EXPECT_EQ(WorkFiles(box), (Strings{"a.c", "a.doj", "a.h", "a.s", "b.cpp", "c.doj", "c.s", "munch.c",
                                           "munch.doj", "munch.s", "prog.dxe"}));
    }
}

TEST(BuildExecutable, CxxLinkGetsTheSupportThatThePrelinkerAsksFor)
{
    Sandbox box;
    WriteSources(box);
    auto [result, calls] = Build(box, {"--c++", "--prelink", "-o", "prog.dxe", "b.cpp", "a.c"});
    EXPECT_EQ(result.err, "cctrvx: Compiling b.cpp\ncctrvx: Compiling a.c\n");
    ASSERT_EQ(ToolNames(calls),
              (Strings{"compiler", "easmtrvx", "compiler", "easmtrvx", "prelinker", "ipa", "linker"}));
    const std::string objectB = After(calls[1], "-o");
    const std::string objectA = After(calls[3], "-o");
    // Each object's instantiation request file is named after it.
    EXPECT_EQ(After(calls[0], "--ii_file"), objectB.substr(0, objectB.size() - 4) + ".ii");
    EXPECT_EQ(After(calls[2], "--ii_file"), objectA.substr(0, objectA.size() - 4) + ".ii");
    // The prelinker's status 1 is an answer: the linker gets the C++ support.
    EXPECT_EQ(calls[6], (Strings{"linker", "-MD__cplusplus", "-o", "prog.dxe", objectB, objectA}));
    const std::string product = box.Read("prog.dxe");
    EXPECT_EQ(Field(product, "source: "), (Strings{"b.cpp", "a.c"}));
    EXPECT_EQ(Field(product, "language: "), Strings{"c++"});
    EXPECT_EQ(Field(product, "option: "), Strings{"-MD__cplusplus"});
    EXPECT_EQ(WorkFiles(box), (Strings{"a.c", "a.h", "b.cpp", "c.s", "prog.dxe"}));
}

TEST(BuildExecutable, LinkItemsKeepTheirPlaceAndUndefinedSymbolsChangeCaseForThePrelinker)
{
    Sandbox box;
    WriteSources(box);
    const std::string libraries = "-L" + Image() + "\\Tarvex\\lib";
    auto calls = Build(box, {libraries, "--prelink", "-o", "prog.dxe", "-ufoo", "a.c", "-lc"}).calls;
    ASSERT_EQ(ToolNames(calls), (Strings{"compiler", "easmtrvx", "prelinker", "ipa", "linker"}));
    const std::string object = After(calls[1], "-o");
    EXPECT_EQ(calls[2],
              (Strings{"prelinker", libraries, "-Y", Image() + "\\Tarvex\\etc\\ipa.exe", "-Ufoo", object, "-lc"}));
    EXPECT_EQ(calls[4], (Strings{"linker", libraries, "-o", "prog.dxe", "-ufoo", object, "-lc"}));
    EXPECT_EQ(Field(box.Read("prog.dxe"), "source: ").front(), "a.c");
}

TEST(BuildExecutable, ChosenToolsRunUnderTheDebugger)
{
    Sandbox box;
    WriteSources(box);
    // Bits 1 and 64: the compiler and the linker.
    auto calls = Build(box, {"--COMPP_debug", Image() + "\\debugger.exe", "--COMPO_debug", "-q", "--component_debug",
                             "65", "-o", "prog.dxe", "a.c"}).calls;
    ASSERT_EQ(ToolNames(calls), (Strings{"debugger", "compiler", "easmtrvx", "debugger", "linker"}));
    Strings compile = calls[1];
    compile[0] = Image() + "\\Tarvex\\etc\\compiler.exe";
    compile.insert(compile.begin(), {"debugger", "-q"});
    EXPECT_EQ(calls[0], compile);
    EXPECT_EQ(calls[3], (Strings{"debugger", "-q", Image() + "\\linker.exe", "-o", "prog.dxe", After(calls[2], "-o")}));
    EXPECT_EQ(Field(box.Read("prog.dxe"), "source: "), Strings{"a.c"});
}

TEST(BuildLibrary, SourcesAndObjectsThroughThePrelinkerIntoALibrary)
{
    Sandbox box;
    WriteSources(box);
    box.Write("x.doj", ObjectFrom("x.c"));
    auto [result, calls] = Build(box, {"--prelink", "--LIMst", "-o", "lib.dlb", "a.c", "c.s", "x.doj"});
    EXPECT_EQ(result.err, "");
    ASSERT_EQ(ToolNames(calls), (Strings{"compiler", "easmtrvx", "easmtrvx", "prelinker", "ipa", "librarian"}));
    const std::string objectA = After(calls[1], "-o");
    const std::string objectC = After(calls[2], "-o");
    // The IPA solver learns the output of a library as part of its one word.
    EXPECT_EQ(calls[3], (Strings{"prelinker", "-Y", Image() + "\\Tarvex\\etc\\ipa.exe --output lib.dlb", objectA,
                                 objectC, "x.doj"}));
    EXPECT_EQ(calls[5], (Strings{"librarian", "lib.dlb", objectA, objectC, "x.doj"}));
    const std::string library = box.Read("lib.dlb");
    EXPECT_EQ(Field(library, "source: "), (Strings{"a.c", "c.s", "x.c"}));
    ASSERT_EQ(Field(library, "member: ").size(), 3u);
    EXPECT_EQ(Field(library, "member: ")[2], "x.doj");
    EXPECT_EQ(WorkFiles(box), (Strings{"a.c", "a.h", "b.cpp", "c.s", "lib.dlb", "x.doj"}));
}

TEST(BuildLibrary, ManyObjectsGoInBatchesThatKeepTheCommandLineShort)
{
    constexpr std::size_t ArgMax = 4096;
    Sandbox box;
    Strings objects;
    for (int i = 0; i < 300; ++i) {
        char name[96];
        std::snprintf(name, sizeof name, "objects/member_with_a_long_descriptive_name_for_batching_%03d.doj", i);
        box.Write(name, ObjectFrom("src\\" + std::to_string(i) + ".c"));
        objects.push_back(Windows(name));
    }
    Strings words = {"--LIMst", "-o", "lib.dlb"};
    words.insert(words.end(), objects.begin(), objects.end());
    auto [result, calls] = Build(box, words);
    EXPECT_EQ(result.err, "");
    ASSERT_GT(calls.size(), 1u);
    Strings handed;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const Strings& call = calls[i];
        SCOPED_TRACE("run " + std::to_string(i));
        ASSERT_GE(call.size(), 3u);
        EXPECT_EQ(Strings(call.begin(), call.begin() + 2), (Strings{"librarian", "lib.dlb"}));
        // The command line: the program's path, the library and the batch.
        std::size_t length = (Image() + "\\librarian.exe").size();
        for (std::size_t k = 1; k < call.size(); ++k)
            length += 1 + call[k].size();
        EXPECT_LE(length, ArgMax);
        handed.insert(handed.end(), call.begin() + 2, call.end());
        // No batch is cut short: the next object would not have fitted within the room
        // that the estimate of 65 characters leaves.
        if (i + 1 < calls.size() && handed.size() < objects.size()) {
            EXPECT_GT(length + 1 + objects[handed.size()].size(), ArgMax - 65);
        }
    }
    // Every object once, in the order given.
    EXPECT_EQ(handed, objects);
    const Strings members = Field(box.Read("lib.dlb"), "member: ");
    ASSERT_EQ(members.size(), objects.size());
    for (std::size_t i = 0; i < objects.size(); ++i)
        EXPECT_EQ(members[i], objects[i].substr(objects[i].find('\\') + 1));
    EXPECT_EQ(box.Files("tmp"), Strings{});
}

TEST(BuildLibrary, AnObjectThatFitsNowhereStillGetsARunOfItsOwn)
{
    Sandbox box;
    const Strings objects = {"o0.doj", "o1.doj", "o2.doj", "o3.doj"};
    for (const std::string& object : objects)
        box.Write(object, ObjectFrom(object.substr(0, 2) + ".c"));
    // A library builder option long enough to leave no room at all for objects.
    const std::string option = "-X" + std::string(4096, 'x');
    Strings words = {"--COMPO_ln_ar", option, "--LIMst", "-o", "lib.dlb"};
    words.insert(words.end(), objects.begin(), objects.end());
    auto calls = Build(box, words).calls;
    ASSERT_EQ(calls.size(), objects.size());
    for (std::size_t i = 0; i < calls.size(); ++i)
        EXPECT_EQ(calls[i], (Strings{"librarian", option, "lib.dlb", objects[i]}));
    EXPECT_EQ(Field(box.Read("lib.dlb"), "member: "), objects);
}

TEST(BuildMessages, TwoSourcesAreAnnouncedOneIsNot)
{
    Sandbox box;
    WriteSources(box);
    box.Write("b.c", "int b;\n");
    box.Write("d.s", "nop\n");
    // Assembler sources are announced by the same rule, counted at their own stage.
    const std::vector<std::pair<Strings, std::string>> cases = {
        {{"a.c", "b.c"}, "cctrvx: Compiling a.c\ncctrvx: Compiling b.c\n"},
        {{"a.c"}, ""},
        {{"c.s", "d.s"}, "cctrvx: Assembling c.s\ncctrvx: Assembling d.s\n"},
        {{"a.c", "b.c", "c.s"}, "cctrvx: Compiling a.c\ncctrvx: Compiling b.c\n"},
    };
    for (const auto& [sources, err] : cases) {
        Strings args = {"-o", "prog.dxe"};
        args.insert(args.end(), sources.begin(), sources.end());
        auto result = box.Run(args);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, err);
        EXPECT_EQ(Field(box.Read("prog.dxe"), "source: "), sources);
    }
}

TEST(BuildMessages, OneOutputNameForTwoObjects)
{
    Sandbox box({{"a.c", "int a;\n"}, {"b.c", "int b;\n"}});
    // One object: compiled and assembled, nothing linked, nothing else left.
    auto result = box.Run({"-c", "a.c"}, Logged(box));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(ToolNames(ToolCalls(ToolLog(box))), (Strings{"compiler", "easmtrvx"}));
    EXPECT_EQ(Field(box.Read("a.doj"), "source: "), Strings{"a.c"});
    EXPECT_EQ(WorkFiles(box), (Strings{"a.c", "a.doj", "b.c"}));

    // The user interface driver drops the name ...
    result = box.Run({"-c", "-o", "one.doj", "a.c", "b.c"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "cctrvx: Warning: Ignoring output file `one.doj' - multiple source files specified\n"
                          "cctrvx: Compiling a.c\n"
                          "cctrvx: Compiling b.c\n");
    EXPECT_EQ(WorkFiles(box), (Strings{"a.c", "a.doj", "b.c", "b.doj"}));

    // ... while the main driver, given it, refuses to write both objects to it.
    Sandbox direct({{"a.c", "int a;\n"}, {"b.c", "int b;\n"}});
    result = direct.Run(MainLine({"-c", "-o", "one.doj", "a.c", "b.c"}), Logged(direct));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "cctrvx: Fatal Error: File `one.doj' will be overwritten\n");
    EXPECT_FALSE(direct.Exists("home/tools.log"));
    EXPECT_EQ(WorkFiles(direct), (Strings{"a.c", "b.c"}));
}

TEST(BuildMessages, TheSameBaseNameTwiceWithKeptFilesIsAnOverwrite)
{
    Sandbox box({{"a.c", "int a;\n"}, {"sub/a.c", "int a2;\n"}});
    auto result = box.Run({"-save-temps", "-o", "prog.dxe", "a.c", "sub/a.c"}, Logged(box));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "cctrvx: Fatal Error: File `a.s' will be overwritten\n");
    EXPECT_FALSE(box.Exists("home/tools.log"));
    EXPECT_EQ(WorkFiles(box), (Strings{"a.c", "sub", "sub/a.c"}));

    // Temporary names never clash.
    result = box.Run({"-o", "prog.dxe", "a.c", "sub/a.c"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "cctrvx: Compiling a.c\ncctrvx: Compiling sub\\a.c\n");
    EXPECT_EQ(Field(box.Read("prog.dxe"), "source: "), (Strings{"a.c", "sub\\a.c"}));
    EXPECT_EQ(box.Files("tmp"), Strings{});
}

} // namespace
