// Wildcard matching of any name against any pattern: never a crash, never a runaway.
#include "fuzz_support.h"
#include "file_match.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string> parts = fuzz::Words(data, size);
    const std::string& name = parts[0];
    const std::string pattern = parts.size() > 1 ? parts[1] : std::string("*");
    const int matched = FileMatch(name, pattern);
    if (matched != 0 && matched != 1)
        __builtin_trap();
    // A name always matches itself when it holds no wildcard character.
    if (name.find_first_of("*?[") == std::string::npos && FileMatch(name, name) != 1)
        __builtin_trap();
    for (int kind = OUTPUT_NONE; kind <= OUTPUT_EXECUTABLE; ++kind)
        FileRequired(name, kind);
    return 0;
}
