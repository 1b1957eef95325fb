// TZ for a C library other than glibc: handed over so that it reads zone
// names, paths and rules with dates as glibc does, and never a zone file
// that could crash it. A zone named in the text is handed to any C library
// the same way, in place of the system's while it converts in it.
#ifndef KOLBEX_PLATFORM_POSIX_ZONE_H
#define KOLBEX_PLATFORM_POSIX_ZONE_H

#include <stddef.h>

#include "platform/platform.h"

// Sets TZ to what the C library is to read; before the first clock reading.
void ReadZone();

// Whether the C library reads the zone file that ReadZone or SelectZone
// handed over, after a conversion: where it cannot map the file (for want
// of memory) it reads UTC in its place, by the name "UTC". True where no
// file was handed over.
bool ZoneTaken();

// Makes the zone that FindTimeZone found by `name` the C library's, or the
// system's again for an empty name: 1 where it changed, 0 where it was in
// force, -1 where its file is no longer sound (read again by a C library
// other than glibc, which is handed its path).
int SelectZone(const char *name);

// Whether a zone file is whole: both blocks within its size, every index
// within its table, the footer rule between the last two newlines, and
// nothing the C library would read past its end.
bool SoundZoneFile(const unsigned char *file, size_t size);

// The rule handed over for a TZ value that names no sound zone file: UTC0
// where glibc reads no rule (no name followed by an offset) or musl would
// read past its end; the customary dates added to a daylight rule without
// them; any other as written. False where `rule` is too small.
bool RuleFor(const char *tz, char *rule, size_t size);

#endif
