// The main driver's option vocabulary, tested through DriverProcessOption.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "cctrvx/globals.h"
#include "args.h"
#include "driver_options.h"
#include "dstring.h"
#include "error.h"
#include "symtab.h"

namespace {

using Words = std::vector<std::string>;

// Every setting the main driver's options write, back to its initial value.
void ResetSettings()
{
    Production = OUTPUT_EXECUTABLE;
    Generate = GENERATE_ASSEMBLER;
    IPAMode = 0;
    PerformPrelink = 0;
    PerformMemInit = 0;
    PreprocAsm = 0;
    PostprocObj = 0;
    DemangleOutput = 0;
    ParallelMax = -1;
    DepBuild = 0;
    DepDisplay = 0;
    EditFiles = 0;
    EditFormat.reset();
    DryRun = 0;
    Verbose = 0;
    Wrap = 0;
    WriteOptions = 0;
    TempPrefix = "qzr";
    KeepTemps = 0;
    WritePreprocessorFiles = 0;
    WriteDependencies = 0;
    DepLink = 0;
    PrintOutput = 0;
    TemplateRepository = 0;
    RemoveRepository = 0;
    PrecompiledHeaders = 0;
    DebugMask = 0;
    Timing = 0;
    TimeLimit = 0;
    UseInstFiles = 0;
    CPPLanguage = 0;
    ReportMissing = 1;
    ErrorNum = 0;
    SetProgName("cctrvx");
}

void ClearTables()
{
    for (List& list : ArgLists)
        ArgFreeList(list);
    for (DString& location : FileLocs)
        StrSet(location, "");
}

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

class DriverOptions : public ::testing::Test {
protected:
    void SetUp() override
    {
        OptionSymbolTable = SymCreate(0);
        LoadDriverOptions();
        ClearTables();
        ResetSettings();
        std::random_device random;
        dir_ = std::filesystem::path(testing::TempDir()) / ("cctrvx_driver_" + std::to_string(random()));
        std::filesystem::create_directories(dir_);
    }

