// The moment a field stands for, and its offset from UTC.
#ifndef KOLBEX_COMPOSE_MOMENT_H
#define KOLBEX_COMPOSE_MOMENT_H

#include <stdint.h>

#include "compose/state.h"

// The moment a field shows where an option asks for another than the local
// time the formatting service reads itself: the clock in universal time
// after "/UTC", moved by whole days after "/DAY"; null where none asks. A
// day the platform cannot count (before 1601) keeps its time of day but
// has no date: a year, month and day of 0.
const SYSTEMTIME *FieldMoment(const RunState *state, SYSTEMTIME *moment);

// Days since 1 March of the year 0 of the proleptic Gregorian calendar.
int32_t DayNumber(unsigned year, unsigned month, unsigned day);

// The offset from UTC of the moment a field stands for, in whole minutes
// east (seconds are cut): 0 after "/UTC"; false for a day before 1601.
bool FieldOffset(const RunState *state, int32_t *minutes);

#endif
