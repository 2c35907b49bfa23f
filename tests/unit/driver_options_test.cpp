// The main driver's option vocabulary, tested through DriverProcessOption.
#include "test_support.h"

#include <set>

#include "cctrvx/globals.h"
#include "driver_options.h"
#include "dstring.h"
#include "error.h"
#include "symtab.h"

namespace {

// A text for a regular expression that matches it literally.
std::string Literal(const std::string& text)
{
    std::string pattern;
    for (char c : text) {
        if (std::string_view(".[]{}()\\*+?^$|").find(c) != std::string_view::npos)
            pattern += '\\';
        pattern += c;
    }
    return pattern;
}

class DriverOptions : public TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        OptionSymbolTable = SymCreate(0);
        LoadDriverOptions();
        Clean();
    }

    void TearDown() override
    {
        SymDelete(OptionSymbolTable);
        OptionSymbolTable = nullptr;
        Clean();
        TempDirTest::TearDown();
    }

    // The prefix no driver name gives.
    static void Clean()
    {
        ResetGlobals();
        TempPrefix = "qzr";
    }

    static void ClearTables()
    {
        for (List& list : ArgLists)
            ArgFreeList(list);
        for (DString& location : FileLocs)
            StrSet(location, "");
    }

    // Processes the words as the main driver processes its arguments; returns the count
    // consumed by each call, in order.
    static std::vector<int> Process(const Words& words)
    {
        std::vector<int> counts;
        for (std::size_t i = 0; i < words.size();) {
            const std::string* next = i + 1 < words.size() ? &words[i + 1] : nullptr;
            counts.push_back(DriverProcessOption(words[i], next));
            i += static_cast<std::size_t>(counts.back());
        }
        return counts;
    }

    static Words Entries(int slot) { return NamesOf(ArgLists[slot]); }

    static std::string Location(int slot) { return std::string(FileLocs[slot].view()); }
};

// The table -----------------------------------------------------------------------------

TEST_F(DriverOptions, TableHasUniqueNamesEachFoundUnderItsRow)
{
    ASSERT_EQ(DriverOptionRows(), 357);
    std::set<std::string> names;
    int valueRows = 0;
    for (int i = 0; i < DriverOptionRows(); ++i) {
        const DriverOptionInfo row = DriverOptionRow(i);
        ASSERT_NE(row.name, nullptr) << i;
        EXPECT_TRUE(names.insert(row.name).second) << row.name;
        EXPECT_TRUE(row.takesArgument == 0 || row.takesArgument == 1) << row.name;
        EXPECT_NE(row.id, 0) << row.name;
        EXPECT_EQ(SymSearch(OptionSymbolTable, row.name, nullptr), static_cast<std::uint32_t>(i + 1)) << row.name;
        valueRows += row.takesArgument;
    }
    // 48 component rows, 10 control, 3 link, "--virt-link", "--proc", "--option_file",
    // "--parallel_jobs" and 42 front-end options.
    EXPECT_EQ(valueRows, 107);
    EXPECT_EQ(DriverOptionRow(DriverOptionRows()).name, nullptr);
}

// Every row is accepted as it is written; a row with a value takes the following word
// (two consumed) or, through "=" or an attached value, none (one consumed); a row without
// one never takes the following word.
TEST_F(DriverOptions, EveryRowIsAccepted)
{
    const std::string procFile = MakeFile("proc.ini", "Architecture = KDSP-63835\n");
    const std::string optionFile = MakeFile("options.opt", "-c\n");
    const std::string directory = dir_.string();
    auto valueFor = [&](const std::string& name) -> std::string {
        if (name == "--proc")
            return procFile;
        if (name == "--option_file")
            return optionFile;
        if (name == "--output_dir")
            return directory;
        return "1";
    };
    const std::string following = "next.c";
    for (int i = 0; i < DriverOptionRows(); ++i) {
        const DriverOptionInfo row = DriverOptionRow(i);
        const std::string name = row.name;
        if (!row.takesArgument) {
            EXPECT_EQ(DriverProcessOption(name, &following), 1) << name;
            EXPECT_EQ(DriverProcessOption(name, nullptr), 1) << name;
            continue;
        }
        const std::string value = valueFor(name);
        EXPECT_EQ(DriverProcessOption(name, &value), 2) << name;
        // Every single-dash row with a value is one of the letters that take it attached.
        const std::string joined = name.compare(0, 2, "--") == 0 ? name + "=" + value : name + value;
        EXPECT_EQ(DriverProcessOption(joined, nullptr), 1) << joined;
    }
    EXPECT_EQ(ErrorNum, 0u);
    // Only the link items land among the inputs; the following word was never taken.
    for (const std::string& input : Entries(LIST_INPUTS))
        EXPECT_EQ(input[0], '-') << input;
}

