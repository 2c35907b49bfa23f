// Version and identification output, the built-in test programs, output naming and its
// checks, runs without source files, and the option-list files for long command lines.
#include <cctype>
#include <cstdio>

#include "cctrvx/globals.h"
#include "dstring.h"
#include "args.h"
#include "build.h"
#include "error.h"
#include "file_match.h"
#include "file_names.h"
#include "file_optfile.h"
#include "file_system.h"
#include "file_temp.h"
#include "host/host.h"
#include "main.h"
#include "option.h"

namespace {

constexpr const char* DriverVersion = "6.2.0";

// The identification text of each module: file, revision, date, author and state.
const char* const ModuleIdentifications[] = {
    "args.cpp 6.2.0 2026/12/06 cctrvx Released",    "build.cpp 6.2.0 2026/12/06 cctrvx Released",
    "deps.cpp 6.2.0 2026/12/06 cctrvx Released",    "dstring.cpp 6.2.0 2026/12/06 cctrvx Released",
    "error.cpp 6.2.0 2026/12/06 cctrvx Released",   "file.cpp 6.2.0 2026/12/06 cctrvx Released",
    "hashtab.cpp 6.2.0 2026/12/06 cctrvx Released", "list.cpp 6.2.0 2026/12/06 cctrvx Released",
    "machine.cpp 6.2.0 2026/12/06 cctrvx Released", "main.cpp 6.2.0 2026/12/06 cctrvx Released",
    "option.cpp 6.2.0 2026/12/06 cctrvx Released",  "symtab.cpp 6.2.0 2026/12/06 cctrvx Released",
    "system.cpp 6.2.0 2026/12/06 cctrvx Released",
};

const char* const CTestProgram = "#include <stdio.h>\n"
                                 "\n"
                                 "void main(void)\n"
                                 "{\n"
                                 "    puts(\"test passed\");\n"
                                 "}\n";

const char* const CxxTestProgram = "#include <stdio.h>\n"
                                   "\n"
                                   "template <class T> void f(T s)\n"
                                   "{\n"
                                   "    printf(\"%s\\n\", s);\n"
                                   "}\n"
                                   "\n"
                                   "class A\n"
                                   "{\n"
                                   "  public:\n"
                                   "    A(): i(1) { }\n"
                                   "    ~A() { if (i == 1) f(\"test passed\"); }\n"
                                   "  private:\n"
                                   "    int i;\n"
                                   "}\n"
                                   "a;\n"
                                   "\n"
                                   "void main(void)\n"
                                   "{\n"
                                   "}\n";

const char* const HeaderTestProgram = "void main(void)\n"
                                      "{\n"
                                      "}\n";

bool Given(std::uint32_t id)
{
    return OptionTable[id] != 0;
}

const char* LinkMode()
{
    return DynamicLink == 1 ? "d" : DynamicLink == 0 ? "s" : "";
}

// A file the driver writes: kept next to the user (in the output directory when one is
// given) with -save-temps, else a fresh temporary name that is deleted at exit.
std::string GeneratedFile(const char* keptName, const char* suffix)
{
    if (KeepTemps) {
        return FileLocs[LOC_OUTPUT_DIR].len > 0 ? BuildPath({FileLocs[LOC_OUTPUT_DIR].view(), keptName})
                                                : std::string(keptName);
    }
    const std::string file = FreeTempFile(suffix);
    DelFileAdd(file);
    return file;
}

void WriteTestProgram(const char* keptName, const char* text)
{
    const std::string file = GeneratedFile(keptName, "c");
    FILE* stream = HostOpenFile(file, "w");
    if (!stream) {
        FreeTables();
        Error(LEVEL_FATAL_CLIB, file);
    }
    std::fputs(text, stream);
    if (std::fclose(stream) != 0)
        Error(LEVEL_CLIB, file);
    ArgAddTail(ArgLists[LIST_SOURCES], file, LinkMode());
    ArgAddTailOnce(ArgLists[LIST_DRIVER], "--ignore_main_dependency");
}

} // namespace

void Version()
{
    if (!Given(OPT_ids))
        return;
    std::fprintf(stderr, "Operating System = %s, Processor Family = %s\n", "Windows NT", "TARVEX");
    for (const char* identification : ModuleIdentifications)
        std::fprintf(stderr, "%s\n", identification);
}

void TestPrograms()
{
    if (ArgLists[LIST_SOURCES].count > 0 || DryRun)
        return;
    if (Given(OPT_test)) {
        if (Given(OPT_cxx) && !Given(OPT_veltrix) && !Given(OPT_traditional) && !Given(OPT_ansi)) {
            HighSource = FILE_CXX;
            WriteTestProgram("cctrvx_test.c", CxxTestProgram);
        } else {
            HighSource = FILE_C;
            WriteTestProgram("cctrvx_test.c", CTestProgram);
        }
    } else if (HeaderCount > 0) {
        HighSource = FILE_C;
        WriteTestProgram("cctrvx_hdr.c", HeaderTestProgram);
    }
}

