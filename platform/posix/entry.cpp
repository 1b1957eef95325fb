#include <csignal>

#include "platform/posix/posix.h"
#include "run/run.h"

int main(int argc, char **argv)
{
    // A reader that has gone is a failed write, reported through the exit
    // code like any other, not a death by signal.
    (void)std::signal(SIGPIPE, SIG_IGN);
    PosixSetArguments(argc, argv);
    RunKolbex();
}
