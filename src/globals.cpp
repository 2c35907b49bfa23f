// Definitions of the shared settings and tables, with their initial values.
#include "cctrvx/globals.h"

DString FileLocs[FILE_LOC_COUNT];
List ArgLists[ARG_LIST_COUNT];
int OptionTable[OPTION_TABLE_SIZE];
SymbolTable* OptionSymbolTable = nullptr;

int Production = OUTPUT_EXECUTABLE;
int Generate = GENERATE_ASSEMBLER;
int DryRun = 0;
int Verbose = 0;
int Wrap = 0;
int Timing = 0;
int ErrorRedirect = 1;
int ParallelMax = -1;
int KeepTemps = 0;
int ReportMissing = 1;
int ExpertLinker = 0;
int UseInstFiles = 0;
int IPAMode = 0;
int DebugMask = 0;
int HighSource = 0;
int ArgMax = 4096;
std::string TempPrefix = "qcc";
std::string PathList;

int UserOptions = 1;
int PassUnknown = 0;
int ExpandLibs = 0;
int no_dir_warn = 0;
int DynamicLink = -1;
int LastOptions = 0;
int HeaderCount = 0;
int ThreadSupport = 0;
List OptFileList;

int PerformPrelink = 0;
int PerformMemInit = 0;
int PreprocAsm = 0;
int PostprocObj = 0;
int DemangleOutput = 0;
int DepBuild = 0;
int DepDisplay = 0;
int EditFiles = 0;
std::optional<std::string> EditFormat;
int WriteOptions = 0;
int WritePreprocessorFiles = 0;
int WriteDependencies = 0;
int DepLink = 0;
int PrintOutput = 0;
int TemplateRepository = 0;
int RemoveRepository = 0;
int PrecompiledHeaders = 0;
int TimeLimit = 0;
int CPPLanguage = 0;
int ParallelProc = 0;
