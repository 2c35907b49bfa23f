// The handlers of options with an argument: directory lists, comma lists, diagnostic
// numbers, values that become translations, macros and assertions, files, libraries,
// locations, the processor, debugging components and option files.
#include "option_handlers.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <vector>

#include "cctrvx/globals.h"
#include "dstring.h"
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

// The pieces of an argument split at every one of the separators.
std::vector<std::string> Split(const std::string& argument, const char* separators)
{
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (true) {
        std::size_t end = argument.find_first_of(separators, start);
        pieces.push_back(argument.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return pieces;
        start = end + 1;
    }
}

// The pieces of a comma list in which "\," is a comma inside a piece.
std::vector<std::string> SplitEscaped(const std::string& argument)
{
    std::vector<std::string> pieces(1);
    for (std::size_t i = 0; i < argument.size(); ++i) {
        if (argument[i] == '\\' && i + 1 < argument.size() && argument[i + 1] == ',') {
            pieces.back() += ',';
            ++i;
        } else if (argument[i] == ',') {
            pieces.emplace_back();
        } else {
            pieces.back() += argument[i];
        }
    }
    return pieces;
}

// A whole number that fills the text.
bool WholeNumber(const std::string& text, long& value)
{
    return !text.empty() && CheckInteger(text, value) == static_cast<int>(text.size());
}

// A queued translation of an earlier use of the option is replaced, with a warning.
void ReplaceQueued(const std::string& name)
{
    if (Arg* earlier = ArgLocateNext(ArgLists[LIST_PENDING], name)) {
        Error(LEVEL_WARNING, "Ignoring previous `%s' option", name.c_str());
        ArgRemove(ArgLists[LIST_PENDING], earlier);
    }
}

void Queue(const std::string& name, const std::string& translation)
{
    ArgAddTail(ArgLists[LIST_PENDING], name, translation);
}

// -I, -L and -R: directories separated by ';' or ','.
void DirectoryList(std::uint32_t id, const std::string& name, const std::string& argument)
{
    const int list = id == OPT_I ? LIST_INCLUDE_DIRS : id == OPT_L ? LIST_LIB_DIRS : LIST_SOURCE_DIRS;
    if (id == OPT_R)
        ArgFreeList(ArgLists[LIST_SOURCE_DIRS]);
    for (const std::string& piece : Split(argument, ";,")) {
        if (piece.empty()) {
            Error(LEVEL_WARNING, "Empty directory for option `%s'", name.c_str());
            continue;
        }
        std::string path = piece;
        FilterPath(path);
        if (!FileExists(path)) {
            if (!no_dir_warn)
                Error(LEVEL_WARNING, "`%s' does not exist", piece.c_str());
            continue;
        }
        if (!FileDirectory(path)) {
            Error(id == OPT_R ? LEVEL_ERROR : LEVEL_WARNING, "`%s' is not a directory", piece.c_str());
            continue;
        }
        if (id == OPT_R) {
            bool duplicate = false;
            for (Arg* other = ArgFirst(ArgLists[LIST_SOURCE_DIRS]); other && !duplicate; other = ArgNext(other)) {
                std::string otherPath = other->name;
                if (!FileSame(FilterPath(otherPath), path))
                    continue;
                duplicate = true;
                if (EqualsIgnoringCase(other->name, piece))
                    Error(LEVEL_WARNING, "Ignoring duplicate source directory `%s'", piece.c_str());
                else
                    Error(LEVEL_WARNING, "`%s' is the same source directory as `%s' - ignoring", piece.c_str(),
                          other->name.c_str());
            }
            if (duplicate)
                continue;
        }
        ArgAddTail(ArgLists[list], piece);
    }
}

int FlagsList(std::uint32_t id)
{
    switch (id) {
    case OPT_flags_driver:
        return LIST_DRIVER;
    case OPT_flags_compiler:
        return LIST_COMPILER;
    case OPT_flags_asm:
        return LIST_ASSEMBLER;
    case OPT_flags_gco:
        return LIST_ASM_PREPROC;
    case OPT_flags_prelink:
        return LIST_PRELINKER;
    case OPT_flags_prof:
        return LIST_PROFILER;
    case OPT_flags_link:
        return LIST_LINKER;
    case OPT_flags_lib:
        return LIST_ARCHIVER;
    case OPT_flags_demangle:
        return LIST_DEMANGLER;
    default:
        return LIST_DEBUGGER;
    }
}

// The -flags options, -999 and -reserve: comma lists with escaped commas.
void CommaList(std::uint32_t id, const std::string& name, const std::string& argument)
{
    for (const std::string& piece : SplitEscaped(argument)) {
        if (piece.empty()) {
            Error(LEVEL_WARNING, "Empty argument for option `%s'", name.c_str());
            continue;
        }
        if (id == OPT_999) {
            Queue(piece, piece + "(i)");
        } else if (id == OPT_reserve) {
            const int index = CheckRegister(piece);
            if (index < 0) {
                Error(LEVEL_ERROR, "Cannot reserve register `%s'", piece.c_str());
            } else if (!ArgLocateNext(ArgLists[LIST_RESERVED_REGS], piece)) {
                ArgAddTail(ArgLists[LIST_RESERVED_REGS], piece);
                DefResRegMacro(index);
            }
        } else {
            ArgAddTail(ArgLists[FlagsList(id)], piece);
        }
    }
}

// -Werror, -Wremark, -Wsuppress, -Wwarn: diagnostic numbers, each in one list.
void DiagnosticNumbers(std::uint32_t id, const std::string& name, const std::string& argument)
{
    const int target = id == OPT_Werror ? LIST_DIAG_ERROR
                       : id == OPT_Wremark ? LIST_DIAG_REMARK
                       : id == OPT_Wsuppress ? LIST_DIAG_SUPPRESS
                                             : LIST_DIAG_WARNING;
    for (const std::string& piece : Split(argument, ",")) {
        if (piece.empty()) {
            Error(LEVEL_WARNING, "Missing error number for option `%s'", name.c_str());
            continue;
        }
        long number = 0;
        if (!WholeNumber(piece, number)) {
            Error(LEVEL_ERROR, "Bad numeric argument `%s' for option `%s'", piece.c_str(), name.c_str());
            continue;
        }
        if (number < 1 || number > 65535) {
            Error(LEVEL_ERROR, "Illegal error number `%s' for option `%s'", piece.c_str(), name.c_str());
            continue;
        }
        const std::string decimal = std::to_string(number);
        if (ArgLocateNext(ArgLists[target], decimal)) {
            Error(LEVEL_WARNING, "Ignoring duplicate error number `%s' for option `%s'", decimal.c_str(), name.c_str());
            continue;
        }
        for (int other : {LIST_DIAG_SUPPRESS, LIST_DIAG_REMARK, LIST_DIAG_WARNING, LIST_DIAG_ERROR}) {
            if (other == target)
                continue;
            if (Arg* earlier = ArgLocateNext(ArgLists[other], decimal)) {
                Error(LEVEL_WARNING, "Overriding previous status of error number `%s' for option `%s'",
                      decimal.c_str(), name.c_str());
                ArgRemove(ArgLists[other], earlier);
            }
        }
        ArgAddTail(ArgLists[target], decimal);
    }
}

void AutoInline(const std::string& name, const std::string& argument)
{
    if (argument.empty()) {
        Error(LEVEL_ERROR, "Missing argument for option `%s'", name.c_str());
        return;
    }
    double ratio = 0;
    // Numbers that are not finite ("inf", "nan", an overflow) are not ratios.
    if (CheckFloat(argument, ratio) != static_cast<int>(argument.size()) || !std::isfinite(ratio)) {
        Error(LEVEL_ERROR, "Bad numeric argument `%s' for option `%s'", argument.c_str(), name.c_str());
        return;
    }
    if (ratio < 0) {
        Error(LEVEL_ERROR, "Illegal space/time ratio `%s' for option `%s'", argument.c_str(), name.c_str());
        return;
    }
    ReplaceQueued(name);
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", ratio);
    Queue(name, std::string("--inline_auto_space_time=") + text + "(d)");
}

void ErrorLimit(const std::string& name, const std::string& argument)
{
    long limit = 0;
    if (argument.empty()) {
        Error(LEVEL_ERROR, "Missing argument for option `%s'", name.c_str());
    } else if (!WholeNumber(argument, limit)) {
        Error(LEVEL_ERROR, "Bad numeric argument `%s' for option `%s'", argument.c_str(), name.c_str());
    } else if (limit < 1) {
        Error(LEVEL_ERROR, "Illegal error limit `%s' for option `%s'", argument.c_str(), name.c_str());
    } else {
        ReplaceQueued(name);
        Queue(name, "--error_limit=" + std::to_string(limit) + "(d)");
    }
}

void SpeedVersusSize(const std::string& name, const std::string& argument)
{
    long value = 0;
    if (argument.empty())
        Error(LEVEL_ERROR, "Missing argument for option '%s'", name.c_str());
    else if (!WholeNumber(argument, value))
        Error(LEVEL_ERROR, "Bad numeric argument '%s' for option '%s'", argument.c_str(), name.c_str());
    else if (value < 0 || value > 100)
        Error(LEVEL_ERROR, "Illegal value for option '%s'", name.c_str());
    ArgAddTail(ArgLists[LIST_CODEGEN], "-O");
    Queue(name, "-opt_speed_vs_size=" + std::to_string(value) + "(i)");
}

void DriverLimit(const std::string& name, const std::string& argument)
{
    long limit = 0;
    if (argument.empty())
        Error(LEVEL_ERROR, "Missing argument for option `%s'", name.c_str());
    else if (!WholeNumber(argument, limit))
        Error(LEVEL_ERROR, "Bad numeric argument `%s' for option `%s'", argument.c_str(), name.c_str());
    else if (limit < 0)
        Error(LEVEL_ERROR, "Illegal error limit `%s' for option `%s'", argument.c_str(), name.c_str());
    else
        ErrorMax = static_cast<std::uint32_t>(limit);
}

void Define(const std::string& name, const std::string& argument)
{
    if (argument.empty() || argument[0] == '=') {
        Error(LEVEL_ERROR, "Missing macro name for option `%s'", name.c_str());
        return;
    }
    const std::size_t equals = argument.find('=');
    const std::string macro = argument.substr(0, equals);
    const std::string value = equals == std::string::npos ? "1" : argument.substr(equals + 1);
    const std::size_t length = static_cast<std::size_t>(CheckIdentifier(macro));
    if (length == 0 || (length < macro.size() && macro[length] != '(')) {
        Error(LEVEL_ERROR, "Illegal macro name `%s' for option `%s'", macro.c_str(), name.c_str());
        return;
    }
    List& macros = ArgLists[LIST_MACROS];
    if (Arg* earlier = ArgLocateNext(macros, macro)) {
        const std::string old = earlier->value.value_or("");
        if (old == value) {
            Error(LEVEL_WARNING, "Duplicate definition of macro `%s'", macro.c_str());
            return;
        }
        Error(LEVEL_WARNING, "Redefinition of macro `%s' from `%s' to `%s'", macro.c_str(), old.c_str(), value.c_str());
        ArgRemove(macros, earlier);
    }
    ArgAddTail(macros, macro, value);
}

void Undefine(const std::string& name, const std::string& argument)
{
    if (argument.empty()) {
        Error(LEVEL_ERROR, "Missing macro name for option `%s'", name.c_str());
        return;
    }
    if (CheckIdentifier(argument) != static_cast<int>(argument.size())) {
        Error(LEVEL_ERROR, "Illegal macro name `%s' for option `%s'", argument.c_str(), name.c_str());
        return;
    }
    if (ArgLocateNext(ArgLists[LIST_UNDEFINES], argument)) {
        Error(LEVEL_WARNING, "Duplicate removal of macro `%s'", argument.c_str());
        return;
    }
    ArgAddTail(ArgLists[LIST_UNDEFINES], argument);
}

void Assert(const std::string& name, const std::string& argument)
{
    if (argument.empty() || argument[0] == '(') {
        Error(LEVEL_ERROR, "Missing predicate for option `%s'", name.c_str());
        return;
    }
    std::string predicate = argument;
    std::optional<std::string> tokens;
    const std::size_t open = argument.find('(');
    if (open != std::string::npos) {
        predicate = argument.substr(0, open);
        const std::size_t close = argument.find(')', open + 1);
        if (close == std::string::npos) {
            Error(LEVEL_ERROR, "Missing closing `)' for option `%s'", name.c_str());
            return;
        }
        if (close + 1 < argument.size())
            Error(LEVEL_WARNING, "Ignoring characters after `)' for option `%s'", name.c_str());
        std::string inside = argument.substr(open + 1, close - open - 1);
        if (!inside.empty())
            tokens = inside;
    }
    if (CheckIdentifier(predicate) != static_cast<int>(predicate.size())) {
        Error(LEVEL_ERROR, "Illegal predicate `%s' for option `%s'", predicate.c_str(), name.c_str());
        return;
    }
    List& assertions = ArgLists[LIST_ASSERTIONS];
    if (Arg* earlier = ArgLocateNext(assertions, predicate)) {
        if (!earlier->value && !tokens) {
            Error(LEVEL_WARNING, "Duplicate definition of predicate `%s' for option `%s'", predicate.c_str(),
                  name.c_str());
            return;
        }
        if (earlier->value && tokens && *earlier->value == *tokens) {
            Error(LEVEL_WARNING, "Duplicate definition of predicate `%s' as `%s' for option `%s'", predicate.c_str(),
                  tokens->c_str(), name.c_str());
            return;
        }
    }
    ArgAddTail(assertions, predicate, tokens ? OptValue(*tokens) : std::nullopt);
}

void Library(const std::string& name, const std::string& argument)
{
    if (argument.empty()) {
        Error(LEVEL_ERROR, "Missing library name for option `%s'", name.c_str());
        return;
    }
    const std::string word = "-l" + argument;
    List& sources = ArgLists[LIST_SOURCES];
    if (Arg* last = ArgLast(sources); last && EqualsIgnoringCase(last->name, word)) {
        Error(LEVEL_WARNING, "Ignoring duplicate adjacent library `%s' for option `%s'", argument.c_str(),
              name.c_str());
        return;
    }
    // A library ranks by the source ranking like any other input: it never hides a
    // source that enters the tool chain earlier.
    if (HigherSource(FILE_LIBRARY, HighSource))
        HighSource = FILE_LIBRARY;
    ArgAddTail(sources, word, DynamicLink == 1 ? "d" : DynamicLink == 0 ? "s" : "");
}

void Include(const std::string& name, const std::string& argument)
{
    std::string path = argument;
    FilterPath(path);
    if (FileName(path).empty()) {
        Error(LEVEL_ERROR, "Missing filename for option `%s'", name.c_str());
        return;
    }
    const int kind = FileKindOf(path);
    if (kind == FILE_C_HEADER)
        ArgAddTail(ArgLists[LIST_PREINCLUDES], path);
    else if (kind == FILE_CXX_HEADER)
        Error(LEVEL_ERROR, "`%s' is a C++ header file", path.c_str());
    else
        Error(LEVEL_ERROR, "`%s' is not a header file", path.c_str());
}

void TestArguments(const std::string& name, const std::string& argument)
{
    if (argument.empty()) {
        Error(LEVEL_ERROR, "Missing arguments for option `%s'", name.c_str());
        return;
    }
    List& list = ArgLists[LIST_TESTARGS];
    if (list.count > 0) {
        Error(LEVEL_WARNING, "Ignoring previous `%s' option", name.c_str());
        ArgFreeList(list);
    }
    List deferred;
    for (const std::string& word : FileReadString(argument, &deferred))
        ArgAddTail(list, word);
    ArgFreeList(deferred);
}

int FileSlot(std::uint32_t id)
{
    switch (id) {
    case OPT_T:
        return LOC_ARCH_FILE;
    case OPT_archive:
        return LOC_ARCHIVE;
    case OPT_Mt:
        return LOC_MAKE_RULES;
    case OPT_map:
        return LOC_MAP_FILE;
    case OPT_o:
        return LOC_OUTPUT;
    case OPT_pplist:
        return LOC_PPLIST_FILE;
    case OPT_xref:
        return LOC_XREF_FILE;
    case OPT_pguide_file:
        return LOC_PGUIDE_FILE;
    default:
        return -1;
    }
}

void FileLocation(std::uint32_t id, const std::string& name, const std::string& argument)
{
    std::string path = argument;
    FilterPath(path);
    if (FileName(path).empty()) {
        Error(LEVEL_ERROR, "Missing filename for option `%s'", name.c_str());
        return;
    }
    if (id == OPT_T) {
        const std::string_view suffix = FileSuffix(path);
        if (!EqualsIgnoringCase(suffix, "ach") && !EqualsIgnoringCase(suffix, "ldf")) {
            Error(LEVEL_ERROR, "`%s' is not an architecture description file", argument.c_str());
            return;
        }
    }
    DString& slot = FileLocs[FileSlot(id)];
    if (slot.len > 0) {
        Error(LEVEL_WARNING, "Ignoring previous option `%s %s'", name.c_str(), slot.str);
        StrSet(slot, "");
    }
    StrSet(slot, argument);
    if (id == OPT_pguide_file)
        ArgAddTailOnce(ArgLists[LIST_COMPILER], "--use_profile");
}

void DirectoryLocation(std::uint32_t id, const std::string& name, const std::string& argument)
{
    if (argument.empty()) {
        Error(LEVEL_ERROR, "Missing directory for option `%s'", name.c_str());
        return;
    }
    if (!FileExists(argument)) {
        if (ReportMissing) {
            Error(LEVEL_ERROR, "`%s' does not exist", argument.c_str());
            return;
        }
    } else if (!FileDirectory(argument)) {
        Error(LEVEL_ERROR, "`%s' is not a directory", argument.c_str());
        return;
    }
    const int slot = id == OPT_path_install ? LOC_INSTALL : id == OPT_path_output ? LOC_OUTPUT_DIR : LOC_TEMP;
    const char* word = id == OPT_path_install ? "installation" : id == OPT_path_output ? "output" : "temporary";
    if (FileLocs[slot].len > 0)
        Error(LEVEL_WARNING, "Ignoring previous %s directory `%s'", word, FileLocs[slot].str);
    StrSet(FileLocs[slot], argument);
}

struct ToolSlot {
    std::uint32_t id;
    int slot;
    const char* word;
};

const ToolSlot ToolSlots[] = {
    {OPT_path_driver, LOC_DRIVER, "main driver"},
    {OPT_path_compiler, LOC_COMPILER, "compiler"},
    {OPT_path_asm, LOC_ASSEMBLER, "assembler"},
    {OPT_path_gco, LOC_ASM_PREPROC, "compactor"},
    {OPT_path_prelink, LOC_PRELINKER, "prelinker"},
    {OPT_path_ipa, LOC_PRELINKER_IPA, "IPA solver"},
    {OPT_path_prof, LOC_PROFILER, "profiler"},
    {OPT_path_link, LOC_LINKER, "linker"},
    {OPT_path_lib, LOC_ARCHIVER, "library builder"},
    {OPT_path_demangle, LOC_DEMANGLER, "demangler"},
    {OPT_path_debug, LOC_DEBUGGER, "debugger"},
    {OPT_path_def, LOC_DEF_FILE, "driver .def"},
};

const ToolSlot* FindToolSlot(std::uint32_t id)
{
    for (const ToolSlot& tool : ToolSlots) {
        if (tool.id == id)
            return &tool;
    }
    return nullptr;
}

void ToolLocation(const ToolSlot& tool, const std::string& name, const std::string& argument)
{
    if (argument.empty()) {
        Error(LEVEL_ERROR, "Missing filename for option `%s'", name.c_str());
        return;
    }
    if (!FileExists(argument)) {
        if (ReportMissing) {
            Error(LEVEL_ERROR, "`%s' does not exist", argument.c_str());
            return;
        }
    } else if (FileDirectory(argument)) {
        Error(LEVEL_ERROR, "`%s' is a directory", argument.c_str());
        return;
    } else if (tool.id != OPT_path_def && FileExecutable(argument) == 0) {
        // The definition file is read, not run: it need not be executable.
        Error(LEVEL_ERROR, "`%s' is not an executable file", argument.c_str());
        return;
    }
    DString& slot = FileLocs[tool.slot];
    if (slot.len > 0)
        Error(LEVEL_WARNING, "Ignoring previous %s path `%s'", tool.word, slot.str);
    StrSet(slot, argument);
}

void Processor(const std::string& name, const std::string& argument)
{
    if (argument.empty()) {
        Error(LEVEL_ERROR, "Missing processor identifier for option `%s'", name.c_str());
        return;
    }
    DString& slot = FileLocs[LOC_PROC_ID];
    if (slot.len > 0) {
        Error(LEVEL_WARNING, "Ignoring previous -proc switch `%s'", slot.str);
        StrSet(slot, "");
    }
    // A processor of the family itself is the option of that processor.
    if (argument.compare(0, 9, "KDSP-6383") == 0 && argument.size() >= 10 && (argument[9] == '5' || argument[9] == '2')) {
        std::string word = argument.substr(4);
        ProcessOption(1, word, nullptr);
        return;
    }
    StrSet(slot, argument);
}

void DebugComponents(const std::string& name, const std::string& argument)
{
    static const std::pair<const char*, int> components[] = {
        {"compiler", 0x1},  {"cc", 0x2},         {"assembler", 0x4}, {"asmpp", 0x8},     {"objpp", 0x10},
        {"prelinker", 0x20}, {"linker", 0x40},   {"archiver", 0x80}, {"libbuilder", 0x100}, {"meminit", 0x200},
    };
    for (const std::string& piece : Split(argument, ",")) {
        if (piece.empty()) {
            Error(LEVEL_WARNING, "Empty component for option `%s'", name.c_str());
            continue;
        }
        bool known = false;
        for (const auto& [word, bit] : components) {
            if (piece == word) {
                DebugMask |= bit;
                known = true;
            }
        }
        if (!known)
            Error(LEVEL_ERROR, "Unknown component `%s' for option `%s'", piece.c_str(), name.c_str());
    }
}

// An option file named with -@ (or @file): its words are a source of their own; the
// words after a '|' are deferred. Ends the enclosing source when the help option was
// given.
HandlerResult OptionFile(const std::string& name, std::string argument)
{
    FilterPath(argument);
    if (argument.empty()) {
        Error(LEVEL_ERROR, "Missing filename for option `%s'", name.c_str());
        return HandlerResult::Continue;
    }
    if (FileDirectory(argument)) {
        if (ProcessDirectory(argument) == 0)
            Error(LEVEL_WARNING, "Directory `%s' contains no source files", argument.c_str());
        return HandlerResult::Continue;
    }
    for (Arg* file = ArgFirst(OptFileList); file; file = ArgNext(file)) {
        if (FileSame(file->name, argument)) {
            Error(LEVEL_WARNING, "Ignoring recursive option file `%s'", argument.c_str());
            return HandlerResult::Continue;
        }
    }
    ArgAddTail(OptFileList, argument);
    List deferred;
    std::vector<std::string> words = FileRead(argument, &deferred);
    ReadArgs(words);
    while (Arg* word = ArgFirst(deferred)) {
        Remove(deferred, word);
        if (LastOptions) {
            Error(LEVEL_WARNING, "Unused argument `%s'", word->name.c_str());
            ArgDelete(word);
        } else {
            AddTail(ArgLists[LIST_DEFERRED], word);
        }
    }
    ArgRemTail(OptFileList);
    return OptionTable[OPT_h] ? HandlerResult::EndSource : HandlerResult::Continue;
}

} // namespace

