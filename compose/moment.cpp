#include "compose/moment.h"

namespace {

// 100-nanosecond intervals, the unit of a FILETIME.
constexpr int64_t TicksPerSecond = 10000000;
constexpr int32_t SecondsPerDay = 86400;

// A moment moved by seconds, on the platform's count of time.
bool Moved(const SYSTEMTIME &moment, int64_t seconds, SYSTEMTIME *moved)
{
    FILETIME file{};
    if (!SystemTimeToFileTime(&moment, &file))
        return false;
    uint64_t ticks = static_cast<uint64_t>(file.dwHighDateTime) << 32 | file.dwLowDateTime;
    // A moment before 1601 wraps past the sign bit, which no FILETIME that
    // converts has set.
    ticks += static_cast<uint64_t>(seconds * TicksPerSecond);
    file.dwLowDateTime = static_cast<DWORD>(ticks);
    file.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return FileTimeToSystemTime(&file, moved) != FALSE;
}

int32_t SecondOfDay(const SYSTEMTIME &t)
{
    return (t.wHour * 60 + t.wMinute) * 60 + t.wSecond;
}

// The offset in force at a universal time, in seconds east; false where
// the platform cannot tell.
bool OffsetAt(const SYSTEMTIME &universal, int32_t *seconds)
{
    SYSTEMTIME local{};
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
        return false;
    int32_t days = DayNumber(local.wYear, local.wMonth, local.wDay) -
                   DayNumber(universal.wYear, universal.wMonth, universal.wDay);
    *seconds = days * SecondsPerDay + SecondOfDay(local) - SecondOfDay(universal);
    return true;
}

// The offset of a local time: the one whose reading of it holds. Where
// both hold (a time that was there twice) or neither (a time that never
// was), the offset in force just before the change: the platforms choose
// differently by themselves. A day on each side brackets the instant,
// since no offset reaches a day.
bool OffsetOf(const SYSTEMTIME &local, int32_t *seconds)
{
    SYSTEMTIME other{};
    int32_t before = 0;
    int32_t after = 0;
    if (!Moved(local, -SecondsPerDay, &other) || !OffsetAt(other, &before))
        return Moved(local, SecondsPerDay, &other) && OffsetAt(other, seconds);
    *seconds = before;
    if (!Moved(local, SecondsPerDay, &other) || !OffsetAt(other, &after) || after == before)
        return true;
    int32_t there = 0;
    bool beforeHolds = Moved(local, -before, &other) && OffsetAt(other, &there) && there == before;
    bool afterHolds = Moved(local, -after, &other) && OffsetAt(other, &there) && there == after;
    if (afterHolds && !beforeHolds)
        *seconds = after;
    return true;
}

} // namespace

const SYSTEMTIME *FieldMoment(const RunState *state, SYSTEMTIME *moment)
{
    if (!state->utcMode && state->dayOffset == 0)
        return nullptr;
    if (state->utcMode)
        GetSystemTime(moment);
    else
        GetLocalTime(moment);
    if (state->dayOffset == 0)
        return moment;
    // The days are added to the date and time as the clock gave them, so
    // daylight saving time never moves the time of day.
    SYSTEMTIME moved{};
    if (Moved(*moment, static_cast<int64_t>(state->dayOffset) * SecondsPerDay, &moved))
        *moment = moved;
    else
        moment->wYear = moment->wMonth = moment->wDay = 0;
    return moment;
}

int32_t DayNumber(unsigned year, unsigned month, unsigned day)
{
    // H. Hinnant's count, on years that begin on 1 March.
    year -= month <= 2;
    unsigned era = year / 400;
    unsigned yearOfEra = year % 400;
    unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return static_cast<int32_t>(era * 146097 + dayOfEra);
}

bool FieldOffset(const RunState *state, int32_t *minutes)
{
    SYSTEMTIME moment{};
    const SYSTEMTIME *shown = FieldMoment(state, &moment);
    int32_t seconds = 0;
    *minutes = 0;
    if (shown && shown->wYear == 0)
        return false;
    if (state->utcMode)
        return true;
    if (!shown)
        GetSystemTime(&moment);
    if (shown ? !OffsetOf(moment, &seconds) : !OffsetAt(moment, &seconds))
        return false;
    *minutes = seconds / 60;
    return true;
}
