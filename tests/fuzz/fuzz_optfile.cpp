// The option-file reader on any file contents: words, comments, quotes, variables and
// the deferred part; also the description-file reader.
#include <cstdio>
#include <filesystem>

#include "fuzz_support.h"
#include "file_optfile.h"
#include "file_temp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string file = (std::filesystem::temp_directory_path() / "cctrvx-fuzz-optfile.opt").string();
    fuzz::QuietDiagnostics();
    if (FILE* out = std::fopen(file.c_str(), "wb")) {
        std::fwrite(data, 1, size, out);
        std::fclose(out);
    }
    List deferred;
    fuzz::Guarded([&] {
        std::vector<std::string> words = FileRead(HostName(file), &deferred);
        for (const std::string& word : words) {
            if (word.find('\0') != std::string::npos)
                __builtin_trap();
        }
        List entries;
        FileReadSDE(HostName(file), entries);
        ArgFreeList(entries);
    });
    ArgFreeList(deferred);
    ArgFreeList(EnvironList);
    return 0;
}
