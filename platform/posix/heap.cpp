// Private heaps over the C library's allocator. Blocks are not tracked per
// heap, so HeapDestroy does not free what is left: the process end does.
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

// Zeroed memory is not offered, as nothing here asks for it: such a request
// fails rather than return garbage.
LPVOID WINAPI HeapAlloc(HANDLE, DWORD flags, SIZE_T bytes)
{
    if (flags & HEAP_ZERO_MEMORY)
        return nullptr;
    return malloc(bytes ? bytes : 1);
}

// The size of the old block is not known here, so zeroing the grown part
// cannot be honoured; such a request fails rather than return garbage.
LPVOID WINAPI HeapReAlloc(HANDLE, DWORD flags, LPVOID block, SIZE_T bytes)
{
    if ((flags & HEAP_ZERO_MEMORY) || !block)
        return nullptr;
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
