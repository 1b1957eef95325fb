#include <signal.h>

#include "platform/posix/posix.h"
#include "run/run.h"

int main(int argc, char **argv)
{
    // A reader that has gone, or a file-size limit reached, is a failed
    // write, reported through the exit code like any other, not a death by
    // signal.
    (void)signal(SIGPIPE, SIG_IGN);
    (void)signal(SIGXFSZ, SIG_IGN);
    PosixSetArguments(argc, argv);
    RunKolbex();
}
