// The environment-string reader (the rules of CCTRVX_OPTIONS and of the first line of a
// script), and wrapping of what it read.
#include <cstdio>

#include "fuzz_support.h"
#include "args.h"
#include "file_optfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::QuietDiagnostics();
    List deferred;
    std::vector<std::string> words = FileReadString(fuzz::Text(data, size), &deferred);
    List list;
    for (const std::string& word : words)
        ArgAddTail(list, word);
    static FILE* sink = std::fopen("/dev/null", "w");
    FileWrap(sink, ArgList2String(' ', ArgEscapeSpec, ArgQuoteSpec, list), 8, true);
    ArgFreeList(list);
    ArgFreeList(deferred);
    return 0;
}
