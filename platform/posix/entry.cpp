#include <signal.h>
#include <string.h>

#include "platform/posix/posix.h"
#include "run/run.h"

int main(int argc, char **argv)
{
    // A reader that has gone, or a file-size limit reached, is a failed
    // write, reported through the exit code like any other, not a death by
    // signal.
    (void)signal(SIGPIPE, SIG_IGN);
    (void)signal(SIGXFSZ, SIG_IGN);
    // A POSIX user's first two commands with a tool; only these words
    // alone, so that any other text is composed as always.
    if (argc == 2 && strcmp(argv[1], "--help") == 0)
        RunHelp();
    if (argc == 2 && strcmp(argv[1], "--version") == 0)
        RunVersion();
    PosixSetArguments(argc, argv);
    RunKolbex();
}