// Recognition and handlers --------------------------------------------------------------

// The count each word consumed, and what the compiler and the recompilation command get.
TEST_F(DriverOptions, WordsReachTheCompilerAndTheRecompilationCommand)
{
    const Words same = {"-Dname", "-Dname", "-Iinc"}, define = {"--define_macro", "name", "--define_macro", "X"},
                language = {"--c++", "-m", "--cfront_3.0", "--old_c"};
    const struct {
        Words words;
        std::vector<int> counts;
        Words compiler, recompile;
    } cases[] = {
        // Single letters take attached or following values.
        {{"-Dname", "-D", "name", "-Iinc"}, {1, 2, 1}, same, same},
        // Long options give the name and the value as two words.
        {{"--define_macro=name", "--define_macro", "X"}, {1, 2}, define, define},
        // An optimisation set appends its words and is passed on alone.
        {{"+K2"}, {1},
         {"--kai_optimize", "2", "--ellide_empty_destructor", "--dead_type", "--preserve_null_deref", "--no_unroll",
          "--no_restrict_new"},
         {"+K2"}},
        // Default options are split, options are not.
        {{"--COMPDO_fe", "-a -b"}, {2}, {"-a", "-b"}, {"--COMPDO_fe", "-a -b"}},
        {{"--COMPO_fe", "-a -b"}, {2}, {"-a -b"}, {"--COMPO_fe", "-a -b"}},
        {{"--driver_name", "zc++"}, {2}, {"--driver_name", "zc++"}, {"--driver_name", "zc++"}},
        {language, {1, 1, 1, 1}, language, language},
        // The value of an option without one is dropped.
        {{"--dryrun=yes", "a.c"}, {1, 1}, {}, {}},
    };
    for (const auto& test : cases) {
        ClearTables();
        EXPECT_EQ(Process(test.words), test.counts) << test.words[0];
        EXPECT_EQ(Entries(LIST_COMPILER), test.compiler) << test.words[0];
        EXPECT_EQ(Entries(LIST_RECOMPILE), test.recompile) << test.words[0];
    }
    EXPECT_EQ(DryRun, 1);
    EXPECT_EQ(Entries(LIST_INPUTS), (Words{"a.c"}));

    ClearTables();
    Process({"--COMPDO_fe_asm", "-x \"two words\""});
    EXPECT_EQ(Entries(LIST_ASSEMBLER), (Words{"-x", "two words"}));
}

TEST_F(DriverOptions, OutputFileInThreeSpellingsAndLaterOutputKindWins)
{
    for (const Words& words : {Words{"-o", "out.dxe"}, Words{"-oout.dxe"}, Words{"--output=out.dxe"}}) {
        StrSet(FileLocs[LOC_OUTPUT], "");
        Process(words);
        EXPECT_EQ(Location(LOC_OUTPUT), "out.dxe") << words[0];
    }
    EXPECT_TRUE(Entries(LIST_RECOMPILE).empty());

    const std::pair<const char*, int> kinds[] = {
        {"-S", OUTPUT_ASSEMBLER}, {"-c", OUTPUT_OBJECT}, {"-M", OUTPUT_FILE_LIST}, {"-E", OUTPUT_PREPROCESSED}};
    for (const auto& [option, production] : kinds) {
        Process({option});
        EXPECT_EQ(Production, production) << option;
    }
    EXPECT_EQ(DepLink, 1);
    EXPECT_EQ(Entries(LIST_COMPILER), (Words{"-M", "-E"}));

    for (const char* option : {"--no_code_gen", "-n", "-y"}) {
        ClearTables();
        Production = OUTPUT_EXECUTABLE;
        Process({option});
        EXPECT_EQ(Production, OUTPUT_NONE) << option;
        EXPECT_EQ(Entries(LIST_COMPILER), (Words{"--no_code_gen"})) << option;
    }
}

