// The global settings and tables shared by the two driver layers.
//
// The user interface driver fills them from the user's options and hands the run to the
// main driver in the same process, so every value written here by one layer is what the
// other layer starts with.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "dstring.h"
#include "list.h"
#include "symtab.h"

// Location slots of FileLocs ----------------------------------------------------------

enum LocationSlot : int {
    LOC_INSTALL = 0,        // installation directory
    LOC_CWD = 1,            // current directory at start-up
    LOC_TEMP = 2,           // temporary directory (then the private one)
    LOC_DRIVER = 6,         // main driver
    LOC_COMPILER = 7,
    LOC_C_COMPILER = 8,     // system C compiler
    LOC_ASSEMBLER = 9,
    LOC_ASM_PREPROC = 10,   // assembler preprocessor ("compactor")
    LOC_OBJ_POSTPROC = 11,  // object postprocessor
    LOC_PRELINKER = 12,
    LOC_PRELINKER_NM = 13,  // the prelinker's symbol lister
    LOC_PRELINKER_IPA = 14, // the prelinker's IPA solver
    LOC_PROFILER = 15,
    LOC_PGUIDE_FILE = 16,   // profile-guided optimisation feedback file
    LOC_LINKER = 17,
    LOC_ARCHIVER = 18,      // library builder
    LOC_DLL_BUILDER = 19,   // dynamic link library builder
    LOC_MEM_INIT = 20,      // memory initializer
    LOC_DEMANGLER = 21,
    LOC_DEBUGGER = 22,
    LOC_ARCH_FILE = 23,     // architecture description file (-T)
    LOC_DEF_FILE = 24,      // main driver definition file
    LOC_MAP_FILE = 25,      // link map (-map)
    LOC_PPLIST_FILE = 26,   // preprocessor listing (-pplist)
    LOC_XREF_FILE = 27,     // cross-reference listing (-xref)
    LOC_REPOSITORY = 29,    // template instantiation directory
    LOC_PCH_DIR = 30,       // precompiled header directory
    LOC_OUTPUT_DIR = 31,
    LOC_OUTPUT = 32,
    LOC_MAKE_RULES = 33,    // make-rules target (-Mt)
    LOC_ARCHIVE = 34,       // archive to build (-archive)
    LOC_PROC_ID = 35,       // processor identifier (-proc)
};
constexpr int FILE_LOC_COUNT = 36;

// Argument list slots of ArgLists -----------------------------------------------------

enum ListSlot : int {
    LIST_ECHO = 0,           // user interface driver: the user's words, for -show
    LIST_RECOMPILE = 0,      // main driver: the recompilation command
    LIST_DEFERRED = 1,       // option-file words after a '|'
    LIST_SOURCES = 2,        // user interface driver: the source list
    LIST_INPUTS = 2,         // main driver: inputs and position-dependent link items
    LIST_PROFILE_DATA = 3,
    LIST_PENDING = 4,        // queued translations
    LIST_DRIVER = 5,         // destination d: the main driver itself
    LIST_COMPILER = 6,       // c
    LIST_CODEGEN = 7,        // i: the compiler's code generator
    LIST_C_COMPILER = 8,     // s: the system C compiler
    LIST_ASSEMBLER = 9,      // a
    LIST_ASM_PREPROC = 10,   // A
    LIST_OBJ_POSTPROC = 11,  // O
    LIST_PRELINKER = 12,     // p
    LIST_PRELINKER_NM = 13,  // n
    LIST_PRELINKER_IPA = 14, // (no tag)
    LIST_PROFILER = 15,      // P
    LIST_LINKER = 16,        // l
    LIST_ARCHIVER = 17,      // r
    LIST_DLL_BUILDER = 18,   // b
    LIST_MEM_INIT = 19,      // m
    LIST_DEMANGLER = 20,     // g
    LIST_DEBUGGER = 21,      // x
    LIST_TESTARGS = 22,
    LIST_ASSERTIONS = 23,
    LIST_MACROS = 24,
    LIST_UNDEFINES = 25,
    LIST_PREINCLUDES = 26,
    LIST_INCLUDE_DIRS = 27,
    LIST_SYS_INCLUDE_DIRS = 28,
    LIST_LIB_DIRS = 29,
    LIST_SYS_LIB_DIRS = 30,
    LIST_SOURCE_DIRS = 31,
    LIST_RESERVED_REGS = 32,
    LIST_DIAG_SUPPRESS = 34,
    LIST_DIAG_REMARK = 35,
    LIST_DIAG_WARNING = 36,
    LIST_DIAG_ERROR = 37,
    LIST_MAIN_COMMAND = 38,
    LIST_MAIN_OPTIONS = 39,
    LIST_VIRT_LINK = 40,
};
constexpr int ARG_LIST_COUNT = 41;

