// Input files: classification of each word, the source list and its link modes, and the
// preprocessor and directory lists turned into main driver options.
#include <string>

#include "cctrvx/globals.h"
#include "args.h"
#include "error.h"
#include "file_match.h"
#include "file_names.h"
#include "file_optfile.h"
#include "file_system.h"
#include "file_temp.h"
#include "machine.h"
#include "main.h"
#include "option.h"

namespace {

const char* LinkMode()
{
    return DynamicLink == 1 ? "d" : DynamicLink == 0 ? "s" : "";
}

void RaiseHighSource(int kind)
{
    if (HigherSource(kind, HighSource))
        HighSource = kind;
}

bool Given(std::uint32_t id)
{
    return OptionTable[id] != 0;
}

} // namespace

void ProcessFile(const std::string& word)
{
    std::string name = word;
    if (ArgLists[LIST_SOURCE_DIRS].count > 0) {
        if (std::optional<std::string> found = FindFile(ArgLists[LIST_SOURCE_DIRS], word, false))
            name = *found;
    }
    const int kind = FileKindOf(name);
    if (kind == FILE_OPTIONS) {
        std::string option = "-@";
        ProcessOption(2, option, &name);
        return;
    }
    if (kind == FILE_C_HEADER || kind == FILE_CXX_HEADER) {
        std::string option = "-include";
        ProcessOption(2, option, &name);
        ++HeaderCount;
        return;
    }
    if (UserOptions)
        ArgAddTail(ArgLists[LIST_ECHO], name);
    std::string path = name;
    FilterPath(path);
    const bool exists = FileExists(path) != 0;
    if (!exists && ReportMissing) {
        Error(LEVEL_ERROR, "`%s' does not exist:", name.c_str());
        return;
    }
    if (exists && FileDirectory(path)) {
        Error(LEVEL_ERROR, "`%s' is a directory", name.c_str());
        return;
    }
    switch (kind) {
    case FILE_NONE:
        Error(LEVEL_ERROR, "`%s' has no suffix", name.c_str());
        return;
    case FILE_PROFILE:
        ArgAddTail(ArgLists[LIST_PROFILE_DATA], name);
        return;
    case FILE_EXECUTABLE:
        Error(LEVEL_ERROR, "`%s' is an executable file", name.c_str());
        return;
    case FILE_UNRECOGNIZED:
        if (!PassUnknown) {
            Error(LEVEL_ERROR, "`%s' has an unrecognized suffix", name.c_str());
            return;
        }
        break;
    default:
        break;
    }
    RaiseHighSource(kind);
    ArgAddTail(ArgLists[exists ? LIST_SOURCES : LIST_VIRT_LINK], name, LinkMode());
}

int ProcessDirectory(const std::string& directory)
{
    List names;
    FileExpand(BuildPath({directory, "*"}), names);
    int count = 0;
    for (Arg* arg = ArgFirst(names); arg; arg = ArgNext(arg)) {
        const int kind = FileKindOf(arg->name);
        if ((kind != FILE_C && kind != FILE_CXX) || !FileExists(arg->name) || FileDirectory(arg->name))
            continue;
        if (UserOptions)
            ArgAddTail(ArgLists[LIST_ECHO], arg->name);
        RaiseHighSource(kind);
        ArgAddTail(ArgLists[LIST_SOURCES], arg->name, LinkMode());
        ++count;
    }
    ArgFreeList(names);
    return count;
}

void ProcessFiles()
{
    if (Given(OPT_M) && HighSource == FILE_OBJECT) {
        Production = OUTPUT_EXECUTABLE;
        ArgAddTail(ArgLists[LIST_LINKER], "-M");
    }
    if (!Given(OPT_no_defs) && (Production == OUTPUT_DLL || Production == OUTPUT_EXECUTABLE))
        DefaultFiles();
    List& sources = ArgLists[LIST_SOURCES];
    FileDuplicates(sources, "file");
    const bool cxx = Given(OPT_cxx) || Given(OPT_ansi_cxx);
    const bool links = Production == OUTPUT_DLL || Production == OUTPUT_EXECUTABLE;
    for (Arg* node = ArgFirst(sources); node;) {
        Arg* next = ArgNext(node);
        if (!cxx && FileKindOf(node->name) == FILE_CXX) {
            Error(LEVEL_WARNING, "`%s' is a C++ source file - ignoring", node->name.c_str());
            ArgRemove(sources, node);
        } else if (!FileRequired(node->name, Production)) {
            ArgRemove(sources, node);
        } else if (links) {
            // A marker wherever the link mode changes.
            const std::string mode = node->value.value_or("");
            if (DynamicLink != 1 && mode.find('d') != std::string::npos) {
                DynamicLink = 1;
                if (!ExpandLibs)
                    ArgPrepend(sources, node, "-Bdynamic");
            } else if (DynamicLink != 0 && mode.find('s') != std::string::npos) {
                DynamicLink = 0;
                if (!ExpandLibs)
                    ArgPrepend(sources, node, "-Bstatic");
            }
        }
        node = next;
    }
}

