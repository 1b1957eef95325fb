// Fields of our own: "[zone:picture]", the offset from UTC of the field's
// moment, and "[week:picture]", its ISO 8601 week date.
#ifndef KOLBEX_COMPOSE_STAMPS_H
#define KOLBEX_COMPOSE_STAMPS_H

#include "compose/state.h"

// Expands one such field whose prefix has been passed: reads the picture
// up to the closing bracket and writes the field at writePos; moves cursor
// and writePos past both.
void ExpandStamp(RunState *state, FieldKind kind);

#endif
