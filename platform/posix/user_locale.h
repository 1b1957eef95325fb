// The user's locale, which stands in for the system default locale on
// POSIX: its names, its character set and the DOS code page paired with
// it; also answers GetACP.
#ifndef KOLBEX_PLATFORM_POSIX_USER_LOCALE_H
#define KOLBEX_PLATFORM_POSIX_USER_LOCALE_H

#include <stddef.h>
#include <time.h>

#include "platform/platform.h"

// Room for one name of the locale, its NUL included.
constexpr size_t NameCapacity = 128;

// The names of the locale, as strftime gives them, in this order: %A, %a,
// %B, %b, and for a month without a day number %OB and %Ob (which differ
// from the others in some languages), and %p.
enum TimeName {
    DayName,
    AbbreviatedDayName,
    MonthWithDay,
    AbbreviatedMonthWithDay,
    MonthAlone,
    AbbreviatedMonthAlone,
    Designator,
};

// Writes a name of the user's LC_TIME locale for the moment to `name`, as
// bytes of the run's character set; empty where the locale has none.
// English in C, POSIX, a locale that is not installed, and in the static
// program.
void LocaleTimeName(TimeName kind, const tm &moment, char (&name)[NameCapacity]);

// The same name in English (United States), the C locale's, for which no
// locale is loaded.
void EnglishTimeName(TimeName kind, const tm &moment, char (&name)[NameCapacity]);

// The bytes that the first character of `length` bytes of text (at least
// one) in the run's character set takes: 1 where they begin none.
size_t CharacterLength(const char *text, size_t length);

// The run's character set as iconv names it, or null where its bytes are
// no characters to convert: the C and POSIX locales, and a set named but
// not loaded.
const char *CharacterSetName();

// The DOS code page Windows pairs with the LC_TIME locale.
UINT OemCodePage();

#endif
