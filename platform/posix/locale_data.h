// The data of the locale that stands in for the system default locale on
// POSIX: English (United States), ANSI code page 1252, OEM code page 437.
#ifndef KOLBEX_PLATFORM_POSIX_LOCALE_DATA_H
#define KOLBEX_PLATFORM_POSIX_LOCALE_DATA_H

extern const char *const DayNames[7]; // Sunday first
extern const char *const DayAbbreviations[7];
extern const char *const MonthNames[12]; // January first
extern const char *const MonthAbbreviations[12];
extern const char *const Designators[2]; // before noon, from noon
extern const char EraName[];

// Used where a call gives no picture of its own.
extern const char DefaultDatePicture[];
extern const char DefaultTimePicture[];

// Code page 1252 to code page 437, best fit where 437 has no exact match.
extern const unsigned char AnsiToOem[256];

#endif
