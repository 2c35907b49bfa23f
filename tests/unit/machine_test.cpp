// The value checks of option arguments, the option sets implied by the user's options,
// and the predefined assertions, macros and default directories.
#include "option_fixture.h"

#include <climits>
#include <cmath>

#include "machine.h"

namespace {

using MachineChecks = OptionFixture;
using MachineOptionSets = OptionFixture;

// Value checks ------------------------------------------------------------------------

struct Integer {
    std::string text;
    int consumed;
    long value;
    std::string warning; // empty: none
};

std::string Overflow(const char* sign, const std::string& text)
{
    return std::string(sign) + " number overflow in `" + text + "'";
}

TEST_F(MachineChecks, Integers)
{
    const std::string ones31 = "0b" + std::string(31, '1');
    const std::string power31 = "1" + std::string(31, '0');
    const std::string negativeOnes40 = "-0b" + std::string(40, '1');
    const std::string negativeOnes70 = "-0b" + std::string(70, '1');
    const Integer cases[] = {
        {"0x1F", 4, 31, ""},
        {"-0b101", 6, -5, ""},
        {"0b101", 5, 5, ""},
        {"0B11", 4, 3, ""},
        {"0b12", 3, 1, ""},
        {"0b", 2, 0, ""},
        {"12abc", 2, 12, ""},
        {"010", 3, 8, ""},
        {"-12", 3, -12, ""},
        {"+7", 2, 7, ""},
        {"", 0, 0, ""},
        {"abc", 0, 0, ""},
        {"2147483647", 10, INT_MAX, ""},
        {"-2147483648", 11, INT_MIN, ""},
        {ones31, 33, INT_MAX, ""},
        {"-0b" + power31, 35, INT_MIN, ""},
        // Every number is a 32-bit value, on any host.
        {"99999999999", 11, INT_MAX, Overflow("Positive", "99999999999")},
        {"2147483648", 10, INT_MAX, Overflow("Positive", "2147483648")},
        {"0x80000000", 10, INT_MAX, Overflow("Positive", "0x80000000")},
        {"0b" + power31, 34, INT_MAX, Overflow("Positive", "0b" + power31)},
        {"-99999999999", 12, INT_MIN, Overflow("Negative", "-99999999999")},
        {"-2147483649", 11, INT_MIN, Overflow("Negative", "-2147483649")},
        {"99999999999999999999999", 23, INT_MAX, Overflow("Positive", "99999999999999999999999")},
        {"-99999999999999999999999", 24, INT_MIN, Overflow("Negative", "-99999999999999999999999")},
        // A negative binary number that overflows is the most negative one.
        {negativeOnes40, 43, INT_MIN, Overflow("Negative", negativeOnes40)},
        {negativeOnes70, 73, INT_MIN, Overflow("Negative", negativeOnes70)},
    };
    for (const Integer& test : cases) {
        long value = 12345;
        int consumed = -1;
        const std::string errors = Stderr([&] { consumed = CheckInteger(test.text, value); });
        EXPECT_EQ(consumed, test.consumed) << test.text;
        EXPECT_EQ(value, test.value) << test.text;
        EXPECT_EQ(errors, test.warning.empty() ? "" : Warning(test.warning)) << test.text;
    }
    EXPECT_EQ(ErrorNum, 0u);
}

TEST_F(MachineChecks, FloatingPointNumbers)
{
    struct Float {
        const char* text;
        int consumed;
        const char* warning;
    };
    const Float cases[] = {
        {"1.5", 3, nullptr},
        {"2.5x", 3, nullptr},
        {"inf", 3, nullptr},
        {"1e999", 5, "floating point number overflow in `1e999'"},
        {"-1e999", 6, "floating point number overflow in `-1e999'"},
        {"1e-999", 6, "floating point number underflow in `1e-999'"},
        {"abc", 0, "invalid floating point number `abc'"},
    };
    for (const Float& test : cases) {
        double value = 0;
        int consumed = -1;
        const std::string errors = Stderr([&] { consumed = CheckFloat(test.text, value); });
        EXPECT_EQ(consumed, test.consumed) << test.text;
        EXPECT_EQ(errors, test.warning ? Warning(test.warning) : "") << test.text;
    }
    double value = 0;
    CheckFloat("1.5", value);
    EXPECT_EQ(value, 1.5);
    Stderr([&] { CheckFloat("-1e999", value); });
    EXPECT_TRUE(std::isinf(value) && value < 0);
}

TEST_F(MachineChecks, IdentifiersAndRegisters)
{
    EXPECT_EQ(CheckIdentifier("_x9("), 3);
    EXPECT_EQ(CheckIdentifier("9x"), 0);
    EXPECT_EQ(CheckIdentifier(""), 0);
    EXPECT_EQ(CheckIdentifier("a-b"), 1);
    EXPECT_EQ(CheckIdentifier("Abc_19"), 6);

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

TEST_F(MachineOptionSets, LanguageDefaultsToCWithExtensions)
{
    EXPECT_EQ(Stderr([] { LanguageOptions(); }), "");
    EXPECT_TRUE(Given(OPT_veltrix));
    EXPECT_TRUE(Given(OPT_extra_keywords));
    EXPECT_EQ(Names(LIST_PENDING), (Words{"-veltrix"}));
    // Added options are not the user's words.
    EXPECT_EQ(ArgLists[LIST_ECHO].count, 0u);
}

TEST_F(MachineOptionSets, StandardDialectsGoWithoutExtraKeywords)
{
    for (const char* dialect : {"-ansi", "-traditional", "-ansi-c++"}) {
        Reset();
        EXPECT_EQ(Run({dialect}), "");
        EXPECT_EQ(Stderr([] { LanguageOptions(); }), "") << dialect;
        EXPECT_FALSE(Given(OPT_veltrix)) << dialect;
        EXPECT_FALSE(Given(OPT_extra_keywords)) << dialect;
        EXPECT_TRUE(Given(OPT_no_extra_keywords)) << dialect;
    }
    Reset();
    EXPECT_EQ(Run({"-c++"}), "");
    LanguageOptions();
    EXPECT_FALSE(Given(OPT_veltrix));
    EXPECT_TRUE(Given(OPT_extra_keywords));

    // The user's own choice stands, without a duplicate.
    Reset();
    EXPECT_EQ(Run({"-ansi", "-extra-keywords"}), "");
    EXPECT_EQ(Stderr([] { LanguageOptions(); }), "");
    EXPECT_FALSE(Given(OPT_no_extra_keywords));
}

// The translation queued under -O, and the speed/size option of the code generator.
struct Optimisation {
    Words options;
    std::string translation;
    Words codegen;
    std::string warnings;
};

TEST_F(MachineOptionSets, OptimisationLevelAndTranslation)
{
    const std::string noInline = Warning("Disabling inlining prevents any high-level optimizations");
    const Optimisation cases[] = {
        {{}, "--kfront(d)|+K1(d)|--no_process_asm(d)|-convert_commons(i)", {"-opt_speed_vs_size=100"}, ""},
        {{"-O"},
         "--kfront(d)|+K2(d)|--no_process_asm(d)|-convert_commons(i)",
         {"-treat_const_as_readonly", "-opt_speed_vs_size=100"},
         ""},
        {{"-O", "-c++"}, "--kfront(d)|+K2(d)|--no_process_asm(d)|-convert_commons(i)", {"-opt_speed_vs_size=100"}, ""},
        {{"-O", "-const-read-write"},
         "--kfront(d)|+K2(d)|--no_process_asm(d)|-convert_commons(i)",
         {"-opt_speed_vs_size=100"},
         ""},
        // -O1 and -ipa raise the level only after the read-only decision.
        {{"-O1"}, "--kfront(d)|+K2(d)|--no_process_asm(d)|-convert_commons(i)", {"-opt_speed_vs_size=100"}, ""},
        {{"-ipa"}, "--kfront(d)|+K2(d)|--no_process_asm(d)|-convert_commons(i)", {"-opt_speed_vs_size=100"}, ""},
        {{"-Os"},
         "--kfront(d)|+K2(d)|--no_process_asm(d)|-convert_commons(i)",
         {"-treat_const_as_readonly", "-opt_speed_vs_size=0"},
         ""},
        {{"-Ot", "-compact"},
         "--kfront(d)|+K2(d)|--process_asm(d)|-convert_commons(i)",
         {"-treat_const_as_readonly", "-opt_speed_vs_size=100"},
         ""},
        {{"-Ofp"},
         "--kfront(d)|+K2(d)|--no_process_asm(d)|-convert_commons(i)",
         {"-3offset_FP", "-treat_const_as_readonly", "-opt_speed_vs_size=100"},
         ""},
        {{"-Oz", "-Ox"},
         "--kfront(d)|+K2(d)|--no_process_asm(d)|-convert_commons(i)",
         {"-3low64k", "-3safe_halfs", "-treat_const_as_readonly", "-opt_speed_vs_size=100"},
         ""},
        {{"-no-inline", "-O"},
         "--kfront(d)|+K0(d)|--no_process_asm(d)|-convert_commons(i)",
         {"-treat_const_as_readonly", "-opt_speed_vs_size=100"},
         noInline},
        {{"-no-inline"}, "--kfront(d)|+K0(d)|--no_process_asm(d)|-convert_commons(i)", {"-opt_speed_vs_size=100"},
         noInline},
        // The user's -Ov supplies the speed/size option.
        {{"-Os", "-Ov", "30"},
         "--kfront(d)|+K2(d)|--no_process_asm(d)|-convert_commons(i)",
         {"-O", "-treat_const_as_readonly"},
         ""},
    };
    for (const Optimisation& test : cases) {
        Reset();
        EXPECT_EQ(Run(test.options), "") << ::testing::PrintToString(test.options);
        ArgFreeList(ArgLists[LIST_PENDING]);
        EXPECT_EQ(Stderr([] { OptimizeOptions(); }), test.warnings) << ::testing::PrintToString(test.options);
        EXPECT_EQ(Entries(LIST_PENDING), (Words{"-O=" + test.translation})) << ::testing::PrintToString(test.options);
        EXPECT_EQ(Names(LIST_CODEGEN), test.codegen) << ::testing::PrintToString(test.options);
    }
}

TEST_F(MachineOptionSets, ProfileDataLowersTheSpeedPreference)
{
    ArgAddTail(ArgLists[LIST_PROFILE_DATA], "run.pgo");
    OptimizeOptions();
    EXPECT_EQ(Names(LIST_CODEGEN), (Words{"-opt_speed_vs_size=50"}));
}

TEST_F(MachineOptionSets, OptimisingForTheFramePointerDropsTheDebuggingRequest)
{
    // -g and -Ofp exclude each other as options; the set clears both debugging flags
    // whatever set them.
    EXPECT_EQ(Run({"-Ofp"}), "");
    OptionTable[OPT_g] = OptionTable[OPT_debug_types] = 1;
    OptimizeOptions();
    EXPECT_FALSE(Given(OPT_g));
    EXPECT_FALSE(Given(OPT_debug_types));
    PlatformOptions();
    EXPECT_FALSE(Given(OPT_no_inline));
}

TEST_F(MachineOptionSets, TheUsersSpeedVersusSizeIsTheOnlyOne)
{
    EXPECT_EQ(Run({"-Os", "-Ov", "30"}), "");
    OptimizeOptions();
    ProcessOptions();
    EXPECT_EQ(Names(LIST_CODEGEN),
              (Words{"-O", "-treat_const_as_readonly", "-opt_speed_vs_size=30", "-convert_commons"}));
    EXPECT_EQ(Names(LIST_DRIVER), (Words{"--kfront", "+K2", "--no_process_asm"}));
}

TEST_F(MachineOptionSets, PlatformDefaults)
{
    EXPECT_EQ(Stderr([] { PlatformOptions(); }), "");
    EXPECT_TRUE(Given(OPT_signed_char));
    EXPECT_TRUE(Given(OPT_jcs2l));
    EXPECT_FALSE(Given(OPT_no_inline));
    EXPECT_EQ(Names(LIST_PENDING), (Words{"-signed-char", "-jcs2l"}));
    EXPECT_EQ(ArgLists[LIST_LINKER].count, 0u);

    Reset();
    EXPECT_EQ(Run({"-signed-bitfield", "-no-jcs2l"}), "");
    PlatformOptions();
    EXPECT_FALSE(Given(OPT_signed_char));
    EXPECT_FALSE(Given(OPT_jcs2l));
}

TEST_F(MachineOptionSets, DebuggingWithoutOptimisationTurnsInliningOff)
{
    struct Case {
        Words options;
        bool noInline;
    };
    const Case cases[] = {
        {{"-g"}, true},           {{"-g", "-Ot"}, true},       {{"-g", "-O"}, false},
        {{"-g", "-O0"}, false},   {{"-g", "-inline"}, false},  {{"-g", "-ipa"}, false},
        {{"-g", "-Os"}, false},   {{"-g", "-debug-types"}, false}, {{"-debug-types"}, false},
    };
    for (const Case& test : cases) {
        Reset();
        EXPECT_EQ(Run(test.options), "");
        OptimizeOptions();
        EXPECT_EQ(Stderr([] { PlatformOptions(); }), "") << ::testing::PrintToString(test.options);
        EXPECT_EQ(Given(OPT_no_inline), test.noInline) << ::testing::PrintToString(test.options);
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

TEST_F(MachineOptionSets, ProfilingAndSmallMemoryMacrosForTheLinker)
{
    EXPECT_EQ(Run({"-p", "-Oz", "-pg"}), Warning("Option `-pg' conflicts with `-p'"));
    PlatformOptions();
    EXPECT_EQ(Names(LIST_LINKER), (Words{"-MDLOW64K", "-MDUSE_PROFGUIDE"}));
    Reset();
    EXPECT_EQ(Run({"-p1"}), "");
    PlatformOptions();
    EXPECT_EQ(Names(LIST_LINKER), (Words{"-MDUSE_PROFILER1"}));
    Reset();
    EXPECT_EQ(Run({"-p2"}), "");
    PlatformOptions();
    EXPECT_EQ(Names(LIST_LINKER), (Words{"-MDUSE_PROFILER2"}));
    Reset();
    EXPECT_EQ(Run({"-p"}), "");
    PlatformOptions();
    EXPECT_EQ(Names(LIST_LINKER), (Words{"-MDUSE_PROFILER"}));
}

TEST_F(MachineOptionSets, AProcessorFileAndItsMacro)
{
    StrSet(FileLocs[LOC_INSTALL], Win(dir_.string()));
    MakeFile("System/foo.ini");
    MakeFile("System/9abc.ini");
    MakeFile("System/a-b.ini");
    const std::string path = Win((dir_ / "System/foo.ini").string());

    EXPECT_EQ(Run({"-proc", "foo", "-signed-char", "-jcs2l"}), "");
    EXPECT_EQ(Stderr([] { PlatformOptions(); }), "");
    EXPECT_EQ(Names(LIST_ASSEMBLER), (Words{"-proc", "foo"}));
    EXPECT_EQ(Names(LIST_LINKER), (Words{"-proc", "foo"}));
    EXPECT_EQ(Entries(LIST_PENDING), (Words{"-signed-char=--signed_chars(d)", "-jcs2l=-jcs2l+(l)", "--proc=" + path}));
    EXPECT_EQ(Entries(LIST_MACROS), (Words{"__foo__=1"}));

    for (const char* processor : {"9abc", "a-b"}) {
        Reset();
        StrSet(FileLocs[LOC_INSTALL], Win(dir_.string()));
        EXPECT_EQ(Run({"-proc", processor}), "");
        PlatformOptions();
        EXPECT_EQ(Names(LIST_ASSEMBLER), (Words{"-proc", processor}));
        EXPECT_EQ(ArgLists[LIST_MACROS].count, 0u) << processor;
    }

    Reset();
    StrSet(FileLocs[LOC_INSTALL], Win(dir_.string()));
    EXPECT_EQ(Run({"-proc", "bar"}), "");
    const std::string missing = Win((dir_ / "System/bar.ini").string());
    EXPECT_EQ(Stderr([] { PlatformOptions(); }), Failure("`" + missing + "' does not exist"));
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
        errors += Stderr([] {
            LanguageOptions();
            DefaultLists();
        });
        return errors;
    }
};

const Words KeywordMacros = {"asm=__asm",      "inline=__inline", "bool=__bool", "false=__false",
                             "true=__true",    "restrict=__restrict", "dm=__dm", "pm=__pm",
                             "bank=__bank",    "segment=__segment", "section=__section"};

Words Joined(Words first, const Words& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

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
    EXPECT_EQ(ArgLists[LIST_SYS_INCLUDE_DIRS].count, 0u);
    EXPECT_EQ(ArgLists[LIST_SYS_LIB_DIRS].count, 0u);
}

TEST_F(MachineDefaultLists, StrictModes)
{
    EXPECT_EQ(Defaults({"-pedantic"}), "");
    EXPECT_EQ(Names(LIST_MACROS), Joined({"__ZCC__", "_LANGUAGE_C", "__DOUBLES_ARE_FLOATS__", "_NO_LONGLONG",
                                          "__KDSPTARVEX__", "__KDSP63832__"},
                                         Words{"asm", "inline", "bool", "false", "true", "restrict", "dm", "pm",
                                               "bank", "segment", "section"}));

    EXPECT_EQ(Defaults({"-ansi", "-pedantic"}), "");
    EXPECT_EQ(Names(LIST_MACROS), (Words{"__ZCC__", "_LANGUAGE_C", "__STRICT_ANSI__", "__DOUBLES_ARE_FLOATS__",
                                         "_NO_LONGLONG", "__KDSPTARVEX__", "__KDSP63832__"}));
    EXPECT_EQ(Defaults({"-ansi"}), "");
    EXPECT_EQ(ArgLocateNext(ArgLists[LIST_MACROS], "__STRICT_ANSI__"), nullptr);
    EXPECT_EQ(ArgLocateNext(ArgLists[LIST_MACROS], "__VELTRIX_EXTENSIONS__"), nullptr);
    EXPECT_NE(ArgLocateNext(ArgLists[LIST_MACROS], "KDSPTARVEX"), nullptr);
}

TEST_F(MachineDefaultLists, UserMacrosMeetThePredefinedOnes)
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
}

TEST_F(MachineDefaultLists, UserAssertionsMeetThePredefinedOnes)
{
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
    EXPECT_EQ(ArgLists[LIST_SYS_INCLUDE_DIRS].count, 0u);
    EXPECT_EQ(ArgLists[LIST_SYS_LIB_DIRS].count, 0u);

    EXPECT_EQ(Defaults({"-no-std-ass"}), "");
    EXPECT_EQ(ArgLists[LIST_ASSERTIONS].count, 0u);
    EXPECT_EQ(Names(LIST_MACROS),
              Joined({"__ZCC__", "_LANGUAGE_C", "__DOUBLES_ARE_FLOATS__", "_NO_LONGLONG"},
                     Words{"asm", "inline", "bool", "false", "true", "restrict", "dm", "pm", "bank", "segment",
                           "section"}));

    EXPECT_EQ(Defaults({"-no-std-def", "-no-extra-keywords"}), "");
    EXPECT_EQ(ArgLists[LIST_MACROS].count, 0u);
    EXPECT_EQ(ArgLists[LIST_ASSERTIONS].count, 4u);
}

TEST_F(MachineDefaultLists, ProcessorMacros)
{
    EXPECT_EQ(Defaults({"-63835", "-no-extra-keywords"}), "");
    EXPECT_EQ(Names(LIST_MACROS), (Words{"__ZCC__", "_LANGUAGE_C", "__DOUBLES_ARE_FLOATS__", "_NO_LONGLONG",
                                         "__VELTRIX_EXTENSIONS__", "KDSPTARVEX", "__KDSPTARVEX__", "KDSP63835",
                                         "__KDSP63835__"}));
    EXPECT_EQ(ArgLists[LIST_CODEGEN].count, 0u);

    // Another processor: its macro comes from its processor file, not from here.
    EXPECT_EQ(Defaults({"-proc", "other", "-no-extra-keywords"}), "");
    EXPECT_EQ(Names(LIST_MACROS), (Words{"__ZCC__", "_LANGUAGE_C", "__DOUBLES_ARE_FLOATS__", "_NO_LONGLONG",
                                         "__VELTRIX_EXTENSIONS__"}));
    EXPECT_EQ(ArgLists[LIST_CODEGEN].count, 0u);
    EXPECT_EQ(ArgLists[LIST_ASSEMBLER].count, 0u);
    EXPECT_EQ(ArgLists[LIST_LINKER].count, 0u);
}

TEST_F(MachineDefaultLists, KeywordMacrosFollowTheDialectAndTheCompiler)
{
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
        for (const char* name :
             {"__HOSTNAME__", "__MACHINE__", "__SYSTEM__", "__USERNAME__", "__GROUPNAME__", "__REALNAME__"}) {
            if (macro->name != name)
                continue;
            ++system;
            const std::string& value = *macro->value;
            ASSERT_GE(value.size(), 3u) << name;
            EXPECT_EQ(value.front(), '"') << name;
            EXPECT_EQ(value.back(), '"') << name;
        }
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
}

TEST_F(MachineDefaultLists, ADefaultDirectoryThatIsAFileIsAnError)
{
    MakeFile("Tarvex/lib", "not a directory");
    const std::string lib = Win(dir_.string()) + "\\Tarvex\\lib";
    EXPECT_EQ(Defaults({}), Failure("`" + lib + "' is not a directory"));
    EXPECT_EQ(ErrorNum, 1u);
    EXPECT_EQ(ArgLists[LIST_SYS_LIB_DIRS].count, 0u);
}

} // namespace
