// The clock: GetSystemTime, universal time to local time in the zone, and
// the calendar date of a FILETIME, on the C library's proleptic Gregorian
// calendar, counted from 1601 as Windows counts.
#include <time.h>

#include "platform/posix/posix.h"
#include "platform/posix/zone.h"

namespace {

const time_t *fixedInstant;
// The last local conversion, kept: every field converts the run's one
// reading, and musl's conversion scans the environment each time.
SYSTEMTIME last{}; // the universal time converted, to the second
bool kept;
tm lastLocal;

bool SameSecond(const SYSTEMTIME &a, const SYSTEMTIME &b)
{
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
           a.wMinute == b.wMinute && a.wSecond == b.wSecond;
}

constexpr uint64_t TicksPerSecond = 10000000;
// Seconds from 1601-01-01 to 1970-01-01.
constexpr int64_t EpochSeconds = 134774LL * 86400;
// The first FILETIME that Windows refuses to convert: the sign bit.
constexpr uint64_t LastTicks = 0x7FFFFFFFFFFFFFFF;

SYSTEMTIME FromTm(const tm &t, long milliseconds)
{
    SYSTEMTIME s{};
    s.wYear = static_cast<WORD>(t.tm_year + 1900);
    s.wMonth = static_cast<WORD>(t.tm_mon + 1);
    s.wDayOfWeek = static_cast<WORD>(t.tm_wday);
    s.wDay = static_cast<WORD>(t.tm_mday);
    s.wHour = static_cast<WORD>(t.tm_hour);
    s.wMinute = static_cast<WORD>(t.tm_min);
    s.wSecond = static_cast<WORD>(t.tm_sec);
    s.wMilliseconds = static_cast<WORD>(milliseconds);
    return s;
}

time_t Seconds(const SYSTEMTIME &t)
{
    tm fields{};
    fields.tm_year = t.wYear - 1900;
    fields.tm_mon = t.wMonth - 1;
    fields.tm_mday = t.wDay;
    fields.tm_hour = t.wHour;
    fields.tm_min = t.wMinute;
    fields.tm_sec = t.wSecond;
    return timegm(&fields);
}

// glibc reads TZ as people write it; another C library is handed it
// checked, and may then fail to map the zone file.
void ReadZoneOnce()
{
#ifndef __GLIBC__
    static bool zoneRead;
    if (!zoneRead)
        ReadZone();
    zoneRead = true;
#endif
}

bool ZoneInForce()
{
#ifdef __GLIBC__
    return true;
#else
    return ZoneTaken();
#endif
}

} // namespace

// Tests change TZ between fixed instants: the kept conversion goes.
void PosixFixClock(const time_t *instant)
{
    fixedInstant = instant;
    kept = false;
}

void WINAPI GetSystemTime(SYSTEMTIME *time)
{
    timespec now{};
    if (fixedInstant)
        now.tv_sec = *fixedInstant;
    else
        clock_gettime(CLOCK_REALTIME, &now);
    tm universal{};
    gmtime_r(&now.tv_sec, &universal);
    *time = FromTm(universal, now.tv_nsec / 1000000);
}

// In the zone in force, or the named zone the rules carry, whose history
// the C library knows. The last answer is kept, for its zone: musl's
// conversion scans the environment, and every field converts the run's
// moment.
BOOL WINAPI SystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION *rules,
                                            const SYSTEMTIME *universal, SYSTEMTIME *local)
{
    ReadZoneOnce();
    int changed = SelectZone(rules ? rules->zone->TimeZoneKeyName : "");
    if (universal->wYear < 1601 || changed < 0)
        return FALSE;
    if (!kept || changed || !SameSecond(*universal, last)) {
        time_t seconds = Seconds(*universal);
        kept = localtime_r(&seconds, &lastLocal) != nullptr && ZoneInForce();
        if (!kept)
            return FALSE;
        last = *universal;
    }
    *local = FromTm(lastLocal, universal->wMilliseconds);
    return TRUE;
}

BOOL WINAPI FileTimeToSystemTime(const FILETIME *fileTime, SYSTEMTIME *time)
{
    uint64_t ticks =
        static_cast<uint64_t>(fileTime->dwHighDateTime) << 32 | fileTime->dwLowDateTime;
    if (ticks > LastTicks)
        return FALSE;
    time_t seconds = static_cast<time_t>(ticks / TicksPerSecond) - EpochSeconds;
    tm fields{};
    if (!gmtime_r(&seconds, &fields))
        return FALSE;
    *time = FromTm(fields, static_cast<long>(ticks % TicksPerSecond / 10000));
    return TRUE;
}
