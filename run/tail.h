#ifndef KOLBEX_RUN_TAIL_H
#define KOLBEX_RUN_TAIL_H

// Where the text after the program name begins in a raw command line: past
// the name (quoted, or up to the first space) and exactly one space.
const char *CommandTail(const char *commandLine);

#endif
