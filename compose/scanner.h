// The line scanner: composes the output line from the command tail.
#ifndef KOLBEX_COMPOSE_SCANNER_H
#define KOLBEX_COMPOSE_SCANNER_H

#include <string.h>

#include "compose/state.h"

// Scans from state->cursor to the end of the tail or a help request,
// appending at state->writePos; then terminates the line with a NUL and
// sets lineLength. The line must have been created.
void ComposeLine(RunState *state);

// Sets state->prefix to FoldUpper of the next `count` (at most 5) bytes at
// the cursor, fewer where the tail ends sooner. The cursor does not move.
void TakePrefix(RunState *state, int count);

// Whether the prefix taken is `word`, compared with its NUL (`size` bytes,
// at most 6): a fixed-size compare the compiler does inline.
inline bool PrefixIs(const RunState *state, const char *word, size_t size)
{
    return memcmp(state->prefix, word, size) == 0;
}

#endif
