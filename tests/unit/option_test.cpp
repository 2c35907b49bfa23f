// The user interface driver's option handling: the lookup of a word, the expansion of
// queued translations, and the conflicts, chains and duplicates between options.
#include "option_fixture.h"

#include <map>
#include <optional>
#include <set>

namespace {

using OptionLookup = OptionFixture;
using OptionTranslation = OptionFixture;
using OptionConflicts = OptionFixture;

// Lookup -------------------------------------------------------------------------------

TEST_F(OptionLookup, EveryRowIsReachedByItsOwnNameExceptTheShadowedOne)
{
    std::set<std::string> unreachable;
    for (const OptionData* row = OptionDataTable; row->name; ++row) {
        std::string word = row->name;
        const CanonicalWord canonical = Canonicalize(word, nullptr);
        if (LookUpOption(canonical.name) != row) {
            unreachable.insert(row->name);
            continue;
        }
        // Alone on the line, an option with an argument gets an empty one.
        EXPECT_EQ(canonical.argument, row->kind == ARG_NONE ? std::nullopt : std::optional<std::string>(""))
            << row->name;
        EXPECT_FALSE(canonical.consumedNext) << row->name;
    }
    // A shorter name that always takes an argument comes first: -T with "ARVEX".
    EXPECT_EQ(unreachable, std::set<std::string>{"-TARVEX"});
    EXPECT_EQ(Run({"-TARVEX"}), Failure("`ARVEX' is not an architecture description file"));
    EXPECT_FALSE(Given(OPT_TARVEX));
    EXPECT_TRUE(Given(OPT_T));
}

TEST_F(OptionLookup, PrefixesTakeTheRestOfTheWordOrTheNextWord)
{
    const struct {
        Words words;          // the word and the one after it, if any
        std::string name;     // the canonical name
        const char* argument; // null: no argument
        bool consumedNext;
    } cases[] = {
        // The first prefix that matches wins.
        {{"-Wwarning"}, "-Wwarn", "ing", false},           {{"-procX"}, "-proc", "X", false},
        {{"-pguide-filex"}, "-pguide-file", "x", false},   {{"-path-ipa=x"}, "-path-ipa", "x", false},
        // One '=' or ',' after the prefix is skipped, a second one is kept.
        {{"-D=x"}, "-D", "x", false},                      {{"-D==x"}, "-D", "=x", false},
        {{"-flags-asm,a,b"}, "-flags-asm", "a,b", false},  {{"-Dname=1"}, "-D", "name=1", false},
        {{"-D", "name=1"}, "-D", "name=1", true},          {{"-D"}, "-D", "", false},
        // An option without argument never takes the next word.
        {{"-c", "x.c"}, "-c", nullptr, false},             {{"-I-"}, "-I-", nullptr, false},
        {{"-I-", "x"}, "-I-", nullptr, false},             {{"-I-x"}, "-I", "-x", false},
        {{"-R-"}, "-R-", nullptr, false},                  {{"-R-x"}, "-R", "-x", false},
        {{"-Wremarks"}, "-Wremarks", nullptr, false},      {{"-Wremarksx"}, "-Wremarksx", nullptr, false},
        {{"-Wremark5"}, "-Wremark", "5", false},           {{"-Wremark", "5"}, "-Wremark", "5", true},
        {{"-Werror-limit=3"}, "-Werror-limit", "3", false}, {{"-Werror-limits"}, "-Werror-limit", "s", false},
        {{"-Werror3"}, "-Werror", "3", false},             {{"-Wdriver-limit5"}, "-Wdriver-limit", "5", false},
        {{"-Wterse"}, "-Wterse", nullptr, false},          {{"-debug-types"}, "-debug-types", nullptr, false},
        {{"-debugx"}, "-debug", "x", false},               {{"-debug-typesx"}, "-debug", "-typesx", false},
        {{"-Mtx"}, "-Mt", "x", false},                     {{"-MM"}, "-MM", nullptr, false},
        {{"-Ov50"}, "-Ov", "50", false},                   {{"-Os"}, "-Os", nullptr, false},
        {{"-lm"}, "-l", "m", false},                       {{"-ofile"}, "-o", "file", false},
        {{"-pg"}, "-pg", nullptr, false},                  {{"-test"}, "-test", nullptr, false},
        {{"-testargsx"}, "-testargs", "x", false},         {{"-xml"}, "-xml", nullptr, false},
        // The prefix without a row.
        {{"-pchdir", "foo"}, "-pchdir", "foo", true},
        // One and two leading '+': the word is rewritten in place.
        {{"+abc"}, "-999", "-abc", false},                 {{"++abc", "x"}, "-flags-compiler", "--abc", false},
        // Everything else is looked up as it is.
        {{"--foo"}, "--foo", nullptr, false},              {{"--D"}, "--D", nullptr, false},
        {{"+"}, "+", nullptr, false},                      {{"++"}, "++", nullptr, false},
        {{"+++x"}, "+++x", nullptr, false},                {{"-"}, "-", nullptr, false},
    };
    for (const auto& test : cases) {
        Words words = test.words;
        const CanonicalWord canonical = Canonicalize(words[0], words.size() > 1 ? &words[1] : nullptr);
        EXPECT_EQ(canonical.name, test.name) << test.words[0];
        EXPECT_EQ(canonical.argument, test.argument ? std::optional<std::string>(test.argument) : std::nullopt)
            << test.words[0];
        EXPECT_EQ(canonical.consumedNext, test.consumedNext) << test.words[0];
        if (test.words[0][0] == '+' && test.argument) {
            EXPECT_EQ(words[0], test.argument);
        }
    }
}

TEST_F(OptionLookup, NamesThatAreNoOptionsAndAliases)
{
    for (const char* name : {"--foo", "+", "+++x", "-pchdir", "-unsigned-char", "", "-TARVE"})
        EXPECT_EQ(LookUpOption(name), nullptr) << name;
    EXPECT_EQ(Run({"--foo", "+", "+++x"}), Failure("Unrecognized option `--foo'") +
                                                 Failure("Unrecognized option `+'") +
                                                 Failure("Unrecognized option `+++x'"));
    EXPECT_EQ(ErrorNum, 3u);
    EXPECT_EQ(OptionTable[0], 0);

    // Aliases find their own rows, with one identifier.
    EXPECT_EQ(LookUpOption("-h")->id, LookUpOption("-help")->id);
    EXPECT_STREQ(LookUpOption("-h")->name, "-h");
    EXPECT_EQ(LookUpOption("-strict")->id, LookUpOption("-pedantic-errors")->id);
    EXPECT_EQ(LookUpOption("-strictwarn")->id, LookUpOption("-pedantic")->id);
}

TEST_F(OptionLookup, TheReaderAdvancesByWhatEachOptionConsumed)
{
    // -D takes the next word, -c does not, the last -D has nothing left to take.
    Words words = {"-D", "X=1", "-c", "-DY", "-D"};
    EXPECT_EQ(ProcessOption(5, words[0], &words[1]), 3);
    EXPECT_EQ(ProcessOption(3, words[2], &words[3]), 2);
    EXPECT_EQ(ProcessOption(2, words[3], &words[4]), 1);
    EXPECT_EQ(Stderr([&] { EXPECT_EQ(ProcessOption(1, words[4], nullptr), 0); }),
              Failure("Missing macro name for option `-D'"));
    EXPECT_EQ(Entries(LIST_MACROS), (Words{"X=1", "Y=1"}));
}

TEST_F(OptionLookup, PathArgumentsUseBackslashesValuesDoNot)
{
    EXPECT_EQ(Run({"-o", "out/dir/a.dxe", "-D", "X=a/b", "-map=m/x.map"}), "");
    EXPECT_EQ(Location(LOC_OUTPUT), "out\\dir\\a.dxe");
    EXPECT_EQ(Location(LOC_MAP_FILE), "m\\x.map");
    EXPECT_EQ(Entries(LIST_MACROS), (Words{"X=a/b"}));
}

TEST_F(OptionLookup, WordsAreRecordedAsTypedWhileUserOptionsIsSet)
{
    const std::string directory = MakeDir("src");
    const std::string file = MakeFile("f.opt", "-C\n");
    UserOptions = 1;
    EXPECT_EQ(Run({"-D", "X", "-o", "a/b.dxe", "+abc", "-c", "-@", file, "-R", directory, "-R-", "-zzz"}),
              Failure("Unrecognized option `-zzz'"));
    // The option file's own words are recorded; the -@ and -R words are not.
    EXPECT_EQ(Names(LIST_ECHO), (Words{"-D", "X", "-o", "a/b.dxe", "+abc", "-c", "-C", "-zzz"}));
}

// Translation ----------------------------------------------------------------------------

// Every tool's list after the options are read and their translations expanded; the
// lists not named are empty.
TEST_F(OptionTranslation, ItemsGoToEveryListTheirTagsNameEachTextOnce)
{
    const struct {
        Words options;
        std::map<int, Words> lists;
    } cases[] = {
        {{"-v"},
         {{LIST_DRIVER, {"-v", "--pch_messages", "-V", "--kai_version"}}, {LIST_DEMANGLER, {"-V"}},
          {LIST_PRELINKER, {"-V"}}, {LIST_LINKER, {"-version"}}, {LIST_COMPILER, {"--version"}}}},
        // The trailing empty item of -g is skipped.
        {{"-g"}, {{LIST_COMPILER, {"--debug_generation"}}}},
        {{"-no-demangle"}, {{LIST_DRIVER, {"--no_decode"}}}},
        {{"-alttok", "-c++", "-full-version"},
         {{LIST_DRIVER, {"--alternative_tokens", "--c++", "--veltrix_mode", "-V", "--kai_version"}},
          {LIST_LINKER, {"-MD__cplusplus", "-version"}}, {LIST_DEMANGLER, {"-V"}}, {LIST_PRELINKER, {"-V"}},
          {LIST_COMPILER, {"--version"}}}},
        // +abc reaches the code generator, ++abc the compiler.
        {{"+abc", "++abc"}, {{LIST_CODEGEN, {"-abc"}}, {LIST_COMPILER, {"--abc"}}}},
    };
    for (auto test : cases) {
        Reset();
        EXPECT_EQ(Run(test.options), "");
        ProcessOptions();
        for (int list = LIST_DRIVER; list <= LIST_DEBUGGER; ++list)
            EXPECT_EQ(Names(list), test.lists[list]) << test.options[0] << " list " << list;
        EXPECT_EQ(ArgLists[LIST_PENDING].count, 0u);
    }
    EXPECT_TRUE(Given(OPT_999) && Given(OPT_flags_compiler));
}

TEST_F(OptionTranslation, EveryTagLetterNamesItsList)
{
    const std::pair<char, int> tags[] = {
        {'d', LIST_DRIVER},       {'c', LIST_COMPILER},  {'i', LIST_CODEGEN},        {'s', LIST_C_COMPILER},
        {'a', LIST_ASSEMBLER},    {'A', LIST_ASM_PREPROC}, {'O', LIST_OBJ_POSTPROC}, {'p', LIST_PRELINKER},
        {'n', LIST_PRELINKER_NM}, {'P', LIST_PROFILER},  {'l', LIST_LINKER},         {'r', LIST_ARCHIVER},
        {'b', LIST_DLL_BUILDER},  {'m', LIST_MEM_INIT},  {'g', LIST_DEMANGLER},      {'x', LIST_DEBUGGER},
    };
    std::string translation;
    for (const auto& [letter, list] : tags)
        translation += std::string("-to_") + letter + "(" + letter + ")|";
    ArgAddTail(ArgLists[LIST_PENDING], "-all", translation);
    ProcessOptions();
    for (const auto& [letter, list] : tags)
        EXPECT_EQ(Names(list), (Words{std::string("-to_") + letter})) << letter;
    // The IPA solver has no tag.
    EXPECT_EQ(ArgLists[LIST_PRELINKER_IPA].count, 0u);
}

TEST_F(OptionTranslation, DefaultTagUnknownTagsEmptyItemsAndOnce)
{
    // No parentheses: the main driver. Letters without a list: the main driver too.
    // Empty items and items with an empty text are skipped; an unclosed tag list runs
    // to the end of its item.
    ArgAddTail(ArgLists[LIST_PENDING], "-one", "plain||-u(u)|(c)|-open(ci|-twice(dd)");
    ArgAddTail(ArgLists[LIST_PENDING], "-two", "plain|-u(uqd)|-open(c)");
    ProcessOptions();
    EXPECT_EQ(Names(LIST_DRIVER), (Words{"plain", "-u", "-twice"}));
    EXPECT_EQ(Names(LIST_COMPILER), (Words{"-open"}));
    EXPECT_EQ(Names(LIST_CODEGEN), (Words{"-open"}));
}

TEST_F(OptionTranslation, UnknownWordsArePassedAsTypedAfterPass)
{
    EXPECT_EQ(Run({"-zzz", "-pass", "-yyy", "-pchdir", "foo", "-c", "-yyy"}), Failure("Unrecognized option `-zzz'"));
    EXPECT_EQ(Entries(LIST_PENDING), (Words{"-yyy", "-pchdir", "foo", "-c=-c(d)", "-yyy"}));
    ProcessOptions();
    EXPECT_EQ(Names(LIST_DRIVER), (Words{"-yyy", "-pchdir", "foo", "-c"}));
    EXPECT_TRUE(Given(OPT_pass));
    EXPECT_EQ(OptionTable[0], 0);

    Reset();
    PassUnknown = 1;
    EXPECT_EQ(Run({"+++x", "--foo=1"}), "");
    ProcessOptions();
    EXPECT_EQ(Names(LIST_DRIVER), (Words{"+++x", "--foo=1"}));
}

TEST_F(OptionTranslation, OptionsWithoutTranslationAreOnlyMarked)
{
    EXPECT_EQ(Run({"-compact", "-sysdefs"}), "");
    EXPECT_EQ(ArgLists[LIST_PENDING].count, 0u);
    EXPECT_TRUE(Given(OPT_compact) && Given(OPT_sysdefs));
}

// Conflicts, chains and duplicates -------------------------------------------------------

// Each step is read after the ones before it.
struct StageStep {
    std::string option;
    std::string earlier; // the option it withdraws, if any
    int production;
};

TEST_F(OptionConflicts, StageOptionsReplaceEachOtherLaterWins)
{
    const StageStep steps[] = {
        {"-c", "", OUTPUT_OBJECT},       {"-S", "-c", OUTPUT_ASSEMBLER},          {"-c", "-S", OUTPUT_OBJECT},
        {"-syntax-only", "-c", OUTPUT_NONE}, {"-build-lib", "-syntax-only", OUTPUT_LIBRARY},
        {"-E", "-build-lib", OUTPUT_PREPROCESSED}, {"-H", "-E", OUTPUT_FILE_LIST},
        {"-P", "-H", OUTPUT_PREPROCESSED}, {"-M", "-P", OUTPUT_FILE_LIST},
        // A non-stopping variant cancels a stop; a stop replaces a variant.
        {"-MM", "-M", OUTPUT_EXECUTABLE}, {"-M", "-MM", OUTPUT_FILE_LIST},
    };
    for (const StageStep& step : steps) {
        EXPECT_EQ(Run({step.option}), step.earlier.empty() ? ""
                                                           : Warning("Option `" + step.option + "' conflicts with `" +
                                                                     step.earlier + "'"));
        EXPECT_EQ(Production, step.production) << step.option;
        const OptionData* row = LookUpOption(step.option);
        EXPECT_TRUE(Given(row->id)) << step.option;
        EXPECT_EQ(ArgLocateNext(ArgLists[LIST_PENDING], step.option) != nullptr, row->translation != nullptr);
        if (!step.earlier.empty()) {
            EXPECT_FALSE(Given(LookUpOption(step.earlier)->id)) << step.earlier;
            EXPECT_EQ(ArgLocateNext(ArgLists[LIST_PENDING], step.earlier), nullptr) << step.earlier;
        }
    }
    EXPECT_EQ(ErrorNum, 0u);

    // Without a stopping option, a variant leaves the stage alone.
    Production = OUTPUT_OBJECT;
    EXPECT_EQ(Run({"-EE"}), Warning("Option `-EE' conflicts with `-M'"));
    EXPECT_EQ(Production, OUTPUT_EXECUTABLE);
    Production = OUTPUT_OBJECT;
    EXPECT_EQ(Run({"-HH"}), Warning("Option `-HH' conflicts with `-EE'"));
    EXPECT_EQ(Production, OUTPUT_OBJECT);
    EXPECT_EQ(Entries(LIST_PENDING), (Words{"-HH=--trace_includes(c)|--no_preproc_only(d)"}));
}

// Each case from a clean start: what the words print, the options given and withdrawn
// afterwards, and the queued names when they matter.
TEST_F(OptionConflicts, ChainsGuardsAndDialectBlocks)
{
    const std::string traditional = "' cannot be used when compiling traditional C source files";
    const struct {
        Words words;
        std::string messages;
        Words given, withdrawn;
        std::optional<Words> pending = std::nullopt;
    } cases[] = {
        // A chain ends at its first conflict: -c++ and -veltrix do not exclude each other,
        // -ansi withdraws only the first one its chain meets.
        {{"-c++", "-veltrix", "-ansi"}, Warning("Option `-ansi' conflicts with `-veltrix'"), {"-c++"}, {"-veltrix"}},
        // Independent checks do not: -O0 checks both -O and -O1.
        {{"-O", "-O1", "-O0"},
         Warning("Option `-O0' conflicts with `-O'") + Warning("Option `-O0' conflicts with `-O1'"), {"-O0"},
         {"-O", "-O1"}},
        // Traditional C withdraws the pedantic modes but refuses them later.
        {{"-pedantic", "-traditional", "-pedantic", "-strict"},
         Warning("Option `-traditional' conflicts with `-pedantic'") + Failure("Option `-pedantic" + traditional) +
             Failure("Option `-strict" + traditional),
         {"-traditional"}, {"-pedantic", "-strict"}, Words{"-traditional"}},
        // Guards refuse and leave the option unrecorded.
        {{"-ansi", "-anach", "-no-anach", "-debug-types", "-s", "-w", "-Wremarks"},
         Failure("Option `-anach' cannot be used when compiling C source files") +
             Failure("Option `-no-anach' cannot be used when compiling C source files") +
             Failure("Option `-s' cannot be used when compiling with debugging information") +
             Failure("Suppressing warnings is not allowed with the `-Wremarks' option"),
         {"-ansi", "-debug-types", "-w"}, {"-anach", "-no-anach", "-s", "-Wremarks"},
         Words{"-ansi", "-debug-types", "-w"}},
        {{"-Wremarks", "-w", "-c", "-c"}, Warning("Option `-w' conflicts with `-Wremarks'"), {"-w", "-c"},
         {"-Wremarks"}},
        // -c++ after -ansi: the C++ block withdraws -ansi, then finds nothing more; -ansi-c++
        // after -c++ withdraws -c++ and stops there.
        {{"-ansi", "-c++", "-ansi-c++"},
         Warning("Option `-c++' conflicts with `-ansi'") + Warning("Option `-ansi-c++' conflicts with `-c++'"),
         {"-ansi-c++"}, {"-ansi", "-c++"}, Words{"-ansi-c++"}},
        // Every other way into the C++ blocks ends in the traditional block, which
        // withdraws the C dialect and a strict mode.
        {{"-veltrix", "-pedantic", "-ansi-c++"},
         Warning("Option `-ansi-c++' conflicts with `-veltrix'") +
             Warning("Option `-ansi-c++' conflicts with `-pedantic'"),
         {"-ansi-c++"}, {"-veltrix", "-pedantic"}},
        {{"-traditional", "-c++"}, Warning("Option `-c++' conflicts with `-traditional'"), {"-c++"}, {"-traditional"}},
        {{"-ansi", "-veltrix", "-traditional", "-ansi"},
         Warning("Option `-veltrix' conflicts with `-ansi'") +
             Warning("Option `-traditional' conflicts with `-veltrix'") +
             Warning("Option `-ansi' conflicts with `-traditional'"),
         {"-ansi"}, {"-veltrix", "-traditional"}},
        // An alias loses its flag but keeps its queued translation.
        {{"-strictwarn", "-pedantic-errors"}, Warning("Option `-pedantic-errors' conflicts with `-pedantic'"),
         {"-pedantic-errors"}, {"-pedantic"}, Words{"-strictwarn", "-pedantic-errors"}},
        // An unknown word never counts as given; a passed word is withdrawn by name.
        {{"-zzz", "-signed-char", "-no-preserve-bitfield-type", "-signed-bitfield"},
         Failure("Unrecognized option `-zzz'"), {"-signed-bitfield"}, {}},
        {{"-pass", "-unsigned-char", "-signed-char"}, Warning("Option `-signed-char' conflicts with `-unsigned-char'"),
         {"-signed-char"}, {}, Words{"-signed-char"}},
        // A repeated option without argument is a duplicate; with one it is its handler's business.
        {{"-c", "-c", "-I-", "-I-", "-D", "A", "-D", "B"},
         Warning("Duplicate option `-c'") + Warning("Duplicate option `-I-'"), {"-c", "-I-"}, {}, Words{"-c"}},
    };
    for (const auto& test : cases) {
        Reset();
        const std::string words = ::testing::PrintToString(test.words);
        EXPECT_EQ(Run(test.words), test.messages) << words;
        for (const std::string& option : test.given)
            EXPECT_TRUE(Given(LookUpOption(option)->id)) << option << " after " << words;
        for (const std::string& option : test.withdrawn)
            EXPECT_FALSE(Given(LookUpOption(option)->id)) << option << " after " << words;
        if (test.pending) {
            EXPECT_EQ(Names(LIST_PENDING), *test.pending) << words;
        }
        EXPECT_EQ(OptionTable[0], 0);
        // Warnings are silent after -w.
        EXPECT_EQ(NoWarnings, Given(OPT_w) ? 1 : 0) << words;
    }
    EXPECT_EQ(Names(LIST_INCLUDE_DIRS), (Words{"-"}));
}

TEST_F(OptionConflicts, PairsWithdrawTheEarlierOne)
{
    const std::pair<const char*, const char*> pairs[] = {
        {"-no-alttok", "-alttok"}, {"-anach", "-no-anach"},   {"-no-anach", "-anach"},
        {"-no-compact", "-compact"}, {"-compact", "-no-compact"}, {"-no-inline", "-inline"},
        {"-inline", "-no-inline"}, {"-no-jcs2l", "-jcs2l"},   {"-jcs2l", "-no-jcs2l"},
        {"-no-extra-keywords", "-extra-keywords"}, {"-extra-keywords", "-no-extra-keywords"},
        {"-sat40", "-sat32"},      {"-sat32", "-sat40"},       {"-dollar", "-no-dollar"},
        {"-threads", "-nothreads"}, {"-s", "-g"},              {"-g", "-Ofp"},
        {"-debug-types", "-Ofp"},  {"-O0", "-O"},              {"-O0", "-O1"},
        {"-O1", "-O0"},            {"-pg", "-p"},              {"-p", "-p1"},
        {"-p1", "-p2"},            {"-p2", "-pg"},             {"-heron", "-63835"},
        {"-63835", "-63832"},      {"-63832", "-heron"},       {"-Wremarks", "-w"},
        {"-pedantic", "-pedantic-errors"}, {"-pedantic-errors", "-pedantic"},
    };
    for (const auto& [earlier, later] : pairs) {
        Reset();
        EXPECT_EQ(Run({earlier, later}), Warning(std::string("Option `") + later + "' conflicts with `" + earlier + "'"))
            << earlier << " " << later;
        EXPECT_FALSE(Given(LookUpOption(earlier)->id)) << earlier;
        EXPECT_TRUE(Given(LookUpOption(later)->id)) << later;
        EXPECT_EQ(ArgLocateNext(ArgLists[LIST_PENDING], earlier), nullptr) << earlier;
    }
}

TEST_F(OptionConflicts, ConflictOptionFindsTheNodeByNameAndTheFlagByIdentifier)
{
    const std::string errors = Stderr([] {
        EXPECT_EQ(ConflictOption(OPT_c, "-c", "-x"), 0);
        OptionTable[OPT_c] = 1;
        EXPECT_EQ(ConflictOption(OPT_c, "-c", "-x"), 1);
        EXPECT_EQ(OptionTable[OPT_c], 0);
        // A node without a flag is withdrawn too.
        ArgAddTail(ArgLists[LIST_PENDING], "-c", "-c(d)");
        EXPECT_EQ(ConflictOption(OPT_c, "-c", "-y"), 1);
        EXPECT_EQ(ArgLists[LIST_PENDING].count, 0u);
        // Identifier 0 is never given.
        OptionTable[0] = 1;
        EXPECT_EQ(ConflictOption(0, "-zzz", "-x"), 0);
    });
    EXPECT_EQ(errors, Warning("Option `-x' conflicts with `-c'") + Warning("Option `-y' conflicts with `-c'"));
}

TEST_F(OptionConflicts, HelpEndsTheSourceAndItsAliasIsADuplicate)
{
    EXPECT_EQ(Run({"-help", "-c"}), "");
    EXPECT_EQ(last_, 0);
    EXPECT_TRUE(Given(OPT_help));
    EXPECT_FALSE(Given(OPT_c));
    EXPECT_EQ(Run({"-h", "-c"}), Warning("Duplicate option `-h'"));
    EXPECT_TRUE(Given(OPT_c));
}

TEST_F(OptionConflicts, AssemblerOutputAndAnObjectGeneratingCompiler)
{
    EXPECT_EQ(Run({"-generate", "obj", "-S"}),
              Failure("Option `-S' cannot be used with an object-generating compiler"));
    EXPECT_EQ(Production, OUTPUT_EXECUTABLE);
    EXPECT_FALSE(Given(OPT_S));
    EXPECT_EQ(Generate, GENERATE_OBJECT);

    Reset();
    EXPECT_EQ(Run({"-S", "-generate", "obj"}), Warning("Option `-generate' conflicts with `-S'"));
    EXPECT_EQ(Production, OUTPUT_OBJECT);
    EXPECT_EQ(Generate, GENERATE_OBJECT);
    EXPECT_FALSE(Given(OPT_S));

    EXPECT_EQ(Run({"-generate", "asm", "-S"}), "");
    EXPECT_EQ(Generate, GENERATE_ASSEMBLER);
    EXPECT_EQ(Production, OUTPUT_ASSEMBLER);
    EXPECT_EQ(Run({"-generate=", "-generatec"}), Failure("Missing argument for option `-generate'") +
                                                    Failure("Illegal argument `c' for option `-generate'"));
}

TEST_F(OptionConflicts, FlagOptionsSetTheirSettings)
{
    EXPECT_EQ(Run({"-dry", "-dryrun", "-save-temps", "-xlibs", "-time", "-wrap", "-no-dir-warnings"}), "");
    EXPECT_EQ((std::vector<int>{Verbose, DryRun, KeepTemps, ExpandLibs, Timing, Wrap, no_dir_warn, ReportMissing}),
              std::vector<int>(8, 1));
    EXPECT_EQ(Run({"-MQ"}), "");
    EXPECT_EQ(ReportMissing, 0);

    Reset();
    EXPECT_EQ(Run({"-expert-linker", "-verbose"}), "");
    EXPECT_EQ((std::vector<int>{ExpertLinker, no_dir_warn, Verbose, ReportMissing}), (std::vector<int>{1, 1, 1, 0}));
}

} // namespace
