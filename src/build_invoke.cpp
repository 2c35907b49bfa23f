// Running one component tool: the debugger prefix, pipes, and each tool's command line.
#include "build.h"

#include <cstdio>
#include <initializer_list>
#include <optional>

#include "cctrvx/globals.h"
#include "args.h"
#include "error.h"
#include "file_names.h"
#include "file_system.h"
#include "file_optfile.h"
#include "file_temp.h"
#include "file_template.h"
#include "host/host.h"
#include "system.h"

namespace {

// Words appended to a list for one run and taken off again afterwards.
class Appended {
public:
    explicit Appended(List& list) : list_(list), count_(list.count) {}
    ~Appended()
    {
        while (list_.count > count_)
            ArgRemTail(list_);
    }
    Appended(const Appended&) = delete;
    Appended& operator=(const Appended&) = delete;

private:
    List& list_;
    std::uint32_t count_;
};

// Words put in front of a list for one run and taken off again afterwards.
class Prefixed {
public:
    explicit Prefixed(List& list) : list_(list), count_(list.count) {}
    ~Prefixed()
    {
        while (list_.count > count_)
            ArgRemHead(list_);
    }
    Prefixed(const Prefixed&) = delete;
    Prefixed& operator=(const Prefixed&) = delete;

private:
    List& list_;
    std::uint32_t count_;
};

// With the debugger, the list is prefixed with the debugger's options and the program,
// and the program to run is the debugger.
std::string DebuggerPrefix(std::string_view program, List& arguments)
{
    if (FileLocs[LOC_DEBUGGER].len == 0)
        Error(LEVEL_FATAL, "No location specified for debugger");
    ArgAddHead(arguments, program);
    for (Arg* option = ArgLast(ArgLists[LIST_DEBUGGER]); option; option = ListPrev(option))
        ArgAddHead(arguments, option->name);
    return std::string(FileLocs[LOC_DEBUGGER].view());
}

} // namespace

int Invoke(std::string_view program, int outputMode, std::string_view outputFile, List& arguments, bool debug)
{
    Prefixed restore(arguments);
    std::string path(program);
    if (debug)
        path = DebuggerPrefix(program, arguments);
    return RunCommand(path, FilePath(path), outputMode, outputFile, arguments);
}

int InvokePipe(std::string_view first, std::string_view second, int outputMode, std::string_view outputFile,
               List& firstArguments, List& secondArguments, bool debug)
{
    Prefixed restore(firstArguments);
    std::string path(first);
    if (debug)
        path = DebuggerPrefix(first, firstArguments);
    return RunCommandPipe(path, FilePath(path), second, FilePath(second), outputMode, outputFile, firstArguments,
                          secondArguments);
}

int InvokeProfiler(const List& dataFiles, const std::string& guideFile, const std::string& output)
{
    if (FileLocs[LOC_PROFILER].len == 0)
        Error(LEVEL_FATAL, "No location specified for profiler");
    if (dataFiles.count == 0) {
        Error(LEVEL_ERROR, "Cannot perform profile-guided optimisation without any profiling data files");
        return 1;
    }
    if (!FileWritable(output)) {
        DelFileRemove(output);
        return 1;
    }
    List& options = ArgLists[LIST_PROFILER];
    Appended restore(options);
    ArgAddTail(options, "-o");
    ArgAddTail(options, output);
    ArgAddTail(options, guideFile);
    for (Arg* file = ArgFirst(dataFiles); file; file = ArgNext(file))
        ArgAddTail(options, file->name);
    return Invoke(FileLocs[LOC_PROFILER].view(), 0, "", options, (DebugMask & 1024) != 0);
}

