// What the POSIX stand-ins need from outside the Windows-shaped seam.
#ifndef KOLBEX_PLATFORM_POSIX_H
#define KOLBEX_PLATFORM_POSIX_H

#include <time.h>

#include "platform/platform.h"

// Hands the process's arguments to GetCommandLineA, which joins them into
// the single raw line that Windows gives a process (anew after every call).
void PosixSetArguments(int argc, char **argv);

// Makes every reading of the clock give this instant (seconds since 1970,
// UTC; the local time is TZ's) instead of the time; nullptr restores the
// clock. For tests and fuzzing.
void PosixFixClock(const time_t *instant);

#endif
