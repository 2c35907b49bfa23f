// Win32 implementation of the platform layer: jobs. A process here cannot be copied, so
// there are no jobs: every chain runs in the driver itself.
#include "host/host.h"
#include "host/host_win32.h"

#include <cerrno>

bool HostJobsSupported()
{
    return false;
}

bool HostStartJob(int (*)(void*), void*, HostJob&)
{
    errno = ENOSYS;
    return false;
}

std::size_t HostWaitJob(const std::vector<HostJob>&, int& status)
{
    status = -1;
    return 0;
}

void HostFinishJob(HostJob& job)
{
    job = HostJob{};
}

int HostProcessorCount()
{
    SYSTEM_INFO information;
    GetSystemInfo(&information);
    return information.dwNumberOfProcessors > 0 ? static_cast<int>(information.dwNumberOfProcessors) : 1;
}