void ProcessLists()
{
    // Assertions.
    List& assertions = ArgLists[LIST_ASSERTIONS];
    List words;
    for (Arg* node = ArgFirst(assertions); node; node = ArgNext(node)) {
        ArgAddTail(words, "--assert");
        ArgAddTail(words, node->value ? node->name + "(" + *node->value + ")" : node->name);
    }
    ArgFreeList(assertions);
    JoinList(assertions, words);

    // Macro definitions; a macro that is also undefined reaches the main driver only as
    // an undefinition.
    List& macros = ArgLists[LIST_MACROS];
    List& undefines = ArgLists[LIST_UNDEFINES];
    for (Arg* node = ArgFirst(macros); node; node = ArgNext(node)) {
        if (!ArgLocateNext(undefines, node->name))
            ArgAddTail(words, "-D" + node->name + "=" + node->value.value_or(""));
    }
    ArgFreeList(macros);
    JoinList(macros, words);
    for (Arg* node = ArgFirst(undefines); node; node = ArgNext(node))
        ArgAddTail(words, "-U" + node->name);
    ArgFreeList(undefines);
    JoinList(undefines, words);

    // Include directories: the default ones after the user's.
    List& includes = ArgLists[LIST_INCLUDE_DIRS];
    FileDuplicates(ArgLists[LIST_SYS_INCLUDE_DIRS], "system include directory");
    JoinList(includes, ArgLists[LIST_SYS_INCLUDE_DIRS]);
    FileDuplicates(includes, "include directory");

    // Headers included first.
    List& headers = ArgLists[LIST_PREINCLUDES];
    for (Arg* header = ArgFirst(headers); header; header = ArgNext(header)) {
        if (std::optional<std::string> found = FindFile(includes, header->name, true))
            header->name = *found;
    }
    if (headers.count == 1) {
        ArgAddHead(headers, "--preinclude");
    } else if (headers.count > 1) {
        const std::string file = FreeTempFile("h");
        DelFileAdd(file);
        if (!FileWriteHeaders(file)) {
            FreeTables();
            Error(LEVEL_FATAL, "Cannot create temporary file");
        }
        ArgAddTail(headers, "--preinclude");
        ArgAddTail(headers, file);
        ArgAddTailOnce(ArgLists[LIST_DRIVER], "--ignore_preinclude_dependency");
    }
    if (headers.count > 0 && HeaderCount > 0 && !KeepTemps)
        ArgAddTailOnce(includes, ".");

    for (Arg* node = ArgFirst(includes); node; node = ArgNext(node))
        ArgAddTail(words, "-I" + node->name);
    ArgFreeList(includes);
    JoinList(includes, words);

    // Library directories: the default ones after the user's.
    List& libraries = ArgLists[LIST_LIB_DIRS];
    FileDuplicates(ArgLists[LIST_SYS_LIB_DIRS], "system library directory");
    JoinList(libraries, ArgLists[LIST_SYS_LIB_DIRS]);
    FileDuplicates(libraries, "library directory");
    for (Arg* node = ArgFirst(libraries); node; node = ArgNext(node))
        ArgAddTail(words, "-L" + node->name);
    ArgFreeList(libraries);
    JoinList(libraries, words);
}

void VirtualLinkStart()
{
    List& sources = ArgLists[LIST_SOURCES];
    List& virtuals = ArgLists[LIST_VIRT_LINK];
    if (sources.count > 0 || virtuals.count == 0)
        return;
    Arg* first = ArgFirst(virtuals);
    Remove(virtuals, first);
    AddTail(sources, first);
    OptionTable[OPT_no_prelink] = 1;
    IPAMode = 0;
    PerformPrelink = 0;
}

void ResolveLibraries()
{
    if (!ExpandLibs)
        return;
    for (Arg* node = ArgFirst(ArgLists[LIST_SOURCES]); node; node = ArgNext(node)) {
        if (node->name.compare(0, 2, "-l") != 0)
            continue;
        const std::string mode = node->value.value_or("");
        const bool dynamic =
            mode.find('d') != std::string::npos || (DynamicLink == 1 && mode.find('s') == std::string::npos);
        const std::string library = node->name.substr(2);
        std::optional<std::string> found = FindLibrary(ArgLists[LIST_LIB_DIRS], library, dynamic);
        if (!found)
            found = FindLibrary(ArgLists[LIST_SYS_LIB_DIRS], library, dynamic);
        if (!found)
            Error(LEVEL_FATAL, "Cannot locate library for option `%s'", node->name.c_str());
        node->name = *found;
        RaiseHighSource(FileKindOf(*found));
    }
}

void ArchiveSources()
{
    if (FileLocs[LOC_ARCHIVE].len == 0)
        return;
    for (Arg* node = ArgFirst(ArgLists[LIST_SOURCES]); node; node = ArgNext(node)) {
        if (!node->name.empty() && node->name[0] != '-' && node->name[0] != '+')
            AddArchiveFile(FileLocs[LOC_ARCHIVE].view(), node->name);
    }
}

void RewriteLibraries()
{
    for (Arg* node = ArgFirst(ArgLists[LIST_SOURCES]); node; node = ArgNext(node)) {
        if (node->name.compare(0, 2, "-l") == 0)
            node->name = "lib" + node->name.substr(2) + ".dlb";
    }
}
