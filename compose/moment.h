// The moment a field stands for, and its offset from UTC, on plain numbers:
// a day and the millisecond of that day, moved by additions. The platform
// converts at the edges only: the clock's reading, a file's time, the
// zone's offset, and the calendar date that the formatting services take.
#ifndef KOLBEX_COMPOSE_MOMENT_H
#define KOLBEX_COMPOSE_MOMENT_H

#include <stdint.h>

#include "compose/state.h"

// The range of years a field shows, on every platform.
constexpr int32_t FirstYear = 1601;
constexpr int32_t LastYear = 30827;
// DayNumber(FirstYear, 1, 1) and DayNumber(LastYear, 12, 31).
constexpr int32_t FirstDay = 584694;
constexpr int32_t LastDay = 11259635;
constexpr int32_t MillisecondsPerDay = 86400000;
// DayNumber(1970, 1, 1).
constexpr int32_t UnixDay = 719468;

// Days since 1 March of the year 0 of the proleptic Gregorian calendar;
// negative before it. Any year of about a million either side.
int32_t DayNumber(int32_t year, int32_t month, int32_t day);

// The days of a month (1 to 12) of a year.
int32_t DaysInMonth(int32_t year, int32_t month);

// `moment` moved by days and milliseconds (at most a few days' worth).
Moment Added(Moment moment, int32_t days, int32_t milliseconds);

// `moment` moved by seconds: an offset, which a damaged zone file may make
// any 32-bit count.
Moment Shifted(Moment moment, int32_t seconds);

// A moment as the platform gives it (the clock's reading, a file's time).
Moment MomentOf(const SYSTEMTIME &t);

// The run's moment (the clock, read once when a field first needs it, or
// the one given) on the field's clock (UTC, or the local zone: the
// system's, or the one "/TZ:" named), moved by the offsets: years and
// months on the calendar, then days on the wall clock, then the snap to the
// first or last moment of its unit, then hours, minutes and seconds as
// elapsed time; kept in the state until an option changes it. Null (and
// outOfMemory set) where the platform cannot read the zone: the run has no
// line then.
const FieldView *FieldMoment(RunState *state);

// Makes the run's wall-clock moment the instant it is in the local zone in
// force, before that zone changes. False (and outOfMemory set) where the
// platform cannot read the zone.
bool FixWallClock(RunState *state);

#endif
