// What the POSIX stand-ins need from outside the Windows-shaped seam.
#ifndef KOLBEX_PLATFORM_POSIX_H
#define KOLBEX_PLATFORM_POSIX_H

#include "platform/platform.h"

// Hands the process's arguments to GetCommandLineA, which joins them into
// the single raw line that Windows gives a process (anew after every call).
void PosixSetArguments(int argc, char **argv);

// Makes every formatting call without an explicit moment use this one
// instead of the clock; nullptr restores the clock. For tests and fuzzing.
void PosixFixClock(const SYSTEMTIME *moment);

#endif
