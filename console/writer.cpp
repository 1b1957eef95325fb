#include "console/writer.h"

#include <string.h>

#include "platform/platform.h"

namespace {

HANDLE standardInput;
HANDLE standardOutput;
HANDLE standardError;

// Returning FALSE leaves every console event to the platform's default
// action, which ends the process.
BOOL WINAPI ControlHandler(DWORD)
{
    return FALSE;
}

// The console first, a file or pipe when the handle is not a console. A
// line never grows past a DWORD's count (MaxLineCapacity).
bool WriteBytes(HANDLE handle, const char *bytes, size_t size)
{
    DWORD count = static_cast<DWORD>(size);
    DWORD written = 0;
    if (WriteConsoleA(handle, bytes, count, &written, nullptr))
        return written == count;
    written = 0;
    return WriteFile(handle, bytes, count, &written, nullptr) && written == count;
}

} // namespace

void StartConsole()
{
    standardInput = GetStdHandle(STD_INPUT_HANDLE);
    standardOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    standardError = GetStdHandle(STD_ERROR_HANDLE);
    SetConsoleCtrlHandler(ControlHandler, TRUE);
}

bool WriteText(const char *text)
{
    if (!text)
        return true;
    size_t count = strlen(text);
    return count == 0 || WriteBytes(standardOutput, text, count);
}

bool WriteLine(const char *text)
{
    bool ok = WriteText(text);
    return WriteBytes(standardOutput, "\n", 1) && ok;
}

bool WriteError(const char *text)
{
    return WriteBytes(standardError, text, strlen(text));
}
