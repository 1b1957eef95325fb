// Our options that take a value: "/AT:moment", a given moment, and
// "/FILE:path", the time a file was last written; "/START:unit" and
// "/END:unit", the first or last moment of a unit; "/TZ:zone", a local
// zone by name.
#ifndef KOLBEX_COMPOSE_GIVEN_H
#define KOLBEX_COMPOSE_GIVEN_H

#include "compose/state.h"

// Reads "/AT:" (`file` false) or "/FILE:" whose slash the scanner has just
// taken, and makes its moment the run's, for the fields after it; the
// cursor moves past the option. Where it gives no moment, the scan fails:
// the line then holds the message, and `failed` is set.
void GivenMoment(RunState *state, bool file);

// Reads "/START:" (`end` false) or "/END:" whose slash the scanner has just
// taken: later fields show the first or last moment of the unit that holds
// the run's moment. A word that is not a unit fails the scan.
void Period(RunState *state, bool end);

// Reads "/TZ:" whose slash the scanner has just taken: later fields show
// the named zone's wall clock, or the system's after "/TZ:LOCAL". A name
// that the platform does not find fails the scan.
void NamedZone(RunState *state);

#endif
