#include <unistd.h>

#include "platform/platform.h"

// Nothing is buffered in the C library (all output goes through write), so
// there is nothing for exit() to flush.
void WINAPI ExitProcess(UINT exitCode)
{
    _exit(static_cast<int>(exitCode));
}
