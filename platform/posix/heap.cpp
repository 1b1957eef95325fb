// Private heaps over the C library's allocator, for the core's calls, which
// pass no flags. HeapDestroy leaves what is left to the process end.
#include <stdlib.h>

#include "platform/platform.h"

namespace {
char heapToken;
}

HANDLE WINAPI GetProcessHeap(void)
{
    return &heapToken;
}

HANDLE WINAPI HeapCreate(DWORD, SIZE_T, SIZE_T)
{
    return &heapToken;
}

LPVOID WINAPI HeapAlloc(HANDLE, DWORD, SIZE_T bytes)
{
    return malloc(bytes ? bytes : 1);
}

LPVOID WINAPI HeapReAlloc(HANDLE, DWORD, LPVOID block, SIZE_T bytes)
{
    return realloc(block, bytes ? bytes : 1);
}

BOOL WINAPI HeapFree(HANDLE, DWORD, LPVOID block)
{
    free(block);
    return TRUE;
}

BOOL WINAPI HeapDestroy(HANDLE)
{
    return TRUE;
}