namespace {

// A tool's location; a missing one stops the run.
std::string Location(int slot, const char* word)
{
    if (FileLocs[slot].len == 0)
        Error(LEVEL_FATAL, "No location specified for %s", word);
    return std::string(FileLocs[slot].view());
}

// An output that cannot be written: the tool does not run, and the name leaves the
// deletion list.
bool CannotWrite(const std::string& output)
{
    if (FileWritable(output))
        return false;
    DelFileRemove(output);
    return true;
}

bool Debugged(int bit)
{
    return (DebugMask & bit) != 0;
}

// The estimated length of a tool's command line.
std::size_t Estimate(const std::string& program, const List& options, bool debug)
{
    std::size_t length = program.size() + 65;
    if (options.count > 0)
        length += ArgListLength(options) + 1;
    if (debug) {
        length += FileLocs[LOC_DEBUGGER].len + 1;
        if (ArgLists[LIST_DEBUGGER].count > 0)
            length += ArgListLength(ArgLists[LIST_DEBUGGER]) + 1;
    }
    return length;
}

// Runs a tool whose long command lines go to it in a response file, one argument a
// line, named "@file".
int InvokeWithResponseFile(const std::string& program, const char* name, List& options, bool debug, int outputMode,
                           const std::string& outputFile)
{
    const bool useFile = WriteOptions || Estimate(program, options, debug) > static_cast<std::size_t>(ArgMax);
    if (DryRun || !useFile)
        return Invoke(program, outputMode, outputFile, options, debug);
    std::string file = FileTarget(name, "lst", KeepTemps);
    if (!KeepTemps)
        CheckTempFile(file);
    FILE* stream = HostOpenFile(file, "w");
    if (!stream)
        Error(LEVEL_FATAL_CLIB, file);
    for (Arg* option = ArgFirst(options); option; option = ArgNext(option))
        std::fprintf(stream, "%s\n", option->name.c_str());
    if (std::fclose(stream) != 0)
        Error(LEVEL_CLIB, file);
    List response;
    ArgAddTail(response, "@" + file);
    const int status = Invoke(program, outputMode, outputFile, response, debug);
    ArgFreeList(response);
    if (!KeepTemps) {
        FileRemove(file);
        DelFileRemove(file);
    }
    return status;
}

void AddWords(List& list, std::initializer_list<std::string_view> words)
{
    for (std::string_view word : words)
        ArgAddTail(list, word);
}

// The companion file names of an object.
std::string Companion(const std::string& object, const char* suffix)
{
    return InstantiationFile(object, suffix);
}

} // namespace

int InvokeCompiler(const std::string& source, const std::string* output, const std::string* object)
{
    const std::string program = Location(LOC_COMPILER, "compiler");
    std::optional<std::string> errorFile;
    if (EditFiles && EditFormat)
        errorFile = FileTarget(source, "err", KeepTemps);
    List& options = ArgLists[LIST_COMPILER];
    Appended restore(options);
    if (output) {
        if (IPAMode == 0 && object) {
            FileRemove(Companion(*object, ".opa"));
            FileRemove(Companion(*object, ".ipa"));
        }
        if (CannotWrite(*output))
            return 1;
        if (PrecompiledHeaders && FileLocs[LOC_PCH_DIR].len > 0)
            AddWords(options, {"--pch_dir", FileLocs[LOC_PCH_DIR].view()});
        if (TemplateRepository && FileLocs[LOC_REPOSITORY].len > 0)
            AddWords(options, {"--instantiation_dir", FileLocs[LOC_REPOSITORY].view()});
        if (UseInstFiles && object) {
            AddWords(options, {"--ii_file", Companion(*object, ".ii")});
            if (UseInstFiles == 2)
                AddWords(options, {"--template_info_file", Companion(*object, ".ti")});
        }
        if (IPAMode && object) {
            AddWords(options, {"--opa_file", Companion(*object, ".opa")});
            if (IPAMode == 2)
                AddWords(options, {"--ipa_file", Companion(*object, ".ipa")});
        }
        if (Generate == GENERATE_C || Production == OUTPUT_C)
            ArgAddTail(options, "--gen_c_file_name");
        else if (Generate == GENERATE_ASSEMBLER)
            ArgAddTail(options, "--gen_asm_file_name");
        else
            ArgAddTail(options, "--gen_obj_file_name");
        ArgAddTail(options, *output);
    }
    if (errorFile) {
        if (KeepTemps)
            FileRemove(*errorFile);
        else
            CheckTempFile(*errorFile);
        AddWords(options, {"--error_file", *errorFile});
    }
    ArgAddTail(options, source);
    int mode = REDIRECT_NONE;
    std::string redirection;
    if (WritePreprocessorFiles || WriteDependencies) {
        mode = REDIRECT_OUTPUT;
        redirection = FileTarget(source, WritePreprocessorFiles ? "i" : "d", 1);
    }
    const int status = InvokeWithResponseFile(program, "compiler", options, Debugged(1), mode, redirection);
    if (errorFile) {
        if (status != 0) {
            List records;
            ReadErrorFile(*errorFile, records);
            for (Arg* record = ArgFirst(records); record; record = ArgNext(record))
                FileEdit(*EditFormat, record->name, record->value.value_or(""));
            ArgFreeList(records);
        }
        if (!KeepTemps)
            FileRemove(*errorFile);
        DelFileRemove(*errorFile);
    }
    return status;
}

