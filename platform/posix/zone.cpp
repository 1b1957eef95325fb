// TZ for a C library other than glibc: a zone file found where glibc finds
// it and handed over as a checked path, or a rule, as zone.h says.
#include "platform/posix/zone.h"

#include <fcntl.h>
#include <limits.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace {

// A rule is ASCII, as glibc reads it, whatever the locale.
const char Digits[] = "0123456789";
const char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
const char QuotedName[] = "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

uint64_t Count(const unsigned char *header, size_t which)
{
    const unsigned char *p = header + 20 + 4 * which;
    return uint64_t{p[0]} << 24 | uint64_t{p[1]} << 16 | uint64_t{p[2]} << 8 | p[3];
}

// The block at `at` (a header, then data whose times take `timeSize`
// bytes): where it ends, or 0 when it is not whole. Its indexes and names
// are checked where it is `read`: musl steps over the first block of a file
// of a later version unread.
size_t Block(const unsigned char *file, size_t size, size_t at, uint64_t timeSize, bool read)
{
    if (size - at < 44 || memcmp(file + at, "TZif", 4) != 0)
        return 0;
    const unsigned char *header = file + at;
    uint64_t times = Count(header, 3), types = Count(header, 4), chars = Count(header, 5);
    uint64_t length = times * (timeSize + 1) + types * 6 + chars +
                      Count(header, 2) * (timeSize + 4) + Count(header, 1) + Count(header, 0);
    at += 44;
    if (types == 0 || chars == 0 || length > size - at)
        return 0;
    if (!read)
        return at + length;
    const unsigned char *index = file + at + times * timeSize;
    const unsigned char *type = index + times;
    for (uint64_t i = 0; i < times; i++)
        if (index[i] >= types)
            return 0;
    for (uint64_t i = 0; i < types; i++)
        if (type[6 * i + 5] >= chars)
            return 0;
    return type[6 * types + chars - 1] == '\0' ? at + length : 0;
}

// Whether musl reads a rule within [rule, end): it reads a <name> up to its
// '>', and steps over the byte after a change's month and week unread.
bool ReadWithin(const char *rule, const char *end)
{
    for (const char *at = rule; at < end; at++) {
        if (*at == '<' && !memchr(at, '>', static_cast<size_t>(end - at)))
            return false;
        if (*at != ',' || at + 1 >= end || at[1] != 'M')
            continue;
        // Digits end, at the latest, at the newline or NUL at `end`.
        const char *month = at + 2 + strspn(at + 2, Digits);
        if (month >= end || month + 1 + strspn(month + 1, Digits) >= end)
            return false;
    }
    return true;
}

// Past a name of three letters or more, or of three or more letters,
// digits and signs between < and >; null where there is none.
const char *AfterName(const char *at)
{
    bool quoted = *at == '<';
    size_t n = quoted ? strspn(at + 1, QuotedName) : strspn(at, Letters);
    return n < 3 || (quoted && at[n + 1] != '>') ? nullptr : at + n + (quoted ? 2 : 0);
}

// The standard name of the footer rule of the zone file handed over, which
// the C library reads as the zone's name, cut where it keeps it cut; none
// for a rule.
constexpr size_t NameMax = 6; // musl's TZNAME_MAX
char footerName[NameMax + 1];
bool handedFile;

// putenv keeps the string it is given, and unlike setenv allocates nothing.
char setting[sizeof "TZ=:./" + PATH_MAX] = "TZ=:";
// The database's largest zone file takes 4 KB.
unsigned char zoneFile[65536];

// The size of the zone file glibc would read for `name` (a path, or a name
// in TZDIR or the database), read whole into zoneFile; 0 where it is not
// sound. `path` is left holding the file's path as musl opens it (from '/'
// or '.').
size_t ReadZoneFile(const char *name, char *path, size_t room)
{
    const char *folder = getenv("TZDIR");
    folder = folder && *folder ? folder : "/usr/share/zoneinfo";
    const char *parts[] = {*folder == '/' ? "" : "./", folder, "/", name};
    size_t used = 0;
    for (size_t i = *name == '/' ? 3 : 0; i < 4; i++) {
        size_t n = strlen(parts[i]);
        if (n >= room - used)
            return 0;
        memcpy(path + used, parts[i], n + 1);
        used += n;
    }
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat status {};
    size_t size = 0;
    if (fd >= 0 && fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
        status.st_size < static_cast<off_t>(sizeof zoneFile))
        for (ssize_t n = 0; (n = read(fd, zoneFile + size, sizeof zoneFile - size)) > 0;)
            size += static_cast<size_t>(n);
    if (fd >= 0)
        close(fd);
    return SoundZoneFile(zoneFile, size) ? size : 0;
}

} // namespace

bool SoundZoneFile(const unsigned char *file, size_t size)
{
    // musl reads a file of the first version as one of a later version.
    if (size < 44 || file[4] < '2')
        return false;
    size_t second = Block(file, size, 0, 4, false);
    size_t end = second ? Block(file, size, second, 8, true) : 0;
    if (end == 0 || size - end < 2 || file[end] != '\n' || file[size - 1] != '\n')
        return false;
    const char *rule = reinterpret_cast<const char *>(file) + end + 1;
    const char *last = reinterpret_cast<const char *>(file) + size - 1;
    return !memchr(rule, '\n', static_cast<size_t>(last - rule)) && ReadWithin(rule, last);
}

bool RuleFor(const char *tz, char *rule, size_t size)
{
    const char *at = AfterName(tz);
    if (at && (*at == '+' || *at == '-'))
        at++;
    bool isRule = at && strspn(at, Digits) > 0 && ReadWithin(tz, tz + strlen(tz));
    at += isRule ? strspn(at, "0123456789:") : 0;
    // A daylight name after the offset, and no dates: the US rule, the
    // default of the tz code.
    bool dateless = isRule && (strspn(at, Letters) > 0 || *at == '<') && !strchr(at, ',');
    const char *dates = dateless ? ",M3.2.0,M11.1.0" : "";
    tz = isRule ? tz : "UTC0";
    size_t length = strlen(tz);
    if (length + strlen(dates) >= size)
        return false;
    memcpy(rule, tz, length + 1);
    memcpy(rule + length, dates, strlen(dates) + 1);
    return true;
}

void ReadZone()
{
    const char *tz = getenv("TZ");
    const char *name = tz ? tz + (*tz == ':') : "/etc/localtime";
    char *value = setting + 3;
    size_t size = *name ? ReadZoneFile(name, value + 1, sizeof setting - 4) : 0;
    handedFile = size > 0;
    if (handedFile) {
        // A sound file ends in a newline, with another before the footer:
        // a name of letters, or of any bytes between < and >.
        const char *rule = reinterpret_cast<const char *>(zoneFile) + size - 1;
        while (rule[-1] != '\n')
            rule--;
        bool quoted = *rule == '<';
        rule += quoted;
        size_t n = 0;
        for (; n < NameMax &&
               (quoted ? rule[n] != '>' : static_cast<unsigned>((rule[n] | 0x20) - 'a') < 26);
             n++)
            footerName[n] = rule[n];
        footerName[n] = '\0';
    } else if (!RuleFor(tz ? name : "", value, sizeof setting - 3)) {
        memcpy(value, "UTC0", sizeof "UTC0");
    }
    // The C library reads TZ anew at its first conversion.
    putenv(setting);
}

bool ZoneTaken()
{
    return !handedFile || strcmp(tzname[0], footerName) == 0;
}
