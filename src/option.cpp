#include "option.h"

#include "cctrvx/globals.h"
#include "args.h"
#include "error.h"
#include "file_names.h"
#include "file_optfile.h"
#include "file_system.h"
#include "file_temp.h"
#include "main.h"

namespace {

constexpr int OPTION_HELP = 75;

// Reads an option file named with -@ (or @file): its words are a source of their own;
// the words after a '|' are deferred. Returns false when the help option ended the
// reading.
bool HandleOptionFile(const char* name, std::string argument)
{
    FilterPath(argument);
    if (argument.empty()) {
        Error(LEVEL_ERROR, "Missing filename for option `%s'", name);
        return true;
    }
    if (FileDirectory(argument)) {
        if (ProcessDirectory(argument) == 0)
            Error(LEVEL_WARNING, "Directory `%s' contains no source files", argument.c_str());
        return true;
    }
    for (Arg* file = ArgFirst(OptFileList); file; file = ArgNext(file)) {
        if (FileSame(file->name, argument)) {
            Error(LEVEL_WARNING, "Ignoring recursive option file `%s'", argument.c_str());
            return true;
        }
    }
    ArgAddTail(OptFileList, argument);
    List deferred;
    std::vector<std::string> words = FileRead(argument, &deferred);
    ReadArgs(words);
    while (Arg* word = ArgFirst(deferred)) {
        if (LastOptions) {
            Error(LEVEL_WARNING, "Unused argument `%s'", word->name.c_str());
            ArgRemove(deferred, word);
        } else {
            Remove(deferred, word);
            AddTail(ArgLists[LIST_DEFERRED], word);
        }
    }
    ArgRemTail(OptFileList);
    return !OptionTable[OPTION_HELP];
}

} // namespace

int ProcessOption(int count, std::string& word, std::string* next)
{
    if (UserOptions && word.compare(0, 2, "-@") != 0 && word.compare(0, 2, "-R") != 0)
        ArgAddTail(ArgLists[LIST_ECHO], word);
    if (word.compare(0, 2, "-@") == 0) {
        std::string argument = word.substr(2);
        if (!argument.empty() && (argument[0] == '=' || argument[0] == ','))
            argument.erase(0, 1);
        else if (argument.empty() && next) {
            argument = *next;
            --count;
        }
        if (!HandleOptionFile("-@", argument))
            return 0;
        return count - 1;
    }
    Error(LEVEL_ERROR, "Unrecognized option `%s'", word.c_str());
    return count - 1;
}
