// CharToOemBuffA: a table lookup from the ANSI to the OEM code page.
#include "platform/platform.h"
#include "platform/posix/locale_data.h"

BOOL WINAPI CharToOemBuffA(LPCSTR source, LPSTR destination, DWORD length)
{
    if (!source || !destination)
        return FALSE;
    for (DWORD i = 0; i < length; i++)
        destination[i] = static_cast<char>(AnsiToOem[static_cast<unsigned char>(source[i])]);
    return TRUE;
}
