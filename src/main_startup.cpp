// The user interface driver's tables, the reading of words, and the hand-off to the
// main driver.
#include <cctype>
#include <cstdio>

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
#include "main.h"
#include "option.h"
#include "option_table.h"
#include "system.h"

void InitTables()
{
    OptionSymbolTable = SymCreate(0);
    LoadOptionTable();
    for (DString& location : FileLocs)
        location = StrCreate(0);
    for (List& list : ArgLists)
        ArgFreeList(list);
    ArgFreeList(OptFileList);
    ArgFreeList(EnvironList);
}

void FreeTables()
{
    ArgFreeList(EnvironList);
    ArgFreeList(OptFileList);
    for (List& list : ArgLists)
        ArgFreeList(list);
    for (DString& location : FileLocs)
        StrDelete(location);
    SymDelete(OptionSymbolTable);
    OptionSymbolTable = nullptr;
}

namespace {

// Control characters in a word become blanks.
void Blank(std::string& word)
{
    for (char& c : word) {
        if (std::iscntrl(static_cast<unsigned char>(c)))
            c = ' ';
    }
}

} // namespace

void ReadArgs(std::vector<std::string>& words)
{
    const int count = static_cast<int>(words.size());
    if (count > 0)
        Blank(words[0]);
    int index = 0;
    while (index < count) {
        if (index + 1 < count)
            Blank(words[index + 1]);
        std::string& word = words[index];
        const char first = word.empty() ? '\0' : word[0];
        if (first != '-' && first != '+' && first != '@') {
            if (!word.empty()) {
                for (char& c : word) {
                    if (c == '/')
                        c = '\\';
                }
                // A wildcard pattern stands for the files it matches; one that matches
                // nothing is a name like any other.
                List names;
                if (FileExpand(word, names) == 0)
                    ProcessFile(word);
                for (Arg* name = ArgFirst(names); name; name = ArgNext(name))
                    ProcessFile(name->name);
                ArgFreeList(names);
            }
            ++index;
            continue;
        }
        const int left = count - index;
        std::string* next = index + 1 < count ? &words[index + 1] : nullptr;
        int remaining;
        if (first == '@') {
            std::string option = "-" + word;
            remaining = ProcessOption(left, option, next);
        } else {
            remaining = ProcessOption(left, word, next);
        }
        if (remaining <= 0)
            return;
        index += left - remaining;
    }
}

int HandOff(const std::string& redirection)
{
    const std::string path = CompressPath(ProgramName());
    const std::string file(FileName(path));
    const std::string directory = FilePath(path);
    if (ErrorNum > 0)
        ErrorExit();
    List& command = ArgLists[LIST_MAIN_COMMAND];
    ArgAddHead(command, "--main");
    const int mode = redirection.empty() ? REDIRECT_NONE : REDIRECT_OUTPUT;
    if (DryRun || Verbose) {
        // The command is shown the way the main driver would be started, so that it can
        // be run again unchanged.
        DryRun = 1;
        RunCommand(file, directory, mode, redirection, command);
        DryRun = OptionTable[OPT_dryrun];
    }
    ArgAddHead(command, path);
    if (DryRun)
        return 0;
    int saved = -1;
    if (!redirection.empty()) {
        // The output file is being written: a failed or interrupted run removes it.
        DelFileAdd(redirection);
        saved = HostRedirectStandardOutput(redirection);
        if (saved < 0)
            Error(LEVEL_FATAL_CLIB, redirection);
    }
    std::vector<std::string> arguments = ArgList2Array(nullptr, nullptr, command);
    FreeTables();
    const int result = Main(arguments);
    if (saved >= 0) {
        if (!HostRestoreStandardOutput(saved))
            Error(LEVEL_FATAL_CLIB, "dup2()");
        DelFileRemove(redirection);
    }
    return result;
}

namespace {

// Reads an options file as if "-@" and its path had been given.
void ReadOptionsFile(const std::string& path)
{
    std::string option = "-@";
    std::string argument = path;
    ProcessOption(2, option, &argument);
}

} // namespace

