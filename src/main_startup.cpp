// The user interface driver's tables, the reading of words, and the hand-off to the
// main driver.
#include <cctype>
#include <cstdio>

#include "cctrvx/globals.h"
#include "args.h"
#include "driver.h"
#include "error.h"
#include "file_names.h"
#include "file_temp.h"
#include "main.h"
#include "option.h"
#include "system.h"

void InitTables()
{
    OptionSymbolTable = SymCreate(0);
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
                ProcessFile(word);
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

void ProcessFile(const std::string& name)
{
    if (UserOptions)
        ArgAddTail(ArgLists[LIST_ECHO], name);
    const char* mode = DynamicLink == 1 ? "d" : DynamicLink == 0 ? "s" : "";
    ArgAddTail(ArgLists[LIST_SOURCES], name, mode);
}

int HandOff()
{
    const std::string path = CompressPath(ProgramName());
    if (ErrorNum > 0)
        ErrorExit();
    List& command = ArgLists[LIST_MAIN_COMMAND];
    ArgAddHead(command, "--main");
    if (DryRun || Verbose) {
        std::string line = ArgQuote(path, ArgEscapeSpec, ArgQuoteSpec);
        line += ' ';
        line += ArgList2String(' ', ArgEscapeSpec, ArgQuoteSpec, command);
        std::fprintf(stderr, "\t%s\n", line.c_str());
    }
    ArgAddHead(command, path);
    if (DryRun)
        return 0;
    std::vector<std::string> arguments = ArgList2Array(nullptr, nullptr, command);
    FreeTables();
    return Main(arguments);
}
