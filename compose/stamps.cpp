// The pictures of the zone and week fields are read here, the same on
// every platform: an element is a run of one letter in any case; quoted
// text and every other byte are copied as written, never folded or
// converted.
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

// The week of a date: the one that holds its Thursday, numbered in the
// year of that Thursday.
WeekDate WeekOf(const SYSTEMTIME &date)
{
    int32_t day = DayNumber(date.wYear, date.wMonth, date.wDay);
    WeekDate week{date.wYear, 0, static_cast<unsigned>((day + 2) % 7) + 1}; // day 0 was a Wednesday
    int32_t thursday = day + 4 - static_cast<int32_t>(week.day);
    if (thursday < DayNumber(week.year, 1, 1))
        week.year--;
    else if (thursday >= DayNumber(week.year + 1, 1, 1))
        week.year++;
    week.week = static_cast<unsigned>(thursday - DayNumber(week.year, 1, 1)) / 7 + 1;
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

void WeekElement(RunState *state, char letter, int run, const WeekDate &week)
{
    if (letter == 'w')
        AppendNumber(state, week.week, run == 1 ? 1 : 2);
    else if (letter == 'y')
        AppendNumber(state, run <= 2 ? week.year % 100 : week.year, run <= 2 ? 2 : 1);
    else
        AppendNumber(state, week.day, 1);
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

    SYSTEMTIME moment{};
    int32_t seconds = 0;
    if (!FieldMoment(state, &moment, kind == Zone ? &seconds : nullptr))
        return;
    int32_t minutes = seconds / 60; // seconds are cut
    WeekDate week = WeekOf(moment);

    const char *letters = kind == Zone ? "hm" : "wyd";
    bool signWritten = false;
    while (p < end) {
        char letter = Small(*p);
        if (*p == '\'') {
            p = CopyQuoted(state, p + 1, end);
            continue;
        }
        if (!strchr(letters, letter)) {
            AppendByte(state, *p++);
            continue;
        }
        int run = 0;
        for (; p < end && Small(*p) == letter; p++)
            run++;
        if (kind == Zone)
            ZoneElement(state, letter, run, minutes, &signWritten);
        else
            WeekElement(state, letter, run, week);
    }
}
