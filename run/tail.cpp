#include "run/tail.h"

const char *CommandTail(const char *commandLine)
{
    const char *p = commandLine;
    if (*p == '"') {
        p++;
        while (*p && *p != '"')
            p++;
        if (!*p)
            return p;
        p++;
    } else {
        // Only a space ends an unquoted name; a tab is part of it.
        while (*p && *p != ' ')
            p++;
    }
    if (*p == ' ')
        p++;
    return p;
}
