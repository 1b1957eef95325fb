#include "compose/given.h"

#include <string.h>

#include "compose/moment.h"

namespace {

// The given moments, here as on every platform.
constexpr int32_t LastGivenYear = 9999;
// DayNumber(LastGivenYear, 12, 31).
constexpr int32_t LastGivenDay = 3652364;
constexpr int32_t SecondsPerDay = 86400;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The length of the run of digits at `p`.
int Digits(const char *p)
{
    int n = 0;
    while (IsDigit(p[n]))
        n++;
    return n;
}

// The value of `count` digits.
int32_t Number(const char *p, int count)
{
    int32_t value = 0;
    while (count-- > 0)
        value = value * 10 + (*p++ - '0');
    return value;
}

// How much of the text at `p` has the shape: '#' a digit, any other byte
// itself (a letter in either case).
int Match(const char *p, const char *shape)
{
    int n = 0;
    while (shape[n] && (shape[n] == '#' ? IsDigit(p[n]) : (p[n] | 0x20) == (shape[n] | 0x20)))
        n++;
    return n;
}

// ".f" to ".fffffffff" at *p, cut to milliseconds; nothing where no digit
// follows the point. False for more than nine digits.
bool Fraction(const char **p, int32_t *milliseconds)
{
    int n = **p == '.' ? Digits(*p + 1) : 0;
    *milliseconds = 0;
    for (int i = 0; i < 3; i++)
        *milliseconds = *milliseconds * 10 + (i < n ? (*p)[1 + i] - '0' : 0);
    *p += n > 0 ? 1 + n : 0;
    return n <= 9;
}

// YYYY-MM-DD, then Thh:mm and :ss.f where they follow, then Z or an offset:
// the longest text of that shape whose runs of digits are whole. False
// where there is none, or a written value is out of range; the instant an
// offset gives may lie a day outside.
bool ReadIso(const char **at, Moment *t, MomentKind *kind)
{
    const char *p = *at;
    int n = Match(p, "####-##-##T##:##:##");
    int length = n >= 19 && !IsDigit(p[19]) ? 19 : n >= 16 && !IsDigit(p[16]) ? 16 : 10;
    const char *end = p + length;
    if (n < 10 || IsDigit(*end))
        return false;
    int32_t year = Number(p, 4);
    int32_t month = Number(p + 5, 2);
    int32_t day = Number(p + 8, 2);
    int32_t hour = length > 10 ? Number(p + 11, 2) : 0;
    int32_t minute = length > 10 ? Number(p + 14, 2) : 0;
    int32_t second = length > 16 ? Number(p + 17, 2) : 0;
    int32_t milliseconds = 0;
    if (length > 16 && !Fraction(&end, &milliseconds))
        return false;
    if (year < FirstYear || year > LastGivenYear || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month) || hour > 23 || minute > 59 || second > 59)
        return false;
    // Z, or an offset of at most 23:59.
    int32_t offset = 0;
    *kind = WallClockMoment;
    if ((*end | 0x20) == 'z') {
        *kind = InstantMoment;
        end++;
    } else if ((*end == '+' || *end == '-') && Match(end + 1, "##:##") == 5 && !IsDigit(end[6])) {
        int32_t hours = Number(end + 1, 2);
        int32_t minutes = Number(end + 4, 2);
        if (hours > 23 || minutes > 59)
            return false;
        offset = (hours * 60 + minutes) * (*end == '-' ? -60 : 60);
        *kind = InstantMoment;
        end += 6;
    }
    *at = end;
    *t = Added({DayNumber(year, month, day), ((hour * 60 + minute) * 60 + second) * 1000}, 0,
               milliseconds - offset * 1000);
    return true;
}

// @N, @-N, @N.f: seconds since 1970 (up to 12 digits), as an instant. A
// fraction before 1970 counts back too: @-1.5 is 1969-12-31T23:59:58.5.
bool ReadEpoch(const char **at, Moment *t)
{
    const char *p = *at + 1;
    bool negative = *p == '-';
    p += negative;
    int n = Digits(p);
    // Days and the second of the day, digit by digit: no 64-bit number.
    int32_t days = 0;
    int32_t second = 0;
    for (int i = 0; i < n && i < 12; i++) {
        second = second * 10 + (p[i] - '0');
        days = days * 10 + second / SecondsPerDay;
        second %= SecondsPerDay;
    }
    p += n;
    int32_t milliseconds = 0;
    if (n == 0 || n > 12 || !Fraction(&p, &milliseconds))
        return false;
    milliseconds += second * 1000;
    *t = negative ? Added({UnixDay - days, 0}, 0, -milliseconds)
                  : Added({UnixDay + days, 0}, 0, milliseconds);
    *at = p;
    return t->day >= FirstDay && t->day <= LastGivenDay;
}

