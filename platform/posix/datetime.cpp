// GetDateFormatA and GetTimeFormatA: Windows' picture language, with
// the names of the user's locale.
#include <errno.h>
#include <string.h>
#include <time.h>

#include "platform/posix/digits.h"
#include "platform/posix/locale_data.h"
#include "platform/posix/posix.h"
#include "platform/posix/user_locale.h"

namespace {

enum Kind { DatePicture, TimePicture };

// Counts every byte of the result but stores only what fits the capacity.
// English: the names of English (United States) rather than the user's.
struct Output {
    char *destination;
    int capacity;
    int length;
    bool english;
};

constexpr LCID EnglishUnitedStates = 0x0409;

void Name(const Output *out, TimeName kind, const tm &moment, char (&name)[NameCapacity])
{
    if (out->english)
        EnglishTimeName(kind, moment, name);
    else
        LocaleTimeName(kind, moment, name);
}

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
    DecimalDigits(value, minimumDigits, digits);
    PutText(out, digits);
}

bool ValidTime(const SYSTEMTIME &t)
{
    return t.wHour < 24 && t.wMinute < 60 && t.wSecond < 60 && t.wMilliseconds < 1000;
}

// As Windows does: the time of day is not looked at, and the date is one
// its clock counts (29 February in every year, as 1 March in a common one),
// with its day of the week computed, never trusted.
bool NormalizeDate(SYSTEMTIME *t)
{
    SYSTEMTIME day = *t;
    day.wHour = day.wMinute = day.wSecond = day.wMilliseconds = 0;
    FILETIME file{};
    if (!SystemTimeToFileTime(&day, &file) || !FileTimeToSystemTime(&file, &day))
        return false;
    t->wYear = day.wYear;
    t->wMonth = day.wMonth;
    t->wDay = day.wDay;
    t->wDayOfWeek = day.wDayOfWeek;
    return true;
}

// A name of the locale for the moment.
void PutName(Output *out, TimeName kind, const SYSTEMTIME &t)
{
    tm moment{};
    moment.tm_wday = t.wDayOfWeek;
    moment.tm_mon = t.wMonth - 1;
    moment.tm_mday = t.wDay;
    moment.tm_year = t.wYear - 1900;
    moment.tm_hour = t.wHour;
    char name[NameCapacity];
    Name(out, kind, moment, name);
    PutText(out, name);
}

// Months are written in the form used with a day number where the picture
// holds one (d or dd), and in the form used alone otherwise; in English the
// two are the same.
void DateElement(Output *out, char letter, int run, const SYSTEMTIME &t, bool withDay)
{
    switch (letter) {
    case 'd':
        if (run <= 2)
            PutNumber(out, t.wDay, run);
        else
            PutName(out, run == 3 ? AbbreviatedDayName : DayName, t);
        break;
    case 'M':
        if (run <= 2)
            PutNumber(out, t.wMonth, run);
        else if (run == 3)
            PutName(out, withDay ? AbbreviatedMonthWithDay : AbbreviatedMonthAlone, t);
        else
            PutName(out, withDay ? MonthWithDay : MonthAlone, t);
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
        tm moment{};
        moment.tm_hour = t.wHour;
        char designator[NameCapacity];
        Name(out, Designator, moment, designator);
        size_t length = strlen(designator);
        uint32_t first = 0;
        // English designators are ASCII, which UTF-8 reads without a locale.
        if (run == 1)
            length = DecodeCharacter(out->english ? CP_UTF8 : CP_ACP, designator, length, &first);
        for (size_t i = 0; i < length; i++)
            Put(out, designator[i]);
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
    // Asked once, at the first month name, whatever the number of names.
    int withDay = -1;
    int run = 0;
    for (const char *p = picture; *p;) {
        char letter = NextElement(&p, kind, out, &run);
        if (letter == 'M' && run > 2 && withDay < 0)
            withDay = HoldsDayNumber(picture) ? 1 : 0;
        if (letter && kind == DatePicture)
            DateElement(out, letter, run, t, withDay == 1);
        else if (letter)
            TimeElement(out, letter, run, t);
    }
}

int FormatCall(Kind kind, LCID locale, DWORD flags, const SYSTEMTIME *moment, LPCSTR picture,
               LPSTR result, int capacity)
{
    if (flags != 0 || capacity < 0 || (capacity > 0 && !result)) {
        errno = EINVAL;
        return 0;
    }
    SYSTEMTIME t{};
    if (moment)
        t = *moment;
    else
        GetLocalTime(&t);
    if (moment && !(kind == DatePicture ? NormalizeDate(&t) : ValidTime(t))) {
        errno = EINVAL;
        return 0;
    }
    if (!picture)
        picture = kind == DatePicture ? DefaultDatePicture : DefaultTimePicture;

    Output out{result, capacity, 0, locale == EnglishUnitedStates};
    Format(&out, kind, picture, t);
    Put(&out, '\0');
    if (capacity > 0 && out.length > capacity) {
        errno = ENOSPC;
        return 0;
    }
    return out.length;
}

} // namespace

// English (United States), or any other locale as the stand-in's one (the
// user's); flags are not supported.
int WINAPI GetDateFormatA(LCID locale, DWORD flags, const SYSTEMTIME *date, LPCSTR format,
                          LPSTR dateStr, int capacity)
{
    return FormatCall(DatePicture, locale, flags, date, format, dateStr, capacity);
}

int WINAPI GetTimeFormatA(LCID locale, DWORD flags, const SYSTEMTIME *time, LPCSTR format,
                          LPSTR timeStr, int capacity)
{
    return FormatCall(TimePicture, locale, flags, time, format, timeStr, capacity);
}