int InvokeCCompiler(const std::string& source, const std::string& object)
{
    const std::string program = Location(LOC_C_COMPILER, "system C compiler");
    if (CannotWrite(object))
        return 1;
    List& options = ArgLists[LIST_C_COMPILER];
    Appended restore(options);
    AddWords(options, {"-c", "-Fo" + object, source});
    return Invoke(program, 0, "", options, Debugged(2));
}

int InvokeAssembler(const std::string& source, const std::string& object)
{
    const std::string program = Location(LOC_ASSEMBLER, "assembler");
    if (CannotWrite(object))
        return 1;
    List& options = ArgLists[LIST_ASSEMBLER];
    Appended restore(options);
    AddWords(options, {"-o", object, source});
    return Invoke(program, 0, "", options, Debugged(4));
}

int InvokeAsmPreproc(const std::string& source, const std::string& output)
{
    const std::string program = Location(LOC_ASM_PREPROC, "assembler preprocessor");
    if (CannotWrite(output))
        return 1;
    List& options = ArgLists[LIST_ASM_PREPROC];
    Appended restore(options);
    AddWords(options, {"-o", output, source});
    return Invoke(program, 0, "", options, Debugged(8));
}

int InvokeObjPostproc(const std::string& object)
{
    const std::string program = Location(LOC_OBJ_POSTPROC, "object postprocessor");
    if (CannotWrite(object))
        return 1;
    List& options = ArgLists[LIST_OBJ_POSTPROC];
    Appended restore(options);
    ArgAddTail(options, object);
    return Invoke(program, 0, "", options, Debugged(16));
}

int InvokePrelinker(const List& inputs)
{
    const std::string program = Location(LOC_PRELINKER, "prelinker");
    List& options = ArgLists[LIST_PRELINKER];
    Appended restore(options);
    // The symbol lister and the IPA solver are each handed over as one word: the path and
    // the options joined with blanks.
    if (FileLocs[LOC_PRELINKER_NM].len > 0 || ArgLists[LIST_PRELINKER_NM].count > 0) {
        const std::string lister = Location(LOC_PRELINKER_NM, "prelinker nm");
        std::string word = lister;
        for (Arg* option = ArgFirst(ArgLists[LIST_PRELINKER_NM]); option; option = ArgNext(option))
            word += " " + option->name;
        AddWords(options, {"-c", word});
    }
    if (IPAMode) {
        if (!PerformPrelink)
            ArgAddTail(options, "-j");
        ArgAddTail(options, "-y0");
    }
    std::string solver = Location(LOC_PRELINKER_IPA, "prelinker IPA solver");
    for (Arg* option = ArgFirst(ArgLists[LIST_PRELINKER_IPA]); option; option = ArgNext(option))
        solver += " " + option->name;
    if (Production == OUTPUT_LIBRARY || Production == OUTPUT_DLL || Production == OUTPUT_RELOCATABLE)
        solver += " --output " + std::string(FileLocs[LOC_OUTPUT].view());
    AddWords(options, {"-Y", solver});
    for (Arg* input = ArgFirst(inputs); input; input = ArgNext(input)) {
        if (input->name.compare(0, 2, "-u") == 0)
            ArgAddTail(options, "-U" + input->name.substr(2));
        else
            ArgAddTail(options, input->name);
    }
    // The prelinker is never timed out.
    const int limit = TimeLimit;
    TimeLimit = 0;
    const int status = InvokeWithResponseFile(program, "prelinker", options, Debugged(32), 0, "");
    TimeLimit = limit;
    // Status 1 means that the link needs the C++ support.
    if (status == 1) {
        ArgAddTail(ArgLists[LIST_LINKER], "-MD__cplusplus");
        return 0;
    }
    return status;
}

