// Host services: signal handling, host information, timing and command execution.
#pragma once

#include <string>

// Signal handling ---------------------------------------------------------------------

enum class SignalMode {
    Default, // while a child runs: the child has the default handling
    Ignore,  // while a child is set up or cleaned up, and while files are deleted
};

// Installs the handling of the interrupt and termination signals. With a mode, a signal
// that arrives is noted (and passed on to a running child) instead of ending the
// driver at once; the handler installed next takes it as soon as it is installed, so
// the driver always ends through its own interrupt path. With a handler, a signal runs
// the handler at once. A refusal by the host is fatal ("signal()").
void Handle(SignalMode mode);
void Handle(void (*handler)(int));

// The signal noted while a mode was installed, or 0.
int PendingSignal();

// Host information ----------------------------------------------------------------------

// The full path of the running executable; failure is fatal ("GetModuleFileName()").
std::string ProgramName();
