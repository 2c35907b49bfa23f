// The handlers of the options that take an argument, driven through ProcessOption.
#include "option_fixture.h"

#include <chrono>
#include <sstream>

#include "file_names.h"
#include "main.h"

namespace {

using OptionHandlers = OptionFixture;

// Comma lists and diagnostic numbers -------------------------------------------------

TEST_F(OptionHandlers, DiagnosticNumbersAreStoredInDecimalInOneListEach)
{
    Steps({
        {{"-Wsuppress", "12,0x0c"}, Warning("Ignoring duplicate error number `12' for option `-Wsuppress'"),
         LIST_DIAG_SUPPRESS, {"12"}},
        {{"-Werror", "7", "-Wwarn", "7"}, Warning("Overriding previous status of error number `7' for option `-Wwarn'"),
         LIST_DIAG_WARNING, {"7"}},
        {{"-Wremark0x10", "-Wsuppress=16"},
         Warning("Overriding previous status of error number `16' for option `-Wsuppress'"), LIST_DIAG_SUPPRESS,
         {"12", "16"}},
    });
    EXPECT_EQ(ArgLists[LIST_DIAG_ERROR].count + ArgLists[LIST_DIAG_REMARK].count, 0u);
    EXPECT_EQ(ErrorNum, 0u);

    // Bad numbers are reported one by one.
    Steps({
        {{"-Werror", "5,,0,65536,1x,65535,99999999999"},
         Warning("Missing error number for option `-Werror'") +
             Failure("Illegal error number `0' for option `-Werror'") +
             Failure("Illegal error number `65536' for option `-Werror'") +
             Failure("Bad numeric argument `1x' for option `-Werror'") +
             Warning("Positive number overflow in `99999999999'") +
             Failure("Illegal error number `99999999999' for option `-Werror'"),
         LIST_DIAG_ERROR, {"5", "65535"}},
        {{"-Wwarn"}, Warning("Missing error number for option `-Wwarn'")},
    });
    EXPECT_EQ(ErrorNum, 4u);
    EXPECT_TRUE(Given(OPT_Werror));
}

TEST_F(OptionHandlers, FlagsOptionsFillTheirToolsListsEscapedCommasStayInTheirPiece)
{
    const std::pair<const char*, int> flags[] = {
        {"-flags-driver", LIST_DRIVER},     {"-flags-compiler", LIST_COMPILER}, {"-flags-asm", LIST_ASSEMBLER},
        {"-flags-gco", LIST_ASM_PREPROC},   {"-flags-prelink", LIST_PRELINKER}, {"-flags-prof", LIST_PROFILER},
        {"-flags-link", LIST_LINKER},       {"-flags-lib", LIST_ARCHIVER},      {"-flags-demangle", LIST_DEMANGLER},
        {"-flags-debug", LIST_DEBUGGER},
    };
    for (const auto& [name, list] : flags) {
        Reset();
        Steps({{{name, "-x,-y"}, "", list, {"-x", "-y"}}});
    }
    Reset();
    Steps({
        {{"-flags-asm", "a\\,b,c"}, "", LIST_ASSEMBLER, {"a,b", "c"}},
        {{"-flags-link", "x,a\\,b\\,c"}, "", LIST_LINKER, {"x", "a,b,c"}},
        {{"-flags-lib", "\\,,p\\q"}, "", LIST_ARCHIVER, {",", "p\\q"}},
        {{"-flags-prof", "a,,b,", "-flags-demangle="},
         Warning("Empty argument for option `-flags-prof'") + Warning("Empty argument for option `-flags-prof'") +
             Warning("Empty argument for option `-flags-demangle'"),
         LIST_PROFILER, {"a", "b"}},
        // Code generator pieces become translations.
        {{"-999", "-a,-b\\,c"}, "", LIST_PENDING, {"-a=-a(i)", "-b,c=-b,c(i)"}},
    });
    ProcessOptions();
    EXPECT_EQ(Names(LIST_CODEGEN), (Words{"-a", "-b,c"}));
}

TEST_F(OptionHandlers, OnlyKnownRegistersAreReservedOnce)
{
    Steps({{{"-reserve", "m3,r9", "-reserve=m3"}, Failure("Cannot reserve register `r9'"), LIST_RESERVED_REGS,
            {"m3"}}});
    EXPECT_EQ(Entries(LIST_MACROS), (Words{"__M3_RESERVED__=1"}));
    EXPECT_EQ(Names(LIST_LINKER), (Words{"-MDM3_RESERVED"}));
    Steps({{{"-reserve", "M3"}, "", LIST_RESERVED_REGS, {"m3", "M3"}}});
}

// Values that become translations ---------------------------------------------------------

TEST_F(OptionHandlers, AutoInlineTakesOneFiniteNonNegativeRatio)
{
    auto badNumber = [](const char* text) {
        return Failure(std::string("Bad numeric argument `") + text + "' for option `-auto-inline'");
    };
    Steps({
        {{"-auto-inline", "1.5"}, "", LIST_PENDING, {"-auto-inline=--inline_auto_space_time=1.50(d)"}},
        {{"-auto-inline=2"}, Warning("Ignoring previous `-auto-inline' option"), LIST_PENDING,
         {"-auto-inline=--inline_auto_space_time=2.00(d)"}},
        // Bad ratios leave the queued one alone.
        {{"-auto-inline", "-1", "-auto-inline", "inf", "-auto-inline", "nan", "-auto-inline", "-inf", "-auto-inline",
          "1e999", "-auto-inline", "1.5x", "-auto-inline", "abc", "-auto-inline="},
         Failure("Illegal space/time ratio `-1' for option `-auto-inline'") + badNumber("inf") + badNumber("nan") +
             badNumber("-inf") + Warning("floating point number overflow in `1e999'") + badNumber("1e999") +
             badNumber("1.5x") + Warning("invalid floating point number `abc'") + badNumber("abc") +
             Failure("Missing argument for option `-auto-inline'"),
         LIST_PENDING, {"-auto-inline=--inline_auto_space_time=2.00(d)"}},
    });
    EXPECT_EQ(ErrorNum, 8u);
}

TEST_F(OptionHandlers, ErrorLimitsAndGlobalValue)
{
    Steps({
        {{"-Werror-limit", "3", "-val-global", "x"}, ""},
        {{"-Werror-limit=0x10", "-val-global=y"},
         Warning("Ignoring previous `-Werror-limit' option") + Warning("Ignoring previous `-val-global' option")},
        {{"-Werror-limit", "0", "-Werror-limit", "x", "-Werror-limit=", "-val-global="},
         Failure("Illegal error limit `0' for option `-Werror-limit'") +
             Failure("Bad numeric argument `x' for option `-Werror-limit'") +
             Failure("Missing argument for option `-Werror-limit'") +
             Failure("Missing argument for option `-val-global'")},
        // The driver's own limit.
        {{"-Wdriver-limit", "5"}, ""},
    });
    ProcessOptions();
    EXPECT_EQ(Names(LIST_DRIVER), (Words{"--error_limit=16", "--val-global=y"}));
    EXPECT_EQ(ErrorMax, 5u);
    ErrorMax = 0;
    EXPECT_EQ(Run({"-Wdriver-limit=-1", "-Wdriver-limit", "x", "-Wdriver-limit="}),
              Failure("Illegal error limit `-1' for option `-Wdriver-limit'") +
                  Failure("Bad numeric argument `x' for option `-Wdriver-limit'") +
                  Failure("Missing argument for option `-Wdriver-limit'"));
    EXPECT_EQ(ErrorMax, 0u);
}

TEST_F(OptionHandlers, SpeedVersusSizeIsQueuedWhateverItsChecksFound)
{
    Steps({{{"-Ov", "150"}, Failure("Illegal value for option '-Ov'"), LIST_PENDING,
            {"-Ov=-opt_speed_vs_size=150(i)"}}});
    EXPECT_EQ(Names(LIST_CODEGEN), (Words{"-O"}));
    Reset();
    // A later -Ov does not replace an earlier one.
    Steps({{{"-Ov", "30", "-Ov40"}, "", LIST_PENDING,
            {"-Ov=-opt_speed_vs_size=30(i)", "-Ov=-opt_speed_vs_size=40(i)"}}});
    EXPECT_EQ(Names(LIST_CODEGEN), (Words{"-O", "-O"}));
    EXPECT_EQ(Run({"-Ov", "x", "-Ov=", "-Ov", "-1", "-Ov=100", "-Ov=0"}),
              Failure("Bad numeric argument 'x' for option '-Ov'") + Failure("Missing argument for option '-Ov'") +
                  Failure("Illegal value for option '-Ov'"));
    EXPECT_EQ(ErrorNum, 3u);
}

// Macros and assertions -----------------------------------------------------------------

TEST_F(OptionHandlers, MacroDefinitionsAndRemovals)
{
    Steps({
        {{"-D", "X", "-D", "X=1"}, Warning("Duplicate definition of macro `X'"), LIST_MACROS, {"X=1"}},
        {{"-DY=2", "-D", "f(a)=a", "-DE=", "-D", "Y=3"}, Warning("Redefinition of macro `Y' from `2' to `3'"),
         LIST_MACROS, {"X=1", "f(a)=a", "E=", "Y=3"}},
        // A name that opens a parameter list is taken as it is.
        {{"-D", "=1", "-D==1", "-D", "9x", "-D", "a-b=1", "-D", "f(a", "-D="},
         Failure("Missing macro name for option `-D'") + Failure("Missing macro name for option `-D'") +
             Failure("Illegal macro name `9x' for option `-D'") + Failure("Illegal macro name `a-b' for option `-D'") +
             Failure("Missing macro name for option `-D'"),
         LIST_MACROS, {"X=1", "f(a)=a", "E=", "Y=3", "f(a=1"}},
        {{"-U", "X", "-UX"}, Warning("Duplicate removal of macro `X'")},
        {{"-U", "X(a)", "-U="},
         Failure("Illegal macro name `X(a)' for option `-U'") + Failure("Missing macro name for option `-U'"),
         LIST_UNDEFINES, {"X"}},
    });
    EXPECT_EQ(ErrorNum, 7u);
}

TEST_F(OptionHandlers, Assertions)
{
    Steps({
        {{"-A", "p(x)", "-A", "p(x)"}, Warning("Duplicate definition of predicate `p' as `x' for option `-A'")},
        {{"-A", "p(y)", "-A", "q", "-Aq", "-A", "r()", "-A", "r", "-A", "s(z)t"},
         Warning("Duplicate definition of predicate `q' for option `-A'") +
             Warning("Duplicate definition of predicate `r' for option `-A'") +
             Warning("Ignoring characters after `)' for option `-A'"),
         LIST_ASSERTIONS, {"p=x", "p=y", "q", "r", "s=z"}},
        {{"-A", "p(x", "-A", "(x)", "-A=", "-A", "9p(x)", "-A", "a b"},
         Failure("Missing closing `)' for option `-A'") + Failure("Missing predicate for option `-A'") +
             Failure("Missing predicate for option `-A'") + Failure("Illegal predicate `9p' for option `-A'") +
             Failure("Illegal predicate `a b' for option `-A'"),
         LIST_ASSERTIONS, {"p=x", "p=y", "q", "r", "s=z"}},
    });
}

// Libraries, headers and test arguments ---------------------------------------------------

TEST_F(OptionHandlers, LibrariesJoinTheSourceListWithTheirLinkMode)
{
    Steps({{{"-l", "m", "-lm", "-lM"},
            Warning("Ignoring duplicate adjacent library `m' for option `-l'") +
                Warning("Ignoring duplicate adjacent library `M' for option `-l'"),
            LIST_SOURCES, {"-lm="}}});
    EXPECT_EQ(HighSource, FILE_LIBRARY);
    DynamicLink = 1;
    EXPECT_EQ(Run({"-l", "d"}), "");
    DynamicLink = 0;
    Steps({{{"-l", "s"}, "", LIST_SOURCES, {"-lm=", "-ld=d", "-ls=s"}},
           {{"-l="}, Failure("Missing library name for option `-l'")}});

    // A library never hides a source that enters earlier.
    Reset();
    const std::string source = MakeFile("x.c", "int x;\n");
    Words words = {"-l", "m", source, "-l", "m"};
    EXPECT_EQ(Stderr([&] { ReadArgs(words); }), "");
    EXPECT_EQ(Names(LIST_SOURCES), (Words{"-lm", Win(source), "-lm"}));
    EXPECT_EQ(HighSource, FILE_C);
}

TEST_F(OptionHandlers, ForcedIncludesMustBeCHeadersTestArgumentsAreOptionFileText)
{
    Steps({
        {{"-include", "inc/a.h", "-includeB.H"}, "", LIST_PREINCLUDES, {"inc\\a.h", "B.H"}},
        {{"-include", "x.hpp", "-include", "x.c", "-include=", "-include", "c:"},
         Failure("`x.hpp' is a C++ header file") + Failure("`x.c' is not a header file") +
             Failure("Missing filename for option `-include'") + Failure("Missing filename for option `-include'")},
        {{"-testargs", "a \"b c\" | d"}, "", LIST_TESTARGS, {"a", "b c"}},
        {{"-testargs=x"}, Warning("Ignoring previous `-testargs' option"), LIST_TESTARGS, {"x"}},
        {{"-testargs="}, Failure("Missing arguments for option `-testargs'"), LIST_TESTARGS, {"x"}},
    });
}

// Directory lists -----------------------------------------------------------------------------

TEST_F(OptionHandlers, DirectoryListsKeepTheDirectoriesThatExist)
{
    const std::string a = Win(MakeDir("a")), b = Win(MakeDir("b")), c = Win(MakeDir("c"));
    const std::string file = Win(MakeFile("f.txt")), missing = Win(Missing("zz"));
    Steps({
        {{"-I", a + ";" + b + "," + c}, "", LIST_INCLUDE_DIRS, {a, b, c}},
        {{"-L" + a + ";;" + missing + "," + file},
         Warning("Empty directory for option `-L'") + Warning("`" + missing + "' does not exist") +
             Warning("`" + file + "' is not a directory"),
         LIST_LIB_DIRS, {a}},
    });
    EXPECT_EQ(ErrorNum, 0u);
    // Missing directories are dropped silently after -no-dir-warnings.
    no_dir_warn = 1;
    Steps({{{"-I", missing, "-I-", "-I", a}, "", LIST_INCLUDE_DIRS, {a, b, c, "-", a}}});

    // Each source directory option replaces the list.
    Steps({
        {{"-R", a, "-R", b}, "", LIST_SOURCE_DIRS, {b}},
        {{"-R", a + ";" + a + ";" + a + "/.;" + b + "," + file},
         Warning("Ignoring duplicate source directory `" + a + "'") +
             Warning("`" + a + "\\.' is the same source directory as `" + a + "' - ignoring") +
             Failure("`" + file + "' is not a directory"),
         LIST_SOURCE_DIRS, {a, b}},
        {{"-R-"}, "", LIST_SOURCE_DIRS, {}},
    });
    EXPECT_EQ(ErrorNum, 1u);
}

// Location slots --------------------------------------------------------------------------------

TEST_F(OptionHandlers, FileSlotsKeepTheLastNameWithAFileNamePart)
{
    const struct {
        const char* option;
        int slot;
        const char* first;
        const char* second;
    } slots[] = {
        {"-T", LOC_ARCH_FILE, "a.ldf", "b.ACH"},       {"-archive", LOC_ARCHIVE, "a.dlb", "b.dlb"},
        {"-Mt", LOC_MAKE_RULES, "a.mk", "b.mk"},        {"-map", LOC_MAP_FILE, "a.map", "b.map"},
        {"-o", LOC_OUTPUT, "x", "y"},                   {"-pplist", LOC_PPLIST_FILE, "a.i", "b.i"},
        {"-xref", LOC_XREF_FILE, "a.xr", "b.xr"},       {"-pguide-file", LOC_PGUIDE_FILE, "a.pgo", "b.pgo"},
    };
    for (const auto& slot : slots) {
        Reset();
        EXPECT_EQ(Run({slot.option, slot.first, slot.option, slot.second}),
                  Warning(std::string("Ignoring previous option `") + slot.option + " " + slot.first + "'"))
            << slot.option;
        EXPECT_EQ(Location(slot.slot), slot.second) << slot.option;
        EXPECT_EQ(Run({std::string(slot.option) + "="}),
                  Failure(std::string("Missing filename for option `") + slot.option + "'"));
        EXPECT_EQ(Location(slot.slot), slot.second) << slot.option;
    }
    // The feedback file also asks the compiler to use it, once.
    EXPECT_EQ(Names(LIST_COMPILER), (Words{"--use_profile"}));

    // A file name part is needed, and an architecture file needs its suffix.
    Reset();
    EXPECT_EQ(Run({"-o", "c:", "-o", "dir/", "-map", "/"}),
              Failure("Missing filename for option `-o'") + Failure("Missing filename for option `-map'"));
    EXPECT_EQ(Location(LOC_OUTPUT), "dir\\");
    EXPECT_EQ(Run({"-T", "file.txt", "-T", "ldf"}), Failure("`file.txt' is not an architecture description file") +
                                                       Failure("`ldf' is not an architecture description file"));
    EXPECT_EQ(Location(LOC_ARCH_FILE), "");
    EXPECT_EQ(Run({"-T", "FILE.LDF"}), "");
    EXPECT_EQ(Location(LOC_ARCH_FILE), "FILE.LDF");
}

// Directory slots take existing directories, tool slots executable files.
TEST_F(OptionHandlers, DirectoryAndToolSlotsTakeWhatExists)
{
    const struct {
        const char* option;
        int slot;
        const char* word;
        bool directory;
    } slots[] = {
        {"-path-install", LOC_INSTALL, "installation", true}, {"-path-output", LOC_OUTPUT_DIR, "output", true},
        {"-path-temp", LOC_TEMP, "temporary", true},          {"-path-driver", LOC_DRIVER, "main driver", false},
        {"-path-compiler", LOC_COMPILER, "compiler", false},  {"-path-asm", LOC_ASSEMBLER, "assembler", false},
        {"-path-gco", LOC_ASM_PREPROC, "compactor", false},   {"-path-prelink", LOC_PRELINKER, "prelinker", false},
        {"-path-ipa", LOC_PRELINKER_IPA, "IPA solver", false}, {"-path-prof", LOC_PROFILER, "profiler", false},
        {"-path-link", LOC_LINKER, "linker", false},          {"-path-lib", LOC_ARCHIVER, "library builder", false},
        {"-path-demangle", LOC_DEMANGLER, "demangler", false}, {"-path-debug", LOC_DEBUGGER, "debugger", false},
        {"-path-def", LOC_DEF_FILE, "driver .def", false},
    };
    const std::string a = MakeDir("a"), b = MakeDir("b"), missing = Missing("zz.exe");
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string tool = MakeFile("tool.exe", "binary"), plain = MakeFile("plain.txt", "text");
    std::filesystem::permissions(tool, std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);
    for (const auto& slot : slots) {
        Reset();
        const std::string option = slot.option, first = slot.directory ? a : self, second = slot.directory ? b : tool;
        const std::string previous =
            std::string("Ignoring previous ") + slot.word + (slot.directory ? " directory `" : " path `");
        EXPECT_EQ(Run({option, first, option + "=" + second}), Warning(previous + Win(first) + "'"));
        EXPECT_EQ(Location(slot.slot), Win(second));
        EXPECT_EQ(Run({option, missing, option, slot.directory ? plain : a, option + "="}),
                  Failure("`" + Win(missing) + "' does not exist") +
                      (slot.directory ? Failure("`" + Win(plain) + "' is not a directory") +
                                            Failure("Missing directory for option `" + option + "'")
                                      : Failure("`" + Win(a) + "' is a directory") +
                                            Failure("Missing filename for option `" + option + "'")));
        std::string current = second;
        if (!slot.directory) {
            // The definition file is read, not run: it need not be executable.
            const bool read = slot.slot == LOC_DEF_FILE;
            EXPECT_EQ(Run({option, plain}), read ? Warning(previous + Win(tool) + "'")
                                                 : Failure("`" + Win(plain) + "' is not an executable file"));
            current = read ? plain : tool;
        }
        EXPECT_EQ(Location(slot.slot), Win(current));
        // Not reporting missing files, one that does not exist yet is taken.
        ReportMissing = 0;
        EXPECT_EQ(Run({option, missing}), Warning(previous + Win(current) + "'"));
        EXPECT_EQ(Location(slot.slot), Win(missing));
    }
}

TEST_F(OptionHandlers, ProcessorsOfTheFamilyAreTheirOwnOptions)
{
    EXPECT_EQ(Run({"-proc", "KDSP-63835"}), "");
    EXPECT_TRUE(Given(OPT_63835));
    EXPECT_TRUE(Given(OPT_proc));
    EXPECT_EQ(Location(LOC_PROC_ID), "");
    EXPECT_EQ(Names(LIST_PENDING), (Words{"-63835"}));

    EXPECT_EQ(Run({"-proc", "other", "-procKDSP-63834"}), Warning("Ignoring previous -proc switch `other'"));
    EXPECT_EQ(Location(LOC_PROC_ID), "KDSP-63834");
    EXPECT_EQ(Run({"-proc=KDSP-63832"}),
              Warning("Ignoring previous -proc switch `KDSP-63834'") + Warning("Option `-63832' conflicts with `-63835'"));
    EXPECT_EQ(Location(LOC_PROC_ID), "");
    EXPECT_TRUE(Given(OPT_63832));
    EXPECT_EQ(Run({"-proc="}), Failure("Missing processor identifier for option `-proc'"));
}

TEST_F(OptionHandlers, DebugComponents)
{
    EXPECT_EQ(Run({"-debug", "compiler,linker"}), "");
    EXPECT_EQ(DebugMask, 0x41);
    EXPECT_EQ(Run({"-debug=cc,assembler,asmpp,objpp,prelinker,archiver,libbuilder,meminit"}), "");
    EXPECT_EQ(DebugMask, 0x3ff);
    EXPECT_EQ(Run({"-debug", ",x,Compiler"}), Warning("Empty component for option `-debug'") +
                                                  Failure("Unknown component `x' for option `-debug'") +
                                                  Failure("Unknown component `Compiler' for option `-debug'"));
}

// Option files ----------------------------------------------------------------------------------

TEST_F(OptionHandlers, AnOptionFileThatNamesItselfIsReadOnce)
{
    const std::string file = Missing("self.opt");
    MakeFile("self.opt", "-D X\n-@ " + file + "\n@" + file + "\n-D Y\n");
    EXPECT_EQ(Run({"-@", file}), Warning("Ignoring recursive option file `" + Win(file) + "'") +
                                     Warning("Ignoring recursive option file `" + Win(file) + "'"));
    EXPECT_EQ(Entries(LIST_MACROS), (Words{"X=1", "Y=1"}));
    EXPECT_EQ(OptFileList.count, 0u);

    // Read again from the top, it is a new source.
    Words words = {"@" + file};
    const std::string errors = Stderr([&] { ReadArgs(words); });
    EXPECT_EQ(errors, Warning("Duplicate definition of macro `X'") +
                          Warning("Ignoring recursive option file `" + Win(file) + "'") +
                          Warning("Ignoring recursive option file `" + Win(file) + "'") +
                          Warning("Duplicate definition of macro `Y'"));
}

TEST_F(OptionHandlers, NestedOptionFilesAndTheirDeferredWords)
{
    // A second bar switches back to the file's own words.
    const std::string inner = MakeFile("inner.opt", "-C | -S -E | -J\n");
    const std::string outer = MakeFile("outer.opt", "-c -@ " + inner + " -i | -M\n");
    EXPECT_EQ(Run({"-@", outer}), "");
    EXPECT_TRUE(Given(OPT_C));
    EXPECT_TRUE(Given(OPT_J));
    EXPECT_TRUE(Given(OPT_i));
    EXPECT_FALSE(Given(OPT_S));
    EXPECT_EQ(Names(LIST_DEFERRED), (Words{"-S", "-E", "-M"}));

    ArgFreeList(ArgLists[LIST_DEFERRED]);
    LastOptions = 1;
    EXPECT_EQ(Run({"-@", inner}), Warning("Duplicate option `-C'") + Warning("Duplicate option `-J'") +
                                      Warning("Unused argument `-S'") + Warning("Unused argument `-E'"));
    EXPECT_EQ(ArgLists[LIST_DEFERRED].count, 0u);
}

TEST_F(OptionHandlers, HelpInAnOptionFileEndsTheEnclosingSource)
{
    const std::string file = MakeFile("help.opt", "-help -C\n");
    EXPECT_EQ(Run({"-@", file, "-c"}), "");
    EXPECT_EQ(last_, 0);
    EXPECT_TRUE(Given(OPT_help));
    EXPECT_FALSE(Given(OPT_C));
    EXPECT_FALSE(Given(OPT_c));
}

TEST_F(OptionHandlers, ADirectoryGivesItsSources)
{
    const std::string empty = MakeDir("empty");
    MakeFile("src/a.c");
    MakeFile("src/b.cpp");
    MakeFile("src/notes.txt");
    MakeDir("src/sub.c");
    EXPECT_EQ(Run({"-@", empty, "-@", (dir_ / "src").string()}),
              Warning("Directory `" + Win(empty) + "' contains no source files"));
    EXPECT_EQ(Names(LIST_SOURCES), (Words{Win((dir_ / "src/a.c").string()), Win((dir_ / "src/b.cpp").string())}));
    EXPECT_EQ(HighSource, FILE_CXX);
    EXPECT_EQ(Run({"-@="}), Failure("Missing filename for option `-@'"));
}

TEST_F(OptionHandlers, AHundredThousandWordOptionFileIsRead)
{
    std::ostringstream text;
    constexpr int count = 100000;
    for (int i = 0; i < count; ++i)
        text << "-flags-link=-w" << i << (i % 10 == 9 ? "\n" : " ");
    const std::string file = MakeFile("big.opt", text.str());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Run({"-@", file}), "");
    EXPECT_EQ(ArgLists[LIST_LINKER].count, static_cast<std::uint32_t>(count));
    EXPECT_EQ(ArgFirst(ArgLists[LIST_LINKER])->name, "-w0");
    EXPECT_EQ(ArgLast(ArgLists[LIST_LINKER])->name, "-w99999");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
}

} // namespace
