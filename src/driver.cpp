// The main driver's flow: from its argument list to the product.
#include "driver.h"

#include <optional>

#include "cctrvx/globals.h"
#include "args.h"
#include "driver_options.h"
#include "error.h"
#include "file_names.h"
#include "file_temp.h"
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
    Wrap = HostIsTerminal(stderr) ? 0 : 1;
    TempPrefix = "qzr";
    if (!HostAtExit(DeleteTempFiles))
        Error(LEVEL_FATAL_CLIB, "atexit()");
    ErrorRedirect = 1;
    ArgMax = 4096;
    ArgAddTail(ArgLists[LIST_RECOMPILE], arguments.empty() ? std::string() : arguments[0]);

    std::optional<std::string> cwd = HostCurrentDirectory();
    if (!cwd)
        Error(LEVEL_FATAL_CLIB, "getcwd()");
    StrSet(FileLocs[LOC_CWD], *cwd);

    std::optional<std::string> tmp = HostGetEnv("TMP");
    StrSet(FileLocs[LOC_TEMP], tmp && !tmp->empty() ? *tmp : std::string("\\"));
    if (FileLocs[LOC_TEMP].view() == "/" || FileLocs[LOC_TEMP].view() == "\\")
        AddChar(FileLocs[LOC_TEMP], '.');

    if (arguments.size() < 2)
        Error(LEVEL_FATAL, "No arguments specified");
    for (std::size_t i = 1; i < arguments.size();) {
        const std::string* next = i + 1 < arguments.size() ? &arguments[i + 1] : nullptr;
        i += static_cast<std::size_t>(DriverProcessOption(arguments[i], next));
    }

    FreeDriverTables();
    return 0;
}
