// A test build of the POSIX heap stand-in: it knows the exact size of every
// block it gave out and fails the allocation asked for. Linked into the unit
// tests and into kolbex_failing_heap, never into the product.
#ifndef KOLBEX_TESTS_TEST_HEAP_H
#define KOLBEX_TESTS_TEST_HEAP_H

#include <cstddef>

// Makes the nth allocation call from now fail (1: the next one; 0: none).
// HeapCreate, HeapAlloc and HeapReAlloc are allocation calls.
// kolbex_failing_heap takes n from KOLBEX_FAIL_ALLOCATION instead.
void FailAllocation(int nth);

// The size asked for when the block was allocated.
std::size_t BlockSize(const void *block);

#endif
