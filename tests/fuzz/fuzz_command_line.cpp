// A whole user command line through option processing, the implied options, the
// defaults and the translation into the main driver's lists; the hand-off is left out.
// Words naming paths are left out, so the run stays inside an empty directory.
#include <filesystem>

#include "fuzz_support.h"
#include "machine.h"
#include "main.h"
#include "option.h"

namespace {

void ResetSettings()
{
    for (int& flag : OptionTable)
        flag = 0;
    Production = OUTPUT_EXECUTABLE;
    Generate = GENERATE_ASSEMBLER;
    DryRun = Verbose = Wrap = Timing = KeepTemps = ExpertLinker = 0;
    ReportMissing = 1;
    UseInstFiles = IPAMode = DebugMask = HighSource = 0;
    UserOptions = 1;
    PassUnknown = ExpandLibs = no_dir_warn = LastOptions = HeaderCount = 0;
    DynamicLink = -1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static bool entered = [] {
        const auto dir = std::filesystem::temp_directory_path() / "cctrvx-fuzz-command-line";
        std::filesystem::create_directories(dir);
        std::filesystem::current_path(dir);
        return true;
    }();
    (void)entered;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '/' || data[i] == '\\')
            return 0;
    }
    std::vector<std::string> words = fuzz::Words(data, size);
    if (words.size() > 64)
        return 0;
    fuzz::QuietDiagnostics();
    ResetSettings();
    InitTables();
    fuzz::Guarded([&] {
        ReadArgs(words);
        UserOptions = 0;
        LanguageOptions();
        OptimizeOptions();
        PlatformOptions();
        if (ArgLists[LIST_SOURCES].count > 0)
            ProcessFiles();
        DefaultLists();
        ProcessOptions();
        ProcessLists();
    });
    FreeTables();
    fuzz::QuietDiagnostics();
    return 0;
}
