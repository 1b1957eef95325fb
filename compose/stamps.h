// Fields of our own, for the field's moment: "[zone:picture]" its offset
// from UTC, "[week:picture]" its ISO 8601 week date, "[frac:picture]" the
// fraction of its second, "[unix:picture]" its seconds since 1970, and
// "[yday:picture]" its day of the year.
#ifndef KOLBEX_COMPOSE_STAMPS_H
#define KOLBEX_COMPOSE_STAMPS_H

#include "compose/state.h"

// Expands one such field whose prefix has been passed: reads the picture
// up to the closing bracket and writes the field at writePos; moves cursor
// and writePos past both.
void ExpandStamp(RunState *state, FieldKind kind);

#endif
