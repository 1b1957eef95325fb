// The line scanner: composes the output line from the command tail.
#ifndef KOLBEX_COMPOSE_SCANNER_H
#define KOLBEX_COMPOSE_SCANNER_H

#include "compose/state.h"

// Scans from state->cursor to the end of the tail or a help request,
// appending at state->writePos; then terminates the line with a NUL and
// sets lineLength. The line must have been created.
void ComposeLine(RunState *state);

#endif
