// The clock: GetSystemTime and GetLocalTime, universal time to local time
// in the zone, and the conversions between a SYSTEMTIME and a FILETIME
// with which days are added, on the proleptic Gregorian calendar that
// Windows counts from 1601.
#include <time.h>

#include "platform/posix/posix.h"
#include "platform/posix/zone.h"

namespace {

const time_t *fixedInstant;

constexpr uint64_t TicksPerSecond = 10000000;
constexpr uint64_t TicksPerDay = 86400 * TicksPerSecond;
// Days from 1601-01-01 to 1970-01-01.
constexpr int64_t EpochDays = 134774;
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

// Days since 1970-01-01 of a civil date, and back (H. Hinnant's
// algorithms, on 400-year eras that begin on 1 March).
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day)
{
    year -= month <= 2;
    int64_t era = (year >= 0 ? year : year - 399) / 400;
    unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(int64_t days, int64_t *year, unsigned *month, unsigned *day)
{
    days += 719468;
    int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
    unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    unsigned shifted = (5 * dayOfYear + 2) / 153;
    *day = dayOfYear - (153 * shifted + 2) / 5 + 1;
    *month = shifted < 10 ? shifted + 3 : shifted - 9;
    *year = static_cast<int64_t>(yearOfEra) + era * 400 + (*month <= 2);
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
    uint64_t days = static_cast<uint64_t>(DaysFromCivil(t.wYear, t.wMonth, t.wDay) + EpochDays);
    uint64_t ticks = days * TicksPerDay +
                     ((t.wHour * 60u + t.wMinute) * 60u + t.wSecond) * TicksPerSecond +
                     t.wMilliseconds * uint64_t{10000};
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
    time_t seconds = static_cast<time_t>(ticks / TicksPerSecond) - EpochDays * 86400;
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
    int64_t days = static_cast<int64_t>(ticks / TicksPerDay);
    uint64_t rest = ticks % TicksPerDay;
    int64_t year = 0;
    unsigned month = 0;
    unsigned day = 0;
    CivilFromDays(days - EpochDays, &year, &month, &day);
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(year);
    t.wMonth = static_cast<WORD>(month);
    t.wDay = static_cast<WORD>(day);
    t.wDayOfWeek = static_cast<WORD>((days + 1) % 7); // 1601-01-01 was a Monday
    t.wHour = static_cast<WORD>(rest / (3600 * TicksPerSecond));
    t.wMinute = static_cast<WORD>(rest / (60 * TicksPerSecond) % 60);
    t.wSecond = static_cast<WORD>(rest / TicksPerSecond % 60);
    t.wMilliseconds = static_cast<WORD>(rest / 10000 % 1000);
    *time = t;
    return TRUE;
}
