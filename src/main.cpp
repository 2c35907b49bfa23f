// The program's entry: the user interface driver reads every configuration source,
// checks and translates the user's request and hands it to the main driver, or hands a
// "--main" command line straight to the main driver.
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "cctrvx/globals.h"
#include "args.h"
#include "driver.h"
#include "error.h"
#include "file_match.h"
#include "file_names.h"
#include "file_optfile.h"
#include "file_system.h"
#include "file_temp.h"
#include "host/host.h"
#include "machine.h"
#include "main.h"
#include "option.h"
#include "option_help.h"
#include "system.h"

namespace {

bool Given(std::uint32_t id)
{
    return OptionTable[id] != 0;
}

// The main driver's options (slot 39): after the component words, the preprocessor
// lists when a source is compiled, the main driver's own options, the library
// directories of a link, and the edit, precompiled-header and output directory settings.
void AssembleMainOptions()
{
    List& options = ArgLists[LIST_MAIN_OPTIONS];
    if (HigherSource(HighSource, FILE_ASSEMBLER) ||
        (Production == OUTPUT_PREPROCESSED && HighSource == FILE_ASSEMBLER)) {
        for (int list : {LIST_ASSERTIONS, LIST_MACROS, LIST_UNDEFINES, LIST_INCLUDE_DIRS, LIST_PREINCLUDES})
            JoinList(options, ArgLists[list]);
    }
    JoinList(options, ArgLists[LIST_DRIVER]);
    if (Production == OUTPUT_DLL || Production == OUTPUT_RELOCATABLE || Production == OUTPUT_EXECUTABLE)
        JoinList(options, ArgLists[LIST_LIB_DIRS]);
    if (EditFormat) {
        ArgAddTail(options, "--edit_format");
        ArgAddTail(options, *EditFormat);
    }
    if (PrecompiledHeaders) {
        if (FileLocs[LOC_PCH_DIR].len == 0)
            StrSet(FileLocs[LOC_PCH_DIR], "PCHRepository");
        ArgAddTail(options, "--pch_dir");
        ArgAddTail(options, FileLocs[LOC_PCH_DIR].view());
    }
    if (FileLocs[LOC_OUTPUT_DIR].len > 0) {
        ArgAddTail(options, "--output_dir");
        ArgAddTail(options, FileLocs[LOC_OUTPUT_DIR].view());
    }
}

int UserInterfaceDriver(std::vector<std::string>& arguments)
{
    // The main driver entry: the whole command line goes to Main unchanged.
    if (arguments.size() >= 2 && arguments[1] == "--main") {
        NewList(DelFileList);
        return Main(arguments);
    }

    // The program's name for messages: the last component of the first argument, without
    // an executable suffix.
    const std::string program = HostName(arguments.empty() ? std::string("cctrvx") : arguments[0]);
    std::string name(FileName(program));
    if (FileKindOf(name) == FILE_EXECUTABLE)
        name.resize(name.size() - FileSuffix(name).size() - 1);
    SetProgName(name);

    // The environment of the run.
    Handle(Break);
    InitTables();
    PathList = GetPathVar();
    Wrap = HostIsTerminal(stderr) ? 0 : 1;
    ThreadSupport = ThreadSafe();
    TempPrefix = "qcc";
    ErrorRedirect = IsWindowsNT();
    if (!HostAtExit(DeleteTempFiles))
        Error(LEVEL_FATAL_CLIB, "atexit()");
    ArgMax = 4096;

    // The configuration sources, the command line and the deferred options.
    std::vector<std::string> words(arguments.begin() + (arguments.empty() ? 0 : 1), arguments.end());
    ReadConfigurationSources(words);
    UserOptions = 0;

    if (Given(OPT_h)) {
        Help();
        FreeTables();
        return 0;
    }
    if (Given(OPT_full_version) || Given(OPT_v))
        Version();
    if (Given(OPT_show)) {
        ArgAddHead(ArgLists[LIST_ECHO], program);
        ShowCommand(ArgList2String(' ', ArgEscapeSpec, ArgQuoteSpec, ArgLists[LIST_ECHO]));
    }

    SettleInstallDirectory();
    SettleCurrentDirectory();
    SettleTemporaryDirectory();

    if (Given(OPT_man)) {
        const std::uint32_t errors = ErrorNum;
        ManualPage(BuildPath({FileLocs[LOC_INSTALL].view(), "man", "cat1", "cctrvx.1"}));
        FreeTables();
        // A manual page that cannot be shown is a failure of the run.
        return ErrorNum > errors ? 1 : 0;
    }
    if (arguments.size() <= 1) {
        const std::string help = BuildPath({FileLocs[LOC_INSTALL].view(), "man", "cctrvx.hlp"});
        if (FileExists(help)) {
            FileHelp(help);
            FreeTables();
            return 0;
        }
    }
    if (EditFiles) {
        std::optional<std::string> format = HostGetEnv("EDIT_FORMAT");
        if (format && !format->empty()) {
            EditFormat = *format;
            EnvironRecord("EDIT_FORMAT", *format);
        } else {
            EnvironRecord("EDIT_FORMAT", std::nullopt);
        }
    }
    if (FileLocs[LOC_OUTPUT_DIR].view() == ".")
        StrSet(FileLocs[LOC_OUTPUT_DIR], "");

    // Sources: test programs, a virtual link, output naming, the implied options.
    TestPrograms();
    VirtualLinkStart();
    if (ArgLists[LIST_SOURCES].count == 0)
        NoSourceFiles();
    OutputNaming();
    LanguageOptions();
    OptimizeOptions();
    PlatformOptions();
    ProcessFiles();

    // Defaults, translations, lists and components.
    DefaultLists();
    ResolveLibraries();
    ArchiveSources();
    ProcessOptions();
    ProcessLists();
    ProcessComponents();

    // The main driver's argument list.
    AssembleMainOptions();
    std::string redirection;
    OutputFileChecks(redirection);
    RewriteLibraries();
    for (Arg* link = ArgFirst(ArgLists[LIST_VIRT_LINK]); link; link = ArgNext(link)) {
        ArgAddTail(ArgLists[LIST_MAIN_COMMAND], "--virt-link");
        ArgAddTail(ArgLists[LIST_MAIN_COMMAND], link->name);
    }
    OptionListFiles();

    if (Given(OPT_show))
        ListEnvironment();
    return HandOff(redirection);
}

} // namespace

int main(int argc, char** argv)
{
    InstallMemoryHandler();
    try {
        std::vector<std::string> arguments(argv, argv + argc);
        return UserInterfaceDriver(arguments);
    } catch (const std::bad_alloc&) {
        Error(LEVEL_MEMORY, nullptr);
    } catch (const std::exception& exception) {
        Error(LEVEL_INTERNAL, "%s", exception.what());
    }
    return 1;
}
