// Which DOS code page Windows pairs with a locale, and the one such
// code page that the C library's converter lacks.
#ifndef KOLBEX_PLATFORM_POSIX_CODE_PAGES_H
#define KOLBEX_PLATFORM_POSIX_CODE_PAGES_H

#include "platform/platform.h"

// The OEM code page for a locale name "language_TERRITORY.charset@modifier";
// 437 for C, POSIX and languages Windows pairs with none of its own.
// 65001 (UTF-8) where Windows keeps the language in Unicode alone.
UINT OemCodePageOf(const char *localeName);

// Code page 720 (Arabic): the character of each byte from 0x80 on.
extern const uint16_t CodePage720[128];

#endif
