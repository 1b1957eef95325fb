// The time zone, for a build whose C library is not glibc: TZ handed to
// that library so that it reads what people set on purpose as glibc does,
// and never a zone file that could crash it.
#ifndef KOLBEX_PLATFORM_POSIX_ZONE_H
#define KOLBEX_PLATFORM_POSIX_ZONE_H

#include <stddef.h>

// Called before the first clock reading; does nothing on glibc.
void ReadZone();

// Whether a zone file is whole: both headers and blocks within its size,
// every index within its table, the footer rule between the last two
// newlines, and nothing the C library would read past its end.
bool SoundZoneFile(const unsigned char *file, size_t size);

// A daylight rule without dates ("CET-1CEST") with the changes written
// out: those of `footer`, the rule that ends the posixrules zone, moved as
// glibc moves them for the rule's offsets; the US rule where `footer` is
// null or has no changes. False when `tz` is no such rule or `rule` too
// small.
bool DaylightRule(const char *tz, const char *footer, char *rule, size_t size);

#endif