    void TearDown() override
    {
        SymDelete(OptionSymbolTable);
        OptionSymbolTable = nullptr;
        ClearTables();
        ResetSettings();
        std::filesystem::remove_all(dir_);
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

    static Words Entries(int slot)
    {
        Words names;
        for (Arg* arg = ArgFirst(ArgLists[slot]); arg; arg = ArgNext(arg))
            names.push_back(arg->name);
        return names;
    }

    static std::string Location(int slot) { return std::string(FileLocs[slot].view()); }

    std::string WriteFile(const std::string& name, const std::string& text)
    {
        const std::filesystem::path file = dir_ / name;
        std::ofstream(file, std::ios::binary) << text;
        return file.string();
    }

    std::filesystem::path dir_;
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
    const std::string procFile = WriteFile("proc.ini", "Architecture = KDSP-63835\n");
    const std::string optionFile = WriteFile("options.opt", "-c\n");
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

// Recognition ----------------------------------------------------------------------------

TEST_F(DriverOptions, SingleLettersTakeAttachedOrFollowingValues)
{
    EXPECT_EQ(Process({"-Dname", "-D", "name", "-Iinc"}), (std::vector<int>{1, 2, 1}));
    EXPECT_EQ(Entries(LIST_COMPILER), (Words{"-Dname", "-Dname", "-Iinc"}));
    EXPECT_EQ(Entries(LIST_RECOMPILE), (Words{"-Dname", "-Dname", "-Iinc"}));
}

TEST_F(DriverOptions, LongOptionsGiveNameAndValueAsTwoWords)
{
    EXPECT_EQ(Process({"--define_macro=name", "--define_macro", "X"}), (std::vector<int>{1, 2}));
    EXPECT_EQ(Entries(LIST_COMPILER), (Words{"--define_macro", "name", "--define_macro", "X"}));
    EXPECT_EQ(Entries(LIST_RECOMPILE), Entries(LIST_COMPILER));
}

TEST_F(DriverOptions, OutputFileInThreeSpellings)
{
    for (const Words& words : {Words{"-o", "out.dxe"}, Words{"-oout.dxe"}, Words{"--output=out.dxe"}}) {
        StrSet(FileLocs[LOC_OUTPUT], "");
        Process(words);
        EXPECT_EQ(Location(LOC_OUTPUT), "out.dxe") << words[0];
    }
    EXPECT_TRUE(Entries(LIST_RECOMPILE).empty());
}

TEST_F(DriverOptions, ValueOfAnOptionWithoutOneIsDropped)
{
    EXPECT_EQ(Process({"--dryrun=yes", "a.c"}), (std::vector<int>{1, 1}));
    EXPECT_EQ(DryRun, 1);
    EXPECT_EQ(Entries(LIST_INPUTS), (Words{"a.c"}));
}

TEST_F(DriverOptions, WordsThatAreNotOptionsAreInputsInOrder)
{
    Process({"a.c", "---x", "-lm", "-u", "start", "-Bstatic", "b.o", "-Llib", ""});
    EXPECT_EQ(Entries(LIST_INPUTS), (Words{"a.c", "---x", "-lm", "-ustart", "-Bstatic", "b.o", ""}));
    for (int slot : {LIST_PRELINKER, LIST_LINKER, LIST_DLL_BUILDER})
        EXPECT_EQ(Entries(slot), (Words{"-Llib"})) << slot;
}

// Handlers -------------------------------------------------------------------------------

TEST_F(DriverOptions, OptimisationSetAppendsItsWordsAndIsPassedOnAlone)
{
    Process({"+K2"});
    EXPECT_EQ(Entries(LIST_COMPILER),
              (Words{"--kai_optimize", "2", "--ellide_empty_destructor", "--dead_type", "--preserve_null_deref",
                     "--no_unroll", "--no_restrict_new"}));
    EXPECT_EQ(Entries(LIST_RECOMPILE), (Words{"+K2"}));
}

TEST_F(DriverOptions, DefaultOptionsAreSplitAndOptionsAreNot)
{
    Process({"--COMPDO_fe", "-a -b"});
    EXPECT_EQ(Entries(LIST_COMPILER), (Words{"-a", "-b"}));
    EXPECT_EQ(Entries(LIST_RECOMPILE), (Words{"--COMPDO_fe", "-a -b"}));

    ClearTables();
    Process({"--COMPO_fe", "-a -b"});
    EXPECT_EQ(Entries(LIST_COMPILER), (Words{"-a -b"}));
    EXPECT_EQ(Entries(LIST_RECOMPILE), (Words{"--COMPO_fe", "-a -b"}));

    ClearTables();
    Process({"--COMPDO_fe_asm", "-x \"two words\""});
    EXPECT_EQ(Entries(LIST_ASSEMBLER), (Words{"-x", "two words"}));
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

TEST_F(DriverOptions, ImplementationModels)
{
    Process({"--CIM2c", "--LIMdy", "--LIM2", "--CCIMp", "--PIM1"});
    EXPECT_EQ(Generate, GENERATE_C);
    EXPECT_EQ(Production, OUTPUT_DLL);
    EXPECT_EQ(PerformMemInit, 1);
    EXPECT_EQ(ParallelMax, 0);
    EXPECT_EQ(Entries(LIST_RECOMPILE), (Words{"--CIM2c"}));
    Process({"--CIM1", "--CCIM1"});
    EXPECT_EQ(Generate, GENERATE_OBJECT);
    EXPECT_EQ(ParallelMax, -1);
}

TEST_F(DriverOptions, NoCodeGenSynonymsGiveOneCompilerWord)
{
    for (const char* option : {"--no_code_gen", "-n", "-y"}) {
        ClearTables();
        Production = OUTPUT_EXECUTABLE;
        Process({option});
        EXPECT_EQ(Production, OUTPUT_NONE) << option;
        EXPECT_EQ(Entries(LIST_COMPILER), (Words{"--no_code_gen"})) << option;
    }
}

TEST_F(DriverOptions, LaterOutputKindWins)
{
    Process({"-S", "-c"});
    EXPECT_EQ(Production, OUTPUT_OBJECT);
    Process({"-M"});
    EXPECT_EQ(Production, OUTPUT_FILE_LIST);
    EXPECT_EQ(DepLink, 1);
    Process({"-E"});
    EXPECT_EQ(Production, OUTPUT_PREPROCESSED);
    EXPECT_EQ(Entries(LIST_COMPILER), (Words{"-M", "-E"}));
}

TEST_F(DriverOptions, ControlOptionsWithValuesArePassedOnWithThem)
{
    Process({"--edit_format", "vi +%n %f", "--component_debug", "5", "--component_debug=2x", "--time_limit",
             "abc", "--instantiation_dir", "TP", "--pch_dir=PCH", "-v", "--ipa", "--opa"});
    EXPECT_EQ(EditFormat, std::optional<std::string>("vi +%n %f"));
    EXPECT_EQ(DebugMask, 7);
    EXPECT_EQ(TimeLimit, 0);
    EXPECT_EQ(Location(LOC_REPOSITORY), "TP");
    EXPECT_EQ(Location(LOC_PCH_DIR), "PCH");
    EXPECT_EQ(Verbose, 1);
    EXPECT_EQ(Entries(LIST_PRELINKER), (Words{"-v"}));
    EXPECT_EQ(IPAMode, 1);
    EXPECT_EQ(Entries(LIST_RECOMPILE),
              (Words{"--edit_format", "vi +%n %f", "--component_debug", "5", "--component_debug", "2x",
                     "--time_limit", "abc", "--instantiation_dir", "TP", "--pch_dir", "PCH", "-v", "--ipa"}));
}

TEST_F(DriverOptions, DriverNameSetsProgramNameAndTemporaryPrefix)
{
    Process({"--driver_name", "zc++"});
    EXPECT_STREQ(ProgName, "zc++");
    EXPECT_EQ(TempPrefix, "zcpp");
    EXPECT_EQ(Entries(LIST_COMPILER), (Words{"--driver_name", "zc++"}));
    EXPECT_EQ(Entries(LIST_RECOMPILE), (Words{"--driver_name", "zc++"}));

    Process({"--driver_name", "mycc"});
    EXPECT_STREQ(ProgName, "mycc");
    EXPECT_EQ(TempPrefix, "zcpp");

    Process({"--driver_name=ccqz"});
    EXPECT_EQ(TempPrefix, "qcc");
}

TEST_F(DriverOptions, LanguageSelectorsSetTheLanguage)
{
    Process({"--c++"});
    EXPECT_EQ(CPPLanguage, 1);
    Process({"-m"});
    EXPECT_EQ(CPPLanguage, 0);
    Process({"--cfront_3.0"});
    EXPECT_EQ(CPPLanguage, 1);
    Process({"--old_c"});
    EXPECT_EQ(CPPLanguage, 0);
    EXPECT_EQ(Entries(LIST_COMPILER), (Words{"--c++", "-m", "--cfront_3.0", "--old_c"}));
    EXPECT_EQ(Entries(LIST_RECOMPILE), Entries(LIST_COMPILER));
}

TEST_F(DriverOptions, OutputDirectoryIsCheckedOnlyWhenMissingFilesAreReported)
{
    ReportMissing = 0;
    Process({"--output_dir", "no_such_dir"});
    EXPECT_EQ(Location(LOC_OUTPUT_DIR), "no_such_dir");
    EXPECT_EQ(Entries(LIST_RECOMPILE), (Words{"--output_dir", "no_such_dir"}));

    ReportMissing = 1;
    const std::string missing = (dir_ / "missing").string();
    EXPECT_EXIT(Process({"--output_dir", missing}), testing::ExitedWithCode(1),
                "Fatal Error: Directory `" + Literal(missing) + "' does not exist\n");
}

// Option files ---------------------------------------------------------------------------

TEST_F(DriverOptions, OptionFilesReadLikeArgumentsAndMayNest)
{
    const std::string inner = WriteFile("inner.opt", "-c b.c\n");
    WriteFile("outer.opt", "# options\n"
                           "a.c --COMPO_fe \"-a -b\"\n"
                           "--option_file " + inner + "\n"
                           "-o out.doj\n");
    Process({"--option_file", (dir_ / "outer.opt").string(), "z.c"});
    EXPECT_EQ(Entries(LIST_INPUTS), (Words{"a.c", "b.c", "z.c"}));
    EXPECT_EQ(Entries(LIST_COMPILER), (Words{"-a -b"}));
    EXPECT_EQ(Production, OUTPUT_OBJECT);
    EXPECT_EQ(Location(LOC_OUTPUT), "out.doj");
}

TEST_F(DriverOptions, OptionFileWordsTakeNoValueFromOutsideTheFile)
{
    const std::string file = WriteFile("last.opt", "-o\n");
    EXPECT_EXIT(Process({"--option_file", file, "out.dxe"}), testing::ExitedWithCode(1),
                "Fatal Error: Missing argument for option `-o'\n");
}

// Processor description file -------------------------------------------------------------

TEST_F(DriverOptions, ProcessorFileKeysSelectTheModelMacros)
{
    Process({"--proc", WriteFile("a.ini", "Architecture = KDSP-63832\n")});
    EXPECT_EQ(Entries(LIST_COMPILER), (Words{"-D__KDSP63832__=1", "-D__KDSPTARVEX__=1"}));

    // Every way of writing the "=", words that are not keys ignored, and each key counted.
    ClearTables();
    Process({"--proc", WriteFile("b.ini", "# processor\n"
                                          "Name = KDSP-63832 architecture=KDSP-63832\n"
                                          "Architecture=KDSP-63835\n"
                                          "Architecture =KDSP-63832\n"
                                          "Architecture= KDSP-63835\n")});
    EXPECT_EQ(Entries(LIST_COMPILER),
              (Words{"-D__KDSP63835__=1", "-D__KDSPTARVEX__=1", "-D__KDSP63832__=1", "-D__KDSPTARVEX__=1",
                     "-D__KDSP63835__=1", "-D__KDSPTARVEX__=1"}));
    EXPECT_TRUE(Entries(LIST_RECOMPILE).empty());
}

TEST_F(DriverOptions, ProcessorFileWithAnUnknownModelIsFatal)
{
    const std::string file = WriteFile("bad.ini", "Architecture=KDSP-63834\n");
    EXPECT_EXIT(Process({"--proc", file}), testing::ExitedWithCode(1),
                "Fatal Error: Unrecognized Architecture key `Architecture=KDSP-63834' in`" + Literal(file) + "'\n");
    const std::string cut = WriteFile("cut.ini", "Architecture = KDSP-6383\n");
    EXPECT_EXIT(Process({"--proc", cut}), testing::ExitedWithCode(1),
                "Fatal Error: Unrecognized Architecture key `KDSP-6383' in`" + Literal(cut) + "'\n");
}

TEST_F(DriverOptions, ProcessorFileKeyWithoutValueIsFatal)
{
    for (const char* text : {"Architecture\n", "Architecture =\n", "Architecture=\n", "Architecture KDSP-63832\n"}) {
        const std::string file = WriteFile("novalue.ini", text);
        EXPECT_EXIT(Process({"--proc", file}), testing::ExitedWithCode(1),
                    "Fatal Error: Unrecognized Architecture key in`" + Literal(file) + "'\n")
            << text;
    }
}

// Fatal errors ---------------------------------------------------------------------------

TEST_F(DriverOptions, UnknownOptionsAreFatalNamedWithoutTheirValue)
{
    EXPECT_EXIT(Process({"--bogus"}), testing::ExitedWithCode(1), "Fatal Error: Unrecognized option `--bogus'\n");
    EXPECT_EXIT(Process({"--bogus=1"}), testing::ExitedWithCode(1), "Fatal Error: Unrecognized option `--bogus'\n");
    EXPECT_EXIT(Process({"-vx"}), testing::ExitedWithCode(1), "Fatal Error: Unrecognized option `-vx'\n");
    EXPECT_EXIT(Process({"+K9"}), testing::ExitedWithCode(1), "Fatal Error: Unrecognized option `\\+K9'\n");
}

TEST_F(DriverOptions, MissingValuesAreFatal)
{
    EXPECT_EXIT(Process({"--output="}), testing::ExitedWithCode(1),
                "Fatal Error: Missing argument for option `--output'\n");
    EXPECT_EXIT(Process({"a.c", "-o"}), testing::ExitedWithCode(1),
                "Fatal Error: Missing argument for option `-o'\n");
    EXPECT_EXIT(Process({"--COMPP_fe"}), testing::ExitedWithCode(1),
                "Fatal Error: Missing argument for option `--COMPP_fe'\n");
}

} // namespace
