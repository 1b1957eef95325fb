// The data of English (United States), the locale that stands in for the
// system default one on POSIX where the user's locale names no language:
// its names (the C locale's), its era, its default pictures, and its ANSI
// (1252) to OEM (437) conversion.
#ifndef KOLBEX_PLATFORM_POSIX_LOCALE_DATA_H
#define KOLBEX_PLATFORM_POSIX_LOCALE_DATA_H

// The names, as arrays of characters: a table of pointers would need a
// relocation each where the program is position-independent.
extern const char EnglishDays[7][10];
extern const char EnglishAbbreviatedDays[7][4];
extern const char EnglishMonths[12][10];
extern const char EnglishAbbreviatedMonths[12][4];
extern const char EnglishDesignators[2][3];
extern const char EraName[];

// Used where a call gives no picture of its own.
extern const char DefaultDatePicture[];
extern const char DefaultTimePicture[];

// Code page 1252 to code page 437, best fit where 437 has no exact match.
extern const unsigned char AnsiToOem[256];

#endif
