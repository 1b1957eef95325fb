// The pictures of the stamps (zone, week, fraction, epoch seconds, day of
// the year) are read here, the same on every platform: an element is a run
// of one letter in any case; quoted text and every other byte are copied as
// written, never folded or converted.
#include "compose/stamps.h"

#include <string.h>

#include "compose/fold.h"
#include "compose/moment.h"

namespace {

struct WeekDate {
    unsigned year;
    unsigned week;
    unsigned day; // Monday 1 to Sunday 7
};

// The week of a day of a year: the one that holds its Thursday, numbered
// in the year of that Thursday.
WeekDate WeekOf(int32_t day, int32_t year)
{
    WeekDate week{static_cast<unsigned>(year), 0,
                  static_cast<unsigned>((day + 2) % 7) + 1}; // day 0 was a Wednesday
    int32_t thursday = day + 4 - static_cast<int32_t>(week.day);
    if (thursday < DayNumber(year, 1, 1))
        week.year--;
    else if (thursday >= DayNumber(year + 1, 1, 1))
        week.year++;
    int32_t first = DayNumber(static_cast<int32_t>(week.year), 1, 1);
    week.week = static_cast<unsigned>(thursday - first) / 7 + 1;
    return week;
}

void AppendNumber(RunState *state, unsigned value, int digits)
{
    char reversed[10];
    int n = 0;
    do {
        reversed[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0 || n < digits);
    while (n > 0)
        AppendByte(state, reversed[--n]);
}

// Elements are ASCII letters, which the fold ranges fold in any code page.
char Small(char c)
{
    return static_cast<char>(FoldLower(static_cast<unsigned char>(c)));
}

// Copies quoted text up to its closing quote, a doubled quote inside it
// giving one; returns where the picture goes on. A quote never closed
// makes the rest literal.
const char *CopyQuoted(RunState *state, const char *p, const char *end)
{
    for (; p < end; p++) {
        if (*p == '\'') {
            if (p + 1 == end || p[1] != '\'')
                return p + 1;
            p++;
        }
        AppendByte(state, *p);
    }
    return end;
}

void ZoneElement(RunState *state, char letter, int run, int32_t minutes, bool *signWritten)
{
    unsigned magnitude = static_cast<unsigned>(minutes < 0 ? -minutes : minutes);
    if (letter == 'm') {
        AppendNumber(state, magnitude % 60, 2);
        return;
    }
    if (!*signWritten)
        AppendByte(state, minutes < 0 ? '-' : '+');
    *signWritten = true;
    AppendNumber(state, magnitude / 60, run == 1 ? 1 : 2);
}

// A year: its last two digits for one or two letters, else whole.
void AppendYear(RunState *state, unsigned year, int run)
{
    AppendNumber(state, run <= 2 ? year % 100 : year, run <= 2 ? 2 : 1);
}

void WeekElement(RunState *state, char letter, int run, const WeekDate &week)
{
    if (letter == 'w')
        AppendNumber(state, week.week, run == 1 ? 1 : 2);
    else if (letter == 'y')
        AppendYear(state, week.year, run);
    else
        AppendNumber(state, week.day, 1);
}

// Seconds since 1970-01-01T00:00:00Z of an instant, rounded down: a 64-bit
// count that the x86 program writes without dividing it, by subtracting
// powers of ten.
void AppendSeconds(RunState *state, Moment instant)
{
    int64_t seconds =
        static_cast<int64_t>(instant.day - UnixDay) * 86400 + instant.millisecond / 1000;
    if (seconds < 0)
        AppendByte(state, '-');
    seconds = seconds < 0 ? -seconds : seconds;
    int64_t powers[13];
    powers[12] = 1;
    for (int i = 12; i > 0; i--)
        powers[i - 1] = powers[i] * 10;
    bool leading = true;
    for (int64_t power : powers) {
        char digit = '0';
        for (; seconds >= power; seconds -= power)
            digit++;
        leading = leading && digit == '0' && power > 1;
        if (!leading)
            AppendByte(state, digit);
    }
}

// Tenths, hundredths or milliseconds, cut; a longer run the milliseconds
// followed by zeros, the clock counting no finer.
void FractionElement(RunState *state, int run, unsigned milliseconds)
{
    static const unsigned tenths[3] = {100, 10, 1};
    AppendNumber(state, milliseconds / tenths[run < 3 ? run - 1 : 2], run < 3 ? run : 3);
    for (int i = 3; i < run; i++)
        AppendByte(state, '0');
}

} // namespace

void ExpandStamp(RunState *state, FieldKind kind)
{
    const char *p = state->cursor;
    while (*state->cursor && *state->cursor != ']')
        state->cursor++;
    const char *end = state->cursor;
    if (*state->cursor == ']')
        state->cursor++;

    const FieldView *view = FieldMoment(state);
    if (!view)
        return;
    // Epoch seconds are counted wherever the instant lies within the range;
    // the other stamps need the shown moment's date.
    Moment instant = Shifted(view->shown, -view->offset);
    if (kind == Unix ? instant.day < FirstDay || instant.day > LastDay
                     : kind != Fraction && !view->dated)
        return;
    int32_t minutes = view->offset / 60; // seconds are cut
    int32_t year = view->calendar.wYear;
    WeekDate week = WeekOf(view->shown.day, year);
    int32_t day = view->shown.day - DayNumber(year, 1, 1) + 1;
    // Epoch seconds with no picture are the count.
    if (kind == Unix && p == end)
        AppendSeconds(state, instant);

    static const char letters[][4] = {"hm", "wyd", "f", "s", "yd"};
    bool signWritten = false;
    while (p < end) {
        char letter = Small(*p);
        if (*p == '\'') {
            p = CopyQuoted(state, p + 1, end);
            continue;
        }
        if (!strchr(letters[kind - Zone], letter)) {
            AppendByte(state, *p++);
            continue;
        }
        int run = 0;
        for (; p < end && Small(*p) == letter; p++)
            run++;
        if (kind == Zone)
            ZoneElement(state, letter, run, minutes, &signWritten);
        else if (kind == Week)
            WeekElement(state, letter, run, week);
        else if (kind == Fraction)
            FractionElement(state, run, view->calendar.wMilliseconds);
        else if (kind == Unix)
            AppendSeconds(state, instant);
        else if (letter == 'y')
            AppendYear(state, static_cast<unsigned>(year), run);
        else
            AppendNumber(state, static_cast<unsigned>(day), run < 3 ? run : 3);
    }
}
