#include "tests/compose_harness.h"

#include <cstdlib>
#include <ctime>

#include "compose/scanner.h"

namespace {
// The POSIX stand-in formats in the user's locale and zone, read on first
// use: the unit tests pin the C locale (English names, bytes) and UTC
// before any test runs.
const bool localePinned = setenv("LC_ALL", "C", 1) == 0 && setenv("TZ", "UTC", 1) == 0;
} // namespace

Composed Compose(const std::string &tail)
{
    RunState state{};
    state.heap = HeapCreate(0, 4096, 0);
    Composed result{};
    if (!CreateOutputLine(&state))
        return {"", false, false, false, true};
    state.cursor = tail.c_str();
    ComposeLine(&state);
    result.line.assign(state.outputStart, static_cast<std::size_t>(state.lineLength));
    result.help = state.helpMark == '?';
    result.oem = state.oemMode != 0;
    result.literal = state.literalMode != 0;
    result.outOfMemory = state.outOfMemory != 0;
    ReleaseOutputLine(&state);
    HeapDestroy(state.heap);
    return result;
}

time_t Instant(int year, int month, int day, int hour, int minute, int second)
{
    tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return timegm(&t);
}

SYSTEMTIME CalendarMoment(int year, int month, int day, int hour, int minute, int second)
{
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(year);
    t.wMonth = static_cast<WORD>(month);
    t.wDay = static_cast<WORD>(day);
    t.wHour = static_cast<WORD>(hour);
    t.wMinute = static_cast<WORD>(minute);
    t.wSecond = static_cast<WORD>(second);
    // Its day of the week, as every moment the core hands over has it.
    tm date{};
    time_t instant = Instant(year, month, day, 0, 0, 0);
    gmtime_r(&instant, &date);
    t.wDayOfWeek = static_cast<WORD>(date.tm_wday);
    return t;
}
