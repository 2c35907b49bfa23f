// Temporary names, the deletion list and the environment record.
#include "file_temp.h"

#include <cerrno>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "cctrvx/globals.h"
#include "error.h"
#include "file_names.h"
#include "file_system.h"
#include "host/host.h"
#include "system.h"

std::optional<std::string> TempDir;
List DelFileList;
List EnvironList;

namespace {

unsigned long TempProcessId = 0;
bool TempProcessIdRead = false;
unsigned TempCounter = 0;

} // namespace

std::string FileTemp(const char* suffix)
{
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    if (!TempProcessIdRead) {
        TempProcessId = HostProcessId();
        TempProcessIdRead = true;
    }
    const unsigned counter = TempCounter;
    TempCounter = (TempCounter + 1) % 46656;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04lx%c%c%c", TempProcessId & 0xffff, digits[counter / 1296 % 36],
                  digits[counter / 36 % 36], digits[counter % 36]);
    std::string name = TempPrefix + buffer;
    if (suffix) {
        name += '.';
        name += suffix;
    }
    return name;
}

namespace {
void RemoveOnInterrupt();
}

void FileTempNewProcess()
{
    HostSignalBlock block;
    NewList(DelFileList);
    TempDir.reset();
    TempProcessIdRead = false;
}

void DelFileAdd(std::string_view name)
{
    HostSignalBlock block;
    ArgAddHead(DelFileList, name);
    InterruptCleanup = RemoveOnInterrupt;
}

void DelFileRemove(std::string_view name)
{
    HostSignalBlock block;
    if (Arg* arg = ArgLocateNext(DelFileList, name))
        ArgRemove(DelFileList, arg);
}

void EnvironRecord(std::string_view name, OptValue value)
{
    ArgAddTailOnce(EnvironList, name, value);
}

namespace {

// Companion files deleted with an object of the deletion list.
struct Companion {
    const char* suffix;
    bool wanted;
};

void ForEachCompanion(std::string_view object, void (*remove)(std::string_view))
{
    if (FileKindOf(object) != FILE_OBJECT)
        return;
    const Companion companions[] = {
        {".ii", UseInstFiles != 0},
        {".ti", UseInstFiles == 2},
        {".opa", IPAMode != 0},
        {".ipa", IPAMode == 2},
    };
    for (const Companion& companion : companions) {
        if (companion.wanted)
            remove(InstantiationFile(object, companion.suffix));
    }
}

// The companion name of an object without allocating: the suffix after the last dot of
// the file-name part is replaced. False when it does not fit.
bool CompanionSafely(const char* object, const char* suffix, char* buffer, std::size_t size)
{
    std::size_t length = std::strlen(object);
    std::size_t dot = length;
    for (std::size_t i = length; i-- > 0;) {
        if (object[i] == '\\' || object[i] == ':')
            break;
        if (object[i] == '.') {
            dot = i;
            break;
        }
    }
    const std::size_t suffixLength = std::strlen(suffix);
    if (dot + suffixLength + 1 > size)
        return false;
    std::memcpy(buffer, object, dot);
    std::memcpy(buffer + dot, suffix, suffixLength + 1);
    return true;
}

bool IsObjectSafely(const char* name)
{
    const char* dot = nullptr;
    for (const char* p = name; *p; ++p) {
        if (*p == '\\' || *p == ':')
            dot = nullptr;
        else if (*p == '.')
            dot = p;
    }
    if (!dot)
        return false;
    auto equals = [](const char* a, const char* b) {
        for (; *a && *b; ++a, ++b) {
            if (std::tolower(static_cast<unsigned char>(*a)) != *b)
                return false;
        }
        return *a == *b;
    };
    return equals(dot + 1, "doj") || equals(dot + 1, "obj") || equals(dot + 1, "o");
}

// The interrupt path: removes what is on the deletion list and the private temporary
// directory, using only what is safe in a signal handler. The list is never seen half
// updated: its updates block the signals.
void RemoveOnInterrupt()
{
    char buffer[4096];
    for (Arg* arg = ArgFirst(DelFileList); arg; arg = ArgNext(arg)) {
        const char* name = arg->name.c_str();
        HostUnlinkSafely(name);
        if (IsObjectSafely(name)) {
            const Companion companions[] = {
                {".ii", UseInstFiles != 0},
                {".ti", UseInstFiles == 2},
                {".opa", IPAMode != 0},
                {".ipa", IPAMode == 2},
            };
            for (const Companion& companion : companions) {
                if (companion.wanted && CompanionSafely(name, companion.suffix, buffer, sizeof buffer))
                    HostUnlinkSafely(buffer);
            }
        }
    }
    if (TempDir)
        HostRemoveSafely(TempDir->c_str());
}

} // namespace

