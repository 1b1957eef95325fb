// Moments of our own: "/AT:moment", a given moment, and "/FILE:path", the
// time a file was last written.
#ifndef KOLBEX_COMPOSE_GIVEN_H
#define KOLBEX_COMPOSE_GIVEN_H

#include "compose/state.h"

// Reads "/AT:" (`file` false) or "/FILE:" whose slash the scanner has just
// taken, and makes its moment the run's, for the fields after it; the
// cursor moves past the option. Where it gives no moment, the scan fails:
// the line then holds the message, and `failed` is set.
void GivenMoment(RunState *state, bool file);

#endif
