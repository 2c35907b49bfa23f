// POSIX implementation of the platform layer: jobs run by copies of this process.
#include "host/host.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

void HostRegisterChild(int pid);
void HostUnregisterChild(int pid);
void HostForgetChildren();

namespace {

int CaptureFile(const char* name)
{
    return memfd_create(name, MFD_CLOEXEC);
}

void CopyAll(int from, int to)
{
    lseek(from, 0, SEEK_SET);
    char buffer[65536];
    ssize_t count;
    while ((count = read(from, buffer, sizeof buffer)) > 0) {
        const char* p = buffer;
        while (count > 0) {
            ssize_t written = write(to, p, static_cast<std::size_t>(count));
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                return;
            }
            p += written;
            count -= written;
        }
    }
}

} // namespace

bool HostJobsSupported()
{
    return true;
}

bool HostStartJob(int (*function)(void*), void* argument, HostJob& job)
{
    job.output = CaptureFile("cctrvx-job-output");
    job.errors = CaptureFile("cctrvx-job-errors");
    if (job.output < 0 || job.errors < 0) {
        const int error = errno;
        if (job.output >= 0)
            close(job.output);
        if (job.errors >= 0)
            close(job.errors);
        errno = error;
        return false;
    }
    std::fflush(nullptr);
    // The signals stay blocked until the job is registered, so that one passed on to the
    // jobs reaches this one too; the job itself starts with them unblocked.
    sigset_t blocked;
    sigset_t saved;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGINT);
    sigaddset(&blocked, SIGTERM);
    sigprocmask(SIG_BLOCK, &blocked, &saved);
    const pid_t pid = fork();
    if (pid < 0) {
        const int error = errno;
        sigprocmask(SIG_SETMASK, &saved, nullptr);
        close(job.output);
        close(job.errors);
        errno = error;
        return false;
    }
    if (pid == 0) {
        sigprocmask(SIG_SETMASK, &saved, nullptr);
        dup2(job.output, STDOUT_FILENO);
        dup2(job.errors, STDERR_FILENO);
        close(job.output);
        close(job.errors);
        // The other jobs are the parent's children, not this one's.
        HostForgetChildren();
        const int result = function(argument);
        std::fflush(nullptr);
        _exit(result);
    }
    job.pid = pid;
    HostRegisterChild(pid);
    sigprocmask(SIG_SETMASK, &saved, nullptr);
    return true;
}

std::size_t HostWaitJob(const std::vector<HostJob>& jobs, int& status)
{
    while (true) {
        int raw = 0;
        const pid_t pid = waitpid(-1, &raw, 0);
        if (pid < 0) {
            if (errno == EINTR)
                continue;
            status = -1;
            return 0;
        }
        for (std::size_t i = 0; i < jobs.size(); ++i) {
            if (jobs[i].pid != pid)
                continue;
            HostUnregisterChild(pid);
            status = WIFEXITED(raw) ? WEXITSTATUS(raw) : WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : 1;
            return i;
        }
    }
}

void HostFinishJob(HostJob& job)
{
    std::fflush(nullptr);
    CopyAll(job.output, STDOUT_FILENO);
    CopyAll(job.errors, STDERR_FILENO);
    close(job.output);
    close(job.errors);
    job = HostJob{};
}

int HostProcessorCount()
{
    const long count = sysconf(_SC_NPROCESSORS_ONLN);
    return count > 0 ? static_cast<int>(count) : 1;
}
