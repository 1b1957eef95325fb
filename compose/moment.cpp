#include "compose/moment.h"

namespace {

// 100-nanosecond intervals, the unit of a FILETIME.
constexpr int64_t TicksPerSecond = 10000000;
constexpr int32_t SecondsPerDay = 86400;

int32_t SecondOfDay(const SYSTEMTIME &t)
{
    return (t.wHour * 60 + t.wMinute) * 60 + t.wSecond;
}

// How far a local time is ahead of the universal time it shows, in seconds.
int32_t Difference(const SYSTEMTIME &local, const SYSTEMTIME &universal)
{
    int32_t days = DayNumber(local.wYear, local.wMonth, local.wDay) -
                   DayNumber(universal.wYear, universal.wMonth, universal.wDay);
    return days * SecondsPerDay + SecondOfDay(local) - SecondOfDay(universal);
}

// The offset in force at a universal time, in seconds east; false where
// the platform cannot tell.
bool OffsetAt(const SYSTEMTIME &universal, int32_t *seconds)
{
    SYSTEMTIME local{};
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
        return false;
    *seconds = Difference(local, universal);
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

// Years and months on the calendar, the day clamped to the new month's
// length (31 March less a month is the last day of February): a day past
// its end moves into the next month.
bool AddMonths(SYSTEMTIME *t, int32_t months)
{
    int32_t total = t->wYear * 12 + t->wMonth - 1 + months;
    if (total < static_cast<int32_t>(FirstYear * 12) ||
        total > static_cast<int32_t>(LastYear * 12 + 11))
        return false;
    t->wYear = static_cast<WORD>(total / 12);
    t->wMonth = static_cast<WORD>(total % 12 + 1);
    SYSTEMTIME day{};
    while (!Moved(*t, 0, &day) || day.wMonth != t->wMonth)
        t->wDay--;
    *t = day;
    return true;
}

// The local time a universal one shows, or the same after "/UTC".
bool Shown(bool utc, const SYSTEMTIME &universal, SYSTEMTIME *t)
{
    *t = universal;
    return utc || (SystemTimeToTzSpecificLocalTime(nullptr, &universal, t) && t->wYear <= LastYear);
}

// The universal time a local one shows, by its offset.
bool Universal(const SYSTEMTIME &local, SYSTEMTIME *universal)
{
    int32_t seconds = 0;
    return OffsetOf(local, &seconds) && Moved(local, -seconds, universal);
}

} // namespace

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
    SYSTEMTIME result{};
    if (!FileTimeToSystemTime(&file, &result) || result.wYear > LastYear)
        return false;
    *moved = result;
    return true;
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

// Years and months count on the calendar the field shows, then days on its
// wall clock, then hours, minutes and seconds as elapsed time.
bool FieldMoment(RunState *state, SYSTEMTIME *shown, int32_t *offset)
{
    if (state->momentKind == ClockUnread) {
        GetSystemTime(&state->moment);
        state->momentKind = InstantMoment;
    }
    const int32_t *o = state->offsets;
    bool utc = state->utcMode != 0;
    // `universal` is the instant `t` shows where `known` (and t is local).
    SYSTEMTIME t = state->moment;
    SYSTEMTIME universal = t;
    bool known = state->momentKind == InstantMoment;
    bool ok = known ? Shown(utc, universal, &t) : !utc || Universal(t, &t);
    if (ok && (o[Years] || o[Months])) {
        ok = AddMonths(&t, o[Years] * 12 + o[Months]);
        known = false;
    }
    if (ok && o[Days]) {
        ok = Moved(t, static_cast<int64_t>(o[Days]) * SecondsPerDay, &t);
        known = false;
    }
    int64_t elapsed =
        static_cast<int64_t>(o[Hours]) * 3600 + static_cast<int64_t>(o[Minutes]) * 60 + o[Seconds];
    bool moved = elapsed == 0;
    if (ok && !moved) {
        if (utc)
            universal = t;
        else if (!known)
            ok = Universal(t, &universal);
        ok = ok && Moved(universal, elapsed, &universal) && Shown(utc, universal, &t);
        moved = known = ok;
    }
    if (offset)
        *offset = 0;
    if (ok && offset && !utc && known)
        *offset = Difference(t, universal);
    else if (ok && offset && !utc)
        ok = OffsetOf(t, offset);
    // A moment the platform cannot count keeps its time of day, moved by
    // the elapsed time (in 32-bit steps), and has no date.
    if (!ok) {
        int32_t shift =
            moved ? 0 : o[Hours] % 24 * 3600 + o[Minutes] % 1440 * 60 + o[Seconds] % SecondsPerDay;
        int32_t second = ((SecondOfDay(t) + shift) % SecondsPerDay + SecondsPerDay) % SecondsPerDay;
        t.wHour = static_cast<WORD>(second / 3600);
        t.wMinute = static_cast<WORD>(second / 60 % 60);
        t.wSecond = static_cast<WORD>(second % 60);
        t.wYear = t.wMonth = t.wDay = 0;
    }
    *shown = t;
    return ok;
}
