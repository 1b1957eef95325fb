// The whole life of the process: compose the line, write it, exit.
#ifndef KOLBEX_RUN_RUN_H
#define KOLBEX_RUN_RUN_H

// Exit codes: the line was written; it could not be produced or written;
// the usage text was shown.
constexpr unsigned int ExitWritten = 0;
constexpr unsigned int ExitFailed = 1;
constexpr unsigned int ExitUsage = 255;

// The process entry point's work; ends the process with the exit code.
[[noreturn]] void RunKolbex();

#endif
