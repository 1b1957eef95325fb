// The process entry point itself: no C runtime start-up (command-line
// parsing into argv, environment copies), since the run reads neither.
#include "run/run.h"

extern "C" __attribute__((force_align_arg_pointer)) void KolbexEntry()
{
    RunKolbex();
}
