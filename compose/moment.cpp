#include "compose/moment.h"

namespace {

constexpr int32_t SecondsPerDay = 86400;
// 100-nanosecond intervals, the unit of a FILETIME, in a day and a millisecond.
constexpr uint64_t TicksPerDay = 864000000000;
constexpr uint64_t TicksPerMillisecond = 10000;
// The most whole days of an offset whose seconds, and their negation, a
// 32-bit count holds.
constexpr int32_t MaxOffsetDays = 24854;
// The calendar repeats every 400 years.
constexpr int32_t CycleDays = 146097;

// The calendar date and time of a moment within the range, with its day of
// the week, by the platform.
bool Calendar(Moment m, SYSTEMTIME *t)
{
    if (m.day < FirstDay || m.day > LastDay)
        return false;
    uint64_t ticks = static_cast<uint64_t>(m.day - FirstDay) * TicksPerDay +
                     static_cast<uint64_t>(m.millisecond) * TicksPerMillisecond;
    FILETIME file{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    return FileTimeToSystemTime(&file, t) != FALSE;
}

using ZoneId = DYNAMIC_TIME_ZONE_INFORMATION;

// The platform's offset at an instant in a zone (null: the system's), in
// seconds east. An instant within a day of the range's ends, or outside,
// takes the offset a day inside: the platform may not convert nearer (a
// zone's offset is under a day).
// `local` is left holding the platform's local time of the instant it
// converted; `given` is the instant's calendar where the caller has it.
// False where the platform cannot read the zone at all.
bool OffsetAt(Moment universal, const ZoneId *zone, int32_t *seconds, SYSTEMTIME *local,
              const SYSTEMTIME *given = nullptr)
{
    Moment u = universal;
    if (u.day <= FirstDay)
        u = {FirstDay + 1, 0};
    else if (u.day >= LastDay)
        u = {LastDay - 1, MillisecondsPerDay - 1};
    SYSTEMTIME t{};
    if (given && u.day == universal.day)
        t = *given;
    else
        Calendar(u, &t);
    TIME_ZONE_INFORMATION rules; // NOLINT(cppcoreguidelines-pro-type-member-init): filled
    if ((zone && !ZoneRulesOfYear(t.wYear, zone, &rules)) ||
        !SystemTimeToTzSpecificLocalTime(zone ? &rules : nullptr, &t, local))
        return false;
    // The platform's offset is a 32-bit count; one within a day of its
    // ends, which only a damaged zone file gives, is taken as 0.
    Moment l = MomentOf(*local);
    int32_t days = l.day - u.day;
    *seconds = days < -MaxOffsetDays || days > MaxOffsetDays
                   ? 0
                   : days * SecondsPerDay + (l.millisecond - u.millisecond) / 1000;
    return true;
}

// The offset of a local time: the one whose reading of it holds. Where
// neither holds (a time that never was), the offset in force just before
// the change, and where both hold (a time that was there twice), that one
// too, or the later where `later`: the platforms choose differently by
// themselves. A day on each side brackets the instant.
bool OffsetOf(Moment local, const ZoneId *zone, bool later, int32_t *seconds)
{
    int32_t before = 0;
    int32_t after = 0;
    SYSTEMTIME t{};
    if (!OffsetAt(Added(local, -1, 0), zone, &before, &t) ||
        !OffsetAt(Added(local, 1, 0), zone, &after, &t))
        return false;
    *seconds = before;
    if (after == before)
        return true;
    int32_t there = 0;
    bool beforeHolds = OffsetAt(Shifted(local, -before), zone, &there, &t) && there == before;
    if ((later || !beforeHolds) && OffsetAt(Shifted(local, -after), zone, &there, &t) &&
        there == after)
        *seconds = after;
    return true;
}

// The year, month and day of a day less than a cycle outside the range, by
// the platform's calendar: one outside is read a cycle nearer.
void DateOf(int32_t day, int32_t *year, int32_t *month, int32_t *dayOfMonth)
{
    int32_t cycles = day < FirstDay ? -1 : day > LastDay ? 1 : 0;
    SYSTEMTIME t{};
    Calendar({day - cycles * CycleDays, 0}, &t);
    *year = t.wYear + cycles * 400;
    *month = t.wMonth;
    *dayOfMonth = t.wDay;
}

// Years and months on the calendar, the day clamped to the new month's
// length (31 March less a month is the last day of February).
int32_t AddMonths(int32_t day, int32_t months)
{
    int32_t year = 0;
    int32_t month = 0;
    int32_t dayOfMonth = 0;
    DateOf(day, &year, &month, &dayOfMonth);
    int32_t total = year * 12 + month - 1 + months;
    year = (total >= 0 ? total : total - 11) / 12;
    month = total - year * 12 + 1;
    int32_t last = DaysInMonth(year, month);
    return DayNumber(year, month, dayOfMonth < last ? dayOfMonth : last);
}

// The first or last moment of the unit that holds `t`, on its clock. A
// week runs from Monday to Sunday.
Moment Snapped(Moment t, int32_t unit, bool end)
{
    if (unit >= SnapHour) {
        int32_t span = unit == SnapHour ? 3600000 : unit == SnapMinute ? 60000 : 1000;
        int32_t first = t.millisecond - t.millisecond % span;
        return {t.day, end ? first + span - 1 : first};
    }
    int32_t year = 0;
    int32_t month = 0;
    int32_t dayOfMonth = 0;
    DateOf(t.day, &year, &month, &dayOfMonth);
    int32_t first = t.day;
    int32_t days = 1;
    if (unit == SnapYear) {
        first = DayNumber(year, 1, 1);
        days = DayNumber(year + 1, 1, 1) - first;
    } else if (unit == SnapMonth) {
        first -= dayOfMonth - 1;
        days = DaysInMonth(year, month);
    } else if (unit == SnapWeek) {
        // 1970-01-01, UnixDay, was a Thursday.
        first -= ((t.day - UnixDay + 3) % 7 + 7) % 7;
        days = 7;
    }
    return end ? Moment{first + days - 1, MillisecondsPerDay - 1} : Moment{first, 0};
}

} // namespace

int32_t DayNumber(int32_t year, int32_t month, int32_t day)
{
    // H. Hinnant's count, on years that begin on 1 March.
    year -= month <= 2;
    int32_t era = (year >= 0 ? year : year - 399) / 400;
    int32_t yearOfEra = year - era * 400;
    int32_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    return era * CycleDays + yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
}

int32_t DaysInMonth(int32_t year, int32_t month)
{
    if (month == 2)
        return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0 ? 29 : 28;
    return 30 + ((month + month / 8) & 1);
}

Moment Added(Moment moment, int32_t days, int32_t milliseconds)
{
    int32_t total = moment.millisecond + milliseconds;
    int32_t carry = total / MillisecondsPerDay;
    total -= carry * MillisecondsPerDay;
    if (total < 0) {
        total += MillisecondsPerDay;
        carry--;
    }
    return {moment.day + days + carry, total};
}

Moment Shifted(Moment moment, int32_t seconds)
{
    return Added(moment, seconds / SecondsPerDay, seconds % SecondsPerDay * 1000);
}

Moment MomentOf(const SYSTEMTIME &t)
{
    return {DayNumber(t.wYear, t.wMonth, t.wDay),
            ((t.wHour * 60 + t.wMinute) * 60 + t.wSecond) * 1000 + t.wMilliseconds};
}

const FieldView *FieldMoment(RunState *state)
{
    // Kept for the next field, and the platform's calendars reused (the
    // clock's, and the local time of the offset): together 9% of the
    // static program's typical run, and the dynamic build's goal.
    FieldView *view = &state->view;
    if (state->viewed)
        return view;
    SYSTEMTIME now{};
    if (state->momentKind == ClockUnread) {
        GetSystemTime(&now);
        state->moment = MomentOf(now);
        state->momentKind = InstantMoment;
    }
    bool utc = state->utcMode != 0;
    // A wall-clock moment shown in UTC is the instant it is locally.
    if (state->momentKind == WallClockMoment && utc && !FixWallClock(state))
        return nullptr;
    const int32_t *o = state->offsets;
    const ZoneId *zone = state->zoned ? &state->zone : nullptr;
    bool later = state->snapEnd != 0;
    // `t` is the moment on the field's clock; where `known`, it shows the
    // instant t - offset.
    Moment t = state->moment;
    int32_t offset = 0;
    bool known = true;
    bool ok = true;
    if (state->momentKind == InstantMoment && !utc) {
        ok = OffsetAt(t, zone, &offset, &view->calendar, now.wYear ? &now : nullptr);
        t = Shifted(t, offset);
    } else {
        known = utc;
    }
    if (o[Years] || o[Months])
        t.day = AddMonths(t.day, o[Years] * 12 + o[Months]);
    t.day += o[Days];
    if (state->snap)
        t = Snapped(t, state->snap, later);
    known = known && (utc || (o[Years] == 0 && o[Months] == 0 && o[Days] == 0 && !state->snap));
    // Elapsed time, split into days and milliseconds in 32 bits.
    int32_t minutes = o[Hours] * 60 + o[Minutes];
    int32_t days = minutes / 1440 + o[Seconds] / SecondsPerDay;
    int32_t milliseconds = (minutes % 1440 * 60 + o[Seconds] % SecondsPerDay) * 1000;
    // A snapped wall-clock time is shown as the instant it resolves to: a
    // midnight that a change skips shows as the day's first instant.
    if (days || milliseconds || (state->snap && !utc)) {
        if (!known)
            ok = ok && OffsetOf(t, zone, later, &offset);
        Moment universal = Added(Shifted(t, -offset), days, milliseconds);
        if (!utc)
            ok = ok && OffsetAt(universal, zone, &offset, &view->calendar);
        t = Shifted(universal, offset);
        known = true;
    }
    if (!known)
        ok = ok && OffsetOf(t, zone, later, &offset);
    if (!ok) {
        state->outOfMemory = 1;
        return nullptr;
    }
    view->shown = t;
    view->offset = offset;
    // The local time the platform gave for the last instant it converted is
    // the calendar shown, where it is the moment shown. Outside the range
    // only the time of day is shown: the platform splits it on any day.
    Moment local = MomentOf(view->calendar);
    view->dated = t.day >= FirstDay && t.day <= LastDay;
    if (!view->dated || local.day != t.day || local.millisecond != t.millisecond)
        view->dated = Calendar(t, &view->calendar);
    if (!view->dated) {
        Calendar({FirstDay, t.millisecond}, &view->calendar);
        view->calendar.wYear = view->calendar.wMonth = view->calendar.wDay = 0;
    }
    state->viewed = 1;
    return view;
}

bool FixWallClock(RunState *state)
{
    int32_t offset = 0;
    if (!OffsetOf(state->moment, state->zoned ? &state->zone : nullptr, false, &offset)) {
        state->outOfMemory = 1;
        return false;
    }
    state->moment = Shifted(state->moment, -offset);
    state->momentKind = InstantMoment;
    return true;
}
