// The moment a field stands for, and its offset from UTC.
#ifndef KOLBEX_COMPOSE_MOMENT_H
#define KOLBEX_COMPOSE_MOMENT_H

#include <stdint.h>

#include "compose/state.h"

// The range of years the core counts in, on every platform.
constexpr unsigned FirstYear = 1601;
constexpr unsigned LastYear = 30827;

// A moment moved by seconds on the platform's count of time, with its day
// of the week set; by 0 it is only checked. False for a date that is none,
// or a result outside FirstYear to LastYear.
bool Moved(const SYSTEMTIME &moment, int64_t seconds, SYSTEMTIME *moved);

// Days since 1 March of the year 0 of the proleptic Gregorian calendar.
int32_t DayNumber(unsigned year, unsigned month, unsigned day);

// The moment a field shows: the run's moment (the clock, read once when a
// field first needs it, or the one given) on the field's calendar, local or
// universal after "/UTC", moved by the offsets; and where `offset` is given,
// its offset from UTC in seconds east (0 after "/UTC"). False for a result
// outside FirstYear to LastYear: only its time of day is set then, and its
// year, month and day are 0.
bool FieldMoment(RunState *state, SYSTEMTIME *shown, int32_t *offset);

#endif
