// The suffix and path functions on any name.
#include "fuzz_support.h"
#include "dstring.h"
#include "file_names.h"
#include "file_temp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::QuietDiagnostics();
    std::string name = fuzz::Text(data, size);
    if (name.find('\0') != std::string::npos)
        return 0;
    const std::string_view suffix = FileSuffix(name);
    FileExtension(suffix);
    FileBase(name);
    FilePath(name);
    FileName(name);
    CompressPath(name);
    std::string filtered = name;
    FilterPath(filtered);
    for (int kind = OUTPUT_NONE; kind <= OUTPUT_EXECUTABLE; ++kind) {
        DString output;
        AddChars(output, name);
        OutputSuffix(output, kind);
    }
    DString removed;
    AddChars(removed, name);
    std::uint32_t position = 0;
    RemSuffix(removed, &position);
    if (position > removed.len)
        __builtin_trap();
    AddSuffix(removed, "doj", position);
    DString added;
    AddChars(added, name);
    AddSuffix(added, name.substr(0, 5), static_cast<std::uint32_t>(size % 7));
    return 0;
}
