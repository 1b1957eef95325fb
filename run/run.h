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

// What "--help" and "--version" ask for, where the platform's habits give
// these words a meaning; its entry decides, before any line is composed.
// The banner and usage text as "/?" writes them, or the program's name and
// version on a line; exit code 0, or 1 when they could not be written.
[[noreturn]] void RunHelp();
[[noreturn]] void RunVersion();

#endif
