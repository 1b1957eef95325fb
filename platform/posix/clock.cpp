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

void Reading(timespec *now)
{
    if (fixedInstant) {
        now->tv_sec = *fixedInstant;
        now->tv_nsec = 0;
    } else {
        clock_gettime(CLOCK_REALTIME, now);
    }
}

SYSTEMTIME FromTm(const tm &t, long nanoseconds)
{
    SYSTEMTIME s{};
    s.wYear = static_cast<WORD>(t.tm_year + 1900);
    s.wMonth = static_cast<WORD>(t.tm_mon + 1);
    s.wDayOfWeek = static_cast<WORD>(t.tm_wday);
    s.wDay = static_cast<WORD>(t.tm_mday);
    s.wHour = static_cast<WORD>(t.tm_hour);
    s.wMinute = static_cast<WORD>(t.tm_min);
    s.wSecond = static_cast<WORD>(t.tm_sec);
    s.wMilliseconds = static_cast<WORD>(nanoseconds / 1000000);
    return s;
}

void ReadZoneOnce()
{
    static bool zoneRead;
    if (!zoneRead)
        ReadZone();
    zoneRead = true;
}

} // namespace

void PosixFixClock(const time_t *instant)
{
    fixedInstant = instant;
}

// One local time serves a whole second: converting costs some C libraries
// a scan of the environment, and fields read the clock each.
void WINAPI GetLocalTime(SYSTEMTIME *time)
{
    static time_t second = -1;
    static tm local;
    ReadZoneOnce();
    timespec now{};
    Reading(&now);
    if (now.tv_sec != second || fixedInstant) {
        localtime_r(&now.tv_sec, &local);
        second = now.tv_sec;
    }
    *time = FromTm(local, now.tv_nsec);
}

void WINAPI GetSystemTime(SYSTEMTIME *time)
{
    timespec now{};
    Reading(&now);
    tm universal{};
    gmtime_r(&now.tv_sec, &universal);
    *time = FromTm(universal, now.tv_nsec);
}

// As Windows does: a date from 1601 to 30828 and a valid time, or FALSE;
// 29 February counts in every year (as 1 March in a common one), and the
// day of the week is not looked at.
BOOL WINAPI SystemTimeToFileTime(const SYSTEMTIME *time, FILETIME *fileTime)
{
    static const unsigned char longest[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const SYSTEMTIME &t = *time;
    if (t.wYear < 1601 || t.wYear > 30828 || t.wMonth < 1 || t.wMonth > 12 || t.wDay < 1 ||
        t.wDay > longest[t.wMonth - 1] || t.wHour > 23 || t.wMinute > 59 || t.wSecond > 59 ||
        t.wMilliseconds > 999)
        return FALSE;
    // The C library counts from 1970; 29 February of a common year is
    // 1 March to it, as to Windows.
    tm fields{};
    fields.tm_year = t.wYear - 1900;
    fields.tm_mon = t.wMonth - 1;
    fields.tm_mday = t.wDay;
    fields.tm_hour = t.wHour;
    fields.tm_min = t.wMinute;
    fields.tm_sec = t.wSecond;
    uint64_t seconds = static_cast<uint64_t>(timegm(&fields) + EpochSeconds);
    uint64_t ticks = seconds * TicksPerSecond + t.wMilliseconds * uint64_t{10000};
    fileTime->dwLowDateTime = static_cast<DWORD>(ticks);
    fileTime->dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return TRUE;
}

// In the C library's zone, which knows the zone's history.
BOOL WINAPI SystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION *zone,
                                            const SYSTEMTIME *universal, SYSTEMTIME *local)
{
    FILETIME file{};
    if (zone || !SystemTimeToFileTime(universal, &file))
        return FALSE;
    ReadZoneOnce();
    uint64_t ticks = static_cast<uint64_t>(file.dwHighDateTime) << 32 | file.dwLowDateTime;
    time_t seconds = static_cast<time_t>(ticks / TicksPerSecond) - EpochSeconds;
    tm t{};
    if (!localtime_r(&seconds, &t))
        return FALSE;
    *local = FromTm(t, universal->wMilliseconds * 1000000L);
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
    *time = FromTm(fields, static_cast<long>(ticks % TicksPerSecond * 100));
    return TRUE;
}
