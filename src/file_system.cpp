#include "file_system.h"

#include <cctype>
#include <cstdio>
#include <unordered_map>

#include "cctrvx/globals.h"
#include "dstring.h"
#include "args.h"
#include "error.h"
#include "file_names.h"
#include "file_optfile.h"
#include "file_temp.h"
#include "host/host.h"
#include "system.h"

namespace {

// Shows a file operation as its command-interpreter equivalent, appended to "nul",
// without running it.
void EchoOperation(const char* command, std::initializer_list<std::string_view> arguments)
{
    List words;
    for (std::string_view argument : arguments)
        ArgAddTail(words, argument);
    ShowCommand(ShellCommandLine(command, REDIRECT_BOTH_APPEND, "nul", words));
    ArgFreeList(words);
}

bool IsAbsolute(std::string_view path)
{
    return (!path.empty() && path[0] == '\\') ||
           (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' && path[2] == '\\');
}

// Removes one file; a failure is fatal, or only reported when `fatal` is false.
void RemoveFile(std::string_view path, bool fatal)
{
    if (Verbose)
        EchoOperation("del", {path});
    if (HostRemoveFile(path))
        return;
    HostFileStatus status;
    if (!HostLinkStatus(path, status))
        return; // already gone
    const std::string name(path);
    Error(fatal ? LEVEL_FATAL : LEVEL_ERROR, "Cannot remove `%s'", name.c_str());
}

void RemoveTree(std::string_view path, bool fatal);

void RemovePath(std::string_view path, bool fatal)
{
    HostFileStatus status;
    if (!HostLinkStatus(path, status))
        return;
    if (status.isDirectory) {
        if (Verbose && !ExpertLinker)
            EchoOperation("rd /s /q", {path});
        RemoveTree(path, fatal);
    } else {
        RemoveFile(path, fatal);
    }
}

// Removes a directory depth first. A symbolic link inside the tree is removed itself and
// never followed.
void RemoveTree(std::string_view path, bool fatal)
{
    HostFileStatus status;
    if (!HostLinkStatus(path, status) || !status.isDirectory) {
        RemoveFile(path, fatal);
        return;
    }
    if (std::optional<std::vector<std::string>> entries = HostListDirectory(path)) {
        for (const std::string& entry : *entries) {
            if (entry == "." || entry == "..")
                continue;
            std::string child = BuildPath({path, entry});
            HostFileStatus childStatus;
            if (HostLinkStatus(child, childStatus) && childStatus.isDirectory)
                RemoveTree(child, fatal);
            else
                RemoveFile(child, fatal);
        }
    }
    HostRemoveDirectory(path);
}

} // namespace

bool win_stat(std::string_view path, HostFileStatus& status)
{
    if (HostStatus(path, status))
        return true;
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\')
        return HostStatus(std::string(path) + "\\", status);
    return false;
}

int FileExists(std::string_view path)
{
    HostFileStatus status;
    return win_stat(path, status) ? 1 : 0;
}

int FileDirectory(std::string_view path)
{
    HostFileStatus status;
    return win_stat(path, status) && status.isDirectory ? 1 : 0;
}

long long FileTime(std::string_view path)
{
    HostFileStatus status;
    return win_stat(path, status) ? status.modified : 0;
}

char FileType(const HostFileStatus& status)
{
    if (status.isRegular)
        return '-';
    if (status.isDirectory)
        return 'd';
    if (status.isCharDevice)
        return 'c';
    if (status.isFifo)
        return 'p';
    return '?';
}

std::string FilePermissions(unsigned permissions)
{
    std::string text = "---------";
    const char letters[] = "rwx";
    for (int i = 0; i < 9; ++i) {
        if (permissions & (0400u >> i))
            text[static_cast<std::size_t>(i)] = letters[i % 3];
    }
    return text;
}

int FileWritable(std::string_view path)
{
    if (DryRun || !ReportMissing)
        return 1;
    const std::string name(path);
    bool reported = false;
    const bool exists = FileExists(name) != 0;
    std::string directory;
    if (!exists) {
        directory = FilePath(name);
        if (!directory.empty() && !FileExists(directory)) {
            Error(LEVEL_ERROR, "Directory `%s' does not exist", directory.c_str());
            reported = true;
        } else if (!directory.empty() && !FileDirectory(directory)) {
            Error(LEVEL_ERROR, "`%s' is not a directory", directory.c_str());
            reported = true;
        }
    }
    HostFileStatus status;
    if (!reported && !exists) {
        const std::string where = directory.empty() ? "." : directory;
        if (!HostAccess(where, HOST_WRITE)) {
            if (!win_stat(where, status))
                Error(LEVEL_FATAL_CLIB, "stat()");
            Error(LEVEL_ERROR, "Directory `%s' cannot be written to (%c%s)", where.c_str(), FileType(status),
                  FilePermissions(status.permissions).c_str());
            reported = true;
        }
    }
    if (exists) {
        if (FileDirectory(name)) {
            Error(LEVEL_ERROR, "`%s' is a directory", name.c_str());
            reported = true;
        } else if (!HostAccess(name, HOST_WRITE)) {
            if (!win_stat(name, status))
                Error(LEVEL_FATAL_CLIB, "stat()");
            Error(LEVEL_ERROR, "File `%s' cannot be overwritten (%c%s)", name.c_str(), FileType(status),
                  FilePermissions(status.permissions).c_str());
            reported = true;
        }
    }
    return reported ? 0 : 1;
}

int FileExecutable(std::string_view path, std::string* interpreter, List* arguments)
{
    HostFileStatus status;
    if (!win_stat(path, status) || status.isDirectory)
        return 0;
    const std::string name(path);
    FILE* file = HostOpenFile(name, "rb");
    if (!file)
        return 0;
    std::string line;
    int c = std::fgetc(file);
    if (c == '#' || c == '!') {
        line += static_cast<char>(c);
        while ((c = std::fgetc(file)) != EOF && c != '\n')
            line += static_cast<char>(c);
    }
    std::fclose(file);

    if (line.compare(0, 2, "#!") == 0) {
        // A script: its first line names the interpreter and the interpreter's arguments.
        std::vector<std::string> words = FileReadString(line.substr(2), nullptr);
        if (words.empty())
            return 0;
        std::optional<std::string> found;
        if (FileExists(words[0]) && !FileDirectory(words[0]) && HostAccess(words[0], HOST_READ) &&
            !FileSame(words[0], name)) {
            found = words[0];
        } else if (std::optional<std::string> hit = FindPathVar(FileName(words[0]), PathList);
                   hit && !FileDirectory(*hit) && !FileSame(*hit, name)) {
            found = hit;
        }
        if (!found)
            return 0;
        if (interpreter)
            *interpreter = *found;
        if (arguments) {
            for (std::size_t i = 1; i < words.size(); ++i)
                ArgAddTail(*arguments, words[i]);
        }
        return -1;
    }
    if (line.compare(0, 10, "!<symlink>") == 0) {
        // A link file: the rest of its first line is the target.
        std::string target = line.substr(10);
        if (!target.empty() && target.back() == '\r')
            target.pop_back();
        if (!IsAbsolute(target) && !target.empty())
            target = CompressPath(BuildPath({FilePath(name), target}));
        if (target.empty() || FileDirectory(target) || FileSame(target, name))
            return 0;
        const int kind = FileExecutable(target, interpreter, arguments);
        if (kind == 0)
            return 0;
        if (kind == 1) {
            if (interpreter)
                *interpreter = target;
            return -2;
        }
        return -1;
    }
    // Anything else is a program to start directly, when the host lets this user run it.
    return HostAccess(name, HOST_EXECUTE) ? 1 : 0;
}

int FileSame(std::string_view first, std::string_view second)
{
    return HostSameFile(first, second) ? 1 : 0;
}

std::optional<std::string> FileFullPath(std::string_view path)
{
    if (IsAbsolute(path))
        return CompressPath(path);
    std::string base(FileLocs[LOC_CWD].view());
    if (base.empty()) {
        std::optional<std::string> cwd = HostCurrentDirectory();
        if (!cwd)
            return std::nullopt;
        base = *cwd;
    }
    return CompressPath(BuildPath({base, path}));
}

void FileDuplicates(List& files, const char* word)
{
    // Two entries are the same when the host says they are the same file (device and
    // inode), or, when a file does not exist, when their full paths are equal. Each entry
    // is looked up once by that identity, so long lists stay fast.
    std::unordered_map<std::string, Arg*> first;
    for (Arg* arg = ArgFirst(files); arg;) {
        Arg* next = ArgNext(arg);
        const int kind = FileKindOf(arg->name);
        const bool option = !arg->name.empty() && (arg->name[0] == '-' || arg->name[0] == '+');
        if (kind == FILE_LIBRARY || kind == FILE_DLL || option) {
            arg = next;
            continue;
        }
        std::optional<std::string> full = FileFullPath(arg->name);
        if (!full) {
            Error(LEVEL_ERROR, "`%s' no longer exists", arg->name.c_str());
            ArgRemove(files, arg);
            arg = next;
            continue;
        }
        HostFileStatus status;
        const std::string identity = win_stat(*full, status)
                                         ? "file:" + std::to_string(status.device) + ":" + std::to_string(status.inode)
                                         : "path:" + *full;
        auto [entry, inserted] = first.emplace(identity, arg);
        if (!inserted) {
            const Arg* earlier = entry->second;
            if (EqualsIgnoringCase(earlier->name, arg->name))
                Error(LEVEL_WARNING, "Ignoring duplicate %s `%s'", word, arg->name.c_str());
            else
                Error(LEVEL_WARNING, "`%s' is the same %s as `%s' - ignoring", arg->name.c_str(), word,
                      earlier->name.c_str());
            ArgRemove(files, arg);
        }
        arg = next;
    }
}

void FileRemove(std::string_view path)
{
    RemovePath(path, true);
}

void FileRemoveQuietly(std::string_view path)
{
    RemovePath(path, false);
}

void DirRemove(std::string_view path)
{
    RemoveTree(path, true);
}

void MakeDirectory(std::string_view path)
{
    if (FileDirectory(path))
        return;
    if (Verbose && !ExpertLinker)
        EchoOperation("mkdir", {path});
    if (!HostMakeDirectory(path)) {
        const std::string name(path);
        Error(LEVEL_FATAL, "Cannot create directory `%s'", name.c_str());
    }
}

void ChangeDirectory(const char* path)
{
    const std::string target = path ? std::string(path) : std::string(FileLocs[LOC_CWD].view());
    if (DryRun || Verbose)
        std::fprintf(stderr, "\tcd %s\n", target.c_str());
    if (!DryRun && !HostChangeDirectory(target))
        Error(LEVEL_FATAL, "Cannot change directory to `%s'", target.c_str());
}

void AddArchiveFile(std::string_view, std::string_view) {}

void ListEnvironment()
{
    if (EnvironList.count == 0)
        return;
    ArgSort(EnvironList, CompareIgnoringCase);
    const std::string rule(72, '=');
    std::fprintf(stderr, "%s\n", rule.c_str());
    for (Arg* arg = ArgFirst(EnvironList); arg; arg = ArgNext(arg))
        std::fprintf(stderr, "%s=%s\n", arg->name.c_str(), arg->value ? arg->value->c_str() : "<unset>");
    std::fprintf(stderr, "%s\n", rule.c_str());
}

void FileHelp(std::string_view helpFile)
{
    // The help viewer of this host writes the help file to standard output.
    const std::string name(helpFile);
    if (Verbose || DryRun)
        EchoOperation("more", {name});
    FILE* file = HostOpenFile(name, "rb");
    bool shown = file != nullptr;
    if (file) {
        char buffer[65536];
        std::size_t count;
        while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            std::fwrite(buffer, 1, count, stdout);
        shown = !std::ferror(file) && std::fflush(stdout) == 0;
        std::fclose(file);
    }
    if (!shown)
        Error(LEVEL_FATAL, "Cannot display `%s'", name.c_str());
}

void FileEdit(std::string_view format, std::string_view file, std::string_view line)
{
    std::string command;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            const char next = format[i + 1];
            if (next == 'f' || next == 'n' || next == '%') {
                command += next == 'f' ? std::string(file) : next == 'n' ? std::string(line) : std::string("%");
                ++i;
                continue;
            }
        }
        command += format[i];
    }
    std::vector<std::string> words = FileReadString(command, nullptr);
    const std::string name(file);
    if (words.empty())
        Error(LEVEL_FATAL, "Cannot edit `%s'", name.c_str());
    List arguments;
    for (std::size_t i = 1; i < words.size(); ++i)
        ArgAddTail(arguments, words[i]);
    const int status = RunCommand(words[0], "", REDIRECT_NONE, "", arguments);
    ArgFreeList(arguments);
    if (status != 0)
        Error(LEVEL_FATAL, "Cannot edit `%s'", name.c_str());
}

void FileCopy(std::string_view source, std::string_view destination)
{
    const bool directory = FileDirectory(source) != 0;
    if (Verbose || DryRun)
        EchoOperation(directory ? "xcopy /e /h /i /k /q" : "copy", {source, destination});
    if (DryRun)
        return;
    if (!HostCopy(source, destination)) {
        const std::string from(source), to(destination);
        Error(LEVEL_FATAL, "Cannot copy `%s' to `%s'", from.c_str(), to.c_str());
    }
}

void FileMove(std::string_view source, std::string_view destination)
{
    if (Verbose || DryRun)
        EchoOperation("move", {source, destination});
    if (DryRun)
        return;
    if (!HostMove(source, destination)) {
        const std::string from(source), to(destination);
        Error(LEVEL_FATAL, "Cannot move `%s' to `%s'", from.c_str(), to.c_str());
    }
}
