// C library functions that only some runs need (the locale's names and
// character set, code page conversion, waiting for a full output), found
// when first needed.
#ifndef KOLBEX_PLATFORM_POSIX_LATE_CALLS_H
#define KOLBEX_PLATFORM_POSIX_LATE_CALLS_H

#include <iconv.h>
#include <langinfo.h>
#include <poll.h>

struct LateCalls {
    char *(*setlocale)(int category, const char *locale);
    char *(*nl_langinfo)(nl_item item);
    iconv_t (*iconv_open)(const char *to, const char *from);
    size_t (*iconv)(iconv_t converter, char **in, size_t *inLeft, char **out, size_t *outLeft);
    int (*poll)(pollfd *descriptors, nfds_t count, int timeout);
};

// Never null; a function that cannot be found is null in it.
const LateCalls *Late();

#endif
