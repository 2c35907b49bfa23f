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
    EXPECT_EQ(Run({"-Wsuppress", "12,0x0c"}), Warning("Ignoring duplicate error number `12' for option `-Wsuppress'"));
    EXPECT_EQ(Names(LIST_DIAG_SUPPRESS), (Words{"12"}));

    EXPECT_EQ(Run({"-Werror", "7", "-Wwarn", "7"}),
              Warning("Overriding previous status of error number `7' for option `-Wwarn'"));
    EXPECT_EQ(Names(LIST_DIAG_ERROR), Words{});
    EXPECT_EQ(Names(LIST_DIAG_WARNING), (Words{"7"}));

    EXPECT_EQ(Run({"-Wremark0x10", "-Wsuppress=16"}),
              Warning("Overriding previous status of error number `16' for option `-Wsuppress'"));
    EXPECT_EQ(Names(LIST_DIAG_REMARK), Words{});
    EXPECT_EQ(Names(LIST_DIAG_SUPPRESS), (Words{"12", "16"}));
    EXPECT_EQ(ErrorNum, 0u);
}

TEST_F(OptionHandlers, BadDiagnosticNumbersAreReportedOneByOne)
{
    EXPECT_EQ(Run({"-Werror", "5,,0,65536,1x,65535,99999999999"}),
              Warning("Missing error number for option `-Werror'") +
                  Failure("Illegal error number `0' for option `-Werror'") +
                  Failure("Illegal error number `65536' for option `-Werror'") +
                  Failure("Bad numeric argument `1x' for option `-Werror'") +
                  Warning("Positive number overflow in `99999999999'") +
                  Failure("Illegal error number `99999999999' for option `-Werror'"));
    EXPECT_EQ(Names(LIST_DIAG_ERROR), (Words{"5", "65535"}));
    EXPECT_EQ(ErrorNum, 4u);
    EXPECT_EQ(Run({"-Wwarn"}), Warning("Missing error number for option `-Wwarn'"));
    EXPECT_TRUE(Given(OPT_Werror));
}

TEST_F(OptionHandlers, FlagsOptionsFillTheirToolsLists)
{
    const std::pair<const char*, int> flags[] = {
        {"-flags-driver", LIST_DRIVER},     {"-flags-compiler", LIST_COMPILER}, {"-flags-asm", LIST_ASSEMBLER},
        {"-flags-gco", LIST_ASM_PREPROC},   {"-flags-prelink", LIST_PRELINKER}, {"-flags-prof", LIST_PROFILER},
        {"-flags-link", LIST_LINKER},       {"-flags-lib", LIST_ARCHIVER},      {"-flags-demangle", LIST_DEMANGLER},
        {"-flags-debug", LIST_DEBUGGER},
    };
    for (const auto& [name, list] : flags) {
        Reset();
        EXPECT_EQ(Run({name, "-x,-y"}), "") << name;
        EXPECT_EQ(Names(list), (Words{"-x", "-y"})) << name;
    }
}

TEST_F(OptionHandlers, EscapedCommasStayInTheirPiece)
{
    EXPECT_EQ(Run({"-flags-asm", "a\\,b,c", "-flags-link", "x,a\\,b\\,c", "-flags-lib", "\\,,p\\q"}), "");
    EXPECT_EQ(Names(LIST_ASSEMBLER), (Words{"a,b", "c"}));
    EXPECT_EQ(Names(LIST_LINKER), (Words{"x", "a,b,c"}));
    EXPECT_EQ(Names(LIST_ARCHIVER), (Words{",", "p\\q"}));
    EXPECT_EQ(Run({"-flags-prof", "a,,b,", "-flags-demangle="}),
              Warning("Empty argument for option `-flags-prof'") + Warning("Empty argument for option `-flags-prof'") +
                  Warning("Empty argument for option `-flags-demangle'"));
    EXPECT_EQ(Names(LIST_PROFILER), (Words{"a", "b"}));
}

TEST_F(OptionHandlers, CodeGeneratorPiecesBecomeTranslations)
{
    EXPECT_EQ(Run({"-999", "-a,-b\\,c"}), "");
    EXPECT_EQ(Entries(LIST_PENDING), (Words{"-a=-a(i)", "-b,c=-b,c(i)"}));
    ProcessOptions();
    EXPECT_EQ(Names(LIST_CODEGEN), (Words{"-a", "-b,c"}));
}

