// The main driver's option vocabulary: one static row per option name, dispatched to a
// handler per family of options. The handlers write the shared settings, locations and
// lists of cctrvx/globals.h.
#include "driver_options.h"

#include <climits>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "cctrvx/globals.h"
#include "args.h"
#include "dstring.h"
#include "error.h"
#include "file_optfile.h"
#include "file_system.h"
#include "symtab.h"

namespace {

using OptionHandler = void (*)(const char* name, const char* value, int id);

struct OptionRecord {
    const char* name;    // exactly as written, with its dashes or plus sign
    int takesArgument;   // 1 when the option needs a value
    int id;              // passed to the handler; synonyms share one
    OptionHandler handler;
};

// Components -----------------------------------------------------------------------------

enum Component : int {
    COMP_FE,
    COMP_FE_CC2S,
    COMP_FE_CC2C,
    COMP_FE_C,
    COMP_FE_ASM,
    COMP_FE_APP,
    COMP_FE_OPP,
    COMP_PL,
    COMP_PL_NM,
    COMP_PL_IPA,
    COMP_LN,
    COMP_LN_EXE2,
    COMP_LN_AR,
    COMP_LN_DY,
    COMP_DECODE,
    COMP_DEBUG,
    COMPONENT_COUNT
};

struct ComponentRecord {
    int location;         // slot of FileLocs
    int list;             // slot of ArgLists
    bool pathPassedOn;    // "--COMPP_" goes to the recompilation command
    bool optionsPassedOn; // "--COMPDO_" and "--COMPO_" go to the recompilation command
};

// Indexed by Component. fe, fe_cc2s and fe_cc2c all address the compiler.
constexpr ComponentRecord ComponentTable[COMPONENT_COUNT] = {
    {LOC_COMPILER, LIST_COMPILER, true, true},           // fe
    {LOC_COMPILER, LIST_COMPILER, true, true},           // fe_cc2s
    {LOC_COMPILER, LIST_COMPILER, true, true},           // fe_cc2c
    {LOC_C_COMPILER, LIST_C_COMPILER, true, true},       // fe_c
    {LOC_ASSEMBLER, LIST_ASSEMBLER, true, true},         // fe_asm
    {LOC_ASM_PREPROC, LIST_ASM_PREPROC, true, true},     // fe_app
    {LOC_OBJ_POSTPROC, LIST_OBJ_POSTPROC, true, true},   // fe_opp
    {LOC_PRELINKER, LIST_PRELINKER, false, false},       // pl
    {LOC_PRELINKER_NM, LIST_PRELINKER_NM, true, false},  // pl_nm
    {LOC_PRELINKER_IPA, LIST_PRELINKER_IPA, true, false}, // pl_ipa
    {LOC_LINKER, LIST_LINKER, false, false},             // ln
    {LOC_MEM_INIT, LIST_MEM_INIT, false, false},         // ln_exe2
    {LOC_ARCHIVER, LIST_ARCHIVER, false, false},         // ln_ar
    {LOC_DLL_BUILDER, LIST_DLL_BUILDER, false, false},   // ln_dy
    {LOC_DEMANGLER, LIST_DEMANGLER, false, false},       // decode
    {LOC_DEBUGGER, LIST_DEBUGGER, true, true},           // debug
};

// Identifiers ----------------------------------------------------------------------------

// The three component families each take a range of COMPONENT_COUNT identifiers, one per
// component in the order of Component.
constexpr int ID_COMPP = 1;
constexpr int ID_COMPDO = ID_COMPP + COMPONENT_COUNT;
constexpr int ID_COMPO = ID_COMPDO + COMPONENT_COUNT;

enum OptionId : int {
    // implementation models
    ID_CIM1 = ID_COMPO + COMPONENT_COUNT,
    ID_CIM2S,
    ID_CIM2C,
    ID_PIM1,
    ID_LIM1,
    ID_LIM2,
    ID_LIMST,
    ID_LIMDY,
    ID_CCIM1,
    ID_CCIMP,
    ID_PARALLEL_JOBS,
    // control options
    ID_MAIN,
    ID_KSPLIT,
    ID_IPA,
    ID_NO_IPA,
    ID_OPA,
    ID_NO_OPA,
    ID_PRELINK,
    ID_NO_PRELINK,
    ID_PROCESS_ASM,
    ID_NO_PROCESS_ASM,
    ID_PROCESS_OBJECT,
    ID_NO_PROCESS_OBJECT,
    ID_DECODE,
    ID_NO_DECODE,
    ID_PARALLEL_BUILD,
    ID_DEPENDENCY_BUILD,
    ID_DEPENDENCY_GRAPH,
    ID_EDIT,
    ID_EDIT_FORMAT,
    ID_DRYRUN,
    ID_VERBOSE,
    ID_WRAP,
    ID_WRITE_OPTIONS,
    ID_DRIVER_NAME,
    ID_KEEP_TEMPS,
    ID_OBJECT,
    ID_ASSEMBLER,
    ID_PREPROCESS,
    ID_PREPROCESSOR_FILES,
    ID_DEPENDENCIES,
    ID_DEPENDENCY_FILES,
    ID_PRINT_OUTPUT_FILE,
    ID_OUTPUT,
    ID_OUTPUT_DIR,
    ID_IGNORED,
    ID_CPFE_ONLY,
    ID_NO_CODE_GEN,
    ID_ONE_INSTANTIATION,
    ID_INSTANTIATION_DIR,
    ID_REMOVE_INSTANTIATION_DIR,
    ID_PCH,
    ID_PCH_DIR,
    ID_COMPONENT_DEBUG,
    ID_DEBUG,
    ID_COMPONENT_TIME,
    ID_TIME_LIMIT,
    ID_TI_FILES,
    ID_NO_TI_FILES,
    // link options
    ID_LINK_DIR,  // -L: joined, to the prelinker, linker and DLL builder
    ID_LINK_ITEM, // -u, -l: joined, among the inputs
    ID_LINK_WORD, // -munch, -Bstatic, -Bdynamic: the word itself, among the inputs
    ID_VIRT_LINK,
    // optimisation sets, in the order of OptimizationSets
    ID_K0,
    ID_K1,
    ID_K2,
    ID_K3,
    ID_PROC,
    ID_OPTION_FILE,
    // options passed through to the compiler
    ID_FE_JOINED, // single letters: name and value as one word
    ID_FE_PLAIN,  // the name, then the value as a second word when there is one
    ID_FE_CPP,    // the sources are C++
    ID_FE_C,      // the sources are C
};

// Helpers --------------------------------------------------------------------------------

// Appends the option and, when it has one, its value as a second entry to the
// recompilation command.
void PassOn(const char* name, const char* value)
{
    ArgAddTail(ArgLists[LIST_RECOMPILE], name);
    if (value)
        ArgAddTail(ArgLists[LIST_RECOMPILE], value);
}

void ToCompiler(std::string_view word)
{
    ArgAddTail(ArgLists[LIST_COMPILER], word);
}

// The leading decimal digits of a value; 0 when there are none, INT_MAX when they do not
// fit.
int LeadingNumber(const char* value)
{
    long long number = 0;
    for (; *value >= '0' && *value <= '9'; ++value) {
        number = number * 10 + (*value - '0');
        if (number > INT_MAX)
            return INT_MAX;
    }
    return static_cast<int>(number);
}

// Handlers -------------------------------------------------------------------------------

void SetImpl(const char* name, const char*, int id)
{
    switch (id) {
    case ID_CIM1:
        Generate = GENERATE_OBJECT;
        PassOn(name, nullptr);
        break;
    case ID_CIM2S:
        Generate = GENERATE_ASSEMBLER;
        PassOn(name, nullptr);
        break;
    case ID_CIM2C:
        Generate = GENERATE_C;
        PassOn(name, nullptr);
        break;
    case ID_PIM1:
    case ID_LIM1:
        break;
    case ID_LIM2:
        PerformMemInit = 1;
        break;
    case ID_LIMST:
        Production = OUTPUT_LIBRARY;
        break;
    case ID_LIMDY:
        Production = OUTPUT_DLL;
        break;
    default:
        break;
    }
}

void SetCycler(const char* name, const char* value, int id)
{
    if (id == ID_CCIM1) {
        ParallelMax = -1;
    } else if (id == ID_CCIMP) {
        ParallelMax = 0;
    } else if (id == ID_PARALLEL_JOBS) {
        // The most jobs at once; 0 is one per processor.
        const std::string text(value);
        if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
            Error(LEVEL_FATAL, "Bad numeric argument `%s' for option `%s'", value, name);
        ParallelMax = std::stoi(text);
    }
}

// The component of an identifier in a family's range, or -1.
int ComponentOf(int id, int first)
{
    return id >= first && id < first + COMPONENT_COUNT ? id - first : -1;
}

void SetPath(const char* name, const char* value, int id)
{
    int component = ComponentOf(id, ID_COMPP);
    if (component < 0)
        return;
    const ComponentRecord& record = ComponentTable[component];
    StrSet(FileLocs[record.location], value);
    if (record.pathPassedOn)
        PassOn(name, value);
}

void SetDefOpts(const char* name, const char* value, int id)
{
    int component = ComponentOf(id, ID_COMPDO);
    if (component < 0)
        return;
    const ComponentRecord& record = ComponentTable[component];
    for (const std::string& word : FileReadString(value, nullptr))
        ArgAddTail(ArgLists[record.list], word);
    if (record.optionsPassedOn)
        PassOn(name, value);
}

void SetOpts(const char* name, const char* value, int id)
{
    int component = ComponentOf(id, ID_COMPO);
    if (component < 0)
        return;
    const ComponentRecord& record = ComponentTable[component];
    ArgAddTail(ArgLists[record.list], value);
    if (record.optionsPassedOn)
        PassOn(name, value);
}

struct DriverName {
    const char* name;
    const char* tempPrefix;
};

// Compared exactly, first match wins.
constexpr DriverName DriverNameTable[] = {
    {"zcc", "zcc"},  {"zc++", "zcpp"}, {"cc63k", "qcc"}, {"ccqz", "qcc"},
    {"cc", "xcc"},   {"c++", "xcpp"},  {"jcc", "jcc"},   {"jc++", "jcpp"},
    {"kcc", "kcc"},  {"kcpp", "kcpp"}, {"rcc", "rcc"},   {"rcpp", "rcpp"},
};

void SetControl(const char* name, const char* value, int id)
{
    switch (id) {
    case ID_MAIN:
        PassOn(name, nullptr);
        break;
    case ID_KSPLIT:
    case ID_IGNORED:
        break;
    case ID_IPA:
        IPAMode = 2;
        PassOn(name, nullptr);
        break;
    case ID_NO_IPA:
        IPAMode = 0;
        PassOn(name, nullptr);
        break;
    case ID_OPA:
        IPAMode = 1;
        break;
    case ID_NO_OPA:
        IPAMode = 0;
        break;
    case ID_PRELINK:
        PerformPrelink = 1;
        break;
    case ID_NO_PRELINK:
        PerformPrelink = 0;
        break;
    case ID_PROCESS_ASM:
        PreprocAsm = 1;
        PassOn(name, nullptr);
        break;
    case ID_NO_PROCESS_ASM:
        PreprocAsm = 0;
        PassOn(name, nullptr);
        break;
    case ID_PROCESS_OBJECT:
        PostprocObj = 1;
        PassOn(name, nullptr);
        break;
    case ID_NO_PROCESS_OBJECT:
        PostprocObj = 0;
        PassOn(name, nullptr);
        break;
    case ID_DECODE:
        DemangleOutput = 1;
        break;
    case ID_NO_DECODE:
        DemangleOutput = 0;
        break;
    case ID_PARALLEL_BUILD: // the value is accepted and not used
        ParallelMax = -1;
        break;
    case ID_DEPENDENCY_BUILD:
        DepBuild = 1;
        PassOn(name, nullptr);
        break;
    case ID_DEPENDENCY_GRAPH:
        DepDisplay = 1;
        PassOn(name, nullptr);
        break;
    case ID_EDIT:
        EditFiles = 1;
        PassOn(name, nullptr);
        break;
    case ID_EDIT_FORMAT:
        EditFormat = value;
        PassOn(name, value);
        break;
    case ID_DRYRUN:
        DryRun = 1;
        break;
    case ID_VERBOSE:
        Verbose = 1;
        ArgAddTail(ArgLists[LIST_PRELINKER], name);
        PassOn(name, nullptr);
        break;
    case ID_WRAP:
        Wrap = 1;
        ToCompiler(name);
        PassOn(name, nullptr);
        break;
    case ID_WRITE_OPTIONS:
        WriteOptions = 1;
        PassOn(name, nullptr);
        break;
    case ID_DRIVER_NAME:
        SetProgName(value);
        for (const DriverName& entry : DriverNameTable) {
            if (std::string_view(value) == entry.name) {
                TempPrefix = entry.tempPrefix;
                break;
            }
        }
        PassOn(name, value);
        ToCompiler(name);
        ToCompiler(value);
        break;
    case ID_KEEP_TEMPS:
        KeepTemps = 1;
        PassOn(name, nullptr);
        break;
    case ID_OBJECT:
        Production = OUTPUT_OBJECT;
        break;
    case ID_ASSEMBLER:
        Production = OUTPUT_ASSEMBLER;
        break;
    case ID_PREPROCESS:
        Production = OUTPUT_PREPROCESSED;
        ToCompiler(name);
        break;
    case ID_PREPROCESSOR_FILES:
        WritePreprocessorFiles = 1;
        PassOn(name, nullptr);
        break;
    case ID_DEPENDENCIES:
        Production = OUTPUT_FILE_LIST;
        DepLink = 1;
        ToCompiler(name);
        break;
    case ID_DEPENDENCY_FILES:
        WriteDependencies = 1;
        PassOn(name, nullptr);
        break;
    case ID_PRINT_OUTPUT_FILE:
        PrintOutput = 1;
        break;
    case ID_OUTPUT:
        StrSet(FileLocs[LOC_OUTPUT], value);
        break;
    case ID_OUTPUT_DIR:
        if (ReportMissing && !FileDirectory(value))
            Error(LEVEL_FATAL, "Directory `%s' does not exist", value);
        StrSet(FileLocs[LOC_OUTPUT_DIR], value);
        PassOn(name, value);
        break;
    case ID_CPFE_ONLY:
        Production = OUTPUT_C;
        break;
    case ID_NO_CODE_GEN: // the same compiler word for all three synonyms
        Production = OUTPUT_NONE;
        ToCompiler("--no_code_gen");
        break;
    case ID_ONE_INSTANTIATION:
        TemplateRepository = 1;
        PassOn(name, nullptr);
        break;
    case ID_INSTANTIATION_DIR:
        StrSet(FileLocs[LOC_REPOSITORY], value);
        PassOn(name, value);
        break;
    case ID_REMOVE_INSTANTIATION_DIR:
        RemoveRepository = 1;
        break;
    case ID_PCH:
        PrecompiledHeaders = 1;
        PassOn(name, nullptr);
        ToCompiler(name);
        break;
    case ID_PCH_DIR:
        StrSet(FileLocs[LOC_PCH_DIR], value);
        PassOn(name, value);
        break;
    case ID_COMPONENT_DEBUG:
        DebugMask |= LeadingNumber(value);
        PassOn(name, value);
        break;
    case ID_DEBUG:
        ToCompiler(name);
        PassOn(name, nullptr);
        break;
    case ID_COMPONENT_TIME:
        Timing = 1;
        PassOn(name, nullptr);
        break;
    case ID_TIME_LIMIT:
        TimeLimit = LeadingNumber(value);
        PassOn(name, value);
        break;
    case ID_TI_FILES:
        UseInstFiles = 2;
        PassOn(name, nullptr);
        break;
    case ID_NO_TI_FILES:
        UseInstFiles = 0;
        PassOn(name, nullptr);
        break;
    default:
        break;
    }
}

void SetVirtLinkFiles(const char*, const char* value, int id)
{
    if (id == ID_VIRT_LINK)
        ArgAddTail(ArgLists[LIST_VIRT_LINK], value);
}

void SetLinkOpts(const char* name, const char* value, int id)
{
    switch (id) {
    case ID_LINK_DIR: {
        std::string word = JoinString(name, value);
        ArgAddTail(ArgLists[LIST_PRELINKER], word);
        ArgAddTail(ArgLists[LIST_LINKER], word);
        ArgAddTail(ArgLists[LIST_DLL_BUILDER], word);
        break;
    }
    case ID_LINK_ITEM:
        ArgAddTail(ArgLists[LIST_INPUTS], JoinString(name, value));
        break;
    case ID_LINK_WORD:
        ArgAddTail(ArgLists[LIST_INPUTS], name);
        break;
    default:
        break;
    }
}

// The compiler words of "+K0" to "+K3", indexed from ID_K0.
const std::vector<const char*> OptimizationSets[] = {
    {"--kai_optimize", "0", "--ellide_empty_destructor", "--no_dead_type", "--preserve_null_deref",
     "--no_unroll", "--no_restrict_new"},
    {"--kai_optimize", "1", "--ellide_empty_destructor", "--dead_type", "--preserve_null_deref",
     "--no_unroll", "--no_restrict_new"},
    {"--kai_optimize", "2", "--ellide_empty_destructor", "--dead_type", "--preserve_null_deref",
     "--no_unroll", "--no_restrict_new"},
    {"--kai_optimize", "3", "--ellide_empty_destructor", "--dead_type", "--dead_type",
     "--no_preserve_null_deref", "--unroll", "--restrict_new"},
};

void SetOptimization(const char* name, const char*, int id)
{
    if (id < ID_K0 || id > ID_K3)
        return;
    for (const char* word : OptimizationSets[id - ID_K0])
        ToCompiler(word);
    PassOn(name, nullptr);
}

// Reads the processor description file: every "Architecture" key selects the macros of
// its processor model. The value follows an "=" inside the key word, in the next word, or
// (when the "=" ends a word) in the word after that.
void ReadProcIniFile(const char*, const char* value, int id)
{
    if (id != ID_PROC)
        return;
    const std::vector<std::string> words = FileRead(value, nullptr);
    const std::size_t count = words.size();
    std::size_t i = 0;
    while (i < count) {
        const std::string& key = words[i];
        if (key.compare(0, 12, "Architecture") != 0) {
            ++i;
            continue;
        }
        std::size_t current = i;
        std::size_t equals = key.find('=');
        if (equals == std::string::npos) {
            if (++current == count)
                Error(LEVEL_FATAL, "Unrecognized Architecture key in`%s'", value);
            equals = words[current].find('=');
            if (equals == std::string::npos)
                Error(LEVEL_FATAL, "Unrecognized Architecture key in`%s'", value);
        }
        std::string model;
        if (equals + 1 == words[current].size()) {
            if (++current == count)
                Error(LEVEL_FATAL, "Unrecognized Architecture key in`%s'", value);
            model = words[current];
        } else {
            model = words[current].substr(equals + 1);
        }
        std::size_t family = model.find("6383");
        char variant = family == std::string::npos || family + 4 >= model.size() ? '\0' : model[family + 4];
        if (variant == '2') {
            ToCompiler("-D__KDSP63832__=1");
            ToCompiler("-D__KDSPTARVEX__=1");
        } else if (variant == '5') {
            ToCompiler("-D__KDSP63835__=1");
            ToCompiler("-D__KDSPTARVEX__=1");
        } else {
            Error(LEVEL_FATAL, "Unrecognized Architecture key `%s' in`%s'", words[current].c_str(), value);
        }
        i = current + 1;
    }
}

// Passes one front-end option to the compiler and to the recompilation command.
void SetFrontendOpts(const char* name, const char* value, int id)
{
    auto append = [](std::string_view word) {
        ToCompiler(word);
        ArgAddTail(ArgLists[LIST_RECOMPILE], word);
    };
    switch (id) {
    case ID_FE_JOINED:
        append(JoinString(name, value ? value : ""));
        return;
    case ID_FE_CPP:
        CPPLanguage = 1;
        break;
    case ID_FE_C:
        CPPLanguage = 0;
        break;
    case ID_FE_PLAIN:
        break;
    default:
        return;
    }
    append(name);
    if (value)
        append(value);
}

// The option files being read, innermost last: a file that names itself, directly or
// through others, is read once.
std::vector<std::string> OpenOptionFiles;

void ReadOptionFile(const char*, const char* value, int id)
{
    if (id != ID_OPTION_FILE)
        return;
    for (const std::string& open : OpenOptionFiles) {
        if (FileSame(open, value)) {
            Error(LEVEL_WARNING, "Ignoring recursive option file `%s'", value);
            return;
        }
    }
    OpenOptionFiles.emplace_back(value);
    const std::vector<std::string> words = FileRead(value, nullptr);
    for (std::size_t i = 0; i < words.size();) {
        const std::string* next = i + 1 < words.size() ? &words[i + 1] : nullptr;
        i += static_cast<std::size_t>(DriverProcessOption(words[i], next));
    }
    OpenOptionFiles.pop_back();
}

// The table ------------------------------------------------------------------------------

const OptionRecord OptionDataTable[] = {
    // component locations, default options and options
    {"--COMPP_fe", 1, ID_COMPP + COMP_FE, SetPath},
    {"--COMPP_fe_cc2s", 1, ID_COMPP + COMP_FE_CC2S, SetPath},
    {"--COMPP_fe_cc2c", 1, ID_COMPP + COMP_FE_CC2C, SetPath},
    {"--COMPP_fe_c", 1, ID_COMPP + COMP_FE_C, SetPath},
    {"--COMPP_fe_asm", 1, ID_COMPP + COMP_FE_ASM, SetPath},
    {"--COMPP_fe_app", 1, ID_COMPP + COMP_FE_APP, SetPath},
    {"--COMPP_fe_opp", 1, ID_COMPP + COMP_FE_OPP, SetPath},
    {"--COMPP_pl", 1, ID_COMPP + COMP_PL, SetPath},
    {"--COMPP_pl_nm", 1, ID_COMPP + COMP_PL_NM, SetPath},
    {"--COMPP_pl_ipa", 1, ID_COMPP + COMP_PL_IPA, SetPath},
    {"--COMPP_ln", 1, ID_COMPP + COMP_LN, SetPath},
    {"--COMPP_ln_exe2", 1, ID_COMPP + COMP_LN_EXE2, SetPath},
    {"--COMPP_ln_ar", 1, ID_COMPP + COMP_LN_AR, SetPath},
    {"--COMPP_ln_dy", 1, ID_COMPP + COMP_LN_DY, SetPath},
    {"--COMPP_decode", 1, ID_COMPP + COMP_DECODE, SetPath},
    {"--COMPP_debug", 1, ID_COMPP + COMP_DEBUG, SetPath},
    {"--COMPDO_fe", 1, ID_COMPDO + COMP_FE, SetDefOpts},
    {"--COMPDO_fe_cc2s", 1, ID_COMPDO + COMP_FE_CC2S, SetDefOpts},
    {"--COMPDO_fe_cc2c", 1, ID_COMPDO + COMP_FE_CC2C, SetDefOpts},
    {"--COMPDO_fe_c", 1, ID_COMPDO + COMP_FE_C, SetDefOpts},
    {"--COMPDO_fe_asm", 1, ID_COMPDO + COMP_FE_ASM, SetDefOpts},
    {"--COMPDO_fe_app", 1, ID_COMPDO + COMP_FE_APP, SetDefOpts},
    {"--COMPDO_fe_opp", 1, ID_COMPDO + COMP_FE_OPP, SetDefOpts},
    {"--COMPDO_pl", 1, ID_COMPDO + COMP_PL, SetDefOpts},
    {"--COMPDO_pl_nm", 1, ID_COMPDO + COMP_PL_NM, SetDefOpts},
    {"--COMPDO_pl_ipa", 1, ID_COMPDO + COMP_PL_IPA, SetDefOpts},
    {"--COMPDO_ln", 1, ID_COMPDO + COMP_LN, SetDefOpts},
    {"--COMPDO_ln_exe2", 1, ID_COMPDO + COMP_LN_EXE2, SetDefOpts},
    {"--COMPDO_ln_ar", 1, ID_COMPDO + COMP_LN_AR, SetDefOpts},
    {"--COMPDO_ln_dy", 1, ID_COMPDO + COMP_LN_DY, SetDefOpts},
    {"--COMPDO_decode", 1, ID_COMPDO + COMP_DECODE, SetDefOpts},
    {"--COMPDO_debug", 1, ID_COMPDO + COMP_DEBUG, SetDefOpts},
    {"--COMPO_fe", 1, ID_COMPO + COMP_FE, SetOpts},
    {"--COMPO_fe_cc2s", 1, ID_COMPO + COMP_FE_CC2S, SetOpts},
    {"--COMPO_fe_cc2c", 1, ID_COMPO + COMP_FE_CC2C, SetOpts},
    {"--COMPO_fe_c", 1, ID_COMPO + COMP_FE_C, SetOpts},
    {"--COMPO_fe_asm", 1, ID_COMPO + COMP_FE_ASM, SetOpts},
    {"--COMPO_fe_app", 1, ID_COMPO + COMP_FE_APP, SetOpts},
    {"--COMPO_fe_opp", 1, ID_COMPO + COMP_FE_OPP, SetOpts},
    {"--COMPO_pl", 1, ID_COMPO + COMP_PL, SetOpts},
    {"--COMPO_pl_nm", 1, ID_COMPO + COMP_PL_NM, SetOpts},
    {"--COMPO_pl_ipa", 1, ID_COMPO + COMP_PL_IPA, SetOpts},
    {"--COMPO_ln", 1, ID_COMPO + COMP_LN, SetOpts},
    {"--COMPO_ln_exe2", 1, ID_COMPO + COMP_LN_EXE2, SetOpts},
    {"--COMPO_ln_ar", 1, ID_COMPO + COMP_LN_AR, SetOpts},
    {"--COMPO_ln_dy", 1, ID_COMPO + COMP_LN_DY, SetOpts},
    {"--COMPO_decode", 1, ID_COMPO + COMP_DECODE, SetOpts},
    {"--COMPO_debug", 1, ID_COMPO + COMP_DEBUG, SetOpts},
    // implementation models
    {"--CIM1", 0, ID_CIM1, SetImpl},
    {"--CIM2s", 0, ID_CIM2S, SetImpl},
    {"--CIM2c", 0, ID_CIM2C, SetImpl},
    {"--PIM1", 0, ID_PIM1, SetImpl},
    {"--LIM1", 0, ID_LIM1, SetImpl},
    {"--LIM2", 0, ID_LIM2, SetImpl},
    {"--LIMst", 0, ID_LIMST, SetImpl},
    {"--LIMdy", 0, ID_LIMDY, SetImpl},
    {"--CCIM1", 0, ID_CCIM1, SetCycler},
    {"--CCIMp", 0, ID_CCIMP, SetCycler},
    {"--parallel_jobs", 1, ID_PARALLEL_JOBS, SetCycler},
    // control options
    {"--main", 0, ID_MAIN, SetControl},
    {"--ksplit", 0, ID_KSPLIT, SetControl},
    {"--no_ksplit", 0, ID_KSPLIT, SetControl},
    {"--ipa", 0, ID_IPA, SetControl},
    {"--no_ipa", 0, ID_NO_IPA, SetControl},
    {"--opa", 0, ID_OPA, SetControl},
    {"--no_opa", 0, ID_NO_OPA, SetControl},
    {"--prelink", 0, ID_PRELINK, SetControl},
    {"--no_prelink", 0, ID_NO_PRELINK, SetControl},
    {"--process_asm", 0, ID_PROCESS_ASM, SetControl},
    {"--no_process_asm", 0, ID_NO_PROCESS_ASM, SetControl},
    {"--process_object", 0, ID_PROCESS_OBJECT, SetControl},
    {"--no_process_object", 0, ID_NO_PROCESS_OBJECT, SetControl},
    {"--decode", 0, ID_DECODE, SetControl},
    {"--no_decode", 0, ID_NO_DECODE, SetControl},
    {"--parallel_build", 1, ID_PARALLEL_BUILD, SetControl},
    {"--dependency_build", 0, ID_DEPENDENCY_BUILD, SetControl},
    {"--dependency_graph", 0, ID_DEPENDENCY_GRAPH, SetControl},
    {"--edit", 0, ID_EDIT, SetControl},
    {"--edit_format", 1, ID_EDIT_FORMAT, SetControl},
    {"--dryrun", 0, ID_DRYRUN, SetControl},
    {"-v", 0, ID_VERBOSE, SetControl},
    {"--wrap", 0, ID_WRAP, SetControl},
    {"--write_options", 0, ID_WRITE_OPTIONS, SetControl},
    {"--driver_name", 1, ID_DRIVER_NAME, SetControl},
    {"-k", 0, ID_KEEP_TEMPS, SetControl},
    {"-c", 0, ID_OBJECT, SetControl},
    {"-S", 0, ID_ASSEMBLER, SetControl},
    {"--preprocess", 0, ID_PREPROCESS, SetControl},
    {"-E", 0, ID_PREPROCESS, SetControl},
    {"--no_line_commands", 0, ID_PREPROCESS, SetControl},
    {"-P", 0, ID_PREPROCESS, SetControl},
    {"--preprocessor_files", 0, ID_PREPROCESSOR_FILES, SetControl},
    {"--dependencies", 0, ID_DEPENDENCIES, SetControl},
    {"-M", 0, ID_DEPENDENCIES, SetControl},
    {"--trace_includes", 0, ID_DEPENDENCIES, SetControl},
    {"-H", 0, ID_DEPENDENCIES, SetControl},
    {"--dependency_files", 0, ID_DEPENDENCY_FILES, SetControl},
    {"--print_output_file", 0, ID_PRINT_OUTPUT_FILE, SetControl},
    {"--output", 1, ID_OUTPUT, SetControl},
    {"-o", 1, ID_OUTPUT, SetControl},
    {"--output_dir", 1, ID_OUTPUT_DIR, SetControl},
    {"-V", 0, ID_IGNORED, SetControl},
    {"-ids", 0, ID_IGNORED, SetControl},
    {"--cpfe_only", 0, ID_CPFE_ONLY, SetControl},
    {"--no_code_gen", 0, ID_NO_CODE_GEN, SetControl},
    {"-n", 0, ID_NO_CODE_GEN, SetControl},
    {"-y", 0, ID_NO_CODE_GEN, SetControl},
    {"--one_instantiation_per_object", 0, ID_ONE_INSTANTIATION, SetControl},
    {"--instantiation_dir", 1, ID_INSTANTIATION_DIR, SetControl},
    {"--remove_instantiation_dir", 0, ID_REMOVE_INSTANTIATION_DIR, SetControl},
    {"--pch", 0, ID_PCH, SetControl},
    {"--pch_dir", 1, ID_PCH_DIR, SetControl},
    {"--component_debug", 1, ID_COMPONENT_DEBUG, SetControl},
    {"--debug", 0, ID_DEBUG, SetControl},
    {"--component_time", 0, ID_COMPONENT_TIME, SetControl},
    {"--time_limit", 1, ID_TIME_LIMIT, SetControl},
    {"--ti_files", 0, ID_TI_FILES, SetControl},
    {"--no_ti_files", 0, ID_NO_TI_FILES, SetControl},
    // link options and extra link inputs
    {"-L", 1, ID_LINK_DIR, SetLinkOpts},
    {"-u", 1, ID_LINK_ITEM, SetLinkOpts},
    {"-l", 1, ID_LINK_ITEM, SetLinkOpts},
    {"-munch", 0, ID_LINK_WORD, SetLinkOpts},
    {"-Bstatic", 0, ID_LINK_WORD, SetLinkOpts},
    {"-Bdynamic", 0, ID_LINK_WORD, SetLinkOpts},
    {"--virt-link", 1, ID_VIRT_LINK, SetVirtLinkFiles},
    // optimisation sets
    {"+K0", 0, ID_K0, SetOptimization},
    {"+K1", 0, ID_K1, SetOptimization},
    {"+K2", 0, ID_K2, SetOptimization},
    {"+K3", 0, ID_K3, SetOptimization},
    // processor description file and option files
    {"--proc", 1, ID_PROC, ReadProcIniFile},
    {"--option_file", 1, ID_OPTION_FILE, ReadOptionFile},
    // front-end options passed through to the compiler
    {"-D", 1, ID_FE_JOINED, SetFrontendOpts},
    {"-U", 1, ID_FE_JOINED, SetFrontendOpts},
    {"-I", 1, ID_FE_JOINED, SetFrontendOpts},
    {"-e", 1, ID_FE_JOINED, SetFrontendOpts},
    {"-t", 1, ID_FE_JOINED, SetFrontendOpts},
    {"-d", 1, ID_FE_JOINED, SetFrontendOpts},
    {"-X", 1, ID_FE_JOINED, SetFrontendOpts},
    {"--val-global", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--assert", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--define_macro", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--undefine_macro", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--include_directory", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--preinclude", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--gp_limit", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--error_limit", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--diag_suppress", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--diag_remark", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--diag_warning", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--diag_error", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--instantiate", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--pending_instantiations", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--default_linkage", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--db", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--module_init", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--error_output", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--xref", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--list", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--definition_list_file", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--create_pch", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--use_pch", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--pch_mem", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--microsoft_version", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--double", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--pack_alignment", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--kai_optimize", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--inline_list", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--inline_auto_space_time", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--inline_keyword_space_time", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--ur", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--ur2", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--pass_list", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--depend_target", 1, ID_FE_PLAIN, SetFrontendOpts},
    {"--c++", 0, ID_FE_CPP, SetFrontendOpts},
    {"-p", 0, ID_FE_CPP, SetFrontendOpts},
    {"--cfront_2.1", 0, ID_FE_CPP, SetFrontendOpts},
    {"-b", 0, ID_FE_CPP, SetFrontendOpts},
    {"--cfront_3.0", 0, ID_FE_CPP, SetFrontendOpts},
    {"--c", 0, ID_FE_C, SetFrontendOpts},
    {"-m", 0, ID_FE_C, SetFrontendOpts},
    {"--old_c", 0, ID_FE_C, SetFrontendOpts},
    {"-K", 0, ID_FE_C, SetFrontendOpts},
    {"--comments", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"-C", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--old_line_commands", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--user_includes", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--version", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--trans_to_c_only", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_il_lowering", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"-N", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_warnings", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"-w", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--remarks", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"-r", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--display_error_number", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_use_before_set_warnings", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"-j", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--strict_warnings", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"-a", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--strict", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"-A", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--anachronisms", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_anachronisms", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--signed_chars", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"-s", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--unsigned_chars", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--signed_bitfields", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--unsigned_bitfields", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--suppress_vtbl", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--force_vtbl", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--auto_instantiation", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"-T", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_auto_instantiation", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--implicit_include", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"-B", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_implicit_include", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--suppress_instantiation_flags", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--distinct_template_signatures", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_distinct_template_signatures", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--nonstd_qualifier_deduction", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_nonstd_qualifier_deduction", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--expand_base_class", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_expand_base_class", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--exceptions", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"-x", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_exceptions", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--rtti", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_rtti", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--array_new_and_delete", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_array_new_and_delete", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--explicit", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_explicit", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--namespaces", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_namespaces", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--using_std", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_using_std", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--old_for_init", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--new_for_init", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--for_init_diff_warning", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_for_init_diff_warning", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--old_specializations", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_old_specializations", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--guiding_decls", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_guiding_decls", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--implicit_extern_c_type_conversion", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_implicit_extern_c_type_conversion", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--long_preserving_rules", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_long_preserving_rules", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--extern_inline", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_extern_inline", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--debugger_support", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_debugger_support", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--dollar", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"-$", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--timing", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"-#", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--pch_messages", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_pch_messages", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--restrict", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_restrict", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--output_restrict", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_output_restrict", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--long_lifetime_temps", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--short_lifetime_temps", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--netware", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--microsoft", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--microsoft_16", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_microsoft", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--microsoft_bugs", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_microsoft_bugs", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--far_data_pointers", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--near_data_pointers", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--far_code_pointers", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--near_code_pointers", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--wchar_t_keyword", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_wchar_t_keyword", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--bool", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_bool", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--binary_constants", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_binary_constants", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--typename", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_typename", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--implicit_typename", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_implicit_typename", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--special_subscript_cost", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_special_subscript_cost", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--alternative_tokens", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_alternative_tokens", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--multibyte_chars", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_multibyte_chars", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--long_doubles_are_doubles", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--inlining", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_inlining", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--mangle_member_names", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_mangle_member_names", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--mips3_mangling", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--remove_unneeded_entities", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_remove_unneeded_entities", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--svr4", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_svr4", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--brief_diagnostics", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_brief_diagnostics", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--wrap_diagnostics", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_wrap_diagnostics", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--nonconst_ref_anachronism", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_nonconst_ref_anachronism", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_preproc_only", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--old_style_preprocessing", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--building_runtime", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--embedded_c++", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--veltrix_mode", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--simd", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--veltrix_pipeline", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_veltrix_pipeline", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--vla", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_vla", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--enum_overloading", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_enum_overloading", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--late_tiebreaker", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--early_tiebreaker", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--global_data_is_volatile", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--unknown_control_flow_is_volatile", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--read_only_strings", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--class_name_injection", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_class_name_injection", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--friend_injection", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_friend_injection", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--kfront", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_kfront", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--kai_version", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--dead_type", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_dead_type", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--restrict_new", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_restrict_new", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--ellide_empty_destructor", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_ellide_empty_destructor", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--force_typeinfo_local", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--force_typeinfo_global", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--insert_trace", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_insert_trace", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--preserve_null_deref", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_preserve_null_deref", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--abstract_float", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_abstract_float", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--abstract_pointer", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_abstract_pointer", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--branch_skip", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_branch_skip", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--thread_safe", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_thread_safe", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--unroll", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--no_unroll", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--print_pass", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--output_dependencies", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--ilp32", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--ignore_main_dependency", 0, ID_FE_PLAIN, SetFrontendOpts},
    {"--ignore_preinclude_dependency", 0, ID_FE_PLAIN, SetFrontendOpts},
    {nullptr, 0, 0, nullptr},
};

constexpr int OPTION_ROWS = static_cast<int>(sizeof OptionDataTable / sizeof OptionDataTable[0]) - 1;
static_assert(OPTION_ROWS == 357, "the main driver knows 357 option names");

const OptionRecord* LookUp(const std::string& name)
{
    std::uint32_t row = SymSearch(OptionSymbolTable, name.c_str(), nullptr);
    return row ? &OptionDataTable[row - 1] : nullptr;
}

} // namespace

