// The parallel runner: each object chain runs as a job, a copy of the driver whose
// output is written whole when it ends. At most ParallelMax jobs run at once (0: one per
// processor).
#include <vector>

#include "cctrvx/globals.h"
#include "error.h"
#include "file_temp.h"
#include "host/host.h"
#include "system.h"

namespace {

struct Task {
    int (*function)(Node*);
    Node* node;
};

std::vector<HostJob> Jobs;

int Limit()
{
    return ParallelMax > 0 ? ParallelMax : HostProcessorCount();
}

// The job's side: it owns only what it writes itself. The private temporary directory
// and the files of other chains belong to the driver that started it.
int RunTask(void* argument)
{
    const Task task = *static_cast<Task*>(argument);
    FileTempNewProcess();
    BreakQuietly = 1;
    Handle(Break);
    return task.function(task.node);
}

} // namespace

int RunParallel(int (*function)(Node*), Node* node)
{
    if (static_cast<int>(Jobs.size()) >= Limit())
        return -1;
    Task task{function, node};
    HostJob job;
    Handle(SignalMode::Ignore);
    if (!HostStartJob(RunTask, &task, job))
        Error(LEVEL_FATAL_CLIB, "fork()");
    Jobs.push_back(job);
    ParallelProc = static_cast<int>(Jobs.size());
    Handle(Break);
    return 0;
}

int WaitParallelAny(int* status)
{
    if (Jobs.empty()) {
        if (status)
            *status = -1;
        return 0;
    }
    // While the jobs run, a signal is passed on to them; the driver takes its own
    // interrupt path once they have all ended.
    Handle(SignalMode::Default);
    int result = 0;
    const std::size_t index = HostWaitJob(Jobs, result);
    HostFinishJob(Jobs[index]);
    Jobs.erase(Jobs.begin() + static_cast<std::ptrdiff_t>(index));
    ParallelProc = static_cast<int>(Jobs.size());
    if (PendingSignal())
        WaitParallelAll();
    Handle(Break);
    if (status)
        *status = result;
    return result != 0 ? 1 : 0;
}

void WaitParallelAll()
{
    while (!Jobs.empty())
        WaitParallelAny(nullptr);
}

int WaitParallel()
{
    WaitParallelAll();
    return 0;
}
