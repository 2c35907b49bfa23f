#include "option.h"

#include "cctrvx/globals.h"
#include "args.h"
#include "error.h"

int ProcessOption(int count, std::string& word, std::string* /*next*/)
{
    if (UserOptions && word.compare(0, 2, "-@") != 0 && word.compare(0, 2, "-R") != 0)
        ArgAddTail(ArgLists[LIST_ECHO], word);
    Error(LEVEL_ERROR, "Unrecognized option `%s'", word.c_str());
    return count - 1;
}