void LoadDriverOptions()
{
    for (int i = 0; i < OPTION_ROWS; ++i)
        SymInsert(OptionSymbolTable, OptionDataTable[i].name, nullptr, static_cast<std::uint32_t>(i + 1), 0);
}

int DriverProcessOption(const std::string& argument, const std::string* next)
{
    std::string name = argument;
    std::optional<std::string> value;
    std::size_t dashes = 0;
    while (dashes < name.size() && name[dashes] == '-')
        ++dashes;

    if (dashes == 1) {
        // Only these letters take a value written directly after them.
        constexpr std::string_view attached = "DILUXdeltou";
        if (name.size() > 2 && attached.find(name[1]) != std::string_view::npos) {
            value = name.substr(2);
            name.resize(2);
        }
    } else if (dashes == 2) {
        std::size_t equals = name.find('=');
        if (equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
    } else if (name.empty() || name[0] != '+') {
        ArgAddTail(ArgLists[LIST_INPUTS], argument);
        return 1;
    }

    const OptionRecord* row = LookUp(name);
    if (!row) {
        Error(LEVEL_FATAL, "Unrecognized option `%s'", name.c_str());
        return 1; // not reached
    }
    if (!row->takesArgument) {
        row->handler(row->name, nullptr, row->id);
        return 1;
    }
    if (value) {
        if (value->empty())
            Error(LEVEL_FATAL, "Missing argument for option `%s'", name.c_str());
        row->handler(row->name, value->c_str(), row->id);
        return 1;
    }
    if (!next) {
        Error(LEVEL_FATAL, "Missing argument for option `%s'", name.c_str());
        return 1; // not reached
    }
    row->handler(row->name, next->c_str(), row->id);
    return 2;
}

int DriverOptionRows()
{
    return OPTION_ROWS;
}

DriverOptionInfo DriverOptionRow(int index)
{
    const OptionRecord& row = OptionDataTable[index];
    return {row.name, row.takesArgument, row.id};
}
