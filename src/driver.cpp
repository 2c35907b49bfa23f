// The main driver's flow: from its argument list to the product.
#include "driver.h"

#include <cctype>
#include <optional>

#include "cctrvx/globals.h"
#include "args.h"
#include "driver_options.h"
#include "error.h"
#include "file_names.h"
#include "deps.h"
#include "file_match.h"
#include "file_system.h"
#include "file_temp.h"
#include "build.h"
#include "host/host.h"
#include "system.h"

namespace {

void CreateTables()
{
    OptionSymbolTable = SymCreate(0);
    LoadDriverOptions();
    for (DString& location : FileLocs)
        location = StrCreate(0);
    for (List& list : ArgLists)
        ArgFreeList(list);
    ArgFreeList(EnvironList);
}

void FreeDriverTables()
{
    ArgFreeList(EnvironList);
    for (List& list : ArgLists)
        ArgFreeList(list);
    for (DString& location : FileLocs)
        StrDelete(location);
    SymDelete(OptionSymbolTable);
    OptionSymbolTable = nullptr;
}

void TemplateSettings()
{
    if (CPPLanguage == 0) {
        UseInstFiles = 0;
        TemplateRepository = 0;
    } else if (UseInstFiles == 0) {
        UseInstFiles = 1;
    }
    if (IPAMode)
        UseInstFiles = 2;
    DString& repository = FileLocs[LOC_REPOSITORY];
    if (repository.len == 0)
        StrSet(repository, TemplateRepository ? "TPRepository" : ".");
    if (TemplateRepository) {
        ArgAddTail(ArgLists[LIST_COMPILER], "--one_instantiation_per_object");
        ArgAddTail(ArgLists[LIST_PRELINKER], "-O");
        MakeDirectory(repository.view());
    }
}

void PrecompiledHeaderSettings()
{
    DString& directory = FileLocs[LOC_PCH_DIR];
    if (directory.len == 0)
        StrSet(directory, PrecompiledHeaders ? "PCHRepository" : ".");
    if (PrecompiledHeaders)
        MakeDirectory(directory.view());
}

// The instantiation directory is removed with everything in it, but never when it is the
// start-up directory, one of its ancestors or a root, however it is written.
void RemoveRepositoryDirectory()
{
    const std::string repository(FileLocs[LOC_REPOSITORY].view());
    std::optional<std::string> full = FileFullPath(repository);
    std::optional<std::string> start = FileFullPath(FileLocs[LOC_CWD].view());
    if (!full || !start)
        return;
    auto folded = [](std::string_view path) {
        std::string text = FoldCase(path);
        while (text.size() > 1 && text.back() == '\\' && !(text.size() == 3 && text[1] == ':'))
            text.pop_back();
        return text;
    };
    const std::string target = folded(*full);
    const std::string here = folded(*start);
    const bool root = target == "\\" || (target.size() <= 3 && target.size() >= 2 && target[1] == ':') ||
                      target.empty();
    const bool ancestor = here == target || (here.compare(0, target.size(), target) == 0 &&
                                             (target.back() == '\\' || here[target.size()] == '\\'));
    if (root || ancestor)
        return;
    FileRemove(repository);
}

} // namespace

int Main(const std::vector<std::string>& arguments)
{
    // The name at the start of every message: the file-name part of the first argument
    // without an executable suffix.
    std::string program = HostName(arguments.empty() ? std::string("cctrvx") : arguments[0]);
    std::string name(FileName(program));
    if (FileKindOf(name) == FILE_EXECUTABLE)
        name.resize(name.size() - FileSuffix(name).size() - 1);
    SetProgName(name);

    Handle(Break);
    CreateTables();
    GraphCreate();
    PathList = GetPathVar();
    Wrap = HostIsTerminal(stderr) ? 0 : 1;
    TempPrefix = "qzr";
    static bool exitHandlerRegistered = false;
    if (!exitHandlerRegistered) {
        if (!HostAtExit(DeleteTempFiles))
            Error(LEVEL_FATAL_CLIB, "atexit()");
        exitHandlerRegistered = true;
    }
    ErrorRedirect = IsWindowsNT();
    ArgMax = 4096;
    ArgAddTail(ArgLists[LIST_RECOMPILE], arguments.empty() ? std::string() : arguments[0]);

    std::optional<std::string> cwd = HostCurrentDirectory();
    if (!cwd)
        Error(LEVEL_FATAL_CLIB, "getcwd()");
    StrSet(FileLocs[LOC_CWD], *cwd);

    // Without TMP the host's own temporary directory is used.
    std::optional<std::string> tmp = HostGetEnv("TMP");
    if (!tmp || tmp->empty())
        tmp = HostTemporaryDirectory();
    StrSet(FileLocs[LOC_TEMP], HostName(*tmp));
    if (FileLocs[LOC_TEMP].view() == "/" || FileLocs[LOC_TEMP].view() == "\\")
        AddChar(FileLocs[LOC_TEMP], '.');

    if (arguments.size() < 2)
        Error(LEVEL_FATAL, "No arguments specified");
    for (std::size_t i = 1; i < arguments.size();) {
        const std::string* next = i + 1 < arguments.size() ? &arguments[i + 1] : nullptr;
        i += static_cast<std::size_t>(DriverProcessOption(arguments[i], next));
    }
    // Errors counted while the options were read (an option file that cannot be read)
    // end the run before anything is built.
    if (ErrorNum > 0)
        ErrorExit();

    TemplateSettings();
    PrecompiledHeaderSettings();
    if (DepLink && HighSource == FILE_OBJECT)
        Production = OUTPUT_EXECUTABLE;
    List& inputs = ArgLists[LIST_INPUTS];
    for (Arg* input = ArgFirst(inputs); input;) {
        Arg* next = ArgNext(input);
        if (!FileRequired(input->name, Production))
            ArgRemove(inputs, input);
        input = next;
    }
    GraphBuild(inputs, Production);
    if (DepBuild)
        GraphDepend(Production);
    if (DepDisplay)
        GraphDisplay();
    if (PrintOutput)
        Makefile();
    else
        Build();
    if (TemplateRepository && RemoveRepository)
        RemoveRepositoryDirectory();

    GraphDelete();
    FreeDriverTables();
    return 0;
}
