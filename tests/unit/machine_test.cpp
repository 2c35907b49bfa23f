// The value checks of option arguments, the option sets implied by the user's options,
// and the predefined assertions, macros and default directories.
#include "option_fixture.h"

#include <climits>
#include <cmath>
#include <set>

#include "machine.h"

namespace {

using MachineChecks = OptionFixture;
using MachineOptionSets = OptionFixture;

Words Joined(Words first, const Words& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// Value checks ------------------------------------------------------------------------

TEST_F(MachineChecks, Integers)
{
    const std::string ones31 = "0b" + std::string(31, '1'), power31 = "1" + std::string(31, '0');
    const struct {
        std::string text;
        int consumed;
        long value;
        const char* overflow; // the sign named by the overflow warning, if any
    } cases[] = {
        {"0x1F", 4, 31, nullptr}, {"-0b101", 6, -5, nullptr}, {"0b101", 5, 5, nullptr}, {"0B11", 4, 3, nullptr},
        {"0b12", 3, 1, nullptr},  {"0b", 2, 0, nullptr},      {"12abc", 2, 12, nullptr}, {"010", 3, 8, nullptr},
        {"-12", 3, -12, nullptr}, {"+7", 2, 7, nullptr},      {"", 0, 0, nullptr},       {"abc", 0, 0, nullptr},
        {"2147483647", 10, INT_MAX, nullptr}, {"-2147483648", 11, INT_MIN, nullptr},
        {ones31, 33, INT_MAX, nullptr},       {"-0b" + power31, 35, INT_MIN, nullptr},
        // Every number is a 32-bit value, on any host.
        {"99999999999", 11, INT_MAX, "Positive"},  {"2147483648", 10, INT_MAX, "Positive"},
        {"0x80000000", 10, INT_MAX, "Positive"},   {"0b" + power31, 34, INT_MAX, "Positive"},
        {"-99999999999", 12, INT_MIN, "Negative"}, {"-2147483649", 11, INT_MIN, "Negative"},
        {"99999999999999999999999", 23, INT_MAX, "Positive"},
        {"-99999999999999999999999", 24, INT_MIN, "Negative"},
        // A negative binary number that overflows is the most negative one.
        {"-0b" + std::string(40, '1'), 43, INT_MIN, "Negative"},
        {"-0b" + std::string(70, '1'), 73, INT_MIN, "Negative"},
    };
    for (const auto& test : cases) {
        long value = 12345;
        int consumed = -1;
        EXPECT_EQ(Stderr([&] { consumed = CheckInteger(test.text, value); }),
                  test.overflow ? Warning(std::string(test.overflow) + " number overflow in `" + test.text + "'") : "")
            << test.text;
        EXPECT_EQ(consumed, test.consumed) << test.text;
        EXPECT_EQ(value, test.value) << test.text;
    }
    EXPECT_EQ(ErrorNum, 0u);
}

TEST_F(MachineChecks, FloatingPointNumbers)
{
    const struct {
        const char* text;
        int consumed;
        const char* warning;
    } cases[] = {
        {"1.5", 3, nullptr}, {"2.5x", 3, nullptr}, {"inf", 3, nullptr},
        {"1e999", 5, "floating point number overflow in `1e999'"},
        {"-1e999", 6, "floating point number overflow in `-1e999'"},
        {"1e-999", 6, "floating point number underflow in `1e-999'"},
        {"abc", 0, "invalid floating point number `abc'"},
    };
    for (const auto& test : cases) {
        double value = 0;
        int consumed = -1;
        EXPECT_EQ(Stderr([&] { consumed = CheckFloat(test.text, value); }), test.warning ? Warning(test.warning) : "")
            << test.text;
        EXPECT_EQ(consumed, test.consumed) << test.text;
    }
    double value = 0;
    CheckFloat("1.5", value);
    EXPECT_EQ(value, 1.5);
    Stderr([&] { CheckFloat("-1e999", value); });
    EXPECT_TRUE(std::isinf(value) && value < 0);
}

TEST_F(MachineChecks, IdentifiersAndRegisters)
{
    const std::pair<const char*, int> identifiers[] = {{"_x9(", 3}, {"9x", 0}, {"", 0}, {"a-b", 1}, {"Abc_19", 6}};
    for (const auto& [text, length] : identifiers)
        EXPECT_EQ(CheckIdentifier(text), length) << text;
    EXPECT_EQ(CheckRegister("m3"), 0);
    EXPECT_EQ(CheckRegister("M3"), 1);
    for (const char* name : {"m4", "m", "m3 ", "", "m33", "R3"})
        EXPECT_EQ(CheckRegister(name), -1) << name;
}

TEST_F(MachineChecks, MacroSetsFollowTheStrictMode)
{
    AddMacroSet(ArgLists[LIST_MACROS], "abc", 1, 1, 1, 1);
    AddMacroSet(ArgLists[LIST_MACROS], "y", 0, 0, 0, 1);
    EXPECT_EQ(Entries(LIST_MACROS), (Words{"abc=1", "_abc=1", "__abc=1", "__abc__=1", "__y__=1"}));
    ArgFreeList(ArgLists[LIST_MACROS]);

    // Strict: a plain name only on request 2; one underscore before a lower-case name
    // only on request 2, before an upper-case name on any request.
    EXPECT_EQ(Run({"-strict"}), "");
    EXPECT_EQ(IsStandardCon(), 1);
    AddMacroSet(ArgLists[LIST_MACROS], "Abc", 1, 1, 1, 1);
    AddMacroSet(ArgLists[LIST_MACROS], "abc", 1, 1, 0, 0);
    AddMacroSet(ArgLists[LIST_MACROS], "x", 2, 2, 0, 0);
    EXPECT_EQ(Entries(LIST_MACROS), (Words{"_Abc=1", "__Abc=1", "__Abc__=1", "x=1", "_x=1"}));

    Reset();
    EXPECT_EQ(IsStandardCon(), 0);
    EXPECT_EQ(Run({"-strictwarn"}), "");
    EXPECT_EQ(IsStandardCon(), 1);
}

// Option sets ---------------------------------------------------------------------------

TEST_F(MachineOptionSets, LanguageDefaultsToCWithExtensionsAndStandardDialectsGoWithout)
{
    const struct {
        Words options;
        bool veltrix, extraKeywords, noExtraKeywords;
    } cases[] = {
        {{}, true, true, false},           {{"-ansi"}, false, false, true}, {{"-traditional"}, false, false, true},
        {{"-ansi-c++"}, false, false, true}, {{"-c++"}, false, true, false},
        // The user's own choice stands, without a duplicate.
        {{"-ansi", "-extra-keywords"}, false, true, false},
    };
    for (const auto& test : cases) {
        Reset();
        EXPECT_EQ(Run(test.options), "");
        EXPECT_EQ(Stderr([] { LanguageOptions(); }), "");
        const std::string options = ::testing::PrintToString(test.options);
        EXPECT_EQ(Given(OPT_veltrix), test.veltrix) << options;
        EXPECT_EQ(Given(OPT_extra_keywords), test.extraKeywords) << options;
        EXPECT_EQ(Given(OPT_no_extra_keywords), test.noExtraKeywords) << options;
    }
    Reset();
    LanguageOptions();
    EXPECT_EQ(Names(LIST_PENDING), (Words{"-veltrix"}));
    // Added options are not the user's words.
    EXPECT_EQ(ArgLists[LIST_ECHO].count, 0u);
}

TEST_F(MachineOptionSets, OptimisationLevelAndTranslation)
{
    // The translation queued under -O is --kfront(d)|+K<level>(d)|--<asm>(d)|-convert_commons(i),
    // with --process_asm under -compact; the code generator's list follows.
    const std::string noInline = Warning("Disabling inlining prevents any high-level optimizations");
    const std::string readOnly = "-treat_const_as_readonly", speed = "-opt_speed_vs_size=100";
    const struct {
        Words options;
        char level;
        Words codegen;
        std::string warnings;
    } cases[] = {
        {{}, '1', {speed}, ""}, {{"-O"}, '2', {readOnly, speed}, ""}, {{"-O", "-c++"}, '2', {speed}, ""},
        {{"-O", "-const-read-write"}, '2', {speed}, ""},
        // -O1 and -ipa raise the level only after the read-only decision.
        {{"-O1"}, '2', {speed}, ""}, {{"-ipa"}, '2', {speed}, ""},
        {{"-Os"}, '2', {readOnly, "-opt_speed_vs_size=0"}, ""},
        {{"-Ot", "-compact"}, '2', {readOnly, speed}, ""}, {{"-Ofp"}, '2', {"-3offset_FP", readOnly, speed}, ""},
        {{"-Oz", "-Ox"}, '2', {"-3low64k", "-3safe_halfs", readOnly, speed}, ""},
        {{"-no-inline", "-O"}, '0', {readOnly, speed}, noInline},
        {{"-no-inline"}, '0', {speed}, noInline},
        // The user's -Ov supplies the speed/size option.
        {{"-Os", "-Ov", "30"}, '2', {"-O", readOnly}, ""},
    };
    for (const auto& test : cases) {
        const std::string options = ::testing::PrintToString(test.options);
        const bool compact = std::count(test.options.begin(), test.options.end(), "-compact") > 0;
        Reset();
        EXPECT_EQ(Run(test.options), "") << options;
        ArgFreeList(ArgLists[LIST_PENDING]);
        EXPECT_EQ(Stderr([] { OptimizeOptions(); }), test.warnings) << options;
        EXPECT_EQ(Entries(LIST_PENDING), (Words{std::string("-O=--kfront(d)|+K") + test.level + "(d)|--" +
                                                (compact ? "" : "no_") + "process_asm(d)|-convert_commons(i)"}))
            << options;
        EXPECT_EQ(Names(LIST_CODEGEN), test.codegen) << options;
    }

    // Profile data lowers the speed preference.
    Reset();
    ArgAddTail(ArgLists[LIST_PROFILE_DATA], "run.pgo");
    OptimizeOptions();
    EXPECT_EQ(Names(LIST_CODEGEN), (Words{"-opt_speed_vs_size=50"}));
}

TEST_F(MachineOptionSets, TheUsersSpeedVersusSizeIsTheOnlyOneAndFramePointerDropsDebugging)
{
    EXPECT_EQ(Run({"-Os", "-Ov", "30"}), "");
    OptimizeOptions();
    ProcessOptions();
    EXPECT_EQ(Names(LIST_CODEGEN),
              (Words{"-O", "-treat_const_as_readonly", "-opt_speed_vs_size=30", "-convert_commons"}));
    EXPECT_EQ(Names(LIST_DRIVER), (Words{"--kfront", "+K2", "--no_process_asm"}));

    // -g and -Ofp exclude each other as options; the set clears both debugging flags
    // whatever set them.
    Reset();
    EXPECT_EQ(Run({"-Ofp"}), "");
    OptionTable[OPT_g] = OptionTable[OPT_debug_types] = 1;
    OptimizeOptions();
    EXPECT_FALSE(Given(OPT_g) || Given(OPT_debug_types));
    PlatformOptions();
    EXPECT_FALSE(Given(OPT_no_inline));
}

TEST_F(MachineOptionSets, PlatformDefaultsAndProfilingMacrosForTheLinker)
{
    EXPECT_EQ(Stderr([] { PlatformOptions(); }), "");
    EXPECT_TRUE(Given(OPT_signed_char) && Given(OPT_jcs2l));
    EXPECT_FALSE(Given(OPT_no_inline));
    EXPECT_EQ(Names(LIST_PENDING), (Words{"-signed-char", "-jcs2l"}));
    EXPECT_EQ(ArgLists[LIST_LINKER].count, 0u);

    Reset();
    EXPECT_EQ(Run({"-signed-bitfield", "-no-jcs2l"}), "");
    PlatformOptions();
    EXPECT_FALSE(Given(OPT_signed_char) || Given(OPT_jcs2l));

    const std::pair<Words, Words> profiling[] = {
        {{"-p1"}, {"-MDUSE_PROFILER1"}}, {{"-p2"}, {"-MDUSE_PROFILER2"}}, {{"-p"}, {"-MDUSE_PROFILER"}},
        {{"-p", "-Oz", "-pg"}, {"-MDLOW64K", "-MDUSE_PROFGUIDE"}},
    };
    for (const auto& [options, linker] : profiling) {
        Reset();
        EXPECT_EQ(Run(options), options.size() > 1 ? Warning("Option `-pg' conflicts with `-p'") : "");
        PlatformOptions();
        EXPECT_EQ(Names(LIST_LINKER), linker) << options[0];
    }
}

TEST_F(MachineOptionSets, DebuggingWithoutOptimisationTurnsInliningOff)
{
    const std::pair<Words, bool> cases[] = {
        {{"-g"}, true},          {{"-g", "-Ot"}, true},      {{"-g", "-O"}, false},
        {{"-g", "-O0"}, false},  {{"-g", "-inline"}, false}, {{"-g", "-ipa"}, false},
        {{"-g", "-Os"}, false},  {{"-g", "-debug-types"}, false}, {{"-debug-types"}, false},
    };
    for (const auto& [options, noInline] : cases) {
        Reset();
        EXPECT_EQ(Run(options), "");
        OptimizeOptions();
        EXPECT_EQ(Stderr([] { PlatformOptions(); }), "") << ::testing::PrintToString(options);
        EXPECT_EQ(Given(OPT_no_inline), noInline) << ::testing::PrintToString(options);
    }
}

TEST_F(MachineOptionSets, ASetNeverRepeatsTheUsersOwnOption)
{
    EXPECT_EQ(Run({"-g", "-no-inline", "-jcs2l", "-signed-char", "-veltrix", "-extra-keywords"}), "");
    EXPECT_EQ(Stderr([] {
                  LanguageOptions();
                  PlatformOptions();
              }),
              "");
    EXPECT_EQ(Names(LIST_PENDING), (Words{"-g", "-no-inline", "-jcs2l", "-signed-char", "-veltrix"}));
}

TEST_F(MachineOptionSets, AProcessorFileAndItsMacro)
{
    MakeFile("System/foo.ini");
    MakeFile("System/9abc.ini");
    MakeFile("System/a-b.ini");
    auto platform = [&](const Words& options) {
        Reset();
        StrSet(FileLocs[LOC_INSTALL], Win(dir_.string()));
        EXPECT_EQ(Run(options), "");
        return Stderr([] { PlatformOptions(); });
    };
    EXPECT_EQ(platform({"-proc", "foo", "-signed-char", "-jcs2l"}), "");
    EXPECT_EQ(Names(LIST_ASSEMBLER), (Words{"-proc", "foo"}));
    EXPECT_EQ(Names(LIST_LINKER), (Words{"-proc", "foo"}));
    EXPECT_EQ(Entries(LIST_PENDING), (Words{"-signed-char=--signed_chars(d)", "-jcs2l=-jcs2l+(l)",
                                            "--proc=" + Win((dir_ / "System/foo.ini").string())}));
    EXPECT_EQ(Entries(LIST_MACROS), (Words{"__foo__=1"}));

    for (const char* processor : {"9abc", "a-b"}) {
        platform({"-proc", processor});
        EXPECT_EQ(Names(LIST_ASSEMBLER), (Words{"-proc", processor}));
        EXPECT_EQ(ArgLists[LIST_MACROS].count, 0u) << processor;
    }

    const std::string missing = Win((dir_ / "System/bar.ini").string());
    EXPECT_EQ(platform({"-proc", "bar"}), Failure("`" + missing + "' does not exist"));
    EXPECT_EQ(ArgLists[LIST_ASSEMBLER].count, 0u);
    EXPECT_EQ(ArgLocateNextOpt(ArgLists[LIST_PENDING], "--proc="), nullptr);
    // Missing files not reported: the processor is passed on all the same.
    ReportMissing = 0;
    PlatformOptions();
    EXPECT_EQ(Names(LIST_ASSEMBLER), (Words{"-proc", "bar"}));
}

// Predefined assertions, macros and directories ------------------------------------------------

class MachineDefaultLists : public OptionFixture {
protected:
    // Reads the options, then the sets and defaults as the start-up does.
    std::string Defaults(const Words& options)
    {
        Reset();
        StrSet(FileLocs[LOC_INSTALL], Win(dir_.string()));
        std::string errors = Run(options);
        return errors + Stderr([] {
                   LanguageOptions();
                   DefaultLists();
               });
    }
};

const Words KeywordMacros = {"asm=__asm",  "inline=__inline",     "bool=__bool", "false=__false",
                             "true=__true", "restrict=__restrict", "dm=__dm",     "pm=__pm",
                             "bank=__bank", "segment=__segment",   "section=__section"};
const Words KeywordNames = {"asm", "inline", "bool", "false", "true", "restrict", "dm", "pm", "bank", "segment",
                            "section"};
// The first predefined macros of every run without -no-defs or -no-std-def.
const Words Standard = {"__ZCC__", "_LANGUAGE_C", "__DOUBLES_ARE_FLOATS__", "_NO_LONGLONG"};

TEST_F(MachineDefaultLists, NoOptionsAtAll)
{
    EXPECT_EQ(Defaults({}), "");
    EXPECT_EQ(Entries(LIST_ASSERTIONS),
              (Words{"system=embedded", "machine=kdsptrvx", "cpu=kdsptrvx", "compiler=cctrvx"}));
    EXPECT_EQ(Entries(LIST_MACROS),
              Joined({"__ZCC__=1", "_LANGUAGE_C=1", "__DOUBLES_ARE_FLOATS__=1", "_NO_LONGLONG=1",
                      "__VELTRIX_EXTENSIONS__=1", "KDSPTARVEX=1", "__KDSPTARVEX__=1", "KDSP63832=1",
                      "__KDSP63832__=1"},
                     KeywordMacros));
    EXPECT_EQ(Names(LIST_CODEGEN), (Words{"-KDSP-63832"}));
    EXPECT_EQ(Names(LIST_ASSEMBLER), (Words{"-63832"}));
    EXPECT_EQ(Names(LIST_LINKER), (Words{"-DKDSP-63832"}));
    // No default directories under an install directory that has none.
    EXPECT_EQ(ArgLists[LIST_SYS_INCLUDE_DIRS].count + ArgLists[LIST_SYS_LIB_DIRS].count, 0u);
}

TEST_F(MachineDefaultLists, StrictModesDialectsAndProcessors)
{
    const std::pair<Words, Words> cases[] = {
        {{"-pedantic"}, Joined(Joined(Standard, {"__KDSPTARVEX__", "__KDSP63832__"}), KeywordNames)},
        {{"-ansi", "-pedantic"},
         {"__ZCC__", "_LANGUAGE_C", "__STRICT_ANSI__", "__DOUBLES_ARE_FLOATS__", "_NO_LONGLONG", "__KDSPTARVEX__",
          "__KDSP63832__"}},
        {{"-ansi"}, Joined(Standard, {"KDSPTARVEX", "__KDSPTARVEX__", "KDSP63832", "__KDSP63832__"})},
        {{"-63835", "-no-extra-keywords"},
         Joined(Standard, {"__VELTRIX_EXTENSIONS__", "KDSPTARVEX", "__KDSPTARVEX__", "KDSP63835", "__KDSP63835__"})},
        // Another processor: its macro comes from its processor file, not from here.
        {{"-proc", "other", "-no-extra-keywords"}, Joined(Standard, {"__VELTRIX_EXTENSIONS__"})},
        {{"-no-std-ass"}, Joined(Standard, KeywordNames)},
        {{"-no-std-def", "-no-extra-keywords"}, {}},
    };
    for (const auto& [options, macros] : cases) {
        EXPECT_EQ(Defaults(options), "");
        EXPECT_EQ(Names(LIST_MACROS), macros) << ::testing::PrintToString(options);
        if (options[0] == "-63835" || options[0] == "-proc") {
            EXPECT_EQ(ArgLists[LIST_CODEGEN].count + ArgLists[LIST_ASSEMBLER].count, 0u);
        }
    }
    EXPECT_EQ(ArgLists[LIST_ASSERTIONS].count, 4u);
    EXPECT_EQ(Defaults({"-no-std-ass"}), "");
    EXPECT_EQ(ArgLists[LIST_ASSERTIONS].count, 0u);
    EXPECT_EQ(Defaults({"-proc", "other"}), "");
    EXPECT_EQ(ArgLists[LIST_LINKER].count, 0u);
}

TEST_F(MachineDefaultLists, UserMacrosAndAssertionsMeetThePredefinedOnes)
{
    EXPECT_EQ(Defaults({"-U", "__ZCC__", "-D", "_NO_LONGLONG=0", "-D", "_LANGUAGE_C", "-D", "X=2", "-D", "Y",
                        "-U", "Y"}),
              Warning("Removal of predefined macro `__ZCC__'") +
                  Warning("Duplicate definition of predefined macro `_LANGUAGE_C'") +
                  Warning("Redefinition of predefined macro `_NO_LONGLONG' from `1' to `0'"));
    const Words macros = Entries(LIST_MACROS);
    ASSERT_GE(macros.size(), 3u);
    EXPECT_EQ(Words(macros.begin(), macros.begin() + 3),
              (Words{"_LANGUAGE_C=1", "__DOUBLES_ARE_FLOATS__=1", "_NO_LONGLONG=0"}));
    EXPECT_EQ(Words(macros.end() - 2, macros.end()), (Words{"X=2", "Y=1"}));
    EXPECT_EQ(std::count(macros.begin(), macros.end(), "_LANGUAGE_C=1"), 1);
    // The assembler gets the user's macros that are not removed, and none of the
    // predefined ones.
    EXPECT_EQ(Names(LIST_ASSEMBLER), (Words{"-D_NO_LONGLONG=0", "-D_LANGUAGE_C=1", "-DX=2", "-63832"}));

    EXPECT_EQ(Defaults({"-A", "system(embedded)", "-A", "cpu", "-A", "machine(other)"}),
              Warning("Duplicate definition of predefined assertion `system' as `embedded'"));
    EXPECT_EQ(Entries(LIST_ASSERTIONS), (Words{"system=embedded", "machine=kdsptrvx", "cpu=kdsptrvx",
                                               "compiler=cctrvx", "cpu", "machine=other"}));
}

TEST_F(MachineDefaultLists, NoDefinitionsLeavesOnlyTheKeywordMacros)
{
    MakeDir("Tarvex/include");
    MakeDir("Tarvex/lib");
    EXPECT_EQ(Defaults({"-no-defs", "-A", "p(x)", "-D", "X"}), "");
    EXPECT_EQ(Entries(LIST_ASSERTIONS), (Words{"p=x"}));
    EXPECT_EQ(Entries(LIST_MACROS), Joined(KeywordMacros, {"X=1"}));
    EXPECT_EQ(ArgLists[LIST_SYS_INCLUDE_DIRS].count + ArgLists[LIST_SYS_LIB_DIRS].count, 0u);

    // The keyword macros follow the dialect and the compiler.
    EXPECT_EQ(Defaults({"-ansi-c++", "-extra-keywords", "-no-defs"}), "");
    EXPECT_EQ(Entries(LIST_MACROS), (Words{"asm=__asm", "__inline=inline", "__bool=bool", "__false=false",
                                           "__true=true", "restrict=__restrict", "dm=__dm", "pm=__pm",
                                           "bank=__bank", "segment=__segment", "section=__section"}));
    EXPECT_EQ(Defaults({"-no-defs", "-generate", "obj"}), "");
    EXPECT_EQ(Entries(LIST_MACROS), Words(KeywordMacros.begin() + 1, KeywordMacros.end()));
}

TEST_F(MachineDefaultLists, SystemMacrosAreQuoted)
{
    EXPECT_EQ(Defaults({"-sysdefs", "-no-builtin"}), "");
    const Words names = Names(LIST_MACROS);
    EXPECT_EQ(Words(names.begin(), names.begin() + 4),
              (Words{"__ZCC__", "_LANGUAGE_C", "__NO_BUILTIN", "__DOUBLES_ARE_FLOATS__"}));
    int system = 0;
    for (Arg* macro = ArgFirst(ArgLists[LIST_MACROS]); macro; macro = ArgNext(macro)) {
        if (!std::set<std::string>{"__HOSTNAME__", "__MACHINE__", "__SYSTEM__", "__USERNAME__", "__GROUPNAME__",
                                   "__REALNAME__"}
                 .count(macro->name))
            continue;
        ++system;
        const std::string& value = *macro->value;
        ASSERT_GE(value.size(), 3u) << macro->name;
        EXPECT_EQ(value.front(), '"') << macro->name;
        EXPECT_EQ(value.back(), '"') << macro->name;
    }
    EXPECT_GE(system, 1);
}

TEST_F(MachineDefaultLists, IncludeDirectoriesForTheAssemblerAndDefaultDirectories)
{
    const std::string user = MakeDir("inc");
    MakeDir("Tarvex/include");
    MakeDir("Tarvex/lib");
    const std::string install = Win(dir_.string());
    Reset();
    ArgAddTail(ArgLists[LIST_SYS_INCLUDE_DIRS], "earlier");
    StrSet(FileLocs[LOC_INSTALL], install);
    EXPECT_EQ(Run({"-I", user, "-I-", "-no-extra-keywords"}), "");
    EXPECT_EQ(Stderr([] { DefaultLists(); }), "");
    EXPECT_EQ(Names(LIST_ASSEMBLER), (Words{"-63832", "-i", Win(user), "-i", "-"}));
    EXPECT_EQ(Names(LIST_SYS_INCLUDE_DIRS), (Words{install + "\\Tarvex\\include", "earlier"}));
    EXPECT_EQ(Names(LIST_SYS_LIB_DIRS), (Words{install + "\\Tarvex\\lib"}));

    EXPECT_EQ(Defaults({"-no-std-inc"}), "");
    EXPECT_EQ(ArgLists[LIST_SYS_INCLUDE_DIRS].count, 0u);
    EXPECT_EQ(ArgLists[LIST_SYS_LIB_DIRS].count, 1u);
    EXPECT_EQ(Defaults({"-no-std-lib"}), "");
    EXPECT_EQ(ArgLists[LIST_SYS_INCLUDE_DIRS].count, 1u);
    EXPECT_EQ(ArgLists[LIST_SYS_LIB_DIRS].count, 0u);

    // A default directory that is a file is an error.
    std::filesystem::remove(dir_ / "Tarvex/lib");
    MakeFile("Tarvex/lib", "not a directory");
    EXPECT_EQ(Defaults({}), Failure("`" + install + "\\Tarvex\\lib' is not a directory"));
    EXPECT_EQ(ErrorNum, 1u);
    EXPECT_EQ(ArgLists[LIST_SYS_LIB_DIRS].count, 0u);
}

} // namespace
