#ifndef KOLBEX_RUN_TEXTS_H
#define KOLBEX_RUN_TEXTS_H

// The banner line (written with a line feed after it) and the usage text.
extern const char Banner[];
extern const char HelpText[];

// The program's name and version, for --version (with a line feed).
extern const char VersionLine[];

#endif
