#include "tests/test_heap.h"

#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace {

char heapToken;
int countdown = -1; // calls left before the failing one; -1: none fails

// Each block is preceded by its size, in a header that keeps the alignment.
constexpr std::size_t Header = 16;

bool Fails()
{
    if (countdown < 0) {
        const char *nth = std::getenv("KOLBEX_FAIL_ALLOCATION");
        countdown = nth ? static_cast<int>(std::strtol(nth, nullptr, 10)) : 0;
    }
    return countdown > 0 && --countdown == 0;
}

void *Store(void *base, std::size_t bytes)
{
    if (!base)
        return nullptr;
    std::memcpy(base, &bytes, sizeof bytes);
    return static_cast<char *>(base) + Header;
}

void *Base(void *block)
{
    return static_cast<char *>(block) - Header;
}

} // namespace

void FailAllocation(int nth)
{
    countdown = nth;
}

std::size_t BlockSize(const void *block)
{
    std::size_t bytes = 0;
    std::memcpy(&bytes, static_cast<const char *>(block) - Header, sizeof bytes);
    return bytes;
}

HANDLE WINAPI GetProcessHeap(void)
{
    return &heapToken;
}

HANDLE WINAPI HeapCreate(DWORD, SIZE_T, SIZE_T)
{
    return Fails() ? nullptr : &heapToken;
}

LPVOID WINAPI HeapAlloc(HANDLE, DWORD, SIZE_T bytes)
{
    if (Fails())
        return nullptr;
    return Store(std::malloc(Header + bytes), bytes);
}

LPVOID WINAPI HeapReAlloc(HANDLE, DWORD, LPVOID block, SIZE_T bytes)
{
    if (Fails() || !block)
        return nullptr;
    return Store(std::realloc(Base(block), Header + bytes), bytes);
}

BOOL WINAPI HeapFree(HANDLE, DWORD, LPVOID block)
{
    if (block)
        std::free(Base(block));
    return TRUE;
}

BOOL WINAPI HeapDestroy(HANDLE)
{
    return TRUE;
}
