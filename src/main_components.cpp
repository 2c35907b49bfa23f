// Components: locating each tool under the install directory, and turning the per-tool
// option lists into main driver options.
#include <cstdio>

#include "cctrvx/globals.h"
#include "args.h"
#include "build.h"
#include "error.h"
#include "file_names.h"
#include "file_system.h"
#include "file_temp.h"
#include "main.h"
#include "option.h"

namespace {

struct Component {
    int number;
    const char* executable;
    bool inEtc; // under Tarvex\etc of the install directory, else in the install directory
};

const Component Components[] = {
    {LOC_DRIVER, "driver.exe", true},        {LOC_COMPILER, "compiler.exe", true},
    {LOC_ASSEMBLER, "easmtrvx.exe", false},  {LOC_ASM_PREPROC, "gco.exe", true},
    {LOC_PRELINKER, "prelinker.exe", true},  {LOC_PRELINKER_NM, "nm.exe", true},
    {LOC_PRELINKER_IPA, "ipa.exe", true},    {LOC_PROFILER, "pgo.exe", true},
    {LOC_LINKER, "linker.exe", false},       {LOC_ARCHIVER, "librarian.exe", false},
    {LOC_DLL_BUILDER, "link.exe", false},    {LOC_MEM_INIT, "mem63k.exe", false},
    {LOC_DEMANGLER, "demangler.exe", true},
};

bool Given(std::uint32_t id)
{
    return OptionTable[id] != 0;
}

List& MainCommand()
{
    return ArgLists[LIST_MAIN_COMMAND];
}

List& MainOptions()
{
    return ArgLists[LIST_MAIN_OPTIONS];
}

// A component's path and each of its options as "--COMPP_"/"--COMPO_" pairs.
void PathAndOptions(const char* component, int number, int list)
{
    ArgAddTail(MainOptions(), std::string("--COMPP_") + component);
    ArgAddTail(MainOptions(), LocateComponent(number));
    for (Arg* option = ArgFirst(ArgLists[list]); option; option = ArgNext(option)) {
        ArgAddTail(MainOptions(), std::string("--COMPO_") + component);
        ArgAddTail(MainOptions(), option->name);
    }
}

// A listing file named without a directory goes into the output directory.
std::string InOutputDirectory(std::string_view name)
{
    if (FileLocs[LOC_OUTPUT_DIR].len > 0 && name.find_first_of(":\\") == std::string_view::npos)
        return BuildPath({FileLocs[LOC_OUTPUT_DIR].view(), name});
    return std::string(name);
}

void ListingOption(int slot, const char* option)
{
    if (FileLocs[slot].len == 0)
        return;
    std::string file = InOutputDirectory(FileLocs[slot].view());
    if (FileWritable(file)) {
        ArgAddTail(ArgLists[LIST_DRIVER], option);
        ArgAddTail(ArgLists[LIST_DRIVER], file);
    }
}

std::string Joined(const List& list, char separator)
{
    return ArgList2String(separator, nullptr, nullptr, list);
}

void ProfileGuidedOptimisation()
{
    if (FileLocs[LOC_PGUIDE_FILE].len == 0)
        return;
    const std::string profiler = LocateComponent(LOC_PROFILER);
    std::string output;
    if (KeepTemps) {
        output = FileLocs[LOC_OUTPUT_DIR].len > 0 ? BuildPath({FileLocs[LOC_OUTPUT_DIR].view(), "profile.pgo"})
                                                  : std::string("profile.pgo");
    } else {
        output = FreeTempFile("pgo");
        DelFileAdd(output);
    }
    StrSet(FileLocs[LOC_PROFILER], profiler);
    if (InvokeProfiler(ArgLists[LIST_PROFILE_DATA], std::string(FileLocs[LOC_PGUIDE_FILE].view()), output) != 0)
        Error(LEVEL_FATAL, "Problem building profiling information");
    for (const std::string& word : {std::string("--COMPO_fe"), std::string("--prof_read_file"),
                                    std::string("--COMPO_fe"), output})
        ArgAddTail(MainOptions(), word);
}

} // namespace

std::string LocateComponent(int number)
{
    if (FileLocs[number].len > 0)
        return std::string(FileLocs[number].view());
    const Component* component = nullptr;
    for (const Component& c : Components) {
        if (c.number == number)
            component = &c;
    }
    const char* executable = component ? component->executable : "";
    if (component && FileLocs[LOC_INSTALL].len > 0) {
        const std::string path = component->inEtc
                                     ? BuildPath({FileLocs[LOC_INSTALL].view(), "Tarvex", "etc", executable})
                                     : BuildPath({FileLocs[LOC_INSTALL].view(), executable});
        if (!FileExists(path)) {
            if (ReportMissing)
                Error(LEVEL_WARNING, "`%s' does not exist", path.c_str());
        } else if (FileDirectory(path)) {
            Error(LEVEL_ERROR, "`%s' is a directory", path.c_str());
        } else if (FileExecutable(path) == 0) {
            Error(LEVEL_ERROR, "`%s' is not an executable file", path.c_str());
        } else {
            return path;
        }
    }
    Error(LEVEL_FATAL, "Missing compilation tool `%s'", executable);
    return {};
}

