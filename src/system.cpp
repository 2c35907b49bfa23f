#include "system.h"

#include <csignal>

#include "error.h"
#include "host/host.h"

namespace {

volatile std::sig_atomic_t Pending = 0;
volatile std::sig_atomic_t Immediate = 0;
void (*volatile CurrentHandler)(int) = nullptr;
bool TrampolineInstalled = false;

void SignalTrampoline(int signal)
{
    if (Immediate && CurrentHandler) {
        InSignalHandler = 1;
        CurrentHandler(signal);
        InSignalHandler = 0;
    } else if (!Pending) {
        Pending = signal;
    }
}

void InstallTrampoline()
{
    if (TrampolineInstalled)
        return;
    if (!HostSetSignalFunction(SignalTrampoline))
        Error(LEVEL_FATAL_CLIB, "signal()");
    TrampolineInstalled = true;
}

} // namespace

void Handle(SignalMode)
{
    InstallTrampoline();
    HostSignalBlock block;
    Immediate = 0;
}

void Handle(void (*handler)(int))
{
    InstallTrampoline();
    int signal = 0;
    {
        HostSignalBlock block;
        CurrentHandler = handler;
        Immediate = 1;
        signal = Pending;
        Pending = 0;
    }
    if (signal)
        handler(signal);
}

int PendingSignal()
{
    return Pending;
}

std::string ProgramName()
{
    std::optional<std::string> path = HostExecutablePath();
    if (!path)
        Error(LEVEL_FATAL_SYSTEM, "GetModuleFileName()");
    return *path;
}
