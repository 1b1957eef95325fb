// The process: GetCommandLineA and ExitProcess. POSIX hands over argv, split
// by the shell, so the raw line is rebuilt: the program name, quoted when it
// holds a space, then every argument after one space, its bytes unchanged.
// Without memory for it there is no line: the call returns null.
#include <string.h>
#include <unistd.h>

#include "platform/posix/posix.h"

namespace {

int savedArgc;
char **savedArgv;
char *commandLine;

char *BuildCommandLine()
{
    const char *name = (savedArgc > 0 && savedArgv[0]) ? savedArgv[0] : "kolbex";
    size_t size = strlen(name) + 3;
    for (int i = 1; i < savedArgc; i++)
        size += strlen(savedArgv[i]) + 1;

    char *line = static_cast<char *>(HeapAlloc(GetProcessHeap(), 0, size));
    if (!line)
        return nullptr;

    bool quote = strchr(name, ' ') != nullptr;
    char *out = line;
    if (quote)
        *out++ = '"';
    // A double quote inside the name would end the quoted name early.
    for (const char *p = name; *p; p++)
        if (*p != '"')
            *out++ = *p;
    if (quote)
        *out++ = '"';
    for (int i = 1; i < savedArgc; i++) {
        *out++ = ' ';
        size_t n = strlen(savedArgv[i]);
        memcpy(out, savedArgv[i], n);
        out += n;
    }
    *out = '\0';
    return line;
}

} // namespace

void PosixSetArguments(int argc, char **argv)
{
    if (commandLine)
        HeapFree(GetProcessHeap(), 0, commandLine);
    commandLine = nullptr;
    savedArgc = argc;
    savedArgv = argv;
}

LPSTR WINAPI GetCommandLineA(void)
{
    if (!commandLine)
        commandLine = BuildCommandLine();
    return commandLine;
}

// Nothing is buffered in the C library (all output goes through write), so
// there is nothing for exit() to flush.
void WINAPI ExitProcess(UINT exitCode)
{
    _exit(static_cast<int>(exitCode));
}