void ProcessComponents()
{
    // The front of the main driver's command: implementation models and the definition file.
    if (Generate == GENERATE_ASSEMBLER)
        ArgAddTail(MainCommand(), "--CIM2s");
    else if (Generate == GENERATE_OBJECT)
        ArgAddTail(MainCommand(), "--CIM1");
    ArgAddTail(MainCommand(), "--CCIM1");
    if (!Given(OPT_no_prelink) && Production >= OUTPUT_ASSEMBLER && Production <= OUTPUT_EXECUTABLE) {
        ArgAddTail(MainCommand(), "--PIM1");
        ArgAddTail(MainCommand(), "--prelink");
    } else {
        ArgAddTail(MainCommand(), "--no_prelink");
    }
    if (Production == OUTPUT_RELOCATABLE || Production == OUTPUT_EXECUTABLE)
        ArgAddTail(MainCommand(), "--LIM1");
    else if (Production == OUTPUT_LIBRARY)
        ArgAddTail(MainCommand(), "--LIMst");
    else if (Production == OUTPUT_DLL)
        ArgAddTail(MainCommand(), "--LIMdy");
    if (DebugMask != 0) {
        ArgAddTail(MainCommand(), "--component_debug");
        ArgAddTail(MainCommand(), std::to_string(DebugMask));
    }
    std::string definition(FileLocs[LOC_DEF_FILE].view());
    if (definition.empty()) {
        definition = BuildPath({FileLocs[LOC_INSTALL].view(), "Tarvex", "etc", "cctrvx_driver.def"});
        if (!FileExists(definition)) {
            if (ReportMissing)
                Error(LEVEL_FATAL, "`%s' does not exist", definition.c_str());
        } else if (FileDirectory(definition)) {
            Error(LEVEL_FATAL, "`%s' is a directory", definition.c_str());
        }
    }
    ArgAddTail(MainCommand(), "--option_file");
    ArgAddTail(MainCommand(), definition);

    // Options of the main driver itself.
    if (FileLocs[LOC_MAKE_RULES].len > 0) {
        ArgAddTail(ArgLists[LIST_DRIVER], "--depend_target");
        ArgAddTail(ArgLists[LIST_DRIVER], FileLocs[LOC_MAKE_RULES].view());
    }
    ListingOption(LOC_PPLIST_FILE, "--list");
    ListingOption(LOC_XREF_FILE, "--xref");

    // The code generator's options travel through the compiler as one argument.
    if (ArgLists[LIST_RESERVED_REGS].count > 0)
        ArgAddTail(ArgLists[LIST_CODEGEN], "-reserve=" + Joined(ArgLists[LIST_RESERVED_REGS], ':'));
    if (ArgLists[LIST_CODEGEN].count > 0) {
        ArgAddTail(ArgLists[LIST_COMPILER], "--TLI");
        ArgAddTail(ArgLists[LIST_COMPILER], Joined(ArgLists[LIST_CODEGEN], ','));
    }
    PathAndOptions("fe", LOC_COMPILER, LIST_COMPILER);

    static const std::pair<const char*, int> diagnostics[] = {
        {"--diag_suppress", LIST_DIAG_SUPPRESS},
        {"--diag_remark", LIST_DIAG_REMARK},
        {"--diag_warning", LIST_DIAG_WARNING},
        {"--diag_error", LIST_DIAG_ERROR},
    };
    for (const auto& [option, list] : diagnostics) {
        if (ArgLists[list].count > 0) {
            ArgAddTail(MainOptions(), option);
            ArgAddTail(MainOptions(), Joined(ArgLists[list], ','));
        }
    }

    if (Given(OPT_compact))
        PathAndOptions("fe_app", LOC_ASM_PREPROC, LIST_ASM_PREPROC);
    if (Production >= OUTPUT_ASSEMBLER && Production <= OUTPUT_EXECUTABLE) {
        PathAndOptions("fe_asm", LOC_ASSEMBLER, LIST_ASSEMBLER);
        PathAndOptions("pl", LOC_PRELINKER, LIST_PRELINKER);
        PathAndOptions("pl_ipa", LOC_PRELINKER_IPA, LIST_PRELINKER_IPA);
    }
    if (Production == OUTPUT_RELOCATABLE || Production == OUTPUT_EXECUTABLE) {
        if (FileLocs[LOC_MAP_FILE].len > 0) {
            std::string map = InOutputDirectory(FileLocs[LOC_MAP_FILE].view());
            if (FileWritable(map)) {
                ArgAddTail(ArgLists[LIST_LINKER], "-Map");
                ArgAddTail(ArgLists[LIST_LINKER], map);
            }
        }
        PathAndOptions("ln", LOC_LINKER, LIST_LINKER);
    } else if (Production == OUTPUT_LIBRARY) {
        PathAndOptions("ln_ar", LOC_ARCHIVER, LIST_ARCHIVER);
    } else if (Production == OUTPUT_DLL) {
        PathAndOptions("ln_dy", LOC_DLL_BUILDER, LIST_DLL_BUILDER);
    }
    if ((Production == OUTPUT_DLL || Production == OUTPUT_RELOCATABLE || Production == OUTPUT_EXECUTABLE) &&
        !Given(OPT_no_demangle))
        PathAndOptions("decode", LOC_DEMANGLER, LIST_DEMANGLER);

    ProfileGuidedOptimisation();

    if (DebugMask != 0) {
        if (FileLocs[LOC_DEBUGGER].len > 0) {
            ArgAddTail(MainOptions(), "--COMPP_debug");
            ArgAddTail(MainOptions(), FileLocs[LOC_DEBUGGER].view());
        }
        for (Arg* option = ArgFirst(ArgLists[LIST_DEBUGGER]); option; option = ArgNext(option)) {
            ArgAddTail(MainOptions(), "--COMPO_debug");
            ArgAddTail(MainOptions(), option->name);
        }
    }
}
