// Option lookup and translation: the lookup rule, recording, duplicates, conflicts, the
// handlers that only set state, and the expansion of queued translations.
#include "option.h"

#include <cstring>
#include <initializer_list>

#include "cctrvx/globals.h"
#include "args.h"
#include "error.h"
#include "option_handlers.h"

void LoadOptionTable()
{
    // The data of each symbol is the address of its row.
    for (const OptionData* row = OptionDataTable; row->name; ++row)
        SymInsert(OptionSymbolTable, row->name, &row, row->id, sizeof row);
}

const OptionData* LookUpOption(const std::string& name)
{
    if (!OptionSymbolTable)
        return nullptr;
    const void* data = nullptr;
    if (SymSearch(OptionSymbolTable, name.c_str(), &data) == 0 || !data)
        return nullptr;
    const OptionData* row = nullptr;
    std::memcpy(&row, data, sizeof row);
    return row;
}

namespace {

bool StartsWith(const std::string& word, const char* prefix)
{
    return word.compare(0, std::strlen(prefix), prefix) == 0;
}

// The first prefix of the list that the word starts with. The lists are tried in order
// and the first match wins, so a shorter name that takes an argument hides a longer
// name behind it ("-Wwarning" is -Wwarn with the argument "ing").
const char* FirstPrefix(const std::string& word, std::initializer_list<const char*> prefixes)
{
    for (const char* prefix : prefixes) {
        if (StartsWith(word, prefix))
            return prefix;
    }
    return nullptr;
}

// The option prefix a word with one leading '-' begins with, or null.
const char* MatchPrefix(const std::string& word)
{
    if (word.size() < 2)
        return nullptr;
    switch (word[1]) {
    case '9':
        return FirstPrefix(word, {"-999"});
    case '@':
        return "-@";
    case 'A':
        return "-A";
    case 'D':
        return "-D";
    case 'I':
        return word == "-I-" ? nullptr : "-I";
    case 'L':
        return "-L";
    case 'M':
        return FirstPrefix(word, {"-Mt"});
    case 'O':
        return FirstPrefix(word, {"-Ov"});
    case 'R':
        return word == "-R-" ? nullptr : "-R";
    case 'T':
        return "-T";
    case 'U':
        return "-U";
    case 'W':
        if (StartsWith(word, "-Wdriver-limit"))
            return "-Wdriver-limit";
        if (StartsWith(word, "-Werror"))
            return StartsWith(word, "-Werror-limit") ? "-Werror-limit" : "-Werror";
        if (StartsWith(word, "-Wremark") && word.size() > 8 && word[8] == 's')
            return FirstPrefix(word, {"-Wsuppress", "-Wwarn"});
        return FirstPrefix(word, {"-Wremark", "-Wsuppress", "-Wwarn"});
    case 'a':
        return FirstPrefix(word, {"-archive", "-auto-inline"});
    case 'd':
        return word == "-debug-types" ? nullptr : FirstPrefix(word, {"-debug"});
    case 'f':
        return FirstPrefix(word, {"-flags-asm", "-flags-compiler", "-flags-debug", "-flags-demangle", "-flags-driver",
                                  "-flags-gco", "-flags-lib", "-flags-link", "-flags-prelink", "-flags-prof"});
    case 'g':
        return FirstPrefix(word, {"-generate"});
    case 'i':
        return FirstPrefix(word, {"-include"});
    case 'l':
        return "-l";
    case 'm':
        return FirstPrefix(word, {"-map"});
    case 'o':
        return "-o";
    case 'p':
        return FirstPrefix(word, {"-pplist", "-proc", "-pchdir", "-path-asm", "-path-compiler", "-path-debug",
                                  "-path-def", "-path-demangle", "-path-driver", "-path-gco", "-path-install",
                                  "-path-prelink", "-path-prof", "-path-ipa", "-path-lib", "-path-link",
                                  "-path-output", "-path-temp", "-pguide-file"});
    case 'r':
        return FirstPrefix(word, {"-reserve"});
    case 't':
        return FirstPrefix(word, {"-testargs"});
    case 'v':
        return FirstPrefix(word, {"-val-global"});
    case 'x':
        return FirstPrefix(word, {"-xref"});
    default:
        return nullptr;
    }
}

} // namespace

CanonicalWord Canonicalize(std::string& word, const std::string* next)
{
    CanonicalWord result;
    int count = 0;
    std::size_t leading = 0;
    if (!word.empty() && word[0] == '-') {
        while (leading < word.size() && word[leading] == '-')
            ++leading;
        count = static_cast<int>(leading);
    } else {
        while (leading < word.size() && word[leading] == '+')
            ++leading;
        count = -static_cast<int>(leading);
    }
    const bool more = leading < word.size();

    if (count == 1) {
        if (const char* prefix = MatchPrefix(word)) {
            result.name = prefix;
            std::string rest = word.substr(result.name.size());
            if (!rest.empty() && (rest[0] == '=' || rest[0] == ',')) {
                result.argument = rest.substr(1);
            } else if (rest.empty() && next) {
                result.argument = *next;
                result.consumedNext = true;
            } else {
                result.argument = rest;
            }
            return result;
        }
    } else if (count == -1 && more) {
        word[0] = '-';
        result.name = "-999";
        result.argument = word;
        return result;
    } else if (count == -2 && more) {
        word[0] = '-';
        word[1] = '-';
        result.name = "-flags-compiler";
        result.argument = word;
        return result;
    }
    result.name = word;
    return result;
}