HandlerResult HandleArgumentOption(const OptionData& row, const std::string& name, std::string& argument)
{
    const std::uint32_t id = row.id;
    switch (id) {
    case OPT_I:
    case OPT_L:
    case OPT_R:
        DirectoryList(id, name, argument);
        break;
    case OPT_999:
    case OPT_reserve:
    case OPT_flags_asm:
    case OPT_flags_compiler:
    case OPT_flags_debug:
    case OPT_flags_demangle:
    case OPT_flags_driver:
    case OPT_flags_gco:
    case OPT_flags_lib:
    case OPT_flags_link:
    case OPT_flags_prelink:
    case OPT_flags_prof:
        CommaList(id, name, argument);
        break;
    case OPT_Werror:
    case OPT_Wremark:
    case OPT_Wsuppress:
    case OPT_Wwarn:
        DiagnosticNumbers(id, name, argument);
        break;
    case OPT_auto_inline:
        AutoInline(name, argument);
        break;
    case OPT_Werror_limit:
        ErrorLimit(name, argument);
        break;
    case OPT_val_global:
        if (argument.empty()) {
            Error(LEVEL_ERROR, "Missing argument for option `%s'", name.c_str());
        } else {
            ReplaceQueued(name);
            Queue(name, "--val-global=" + argument);
        }
        break;
    case OPT_Ov:
        SpeedVersusSize(name, argument);
        break;
    case OPT_Wdriver_limit:
        DriverLimit(name, argument);
        break;
    case OPT_D:
        Define(name, argument);
        break;
    case OPT_U:
        Undefine(name, argument);
        break;
    case OPT_A:
        Assert(name, argument);
        break;
    case OPT_l:
        Library(name, argument);
        break;
    case OPT_include:
        Include(name, argument);
        break;
    case OPT_testargs:
        TestArguments(name, argument);
        break;
    case OPT_T:
    case OPT_archive:
    case OPT_Mt:
    case OPT_map:
    case OPT_o:
    case OPT_pplist:
    case OPT_xref:
    case OPT_pguide_file:
        FileLocation(id, name, argument);
        break;
    case OPT_path_install:
    case OPT_path_output:
    case OPT_path_temp:
        DirectoryLocation(id, name, argument);
        break;
    case OPT_proc:
        Processor(name, argument);
        break;
    case OPT_debug:
        DebugComponents(name, argument);
        break;
    case OPT_generate:
        if (argument == "asm") {
            Generate = GENERATE_ASSEMBLER;
        } else if (argument == "obj") {
            if (ConflictOption(OPT_S, "-S", name.c_str()))
                Production = OUTPUT_OBJECT;
            Generate = GENERATE_OBJECT;
        } else if (argument.empty()) {
            Error(LEVEL_ERROR, "Missing argument for option `%s'", name.c_str());
        } else {
            Error(LEVEL_ERROR, "Illegal argument `%s' for option `%s'", argument.c_str(), name.c_str());
        }
        break;
    case OPT_at:
        return OptionFile(name, argument);
    default:
        if (const ToolSlot* tool = FindToolSlot(id))
            ToolLocation(*tool, name, argument);
        break;
    }
    return HandlerResult::Continue;
}