void FileTempDir()
{
    // A fresh directory every time: a name that exists belongs to someone else (another
    // driver running at the same time) and is never removed or reused.
    for (int attempt = 0; attempt < 46656; ++attempt) {
        std::string path = BuildPath({FileLocs[LOC_TEMP].view(), FileTemp(nullptr)});
        if (Verbose && !ExpertLinker) {
            List words;
            ArgAddTail(words, path);
            ShowCommand(ShellCommandLine("mkdir", REDIRECT_BOTH_APPEND, "nul", words));
            ArgFreeList(words);
        }
        if (HostMakeDirectory(path, true)) {
            StrSet(FileLocs[LOC_TEMP], path);
            HostSignalBlock block;
            TempDir = path;
            InterruptCleanup = RemoveOnInterrupt;
            return;
        }
        if (HostErrno() != EEXIST)
            Error(LEVEL_FATAL, "Cannot create directory `%s'", path.c_str());
    }
    Error(LEVEL_FATAL, "Cannot create directory `%s'", FileLocs[LOC_TEMP].str);
}

std::string FreeTempFile(const char* suffix)
{
    std::string file;
    do {
        file = BuildPath({FileLocs[LOC_TEMP].view(), FileTemp(suffix)});
    } while (FileExists(file));
    return file;
}

void CheckTempFile(std::string& path)
{
    while (FileExists(path)) {
        std::string suffix(FileSuffix(path));
        path = BuildPath({FileLocs[LOC_TEMP].view(), FileTemp(suffix.empty() ? nullptr : suffix.c_str())});
    }
    if (!DryRun)
        DelFileAdd(path);
}

namespace {

// The deletion list holds files. A name on it that is a directory is an output that its
// tool could not write over, and the directory belongs to the user: it stays.
void RemoveListedFile(std::string_view name)
{
    HostFileStatus status;
    if (HostLinkStatus(name, status) && status.isDirectory)
        return;
    FileRemoveQuietly(name);
}

} // namespace

void DeleteTempFiles()
{
    static bool AlreadyDeleting = false;
    if (AlreadyDeleting)
        return;
    AlreadyDeleting = true;
    Handle(SignalMode::Ignore);
    // The program is ending: a file that cannot be removed is reported and the rest of
    // the list is still removed.
    ErrorMax = 0;
    while (Arg* arg = ArgFirst(DelFileList)) {
        const std::string name = arg->name;
        RemoveListedFile(name);
        ForEachCompanion(name, RemoveListedFile);
        HostSignalBlock block;
        ArgRemove(DelFileList, arg);
    }
    if (TempDir) {
        FileRemoveQuietly(*TempDir);
        HostSignalBlock block;
        TempDir.reset();
    }
    AlreadyDeleting = false;
}

std::string GetPathVar()
{
    std::optional<std::string> path = HostSearchPath();
    std::string value;
    if (!path || path->empty()) {
        Error(LEVEL_WARNING, "Environment variable %%%s%% is not set", "PATH");
        EnvironRecord("PATH", std::nullopt);
    } else {
        EnvironRecord("PATH", *path);
        value = *path;
    }
    // An empty element stands for the current directory; doubled backslashes go.
    std::string result;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == ';' && (i == 0 || value[i - 1] == ';')) {
            result += '.';
            if (i + 1 < value.size())
                result += ';';
            continue;
        }
        if (c == '\\' && i > 0 && value[i - 1] == '\\')
            continue;
        result += c;
    }
    return result;
}

std::optional<std::string> FindPathVar(std::string_view program, std::string_view pathList)
{
    std::size_t start = 0;
    while (start < pathList.size()) {
        std::size_t end = pathList.find(';', start);
        if (end == std::string_view::npos)
            end = pathList.size();
        std::string candidate = BuildPath({pathList.substr(start, end - start), program});
        if (FileExecutable(candidate) != 0)
            return candidate;
        start = end + 1;
    }
    return std::nullopt;
}

std::optional<std::string> FindFile(const List& directories, std::string_view name, bool allowRelative)
{
    if ((!name.empty() && name[0] == '\\') ||
        (name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':'))
        return std::nullopt;
    if (!allowRelative && (name.substr(0, 2) == ".\\" || name.substr(0, 3) == "..\\"))
        return std::nullopt;
    for (Arg* directory = ArgFirst(directories); directory; directory = ArgNext(directory)) {
        std::string candidate = BuildPath({directory->name, name});
        if (FileExists(candidate))
            return candidate;
    }
    return std::nullopt;
}

std::optional<std::string> FindLibrary(const List& directories, std::string_view library, bool allowDynamic)
{
    const std::string staticName = BuildString({"lib", library, ".", StandardSuffix(FILE_LIBRARY)});
    const char* dynamicSuffix = StandardSuffix(FILE_DLL);
    const bool dynamic = allowDynamic && dynamicSuffix[0] != '\0';
    const std::string dynamicName = BuildString({"lib", library, ".", dynamicSuffix});
    for (Arg* directory = ArgFirst(directories); directory; directory = ArgNext(directory)) {
        if (dynamic) {
            std::string candidate = BuildPath({directory->name, dynamicName});
            if (FileExists(candidate))
                return candidate;
        }
        std::string candidate = BuildPath({directory->name, staticName});
        if (FileExists(candidate))
            return candidate;
    }
    return std::nullopt;
}