// The reason the platform gives for a file it cannot examine.
const char *FileError()
{
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return "no such file";
    case ERROR_ACCESS_DENIED:
        return "permission denied";
    default:
        return "cannot be examined";
    }
}

// The value of "/FILE:" or "/TZ:" at *at runs to the next space, or from a
// double quote to the next one; it is copied to the picture's block, and
// `end` is left where the option as written ends. False without memory.
bool TakeValue(RunState *state, const char *at, const char **end)
{
    const char *value = at + (*at == '"');
    const char *stop = strchr(value, value > at ? '"' : ' ');
    size_t length = stop ? static_cast<size_t>(stop - value) : strlen(value);
    *end = value + length + (value > at && value[length] == '"');
    if (!ReservePicture(state, length + 1))
        return false;
    memcpy(state->picture, value, length);
    state->picture[length] = '\0';
    return true;
}

// Where an option that is not understood ends, as written: at the next space.
const char *WordEnd(const char *start)
{
    const char *end = strchr(start, ' ');
    return end ? end : start + strlen(start);
}

// The time of the file named after "/FILE:" is the last write's, which no
// file is opened for.
const char *ReadFileTime(RunState *state, const char **at, const char **end, Moment *t)
{
    if (!TakeValue(state, *at, end))
        return nullptr;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(state->picture, GetFileExInfoStandard, &data))
        return FileError();
    SYSTEMTIME written{};
    if (!FileTimeToSystemTime(&data.ftLastWriteTime, &written) || written.wYear > LastYear)
        return "its time is out of range";
    *t = MomentOf(written);
    *at = *end + (**end == ' ');
    return nullptr;
}

// The line becomes the message: the option as written, from its slash to
// `end`, and the reason. It stays one line: a control byte shows as '?'.
void Fail(RunState *state, const char *start, const char *end, const char *reason)
{
    state->writePos = state->outputStart;
    AppendText(state, "kolbex: ");
    for (const char *p = start; p < end; p++)
        AppendByte(state, static_cast<unsigned char>(*p) < 0x20 || *p == 0x7F ? '?' : *p);
    AppendText(state, ": ");
    AppendText(state, reason);
    AppendByte(state, '\n');
    state->failed = 1;
    // The scan ends here.
    state->cursor += strlen(state->cursor);
}

} // namespace

void GivenMoment(RunState *state, bool file)
{
    const char *start = state->cursor - 1;
    const char *at = state->cursor + (file ? 5 : 3);
    const char *end = nullptr;
    Moment t{};
    MomentKind kind = InstantMoment;
    const char *reason = nullptr;
    if (file) {
        reason = ReadFileTime(state, &at, &end, &t);
    } else if (*at == '@' ? !ReadEpoch(&at, &t) : !ReadIso(&at, &t, &kind)) {
        end = WordEnd(start);
        reason = "not a moment";
    }
    if (state->outOfMemory)
        return;
    if (reason) {
        Fail(state, start, end, reason);
        return;
    }
    state->moment = t;
    state->momentKind = kind;
    state->viewed = 0;
    state->cursor = at;
}

void Period(RunState *state, bool end)
{
    static const char units[][6] = {"YEAR", "MONTH", "WEEK", "DAY", "HOUR", "MIN", "SEC"};
    const char *start = state->cursor - 1;
    const char *unit = state->cursor + (end ? 4 : 6);
    int n = 0;
    while (static_cast<unsigned>((unit[n] | 0x20) - 'a') < 26)
        n++;
    int32_t which = 0;
    while (which < SnapSecond && !(Match(unit, units[which]) == n && units[which][n] == '\0'))
        which++;
    if (which == SnapSecond) {
        Fail(state, start, WordEnd(start), "not a unit");
        return;
    }
    state->snap = which + 1;
    state->snapEnd = end;
    state->viewed = 0;
    state->cursor = unit + n;
}

void NamedZone(RunState *state)
{
    const char *start = state->cursor - 1;
    const char *end = nullptr;
    if (!TakeValue(state, state->cursor + 3, &end))
        return;
    // A wall-clock moment is read in the zone in force where it stands.
    if (state->momentKind == WallClockMoment && !FixWallClock(state))
        return;
    bool local = Match(state->picture, "LOCAL") == 5 && state->picture[5] == '\0';
    if (!local && !FindTimeZone(state->picture, &state->zone)) {
        Fail(state, start, end, "no such zone");
        return;
    }
    state->zoned = !local;
    state->utcMode = 0;
    state->viewed = 0;
    state->cursor = end + (*end == ' ');
}