TEST_F(OptionHandlers, OnlyKnownRegistersAreReservedOnce)
{
    EXPECT_EQ(Run({"-reserve", "m3,r9", "-reserve=m3"}), Failure("Cannot reserve register `r9'"));
    EXPECT_EQ(Names(LIST_RESERVED_REGS), (Words{"m3"}));
    EXPECT_EQ(Entries(LIST_MACROS), (Words{"__M3_RESERVED__=1"}));
    EXPECT_EQ(Names(LIST_LINKER), (Words{"-MDM3_RESERVED"}));
    EXPECT_EQ(Run({"-reserve", "M3"}), "");
    EXPECT_EQ(Names(LIST_RESERVED_REGS), (Words{"m3", "M3"}));
}

// Values that become translations ---------------------------------------------------------

TEST_F(OptionHandlers, AutoInlineTakesOneFiniteNonNegativeRatio)
{
    EXPECT_EQ(Run({"-auto-inline", "1.5"}), "");
    EXPECT_EQ(Entries(LIST_PENDING), (Words{"-auto-inline=--inline_auto_space_time=1.50(d)"}));
    EXPECT_EQ(Run({"-auto-inline=2"}), Warning("Ignoring previous `-auto-inline' option"));
    EXPECT_EQ(Entries(LIST_PENDING), (Words{"-auto-inline=--inline_auto_space_time=2.00(d)"}));

    // Bad ratios leave the queued one alone.
    EXPECT_EQ(Run({"-auto-inline", "-1", "-auto-inline", "inf", "-auto-inline", "nan", "-auto-inline", "-inf",
                   "-auto-inline", "1e999", "-auto-inline", "1.5x", "-auto-inline", "abc", "-auto-inline="}),
              Failure("Illegal space/time ratio `-1' for option `-auto-inline'") +
                  Failure("Bad numeric argument `inf' for option `-auto-inline'") +
                  Failure("Bad numeric argument `nan' for option `-auto-inline'") +
                  Failure("Bad numeric argument `-inf' for option `-auto-inline'") +
                  Warning("floating point number overflow in `1e999'") +
                  Failure("Bad numeric argument `1e999' for option `-auto-inline'") +
                  Failure("Bad numeric argument `1.5x' for option `-auto-inline'") +
                  Warning("invalid floating point number `abc'") +
                  Failure("Bad numeric argument `abc' for option `-auto-inline'") +
                  Failure("Missing argument for option `-auto-inline'"));
    EXPECT_EQ(ErrorNum, 8u);
    EXPECT_EQ(Entries(LIST_PENDING), (Words{"-auto-inline=--inline_auto_space_time=2.00(d)"}));
}

TEST_F(OptionHandlers, ErrorLimitsAndGlobalValue)
{
    EXPECT_EQ(Run({"-Werror-limit", "3", "-val-global", "x"}), "");
    EXPECT_EQ(Run({"-Werror-limit=0x10", "-val-global=y"}),
              Warning("Ignoring previous `-Werror-limit' option") + Warning("Ignoring previous `-val-global' option"));
    EXPECT_EQ(Run({"-Werror-limit", "0", "-Werror-limit", "x", "-Werror-limit=", "-val-global="}),
              Failure("Illegal error limit `0' for option `-Werror-limit'") +
                  Failure("Bad numeric argument `x' for option `-Werror-limit'") +
                  Failure("Missing argument for option `-Werror-limit'") +
                  Failure("Missing argument for option `-val-global'"));
    ProcessOptions();
    EXPECT_EQ(Names(LIST_DRIVER), (Words{"--error_limit=16", "--val-global=y"}));

    // The driver's own limit.
    EXPECT_EQ(Run({"-Wdriver-limit", "5"}), "");
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
    EXPECT_EQ(Run({"-Ov", "150"}), Failure("Illegal value for option '-Ov'"));
    EXPECT_EQ(Names(LIST_CODEGEN), (Words{"-O"}));
    EXPECT_EQ(Entries(LIST_PENDING), (Words{"-Ov=-opt_speed_vs_size=150(i)"}));

    Reset();
    // A later -Ov does not replace an earlier one.
    EXPECT_EQ(Run({"-Ov", "30", "-Ov40"}), "");
    EXPECT_EQ(Names(LIST_CODEGEN), (Words{"-O", "-O"}));
    EXPECT_EQ(Entries(LIST_PENDING), (Words{"-Ov=-opt_speed_vs_size=30(i)", "-Ov=-opt_speed_vs_size=40(i)"}));

    EXPECT_EQ(Run({"-Ov", "x", "-Ov=", "-Ov", "-1", "-Ov=100", "-Ov=0"}),
              Failure("Bad numeric argument 'x' for option '-Ov'") + Failure("Missing argument for option '-Ov'") +
                  Failure("Illegal value for option '-Ov'"));
    EXPECT_EQ(ErrorNum, 3u);
}

