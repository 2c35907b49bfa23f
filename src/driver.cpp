// The main driver's flow: from its argument list to the product.
#include "driver.h"

#include <cstring>

#include "cctrvx/globals.h"
#include "args.h"
#include "error.h"
#include "file_names.h"
#include "file_temp.h"
#include "host/host.h"
#include "system.h"

namespace {

using OptionHandler = void (*)(const char* name, const char* value, int id);

struct OptionRecord {
    const char* name;
    int takesArgument;
    int id;
    OptionHandler handler;
};

enum ControlId { CONTROL_MAIN = 1 };

void SetControl(const char* name, const char* value, int id)
{
    if (id == CONTROL_MAIN)
        ArgAddTail(ArgLists[LIST_RECOMPILE], name);
    (void)value;
}

const OptionRecord OptionDataTable[] = {
    {"--main", 0, CONTROL_MAIN, SetControl},
    {nullptr, 0, 0, nullptr},
};

const OptionRecord* LookUp(const std::string& name)
{
    const void* data = nullptr;
    std::uint32_t row = SymSearch(OptionSymbolTable, name.c_str(), &data);
    return row ? &OptionDataTable[row - 1] : nullptr;
}

// Recognises one argument; returns how many arguments it consumed (1 or 2).
int ProcessOption(const std::string& argument, const std::string* next)
{
    std::string name = argument;
    std::optional<std::string> value;
    std::size_t dashes = 0;
    while (dashes < name.size() && name[dashes] == '-')
        ++dashes;
    if (dashes == 1) {
        if (name.size() > 2 && std::strchr("DILUXdeltou", name[1])) {
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
    if (!row)
        Error(LEVEL_FATAL, "Unrecognized option `%s'", name.c_str());
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
    if (!next)
        Error(LEVEL_FATAL, "Missing argument for option `%s'", name.c_str());
    row->handler(row->name, next->c_str(), row->id);
    return 2;
}

void CreateTables()
{
    OptionSymbolTable = SymCreate(0);
    for (std::uint32_t i = 0; OptionDataTable[i].name; ++i)
        SymInsert(OptionSymbolTable, OptionDataTable[i].name, nullptr, i + 1, 0);
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
        i += static_cast<std::size_t>(ProcessOption(arguments[i], next));
    }

    FreeDriverTables();
    return 0;
}