// Output kinds (Production) -----------------------------------------------------------

enum OutputKind : int {
    OUTPUT_NONE = 0,
    OUTPUT_FILE_LIST = 1,
    OUTPUT_C = 2,
    OUTPUT_PREPROCESSED = 3,
    OUTPUT_ASSEMBLER = 4,
    OUTPUT_OBJECT = 5,
    OUTPUT_LIBRARY = 6,
    OUTPUT_DLL = 7,
    OUTPUT_RELOCATABLE = 8,
    OUTPUT_EXECUTABLE = 9,
};

// Code-generation models (Generate) ---------------------------------------------------

enum GenerateModel : int {
    GENERATE_C = 1,
    GENERATE_ASSEMBLER = 2,
    GENERATE_OBJECT = 3,
};

// The shared tables ------------------------------------------------------------------

constexpr int OPTION_TABLE_SIZE = 329;

extern DString FileLocs[FILE_LOC_COUNT];
extern List ArgLists[ARG_LIST_COUNT];
extern int OptionTable[OPTION_TABLE_SIZE]; // one flag per user option identifier
extern SymbolTable* OptionSymbolTable;     // the option dictionary of the running layer

// Settings of both layers --------------------------------------------------------------

extern int Production;      // output kind of the run
extern int Generate;        // how a compiled source reaches its object
extern int DryRun;          // show commands without running them
extern int Verbose;         // show commands as they run
extern int Wrap;            // wrap long commands when showing them
extern int Timing;          // time each command
extern int ErrorRedirect;   // write " 2>&1" in shown redirections
extern int ParallelMax;     // -1: one tool at a time
extern int KeepTemps;       // keep intermediate files, named after their sources
extern int ReportMissing;   // report missing files and directories
extern int ExpertLinker;    // the linker is only shown, never run
extern int UseInstFiles;    // 0 none, 1 ".ii" files, 2 ".ti" files too
extern int IPAMode;         // 0 off, 1 ".opa" files, 2 ".ipa" files too
extern int DebugMask;       // components that run under the debugger
extern int HighSource;      // the highest input kind seen
extern int ArgMax;          // the longest command line handed over directly
extern std::string TempPrefix; // prefix of temporary file names
extern std::string PathList;   // the normalised PATH

// Settings of the user interface driver ---------------------------------------------------

extern int UserOptions;     // option words are recorded for -show
extern int PassUnknown;     // unrecognised options go to the main driver
extern int ExpandLibs;      // resolve "-l" words to library files
extern int no_dir_warn;     // no warning for missing directories
extern int DynamicLink;     // link mode of following libraries: 1, 0, -1
extern int LastOptions;     // the deferred words are being read
extern int HeaderCount;     // header files named as input
extern int ThreadSupport;   // thread-safe run-time libraries are available
extern List OptFileList;    // the option files being read, innermost last

// Settings of the main driver ---------------------------------------------------------

extern int PerformPrelink;
extern int PerformMemInit;
extern int PreprocAsm;
extern int PostprocObj;
extern int DemangleOutput;
extern int DepBuild;
extern int DepDisplay;
extern int EditFiles;
extern std::optional<std::string> EditFormat;
extern int WriteOptions;
extern int WritePreprocessorFiles;
extern int WriteDependencies;
extern int DepLink;
extern int PrintOutput;
extern int TemplateRepository;
extern int RemoveRepository;
extern int PrecompiledHeaders;
extern int TimeLimit;
extern int CPPLanguage;
extern int ParallelProc;    // jobs running in the parallel runner
