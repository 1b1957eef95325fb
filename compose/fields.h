// Date and time fields: "[date:picture]" and "[time:picture]".
#ifndef KOLBEX_COMPOSE_FIELDS_H
#define KOLBEX_COMPOSE_FIELDS_H

#include "compose/state.h"

// The room first given to the formatting service for one field, its NUL
// included; an expansion that needs more is formatted again with more.
constexpr int FieldCapacity = 100;

// Applies the rule for an opening bracket that the scanner has just taken
// outside literal text: the cursor stands on the byte after the bracket,
// and state->prefix holds the next five bytes folded to capitals.
void FieldRule(RunState *state);

// Expands one field whose prefix has been passed: reads the picture up to
// the closing bracket, has the platform format the current date or time
// into the line at writePos, and moves cursor and writePos past both.
void ExpandField(RunState *state, FieldKind kind);

#endif
