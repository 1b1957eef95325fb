// GetDateFormatA and GetTimeFormatA: Windows' picture language, with
// the names of the user's locale, for what the core passes: a picture, and
// a moment whose day of the week is set.
#include <string.h>
#include <time.h>

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
    char reversed[12];
    int n = 0;
    do {
        reversed[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0 || n < minimumDigits);
    while (n > 0)
        Put(out, reversed[--n]);
}

// A name of the locale for the moment, or its first character alone. Some
// are empty; English ones are ASCII, a byte a character in any locale.
void PutName(Output *out, TimeName kind, const SYSTEMTIME &t, bool first = false)
{
    tm moment{};
    moment.tm_wday = t.wDayOfWeek;
    moment.tm_mon = t.wMonth - 1;
    moment.tm_mday = t.wDay;
    moment.tm_year = t.wYear - 1900;
    moment.tm_hour = t.wHour;
    char name[NameCapacity];
    (out->english ? EnglishTimeName : LocaleTimeName)(kind, moment, name);
    size_t length = strlen(name);
    if (first && length > 0)
        length = out->english ? 1 : CharacterLength(name, length);
    for (size_t i = 0; i < length; i++)
        Put(out, name[i]);
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
        PutNumber(out, run <= 2 ? t.wYear % 100u : t.wYear, run <= 2 ? 2 : 1);
        break;
    default: // 'g': the era, once for every letter of the run
        for (int i = 0; i < run; i++)
            PutText(out, "AD");
        break;
    }
}

void TimeElement(Output *out, char letter, int run, const SYSTEMTIME &t)
{
    unsigned twelve = t.wHour % 12 == 0 ? 12u : t.wHour % 12u;
    unsigned number = letter == 'h'   ? twelve
                      : letter == 'H' ? t.wHour
                      : letter == 'm' ? t.wMinute
                                      : t.wSecond;
    if (letter == 't')
        PutName(out, Designator, t, run == 1);
    else
        PutNumber(out, number, run < 2 ? 1 : 2);
}

bool IsElement(Kind kind, char letter)
{
    return letter && strchr(kind == DatePicture ? "dMyg" : "hHmst", letter);
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

// A date field for a day the clock cannot count (before 1601) fails, as
// the core expects.
int FormatCall(Kind kind, LCID locale, const SYSTEMTIME *moment, LPCSTR picture, LPSTR result,
               int capacity)
{
    const SYSTEMTIME &t = *moment;
    if (kind == DatePicture && t.wYear < 1601)
        return 0;
    Output out{result, capacity, 0, locale == EnglishUnitedStates};
    Format(&out, kind, picture, t);
    Put(&out, '\0');
    return capacity > 0 && out.length > capacity ? 0 : out.length;
}

} // namespace

// English (United States), or any other locale as the stand-in's one (the
// user's).
int WINAPI GetDateFormatA(LCID locale, DWORD, const SYSTEMTIME *date, LPCSTR format, LPSTR dateStr,
                          int capacity)
{
    return FormatCall(DatePicture, locale, date, format, dateStr, capacity);
}

int WINAPI GetTimeFormatA(LCID locale, DWORD, const SYSTEMTIME *time, LPCSTR format, LPSTR timeStr,
                          int capacity)
{
    return FormatCall(TimePicture, locale, time, format, timeStr, capacity);
}
