// The user's locale, which stands in for the system default locale on
// POSIX; also answers GetACP.
#ifndef KOLBEX_PLATFORM_POSIX_USER_LOCALE_H
#define KOLBEX_PLATFORM_POSIX_USER_LOCALE_H

#include "platform/platform.h"
#include "platform/posix/locale_data.h"

// The names of the LC_TIME locale, as bytes in its character set; English
// where it is C, POSIX, C.UTF-8 or not installed.
const LocaleNames *TimeNames();

// The DOS code page the platform pairs with the LC_TIME locale.
UINT OemCodePage();

// Whether the LC_CTYPE character set is UTF-8.
bool Utf8Locale();

#endif