TEST_F(DriverOptions, WordsThatAreNotOptionsAreInputsInOrder)
{
    Process({"a.c", "---x", "-lm", "-u", "start", "-Bstatic", "b.o", "-Llib", ""});
    EXPECT_EQ(Entries(LIST_INPUTS), (Words{"a.c", "---x", "-lm", "-ustart", "-Bstatic", "b.o", ""}));
    for (int slot : {LIST_PRELINKER, LIST_LINKER, LIST_DLL_BUILDER})
        EXPECT_EQ(Entries(slot), (Words{"-Llib"})) << slot;
}

TEST_F(DriverOptions, ComponentOptionsArePassedOnAsTheComponentTableSays)
{
    Process({"--COMPP_ln", "old", "--COMPP_ln", "link.exe"});
    EXPECT_EQ(Location(LOC_LINKER), "link.exe");
    EXPECT_TRUE(Entries(LIST_RECOMPILE).empty());

    Process({"--COMPP_pl_nm", "nm.exe", "--COMPDO_pl_nm", "-g", "--COMPO_pl_nm", "-h"});
    EXPECT_EQ(Location(LOC_PRELINKER_NM), "nm.exe");
    EXPECT_EQ(Entries(LIST_PRELINKER_NM), (Words{"-g", "-h"}));
    EXPECT_EQ(Entries(LIST_RECOMPILE), (Words{"--COMPP_pl_nm", "nm.exe"}));

    // The three compiler names address the same slots.
    ClearTables();
    Process({"--COMPP_fe_cc2c", "cc.exe", "--COMPO_fe_cc2s", "-q"});
    EXPECT_EQ(Location(LOC_COMPILER), "cc.exe");
    EXPECT_EQ(Entries(LIST_COMPILER), (Words{"-q"}));
}

TEST_F(DriverOptions, ImplementationModelsAndControlOptions)
{
    Process({"--CIM2c", "--LIMdy", "--LIM2", "--CCIMp", "--PIM1"});
    EXPECT_EQ((std::vector<int>{Generate, Production, PerformMemInit, ParallelMax}),
              (std::vector<int>{GENERATE_C, OUTPUT_DLL, 1, 0}));
    EXPECT_EQ(Entries(LIST_RECOMPILE), (Words{"--CIM2c"}));
    Process({"--CIM1", "--CCIM1"});
    EXPECT_EQ(Generate, GENERATE_OBJECT);
    EXPECT_EQ(ParallelMax, -1);

    // Control options with values are passed on with them.
    ClearTables();
    Process({"--edit_format", "vi +%n %f", "--component_debug", "5", "--component_debug=2x", "--time_limit",
             "abc", "--instantiation_dir", "TP", "--pch_dir=PCH", "-v", "--ipa", "--opa"});
    EXPECT_EQ(EditFormat, std::optional<std::string>("vi +%n %f"));
    EXPECT_EQ((std::vector<int>{DebugMask, TimeLimit, Verbose, IPAMode}), (std::vector<int>{7, 0, 1, 1}));
    EXPECT_EQ(Location(LOC_REPOSITORY), "TP");
    EXPECT_EQ(Location(LOC_PCH_DIR), "PCH");
    EXPECT_EQ(Entries(LIST_PRELINKER), (Words{"-v"}));
    EXPECT_EQ(Entries(LIST_RECOMPILE),
              (Words{"--edit_format", "vi +%n %f", "--component_debug", "5", "--component_debug", "2x",
                     "--time_limit", "abc", "--instantiation_dir", "TP", "--pch_dir", "PCH", "-v", "--ipa"}));
}

TEST_F(DriverOptions, DriverNameAndLanguageSelectors)
{
    const struct {
        Words words;
        const char* program;
        const char* prefix;
    } names[] = {{{"--driver_name", "zc++"}, "zc++", "zcpp"}, {{"--driver_name", "mycc"}, "mycc", "zcpp"},
                 {{"--driver_name=ccqz"}, "ccqz", "qcc"}};
    for (const auto& name : names) {
        Process(name.words);
        EXPECT_STREQ(ProgName, name.program);
        EXPECT_EQ(TempPrefix, name.prefix);
    }
    const std::pair<const char*, int> selectors[] = {{"--c++", 1}, {"-m", 0}, {"--cfront_3.0", 1}, {"--old_c", 0}};
    for (const auto& [option, language] : selectors) {
        Process({option});
        EXPECT_EQ(CPPLanguage, language) << option;
    }
}

// Option files ---------------------------------------------------------------------------

