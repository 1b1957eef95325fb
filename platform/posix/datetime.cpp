// GetDateFormatA and GetTimeFormatA: the platform's picture language, with
// the names of the user's locale.
#include <errno.h>
#include <limits.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include "platform/posix/posix.h"
#include "platform/posix/user_locale.h"

namespace {

const SYSTEMTIME *fixedMoment;

enum Kind { DatePicture, TimePicture };

// Counts every byte of the result but stores only what fits the capacity.
struct Output {
    char *destination;
    int capacity;
    int length;
};

void Put(Output *out, char byte)
{
    if (out->length < out->capacity)
        out->destination[out->length] = byte;
    out->length++;
}

void PutText(Output *out, const char *text)
{
    while (*text)
        Put(out, *text++);
}

void PutNumber(Output *out, unsigned int value, int minimumDigits)
{
    char digits[12];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    while (n < minimumDigits)
        digits[n++] = '0';
    while (n > 0)
        Put(out, digits[--n]);
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Sunday is 0; the day of week of a given moment is computed, never trusted.
int DayOfWeek(int year, int month, int day)
{
    static const unsigned char offsets[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3)
        year--;
    return (year + year / 4 - year / 100 + year / 400 + offsets[month - 1] + day) % 7;
}

bool ValidTime(const SYSTEMTIME &t)
{
    return t.wHour < 24 && t.wMinute < 60 && t.wSecond < 60 && t.wMilliseconds < 1000;
}

// As the platform does: the time of day is not looked at, 29 February is
// accepted in every year (and is 1 March in a common year), and the last
// day is the last one a 64-bit count of 100 ns from 1601 can hold.
bool NormalizeDate(SYSTEMTIME *t)
{
    static const unsigned char longest[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (t->wYear < 1601 || t->wMonth < 1 || t->wMonth > 12 || t->wDay < 1 ||
        t->wDay > longest[t->wMonth - 1])
        return false;
    unsigned long day = t->wYear * 10000ul + t->wMonth * 100ul + t->wDay;
    if (day > 308280914ul)
        return false;
    if (t->wMonth == 2 && t->wDay == 29 && !IsLeapYear(t->wYear)) {
        t->wMonth = 3;
        t->wDay = 1;
    }
    return true;
}

// Reads the time zone, once, before the first clock reading.
//
// glibc's localtime_r reads it on its first call, and looks for a zone file
// of TZ's name (in TZDIR where set) before it reads TZ as a rule: nothing to
// do there. Elsewhere a TZ value that names a file of the zone database
// becomes the file's full path, which every C library reads alike: musl
// reads a name like EST5EDT as a rule, losing the file's history, and
// refuses names with a dot. The new setting lives here because putenv keeps
// it, and unlike setenv it allocates nothing.
#ifndef __GLIBC__
char zoneSetting[sizeof "TZ=" + PATH_MAX];

// Copies text to out, short of end; null once it does not fit.
char *Append(char *out, const char *text, const char *end)
{
    for (; out && *text; text++) {
        if (out == end)
            return nullptr;
        *out++ = *text;
    }
    return out;
}

void ReadZone()
{
    // One pass for both variables: getenv scans the whole environment.
    const char *zone = nullptr;
    const char *folder = nullptr;
    for (char **entry = environ; *entry; entry++) {
        const char *text = *entry;
        if (text[0] != 'T' || text[1] != 'Z')
            continue;
        if (text[2] == '=')
            zone = text + 3;
        else if (text[2] == 'D' && text[3] == 'I' && text[4] == 'R' && text[5] == '=')
            folder = text + 6;
    }
    if (zone && *zone == ':')
        zone++;
    if (!zone || *zone == '\0' || *zone == '/') {
        tzset();
        return;
    }
    if (!folder || *folder == '\0')
        folder = "/usr/share/zoneinfo";
    const char *end = zoneSetting + sizeof zoneSetting - 1;
    char *out =
        Append(Append(Append(Append(zoneSetting, "TZ=", end), folder, end), "/", end), zone, end);
    if (out) {
        *out = '\0';
        if (access(zoneSetting + 3, R_OK) == 0)
            putenv(zoneSetting);
    }
    tzset();
}
#else
void ReadZone() {}
#endif

SYSTEMTIME Now()
{
    static bool zoneRead;
    if (!zoneRead) {
        ReadZone();
        zoneRead = true;
    }
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(local.tm_year + 1900);
    t.wMonth = static_cast<WORD>(local.tm_mon + 1);
    t.wDayOfWeek = static_cast<WORD>(local.tm_wday);
    t.wDay = static_cast<WORD>(local.tm_mday);
    t.wHour = static_cast<WORD>(local.tm_hour);
    t.wMinute = static_cast<WORD>(local.tm_min);
    t.wSecond = static_cast<WORD>(local.tm_sec);
    t.wMilliseconds = static_cast<WORD>(now.tv_nsec / 1000000);
    return t;
}

bool HoldsDayNumber(const char *picture);

// Months are written in the form used with a day number where the picture
// holds one (d or dd), and in the form used alone otherwise; in English the
// two are the same.
void DateElement(Output *out, char letter, int run, const SYSTEMTIME &t, const char *picture)
{
    switch (letter) {
    case 'd':
        if (run <= 2) {
            PutNumber(out, t.wDay, run);
        } else {
            const LocaleNames *names = TimeNames();
            int day = DayOfWeek(t.wYear, t.wMonth, t.wDay);
            PutText(out, run == 3 ? names->abbreviatedDays[day] : names->days[day]);
        }
        break;
    case 'M':
        if (run <= 2) {
            PutNumber(out, t.wMonth, run);
        } else {
            const LocaleNames *names = TimeNames();
            int month = t.wMonth - 1;
            bool withDay = HoldsDayNumber(picture);
            if (run == 3) {
                PutText(out, withDay ? names->abbreviatedMonths[month]
                                     : names->abbreviatedStandaloneMonths[month]);
            } else {
                PutText(out, withDay ? names->months[month] : names->standaloneMonths[month]);
            }
        }
        break;
    case 'y':
        if (run <= 2)
            PutNumber(out, t.wYear % 100u, 2);
        else
            PutNumber(out, t.wYear, 1);
        break;
    default: // 'g': the era, once for every letter of the run
        for (int i = 0; i < run; i++)
            PutText(out, EraName);
        break;
    }
}

// The bytes of a text's first character: a whole UTF-8 sequence where the
// locale's character set is UTF-8, else one byte.
int FirstCharacter(const char *text)
{
    if (!*text)
        return 0;
    int length = 1;
    if (Utf8Locale() && static_cast<unsigned char>(*text) >= 0xC0)
        while (length < 4 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
            length++;
    return length;
}

void TimeElement(Output *out, char letter, int run, const SYSTEMTIME &t)
{
    int digits = run < 2 ? 1 : 2;
    switch (letter) {
    case 'h':
        PutNumber(out, t.wHour % 12 == 0 ? 12u : t.wHour % 12u, digits);
        break;
    case 'H':
        PutNumber(out, t.wHour, digits);
        break;
    case 'm':
        PutNumber(out, t.wMinute, digits);
        break;
    case 's':
        PutNumber(out, t.wSecond, digits);
        break;
    default: { // 't': the designator, or its first character; some are empty
        const char *designator = TimeNames()->designators[t.wHour < 12 ? 0 : 1];
        if (run == 1) {
            for (int i = 0, n = FirstCharacter(designator); i < n; i++)
                Put(out, designator[i]);
        } else {
            PutText(out, designator);
        }
        break;
    }
    }
}

bool IsElement(Kind kind, char letter)
{
    if (kind == DatePicture)
        return letter == 'd' || letter == 'M' || letter == 'y' || letter == 'g';
    return letter == 'h' || letter == 'H' || letter == 'm' || letter == 's' || letter == 't';
}

// Takes the next piece of a picture at *p: literal text, which goes to out
// (when given), or a run of one element letter, whose letter it returns
// with the run's length.
char NextElement(const char **p, Kind kind, Output *out, int *run)
{
    const char *at = *p;
    char letter = *at;
    if (letter == '\'') {
        // Quoted text is literal; a doubled quote inside it is one quote,
        // and a quote never closed makes the rest literal.
        for (at++; *at; at++) {
            if (*at == '\'') {
                if (at[1] != '\'') {
                    at++;
                    break;
                }
                at++;
            }
            if (out)
                Put(out, *at);
        }
        *p = at;
        return 0;
    }
    if (!IsElement(kind, letter)) {
        if (out)
            Put(out, letter);
        *p = at + 1;
        return 0;
    }
    int length = 0;
    while (at[length] == letter)
        length++;
    *p = at + length;
    *run = length;
    return letter;
}

bool HoldsDayNumber(const char *picture)
{
    int run = 0;
    for (const char *p = picture; *p;)
        if (NextElement(&p, DatePicture, nullptr, &run) == 'd' && run <= 2)
            return true;
    return false;
}

void Format(Output *out, Kind kind, const char *picture, const SYSTEMTIME &t)
{
    int run = 0;
    for (const char *p = picture; *p;) {
        char letter = NextElement(&p, kind, out, &run);
        if (letter && kind == DatePicture)
            DateElement(out, letter, run, t, picture);
        else if (letter)
            TimeElement(out, letter, run, t);
    }
}

int FormatCall(Kind kind, DWORD flags, const SYSTEMTIME *moment, LPCSTR picture, LPSTR result,
               int capacity)
{
    if (flags != 0 || capacity < 0 || (capacity > 0 && !result)) {
        errno = EINVAL;
        return 0;
    }
    SYSTEMTIME t = moment ? *moment : fixedMoment ? *fixedMoment : Now();
    if (moment && !(kind == DatePicture ? NormalizeDate(&t) : ValidTime(t))) {
        errno = EINVAL;
        return 0;
    }
    if (!picture)
        picture = kind == DatePicture ? DefaultDatePicture : DefaultTimePicture;

    Output out{result, capacity, 0};
    Format(&out, kind, picture, t);
    Put(&out, '\0');
    if (capacity > 0 && out.length > capacity) {
        errno = ENOSPC;
        return 0;
    }
    return out.length;
}

} // namespace

void PosixFixClock(const SYSTEMTIME *moment)
{
    fixedMoment = moment;
}

// The locale is always the stand-in's one; flags are not supported.
int WINAPI GetDateFormatA(LCID, DWORD flags, const SYSTEMTIME *date, LPCSTR format, LPSTR dateStr,
                          int capacity)
{
    return FormatCall(DatePicture, flags, date, format, dateStr, capacity);
}

int WINAPI GetTimeFormatA(LCID, DWORD flags, const SYSTEMTIME *time, LPCSTR format, LPSTR timeStr,
                          int capacity)
{
    return FormatCall(TimePicture, flags, time, format, timeStr, capacity);
}
