// Running one component tool: the debugger prefix, pipes, and each tool's command line.
#include "build.h"

#include "cctrvx/globals.h"
#include "args.h"
#include "error.h"
#include "file_names.h"
#include "file_system.h"
#include "file_temp.h"
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