TEST_F(DriverOptions, OptionFilesReadLikeArgumentsAndMayNest)
{
    const std::string inner = MakeFile("inner.opt", "-c b.c\n");
    const std::string outer = MakeFile("outer.opt", "# options\na.c --COMPO_fe \"-a -b\"\n--option_file " + inner +
                                                        "\n-o out.doj\n");
    Process({"--option_file", outer, "z.c"});
    EXPECT_EQ(Entries(LIST_INPUTS), (Words{"a.c", "b.c", "z.c"}));
    EXPECT_EQ(Entries(LIST_COMPILER), (Words{"-a -b"}));
    EXPECT_EQ(Production, OUTPUT_OBJECT);
    EXPECT_EQ(Location(LOC_OUTPUT), "out.doj");
}

// Processor description file -------------------------------------------------------------

TEST_F(DriverOptions, ProcessorFileKeysSelectTheModelMacros)
{
    Process({"--proc", MakeFile("a.ini", "Architecture = KDSP-63832\n")});
    EXPECT_EQ(Entries(LIST_COMPILER), (Words{"-D__KDSP63832__=1", "-D__KDSPTARVEX__=1"}));

    // Every way of writing the "=", words that are not keys ignored, and each key counted.
    ClearTables();
    Process({"--proc", MakeFile("b.ini", "# processor\n"
                                         "Name = KDSP-63832 architecture=KDSP-63832\n"
                                         "Architecture=KDSP-63835\n"
                                         "Architecture =KDSP-63832\n"
                                         "Architecture= KDSP-63835\n")});
    EXPECT_EQ(Entries(LIST_COMPILER),
              (Words{"-D__KDSP63835__=1", "-D__KDSPTARVEX__=1", "-D__KDSP63832__=1", "-D__KDSPTARVEX__=1",
                     "-D__KDSP63835__=1", "-D__KDSPTARVEX__=1"}));
    EXPECT_TRUE(Entries(LIST_RECOMPILE).empty());
}

// Fatal errors ---------------------------------------------------------------------------

TEST_F(DriverOptions, FatalErrorsEndWithStatusOne)
{
    const std::string bad = MakeFile("bad.ini", "Architecture=KDSP-63834\n");
    const std::string cut = MakeFile("cut.ini", "Architecture = KDSP-6383\n");
    const std::string last = MakeFile("last.opt", "-o\n"), missing = Missing("missing");
    const std::pair<Words, std::string> cases[] = {
        // Unknown options are named without their value.
        {{"--bogus"}, "Unrecognized option `--bogus'"},
        {{"--bogus=1"}, "Unrecognized option `--bogus'"},
        {{"-vx"}, "Unrecognized option `-vx'"},
        {{"+K9"}, "Unrecognized option `+K9'"},
        {{"--output="}, "Missing argument for option `--output'"},
        {{"a.c", "-o"}, "Missing argument for option `-o'"},
        {{"--COMPP_fe"}, "Missing argument for option `--COMPP_fe'"},
        // The words of an option file take no value from outside the file.
        {{"--option_file", last, "out.dxe"}, "Missing argument for option `-o'"},
        {{"--proc", bad}, "Unrecognized Architecture key `Architecture=KDSP-63834' in`" + bad + "'"},
        {{"--proc", cut}, "Unrecognized Architecture key `KDSP-6383' in`" + cut + "'"},
        {{"--output_dir", missing}, "Directory `" + missing + "' does not exist"},
    };
    for (const auto& [words, message] : cases)
        EXPECT_EXIT(Process(words), testing::ExitedWithCode(1), "Fatal Error: " + Literal(message) + "\n") << words[0];
    for (const char* text : {"Architecture\n", "Architecture =\n", "Architecture=\n", "Architecture KDSP-63832\n"}) {
        const std::string file = MakeFile("novalue.ini", text);
        EXPECT_EXIT(Process({"--proc", file}), testing::ExitedWithCode(1),
                    "Fatal Error: Unrecognized Architecture key in`" + Literal(file) + "'\n")
            << text;
    }

    // The output directory is checked only when missing files are reported.
    ReportMissing = 0;
    Process({"--output_dir", "no_such_dir"});
    EXPECT_EQ(Location(LOC_OUTPUT_DIR), "no_such_dir");
    EXPECT_EQ(Entries(LIST_RECOMPILE), (Words{"--output_dir", "no_such_dir"}));
}

} // namespace
