// GetCommandLineA: POSIX hands over argv, already split by the shell, so the
// raw line is rebuilt: the program name, quoted when it holds a space, then
// every argument after exactly one space with its bytes unchanged.
#include <cstdlib>
#include <cstring>

#include "platform/posix/posix.h"

namespace {

int savedArgc;
char **savedArgv;
char *commandLine;

char emptyLine[] = "kolbex";

char *BuildCommandLine()
{
    const char *name = (savedArgc > 0 && savedArgv[0]) ? savedArgv[0] : emptyLine;
    std::size_t size = std::strlen(name) + 3;
    for (int i = 1; i < savedArgc; i++)
        size += std::strlen(savedArgv[i]) + 1;

    char *line = static_cast<char *>(std::malloc(size));
    if (!line)
        return emptyLine;

    bool quote = std::strchr(name, ' ') != nullptr;
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
        std::size_t n = std::strlen(savedArgv[i]);
        std::memcpy(out, savedArgv[i], n);
        out += n;
    }
    *out = '\0';
    return line;
}

} // namespace

void PosixSetArguments(int argc, char **argv)
{
    savedArgc = argc;
    savedArgv = argv;
}

LPSTR WINAPI GetCommandLineA(void)
{
    if (!commandLine)
        commandLine = BuildCommandLine();
    return commandLine;
}