int ConflictOption(std::uint32_t id, const char* name, const char* current)
{
    List& pending = ArgLists[LIST_PENDING];
    Arg* node = ArgLocateNext(pending, name);
    // Identifier 0 is "not an option": it never counts as given.
    const bool given = id != 0 && id < static_cast<std::uint32_t>(OPTION_TABLE_SIZE) && OptionTable[id];
    if (!node && !given)
        return 0;
    Error(LEVEL_WARNING, "Option `%s' conflicts with `%s'", current, name);
    if (node)
        ArgRemove(pending, node);
    if (id != 0 && id < static_cast<std::uint32_t>(OPTION_TABLE_SIZE))
        OptionTable[id] = 0;
    return 1;
}

int ProcessOption(int count, std::string& word, std::string* next)
{
    // 1. Recording for -show.
    if (UserOptions && !StartsWith(word, "-@") && !StartsWith(word, "-R"))
        ArgAddTail(ArgLists[LIST_ECHO], word);

    // 2. and 3. The canonical name and argument, and the row.
    const std::string typed = word;
    CanonicalWord canonical = Canonicalize(word, next);
    if (canonical.consumedNext)
        --count;
    const OptionData* row = LookUpOption(canonical.name);
    const std::uint32_t id = row ? row->id : 0;

    // 4. A repeated option without an argument is a duplicate.
    if (row && OptionTable[id] && row->kind == ARG_NONE) {
        Error(LEVEL_WARNING, "Duplicate option `%s'", canonical.name.c_str());
        return count - 1;
    }

    std::string argument = canonical.argument.value_or(std::string());
    if (row) {
        // 5. Paths use backslashes.
        if (row->kind == ARG_PATH) {
            for (char& c : argument) {
                if (c == '/')
                    c = '\\';
            }
        }
        if (UserOptions && canonical.consumedNext && id != OPT_at && id != OPT_R && row->kind != ARG_NONE)
            ArgAddTail(ArgLists[LIST_ECHO], *next);
    } else if (!PassUnknown) {
        Error(LEVEL_ERROR, "Unrecognized option `%s'", canonical.name.c_str());
    }

    // 6. The handler.
    HandlerResult result = HandlerResult::Continue;
    if (row)
        result = row->kind == ARG_NONE ? HandleFlagOption(id, canonical.name) : HandleArgumentOption(*row, canonical.name, argument);
    if (result == HandlerResult::Stop)
        return count - 1;

    // 7. Queue the translation and mark the option as given.
    List& pending = ArgLists[LIST_PENDING];
    if (row && row->translation) {
        ArgAddTail(pending, canonical.name, row->translation);
    } else if (!row && PassUnknown) {
        ArgAddTail(pending, typed);
        // A word taken as the option's argument goes with it.
        if (canonical.consumedNext)
            ArgAddTail(pending, *next);
    }
    if (id != 0)
        OptionTable[id] = 1;
    if (result == HandlerResult::EndSource)
        return 0;
    return count - 1;
}

int TagList(char tag)
{
    switch (tag) {
    case 'c':
        return LIST_COMPILER;
    case 'i':
        return LIST_CODEGEN;
    case 's':
        return LIST_C_COMPILER;
    case 'a':
        return LIST_ASSEMBLER;
    case 'A':
        return LIST_ASM_PREPROC;
    case 'O':
        return LIST_OBJ_POSTPROC;
    case 'p':
        return LIST_PRELINKER;
    case 'n':
        return LIST_PRELINKER_NM;
    case 'P':
        return LIST_PROFILER;
    case 'l':
        return LIST_LINKER;
    case 'r':
        return LIST_ARCHIVER;
    case 'b':
        return LIST_DLL_BUILDER;
    case 'm':
        return LIST_MEM_INIT;
    case 'g':
        return LIST_DEMANGLER;
    case 'x':
        return LIST_DEBUGGER;
    default:
        return LIST_DRIVER;
    }
}

void ProcessOptions()
{
    List& pending = ArgLists[LIST_PENDING];
    while (Arg* node = ArgFirst(pending)) {
        if (node->value) {
            const std::string& translation = *node->value;
            std::size_t start = 0;
            while (start <= translation.size()) {
                std::size_t end = translation.find('|', start);
                if (end == std::string::npos)
                    end = translation.size();
                const std::string item = translation.substr(start, end - start);
                start = end + 1;
                const std::size_t open = item.find('(');
                const std::string text = item.substr(0, open);
                if (text.empty())
                    continue;
                std::string tags = "d";
                if (open != std::string::npos) {
                    const std::size_t close = item.find(')', open + 1);
                    tags = item.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
                }
                for (char tag : tags)
                    ArgAddTailOnce(ArgLists[TagList(tag)], text);
            }
        } else {
            ArgAddTailOnce(ArgLists[LIST_DRIVER], node->name);
        }
        ArgRemove(pending, node);
    }
}
