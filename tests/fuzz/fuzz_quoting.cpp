// The quoting round trip: any words, quoted and joined into a command line, split back
// into exactly the same words; and written to an option file, read back the same.
#include <filesystem>

#include "fuzz_support.h"
#include "args.h"
#include "file_optfile.h"
#include "file_temp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::QuietDiagnostics();
    const std::vector<std::string> words = fuzz::Words(data, size);
    List list;
    for (const std::string& word : words)
        ArgAddTail(list, word);
    if (ArgSplitCommandLine(ArgList2String(' ', ArgEscapeSpec, ArgQuoteSpec, list)) != words)
        __builtin_trap();

    // Variables are never expanded again from a written file, whatever is set. A line of
    // an option file ends every word, so words with a newline cannot be written to one
    // (the words of the user interface driver never hold one).
    for (const std::string& word : words) {
        if (word.find('\n') != std::string::npos) {
            ArgFreeList(list);
            return 0;
        }
    }
    static const std::string file = (std::filesystem::temp_directory_path() / "cctrvx-fuzz-quoting.lst").string();
    if (FileWrite(HostName(file), list, "main driver", "cctrvx", "6.2.0") != 1)
        __builtin_trap();
    if (FileRead(HostName(file), nullptr) != words)
        __builtin_trap();
    ArgFreeList(list);
    ArgFreeList(EnvironList);
    return 0;
}
