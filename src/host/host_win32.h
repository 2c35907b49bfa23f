// What the Win32 files of the platform layer share among themselves.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// The C library's error number closest to an operating-system error code.
int HostErrnoOf(unsigned long error);
// Seconds-and-ticks conversion: a FILETIME's 100-nanosecond ticks since 1970.
long long HostUnixTicks(unsigned long high, unsigned long low);

// Set once the console's interrupt handler has passed an event on to the driver; a child
// that ended by the console's interrupt waits for it, so that the driver hears of the
// interrupt before it looks at the child's status.
HANDLE HostInterruptSeen();
