// The program's entry: the user interface driver reads every configuration source,
// checks and translates the user's request and hands it to the main driver, or hands a
// "--main" command line straight to the main driver.
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "cctrvx/globals.h"
#include "driver.h"
#include "error.h"
#include "file_names.h"
#include "file_temp.h"
#include "host/host.h"
#include "main.h"
#include "system.h"

namespace {

int UserInterfaceDriver(std::vector<std::string>& arguments)
{
    // The main driver entry: the whole command line goes to Main unchanged.
    if (arguments.size() >= 2 && arguments[1] == "--main") {
        NewList(DelFileList);
        return Main(arguments);
    }

    // The program's name for messages: the last component of the first argument, without
    // an executable suffix.
    std::string program = HostName(arguments.empty() ? std::string("cctrvx") : arguments[0]);
    std::string name(FileName(program));
    if (FileKindOf(name) == FILE_EXECUTABLE)
        name.resize(name.size() - FileSuffix(name).size() - 1);
    SetProgName(name);

    // The environment of the run.
    Handle(Break);
    InitTables();
    Wrap = HostIsTerminal(stderr) ? 0 : 1;
    PathList = GetPathVar();
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

    SettleInstallDirectory();
    SettleCurrentDirectory();
    SettleTemporaryDirectory();

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

    if (ArgLists[LIST_SOURCES].count == 0) {
        FreeTables();
        Error(LEVEL_FATAL, "No source files specified - type `%s -help' for usage", ProgName);
    }
    return HandOff();
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
