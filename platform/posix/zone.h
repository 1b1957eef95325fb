// The time zone as the GNU C library reads TZ, the reading every Linux
// build of the program shares.
#ifndef KOLBEX_PLATFORM_POSIX_ZONE_H
#define KOLBEX_PLATFORM_POSIX_ZONE_H

#include <stddef.h>

// Called before the first clock reading. Built on another C library, it
// sets TZ to what makes that library give the local time glibc gives: the
// full path of the zone file that TZ names (in TZDIR, or the zone
// database), or else the rule glibc reads in it, written out in full.
void ReadZone();

// The POSIX rule, written out in full (names, offsets, both changes), that
// gives the local time glibc gives for a TZ value read as a rule rather
// than as a zone file: hours past 24 are 24, a rule glibc rejects leaves
// what it read so far, and a value it cannot read at all is UTC.
// `posixRules`: whether the zone database holds posixrules, whose changes
// glibc takes for daylight time without changes of its own. False when
// `size` is too small.
bool ZoneRule(const char *tz, bool posixRules, char *rule, size_t size);

#endif
