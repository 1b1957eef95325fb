// Runs the composing core on a tail in memory, as the program would.
#ifndef KOLBEX_TESTS_COMPOSE_HARNESS_H
#define KOLBEX_TESTS_COMPOSE_HARNESS_H

#include <string>

#include "compose/state.h"

struct Composed {
    std::string line;
    bool help;
    bool oem;
    bool literal;
    bool outOfMemory;
};

Composed Compose(const std::string &tail);

// A moment as yyyy, mm, dd, hh, mm, ss, with its day of the week.
SYSTEMTIME CalendarMoment(int year, int month, int day, int hour, int minute, int second);

// The same moment in UTC, as an instant for the fixed clock.
time_t Instant(int year, int month, int day, int hour, int minute, int second);

#endif