// Macros and assertions -----------------------------------------------------------------

TEST_F(OptionHandlers, MacroDefinitionsAndRemovals)
{
    EXPECT_EQ(Run({"-D", "X", "-D", "X=1"}), Warning("Duplicate definition of macro `X'"));
    EXPECT_EQ(Entries(LIST_MACROS), (Words{"X=1"}));
    EXPECT_EQ(Run({"-DY=2", "-D", "f(a)=a", "-DE=", "-D", "Y=3"}), Warning("Redefinition of macro `Y' from `2' to `3'"));
    EXPECT_EQ(Entries(LIST_MACROS), (Words{"X=1", "f(a)=a", "E=", "Y=3"}));

    EXPECT_EQ(Run({"-D", "=1", "-D==1", "-D", "9x", "-D", "a-b=1", "-D", "f(a", "-D="}),
              Failure("Missing macro name for option `-D'") + Failure("Missing macro name for option `-D'") +
                  Failure("Illegal macro name `9x' for option `-D'") +
                  Failure("Illegal macro name `a-b' for option `-D'") +
                  Failure("Missing macro name for option `-D'"));
    EXPECT_EQ(ErrorNum, 5u);
    // A name that opens a parameter list is taken as it is.
    EXPECT_EQ(Entries(LIST_MACROS), (Words{"X=1", "f(a)=a", "E=", "Y=3", "f(a=1"}));

    EXPECT_EQ(Run({"-U", "X", "-UX"}), Warning("Duplicate removal of macro `X'"));
    EXPECT_EQ(Run({"-U", "X(a)", "-U="}),
              Failure("Illegal macro name `X(a)' for option `-U'") + Failure("Missing macro name for option `-U'"));
    EXPECT_EQ(Names(LIST_UNDEFINES), (Words{"X"}));
}

TEST_F(OptionHandlers, Assertions)
{
    EXPECT_EQ(Run({"-A", "p(x)", "-A", "p(x)"}), Warning("Duplicate definition of predicate `p' as `x' for option `-A'"));
    EXPECT_EQ(Run({"-A", "p(y)", "-A", "q", "-Aq", "-A", "r()", "-A", "r", "-A", "s(z)t"}),
              Warning("Duplicate definition of predicate `q' for option `-A'") +
                  Warning("Duplicate definition of predicate `r' for option `-A'") +
                  Warning("Ignoring characters after `)' for option `-A'"));
    EXPECT_EQ(Entries(LIST_ASSERTIONS), (Words{"p=x", "p=y", "q", "r", "s=z"}));

    EXPECT_EQ(Run({"-A", "p(x", "-A", "(x)", "-A=", "-A", "9p(x)", "-A", "a b"}),
              Failure("Missing closing `)' for option `-A'") + Failure("Missing predicate for option `-A'") +
                  Failure("Missing predicate for option `-A'") + Failure("Illegal predicate `9p' for option `-A'") +
                  Failure("Illegal predicate `a b' for option `-A'"));
    EXPECT_EQ(ArgLists[LIST_ASSERTIONS].count, 5u);
}

// Libraries, headers and test arguments ---------------------------------------------------

TEST_F(OptionHandlers, LibrariesJoinTheSourceListWithTheirLinkMode)
{
    EXPECT_EQ(Run({"-l", "m", "-lm", "-lM"}), Warning("Ignoring duplicate adjacent library `m' for option `-l'") +
                                                 Warning("Ignoring duplicate adjacent library `M' for option `-l'"));
    EXPECT_EQ(Entries(LIST_SOURCES), (Words{"-lm="}));
    EXPECT_EQ(HighSource, FILE_LIBRARY);

    DynamicLink = 1;
    EXPECT_EQ(Run({"-l", "d"}), "");
    DynamicLink = 0;
    EXPECT_EQ(Run({"-l", "s"}), "");
    EXPECT_EQ(Entries(LIST_SOURCES), (Words{"-lm=", "-ld=d", "-ls=s"}));
    EXPECT_EQ(Run({"-l="}), Failure("Missing library name for option `-l'"));
}

