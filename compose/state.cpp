#include <string.h>

#include "compose/state.h"

bool CreateOutputLine(RunState *state)
{
    // Not cleared: nothing is read from the line past writePos, and the
    // final NUL is stored when the scan ends.
    char *line = static_cast<char *>(HeapAlloc(state->heap, 0, OutputLineCapacity));
    if (!line) {
        state->outOfMemory = 1;
        return false;
    }
    state->outputStart = line;
    state->writePos = line;
    state->lineLimit = line + OutputLineCapacity - 1;
    return true;
}

void ReleaseOutputLine(RunState *state)
{
    if (state->outputStart)
        HeapFree(state->heap, 0, state->outputStart);
    if (state->picture)
        HeapFree(state->heap, 0, state->picture);
    state->outputStart = state->writePos = state->lineLimit = nullptr;
    state->picture = nullptr;
    state->pictureCapacity = 0;
}

bool ReserveLine(RunState *state, size_t bytes)
{
    size_t used = LineLength(state);
    size_t capacity = static_cast<size_t>(state->lineLimit - state->outputStart) + 1;
    if (used + bytes < capacity)
        return true;
    if (state->outOfMemory || bytes > MaxLineCapacity - used - 1) {
        state->outOfMemory = 1;
        return false;
    }
    size_t needed = used + bytes + 1;
    size_t grown = capacity < MaxLineCapacity / 2 ? capacity * 2 : MaxLineCapacity;
    if (grown < needed)
        grown = needed;
    char *line = static_cast<char *>(HeapReAlloc(state->heap, 0, state->outputStart, grown));
    if (!line) {
        state->outOfMemory = 1;
        return false;
    }
    state->outputStart = line;
    state->writePos = line + used;
    state->lineLimit = line + grown - 1;
    return true;
}

bool ReservePicture(RunState *state, size_t count)
{
    if (count <= state->pictureCapacity)
        return true;
    size_t grown = count < 64 ? 64 : count;
    void *more = state->picture ? HeapReAlloc(state->heap, 0, state->picture, grown)
                                : HeapAlloc(state->heap, 0, grown);
    if (!more) {
        state->outOfMemory = 1;
        return false;
    }
    state->picture = static_cast<char *>(more);
    state->pictureCapacity = grown;
    return true;
}