void OutputNaming()
{
    if (ArgLists[LIST_SOURCES].count == 0 || Production != OUTPUT_EXECUTABLE)
        return;
    DString& output = FileLocs[LOC_OUTPUT];
    if (output.len == 0) {
        if (HighSource == FILE_LIBRARY || HighSource == FILE_DLL) {
            StrSet(output, std::string("a.") + StandardSuffix(FILE_EXECUTABLE));
        } else {
            for (Arg* source = ArgFirst(ArgLists[LIST_SOURCES]); source; source = ArgNext(source)) {
                const int kind = FileKindOf(source->name);
                if (source->name[0] == '-' || source->name[0] == '+' || kind == FILE_LIBRARY || kind == FILE_DLL)
                    continue;
                DString name;
                AddChars(name, FileName(source->name));
                const char* suffix = StandardSuffix(FILE_EXECUTABLE);
                if (suffix[0] == '\0') {
                    while (FileKindOf(name.view()) != FILE_NONE && FileKindOf(name.view()) != FILE_UNRECOGNIZED)
                        RemSuffix(name);
                } else {
                    std::uint32_t position = 0;
                    RemSuffix(name, &position);
                    AddSuffix(name, suffix, position);
                }
                StrSet(output, name.view());
                break;
            }
        }
    }
    DString& map = FileLocs[LOC_MAP_FILE];
    if (map.len > 0) {
        const char* wanted = Given(OPT_xml) ? "xml" : "map";
        std::string suffix(FileSuffix(map.view()));
        while (!suffix.empty() && !EqualsIgnoringCase(suffix, wanted)) {
            Error(LEVEL_WARNING, "Ignoring bad suffix `.%s' for link map output file `%s'", suffix.c_str(), map.str);
            RemSuffix(map);
            suffix = FileSuffix(map.view());
        }
        if (suffix.empty()) {
            Error(LEVEL_WARNING, "Adding new suffix `.%s' to link map output file `%s'", wanted, map.str);
            AddSuffix(map, wanted, 0);
        }
    }
}

void NoSourceFiles()
{
    if (Given(OPT_version)) {
        const std::string compiler = LocateComponent(LOC_COMPILER);
        ArgAddTail(ArgLists[LIST_COMPILER], "--compiler_version");
        if (Invoke(compiler, 0, "", ArgLists[LIST_COMPILER], (DebugMask & 1) != 0) != 0)
            std::fputs("Compiler invocation failed\n", stdout);
        FreeTables();
        HostExit(0);
    }
    FreeTables();
    if (Given(OPT_full_version))
        HostExit(0);
    Error(LEVEL_FATAL, "No source files specified - type `%s -help' for usage", ProgName);
    HostExit(1);
}

bool OutputFileChecks(std::string& redirection)
{
    bool redirect = false;
    DString& output = FileLocs[LOC_OUTPUT];
    List& sources = ArgLists[LIST_SOURCES];
    if (output.len > 0) {
        if (FileLocs[LOC_OUTPUT_DIR].len > 0 && output.view().find_first_of(":\\") == std::string_view::npos)
            StrSet(output, BuildPath({FileLocs[LOC_OUTPUT_DIR].view(), output.view()}));
        for (Arg* source = ArgFirst(sources); source; source = ArgNext(source)) {
            if (source->name[0] != '-' && source->name[0] != '+' && FileSame(source->name, output.view())) {
                FreeTables();
                Error(LEVEL_FATAL, "Output file appears in source file list");
            }
        }
        if (sources.count > 1 &&
            (Production == OUTPUT_C || Production == OUTPUT_ASSEMBLER || Production == OUTPUT_OBJECT)) {
            Error(LEVEL_WARNING, "Ignoring output file `%s' - multiple source files specified", output.str);
            StrSet(output, "");
        } else {
            const int kind = FileKindOf(output.view());
            bool passes = true;
            if (!(Production == OUTPUT_EXECUTABLE && (kind == FILE_NONE || kind == FILE_UNRECOGNIZED)))
                passes = OutputSuffix(output, Production) != 0;
            if (passes && output.len > 0 && FileWritable(output.view())) {
                if (Production == OUTPUT_FILE_LIST || Production == OUTPUT_PREPROCESSED) {
                    redirect = true;
                    redirection = std::string(output.view());
                } else {
                    ArgAddTail(ArgLists[LIST_MAIN_OPTIONS], "-o");
                    ArgAddTail(ArgLists[LIST_MAIN_OPTIONS], output.view());
                }
            } else {
                StrSet(output, "");
            }
        }
    }
    if (output.len == 0 && (Production == OUTPUT_LIBRARY || Production == OUTPUT_DLL)) {
        FreeTables();
        Error(LEVEL_FATAL, "Destination library must be specified");
    }
    return redirect;
}

void OptionListFiles()
{
    List& command = ArgLists[LIST_MAIN_COMMAND];
    List& options = ArgLists[LIST_MAIN_OPTIONS];
    List& sources = ArgLists[LIST_SOURCES];
    if (Given(OPT_write_files) || Given(OPT_write_opts))
        ArgAddTail(options, "--write_options");
    if (!DryRun) {
        const std::size_t a = ArgListLength(command) + 64;
        const std::size_t b = Given(OPT_write_opts) ? 64 : ArgListLength(options);
        const std::size_t c = Given(OPT_write_files) ? 64 : ArgListLength(sources);
        const std::size_t limit = static_cast<std::size_t>(ArgMax);
        if (a + b + c > limit) {
            if (a + b + 64 < limit) {
                OptionTable[OPT_write_files] = 1;
            } else if (a + c + 64 < limit) {
                OptionTable[OPT_write_opts] = 1;
            } else {
                OptionTable[OPT_write_files] = 1;
                OptionTable[OPT_write_opts] = 1;
            }
        }
    }
    auto passList = [&](List& list, bool throughFile, const char* keptName) {
        if (!throughFile || DryRun) {
            JoinList(command, list);
            return;
        }
        const std::string file = GeneratedFile(keptName, "lst");
        if (!FileWrite(file, list, "main driver", ProgName, DriverVersion)) {
            FreeTables();
            Error(LEVEL_FATAL, "Cannot create temporary file");
        }
        ArgAddTail(command, "--option_file");
        ArgAddTail(command, file);
    };
    passList(options, Given(OPT_write_opts), "cctrvx_opt.lst");
    passList(sources, Given(OPT_write_files), "cctrvx_file.lst");
}
