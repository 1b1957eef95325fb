// The clock: GetSystemTime and GetLocalTime, universal time to local time
// in the zone, and the conversions between a SYSTEMTIME and a FILETIME
// with which days are added, on the C library's proleptic Gregorian
// calendar, counted from 1601 as Windows counts.
#include <time.h>

#include "platform/posix/posix.h"
#include "platform/posix/zone.h"

namespace {

const time_t *fixedInstant;

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

// glibc reads TZ as people write it; another C library is handed it checked.
void ReadZoneOnce()
{
#ifndef __GLIBC__
    static bool zoneRead;
    if (!zoneRead)
        ReadZone();
    zoneRead = true;
#endif
}

// The clock's reading, in the zone or in universal time. One local time
// serves a whole second: musl's conversion scans the environment, and
// fields read the clock each.
void Now(SYSTEMTIME *time, bool local)
{
    static time_t second = -1;
    static tm cached;
    ReadZoneOnce();
    timespec now{};
    if (fixedInstant)
        now.tv_sec = *fixedInstant;
    else
        clock_gettime(CLOCK_REALTIME, &now);
    tm universal{};
    if (!local)
        gmtime_r(&now.tv_sec, &universal);
    else if (now.tv_sec != second || fixedInstant)
        second = localtime_r(&now.tv_sec, &cached) ? now.tv_sec : -1;
    *time = FromTm(local ? cached : universal, now.tv_nsec / 1000000);
}

} // namespace

void PosixFixClock(const time_t *instant)
{
    fixedInstant = instant;
}

void WINAPI GetLocalTime(SYSTEMTIME *time)
{
    Now(time, true);
}

void WINAPI GetSystemTime(SYSTEMTIME *time)
{
    Now(time, false);
}

// The core relies on a date before 1601 being refused.
BOOL WINAPI SystemTimeToFileTime(const SYSTEMTIME *time, FILETIME *fileTime)
{
    if (time->wYear < 1601)
        return FALSE;
    uint64_t seconds = static_cast<uint64_t>(Seconds(*time) + EpochSeconds);
    uint64_t ticks = seconds * TicksPerSecond + time->wMilliseconds * uint64_t{10000};
    fileTime->dwLowDateTime = static_cast<DWORD>(ticks);
    fileTime->dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return TRUE;
}

// In the zone in force (the only one the core asks for), whose history the
// C library knows.
BOOL WINAPI SystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION *,
                                            const SYSTEMTIME *universal, SYSTEMTIME *local)
{
    ReadZoneOnce();
    time_t seconds = Seconds(*universal);
    tm t{};
    if (universal->wYear < 1601 || !localtime_r(&seconds, &t))
        return FALSE;
    *local = FromTm(t, universal->wMilliseconds);
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