namespace {

// The linker and the dynamic link library builder, through the demangler when asked.
int InvokeLinking(const std::string& program, List& options, bool debug)
{
    if (DemangleOutput) {
        const std::string demangler = Location(LOC_DEMANGLER, "demangler");
        return InvokePipe(program, demangler, 0, "", options, ArgLists[LIST_DEMANGLER], debug);
    }
    return Invoke(program, 0, "", options, debug);
}

} // namespace

int InvokeLinker(const List& inputs, const std::string& output)
{
    const std::string program = Location(LOC_LINKER, "linker");
    if (DemangleOutput)
        Location(LOC_DEMANGLER, "demangler");
    if (!DepLink && CannotWrite(output))
        return 1;
    List& options = ArgLists[LIST_LINKER];
    Appended restore(options);
    if (!DepLink)
        AddWords(options, {"-o", output});
    for (Arg* input = ArgFirst(inputs); input; input = ArgNext(input))
        ArgAddTail(options, input->name);
    // The expert linker is only shown, never run; a dry run stays a dry run afterwards.
    const int dryRun = DryRun;
    if (ExpertLinker)
        DryRun = 1;
    const int status = InvokeLinking(program, options, Debugged(64));
    DryRun = dryRun;
    return status;
}

int InvokeArchiver(const List& objects, const std::string& library)
{
    const std::string program = Location(LOC_ARCHIVER, "library builder");
    if (CannotWrite(library))
        return 1;
    List& options = ArgLists[LIST_ARCHIVER];
    Appended restore(options);
    ArgAddTail(options, library);
    const bool debug = Debugged(128);
    // The objects go in batches, each keeping the command line within the limit.
    const std::size_t estimate = Estimate(program, options, debug);
    const std::size_t limit = static_cast<std::size_t>(ArgMax);
    const std::size_t room = estimate > limit ? 0 : limit - estimate;
    int status = 0;
    Arg* next = ArgFirst(objects);
    while (next) {
        List batch;
        next = ArgSplitLength(next, room, batch);
        Appended withoutBatch(options);
        JoinList(options, batch);
        status = Invoke(program, 0, "", options, debug);
        if (status != 0)
            break;
    }
    return status;
}

int InvokeLibBuilder(const List& inputs, const std::string& output)
{
    const std::string program = Location(LOC_DLL_BUILDER, "dynamic link library builder");
    if (DemangleOutput)
        Location(LOC_DEMANGLER, "demangler");
    if (CannotWrite(output))
        return 1;
    List& options = ArgLists[LIST_DLL_BUILDER];
    Appended restore(options);
    AddWords(options, {"-o", output});
    for (Arg* input = ArgFirst(inputs); input; input = ArgNext(input))
        ArgAddTail(options, input->name);
    return InvokeLinking(program, options, Debugged(256));
}

int InvokeMemInit(const std::string& input, const std::string& output)
{
    const std::string program = Location(LOC_MEM_INIT, "memory initializer");
    if (CannotWrite(output))
        return 1;
    List& options = ArgLists[LIST_MEM_INIT];
    Appended restore(options);
    AddWords(options, {"-o", output, input});
    return Invoke(program, 0, "", options, Debugged(512));
}

int UpdateTemplateFile(const std::string& source, const std::string& object, List& entries)
{
    List& recompile = ArgLists[LIST_RECOMPILE];
    Appended restore(recompile);
    AddWords(recompile, {"-c", "-o", object});
    const std::string command = CommandLine(recompile);
    const std::string directory(FileLocs[LOC_CWD].view());
    const std::string repository(FileLocs[LOC_REPOSITORY].view());
    const std::string file = Companion(object, UseInstFiles == 2 ? ".ti" : ".ii");
    const int updated = UpdateInstantiationFile(file, &command, &directory, &source, &repository, entries);
    ProcessTemplateInfoList(repository, entries, false);
    return updated ? 0 : 1;
}