TEST_F(OptionHandlers, ALibraryNeverHidesASourceThatEntersEarlier)
{
    const std::string source = MakeFile("x.c", "int x;\n");
    Words words = {"-l", "m", source, "-l", "m"};
    const std::string errors = Stderr([&] { ReadArgs(words); });
    EXPECT_EQ(errors, "");
    EXPECT_EQ(Names(LIST_SOURCES), (Words{"-lm", Win(source), "-lm"}));
    EXPECT_EQ(HighSource, FILE_C);
}

TEST_F(OptionHandlers, ForcedIncludesMustBeCHeaders)
{
    EXPECT_EQ(Run({"-include", "inc/a.h", "-includeB.H"}), "");
    EXPECT_EQ(Names(LIST_PREINCLUDES), (Words{"inc\\a.h", "B.H"}));
    EXPECT_EQ(Run({"-include", "x.hpp", "-include", "x.c", "-include=", "-include", "c:"}),
              Failure("`x.hpp' is a C++ header file") + Failure("`x.c' is not a header file") +
                  Failure("Missing filename for option `-include'") + Failure("Missing filename for option `-include'"));
}

TEST_F(OptionHandlers, TestArgumentsAreSplitAsOptionFileText)
{
    EXPECT_EQ(Run({"-testargs", "a \"b c\" | d"}), "");
    EXPECT_EQ(Names(LIST_TESTARGS), (Words{"a", "b c"}));
    EXPECT_EQ(Run({"-testargs=x"}), Warning("Ignoring previous `-testargs' option"));
    EXPECT_EQ(Names(LIST_TESTARGS), (Words{"x"}));
    EXPECT_EQ(Run({"-testargs="}), Failure("Missing arguments for option `-testargs'"));
    EXPECT_EQ(Names(LIST_TESTARGS), (Words{"x"}));
}

// Directory lists -----------------------------------------------------------------------------

TEST_F(OptionHandlers, DirectoryListsKeepTheDirectoriesThatExist)
{
    const std::string a = MakeDir("a"), b = MakeDir("b"), c = MakeDir("c");
    const std::string file = MakeFile("f.txt"), missing = Missing("zz");
    EXPECT_EQ(Run({"-I", a + ";" + b + "," + c}), "");
    EXPECT_EQ(Names(LIST_INCLUDE_DIRS), (Words{Win(a), Win(b), Win(c)}));

    EXPECT_EQ(Run({"-L" + a + ";;" + missing + "," + file}),
              Warning("Empty directory for option `-L'") + Warning("`" + Win(missing) + "' does not exist") +
                  Warning("`" + Win(file) + "' is not a directory"));
    EXPECT_EQ(Names(LIST_LIB_DIRS), (Words{Win(a)}));
    EXPECT_EQ(ErrorNum, 0u);

    // Missing directories are dropped silently after -no-dir-warnings.
    no_dir_warn = 1;
    EXPECT_EQ(Run({"-I", missing}), "");
    EXPECT_EQ(Names(LIST_INCLUDE_DIRS).size(), 3u);

    EXPECT_EQ(Run({"-I-", "-I", a}), "");
    EXPECT_EQ(Names(LIST_INCLUDE_DIRS), (Words{Win(a), Win(b), Win(c), "-", Win(a)}));
}

TEST_F(OptionHandlers, EachSourceDirectoryOptionReplacesTheList)
{
    const std::string a = MakeDir("a"), b = MakeDir("b"), file = MakeFile("f.txt");
    EXPECT_EQ(Run({"-R", a, "-R", b}), "");
    EXPECT_EQ(Names(LIST_SOURCE_DIRS), (Words{Win(b)}));

    EXPECT_EQ(Run({"-R", a + ";" + a + ";" + a + "/.;" + b + "," + file}),
              Warning("Ignoring duplicate source directory `" + Win(a) + "'") +
                  Warning("`" + Win(a) + "\\.' is the same source directory as `" + Win(a) + "' - ignoring") +
                  Failure("`" + Win(file) + "' is not a directory"));
    EXPECT_EQ(Names(LIST_SOURCE_DIRS), (Words{Win(a), Win(b)}));
    EXPECT_EQ(ErrorNum, 1u);

    EXPECT_EQ(Run({"-R-"}), "");
    EXPECT_EQ(ArgLists[LIST_SOURCE_DIRS].count, 0u);
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