void ReadConfigurationSources(std::vector<std::string>& commandLine)
{
    List holding;
    if (std::optional<std::string> ignore = HostGetEnv("CCTRVX_IGNORE_ENV")) {
        EnvironRecord("CCTRVX_IGNORE_ENV", *ignore);
    } else {
        EnvironRecord("CCTRVX_IGNORE_ENV", std::nullopt);
        std::optional<std::string> homeFile;
        if (std::optional<std::string> home = HomeDir()) {
            std::string path = BuildPath({*home, ".cctrvx_options"});
            if (FileExists(path) && !FileDirectory(path)) {
                ReadOptionsFile(path);
                JoinList(holding, ArgLists[LIST_DEFERRED]);
                homeFile = path;
            }
        }
        const std::string local = ".cctrvx_options";
        if (FileExists(local) && !FileDirectory(local) && !(homeFile && FileSame(*homeFile, local))) {
            ReadOptionsFile(local);
            JoinList(ArgLists[LIST_DEFERRED], holding);
        }
        std::vector<std::string> words = FileReadVar("CCTRVX_OPTIONS", &holding);
        JoinList(holding, ArgLists[LIST_DEFERRED]);
        ReadArgs(words);
    }

    ReadArgs(commandLine);

    LastOptions = 1;
    JoinList(ArgLists[LIST_DEFERRED], holding);
    if (ArgLists[LIST_DEFERRED].count > 0) {
        std::vector<std::string> deferred = ArgList2Array(nullptr, nullptr, ArgLists[LIST_DEFERRED]);
        ArgFreeList(ArgLists[LIST_DEFERRED]);
        ReadArgs(deferred);
    }
}

void SettleInstallDirectory()
{
    DString& install = FileLocs[LOC_INSTALL];
    if (install.len == 0) {
        if (std::optional<std::string> path = ReadRegistry("Software\\Veltrix\\Prismade", "Install Path")) {
            std::string value = *path;
            StrSet(install, FilterPath(value));
        }
    }
    if (install.len == 0) {
        std::optional<std::string> value = HostGetEnv("VLX_DSP");
        if (!value || value->empty()) {
            FreeTables();
            Error(LEVEL_FATAL, "Environment variable %%%s%% is not set", "VLX_DSP");
        }
        EnvironRecord("VLX_DSP", *value);
        std::string path = HostName(*value);
        StrSet(install, FilterPath(path));
    }
    if (!HostPutEnvPath("VLX_DSP", std::string(install.view())))
        Error(LEVEL_FATAL_CLIB, "putenv()");
}

void SettleCurrentDirectory()
{
    std::optional<std::string> cwd = HostCurrentDirectory();
    if (!cwd)
        Error(LEVEL_FATAL_CLIB, "getcwd()");
    StrSet(FileLocs[LOC_CWD], *cwd);
}

void SettleTemporaryDirectory()
{
    DString& temp = FileLocs[LOC_TEMP];
    if (temp.len == 0) {
        // Where the temporary directory is not given, the host's own is used.
        const std::string fallback = HostTemporaryDirectory();
        std::optional<std::string> value = HostGetEnv("TMP");
        if (!value || value->empty()) {
            EnvironRecord("TMP", std::nullopt);
            StrSet(temp, fallback);
        } else if (std::string name = HostName(*value); !FileDirectory(name)) {
            if (ReportMissing) {
                Error(LEVEL_WARNING, "Directory '%s' does not exist. TEMP ignored.", name.c_str());
                Error(LEVEL_WARNING, "Using directory '%s' for temporary files.\n", fallback.c_str());
            }
            EnvironRecord("TMP", std::nullopt);
            StrSet(temp, fallback);
        } else {
            EnvironRecord("TMP", *value);
            StrSet(temp, name);
        }
    }
    if (temp.view() == "/" || temp.view() == "\\")
        AddChar(temp, '.');
    FileTempDir();
    if (!HostPutEnvPath("TMP", std::string(temp.view())))
        Error(LEVEL_FATAL_CLIB, "putenv()");
}
