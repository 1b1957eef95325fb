// TZ for a C library other than glibc. What glibc reads as a zone file is
// found where glibc finds it and handed over as a checked path; what it
// reads as no rule at all is UTC; a daylight rule without dates gets
// posixrules' changes; every other value goes over as written.
#include "platform/posix/zone.h"

#include <fcntl.h>
#include <limits.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "platform/posix/digits.h"

namespace {

// ASCII alone, as glibc reads a rule, whatever the locale.
bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

uint64_t Count(const unsigned char *header, size_t which)
{
    const unsigned char *p = header + 20 + 4 * which;
    return uint64_t{p[0]} << 24 | uint64_t{p[1]} << 16 | uint64_t{p[2]} << 8 | p[3];
}

// The block at `at` (a header, then data whose times take `timeSize`
// bytes): where it ends, or 0 when it is not whole.
size_t Block(const unsigned char *file, size_t size, size_t at, uint64_t timeSize)
{
    if (size - at < 44 || memcmp(file + at, "TZif", 4) != 0)
        return 0;
    const unsigned char *header = file + at;
    uint64_t times = Count(header, 3);
    uint64_t types = Count(header, 4);
    uint64_t chars = Count(header, 5);
    uint64_t length = times * (timeSize + 1) + types * 6 + chars +
                      Count(header, 2) * (timeSize + 4) + Count(header, 1) + Count(header, 0);
    at += 44;
    if (types == 0 || chars == 0 || length > size - at)
        return 0;
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
        const char *step = at + 2;
        for (int i = 0; i < 2; i++, step++) {
            while (step < end && IsDigit(*step))
                step++;
            if (step >= end)
                return false;
        }
    }
    return true;
}

// Three letters or more, or three or more letters, digits and signs
// between < and >.
bool SkipName(const char **p)
{
    bool quoted = **p == '<';
    const char *start = *p + quoted;
    const char *at = start;
    while (IsLetter(*at) || (quoted && (IsDigit(*at) || *at == '+' || *at == '-')))
        at++;
    if (at - start < 3 || (quoted && *at != '>'))
        return false;
    *p = at + quoted;
    return true;
}

// [+-]hh[:mm[:ss]] with at most `hours` hours: seconds, signed as written.
bool Clock(const char **p, long hours, long *seconds)
{
    const char *at = *p;
    long sign = *at == '-' ? -1 : 1;
    at += *at == '-' || *at == '+';
    const long most[3] = {hours, 59, 59};
    const long unit[3] = {3600, 60, 1};
    *seconds = 0;
    for (int i = 0; i < 3 && (i == 0 || *at == ':'); i++) {
        at += i > 0;
        const char *start = at;
        long n = 0;
        while (IsDigit(*at) && n <= most[i])
            n = n * 10 + (*at++ - '0');
        if (at == start || n > most[i])
            return false;
        *seconds += sign * n * unit[i];
    }
    *p = at;
    return true;
}

// The names and offsets of a daylight rule: the offsets east of UTC (as
// written they are west), daylight time an hour ahead unless given.
bool SkipZone(const char **p, long *standardOffset, long *daylightOffset)
{
    long written = 0;
    if (!SkipName(p) || !Clock(p, 24, &written) || !SkipName(p))
        return false;
    *standardOffset = -written;
    *daylightOffset = *standardOffset + 3600;
    if (**p != '+' && **p != '-' && !IsDigit(**p))
        return true;
    if (!Clock(p, 24, &written))
        return false;
    *daylightOffset = -written;
    return true;
}

struct Change {
    const char *date; // Jn, n or Mm.w.d, as written
    size_t length;
    long time;
};

// ,date[/time]
bool SkipChange(const char **p, Change *change)
{
    const char *at = *p;
    if (*at++ != ',')
        return false;
    change->date = at;
    while (IsDigit(*at) || *at == 'J' || *at == 'M' || *at == '.')
        at++;
    change->length = static_cast<size_t>(at - change->date);
    change->time = 7200;
    if (*at == '/') {
        at++;
        if (!Clock(&at, 167, &change->time))
            return false;
    }
    *p = at;
    return change->length > 0;
}

// Appends to a text; `at` becomes null once it would overflow.
struct Text {
    char *at;
    char *end;
};

void Add(Text *text, const char *part, size_t length)
{
    if (!text->at || length > static_cast<size_t>(text->end - text->at)) {
        text->at = nullptr;
        return;
    }
    memcpy(text->at, part, length);
    text->at += length;
}

// [-]h:mm:ss
void AddClock(Text *text, long seconds)
{
    unsigned magnitude = static_cast<unsigned>(seconds < 0 ? -seconds : seconds);
    const unsigned parts[3] = {magnitude / 3600, magnitude / 60 % 60, magnitude % 60};
    Add(text, "-", seconds < 0 ? 1 : 0);
    for (int i = 0; i < 3; i++) {
        char digits[12];
        int n = DecimalDigits(parts[i], i == 0 ? 1 : 2, digits);
        Add(text, ":", i == 0 ? 0 : 1);
        Add(text, digits, static_cast<size_t>(n));
    }
}

} // namespace

bool SoundZoneFile(const unsigned char *file, size_t size)
{
    // musl reads a file of the first version as one of a later version.
    if (size < 44 || file[4] < '2')
        return false;
    size_t second = Block(file, size, 0, 4);
    size_t end = second ? Block(file, size, second, 8) : 0;
    if (end == 0 || size - end < 2 || file[end] != '\n' || file[size - 1] != '\n')
        return false;
    const char *rule = reinterpret_cast<const char *>(file) + end + 1;
    const char *last = reinterpret_cast<const char *>(file) + size - 1;
    return !memchr(rule, '\n', static_cast<size_t>(last - rule)) && ReadWithin(rule, last);
}

bool DaylightRule(const char *tz, const char *footer, char *rule, size_t size)
{
    const char *end = tz;
    long standardOffset = 0;
    long daylightOffset = 0;
    if (!SkipZone(&end, &standardOffset, &daylightOffset) || (*end && strcmp(end, ",") != 0))
        return false;
    Change changes[2] = {{"M3.2.0", 6, 7200}, {"M11.1.0", 7, 7200}};
    Change read[2];
    long ruleStandard = 0;
    long ruleDaylight = 0;
    const char *at = footer;
    if (at && SkipZone(&at, &ruleStandard, &ruleDaylight) && SkipChange(&at, &read[0]) &&
        SkipChange(&at, &read[1]) && *at == '\0') {
        // glibc moves the instants of posixrules' changes: the start by how
        // far standard time is east of the zone's, the end by the whole
        // daylight offset (Debian's glibc keeps no daylight offset of the
        // zone's). Written as local times, each offset counts twice.
        changes[0] = read[0];
        changes[0].time += 2 * (standardOffset - ruleStandard);
        changes[1] = read[1];
        changes[1].time += 2 * daylightOffset - ruleDaylight;
    }
    Text text = {rule, rule + size - 1};
    Add(&text, tz, static_cast<size_t>(end - tz));
    for (const Change &change : changes) {
        Add(&text, ",", 1);
        Add(&text, change.date, change.length);
        Add(&text, "/", 1);
        AddClock(&text, change.time);
    }
    if (!text.at)
        return false;
    *text.at = '\0';
    return true;
}

#ifdef __GLIBC__

void ReadZone() {}

#else

namespace {

// putenv keeps the string it is given, and unlike setenv allocates nothing.
char setting[sizeof "TZ=:./" + PATH_MAX];
// The database's largest zone file takes 4 KB.
unsigned char zoneFile[65536];

// Reads the zone file glibc would read for `name` (a path, or a name in
// TZDIR or the database) whole into zoneFile: its footer rule, ended by a
// NUL there, where the file is sound; else null. `path` is left holding
// the file's path as musl opens it (from '/' or '.').
const char *ReadZoneFile(const char *name, char *path, size_t room)
{
    Text text = {path, path + room};
    if (*name != '/') {
        const char *folder = getenv("TZDIR");
        folder = folder && *folder ? folder : "/usr/share/zoneinfo";
        Add(&text, "./", *folder == '/' ? 0 : 2);
        Add(&text, folder, strlen(folder));
        Add(&text, "/", 1);
    }
    Add(&text, name, strlen(name) + 1);
    int fd = text.at ? open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK) : -1;
    if (fd < 0)
        return nullptr;
    struct stat status {};
    size_t size = 0;
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
        status.st_size < static_cast<off_t>(sizeof zoneFile)) {
        ssize_t n = 0;
        while ((n = read(fd, zoneFile + size, sizeof zoneFile - size)) > 0)
            size += static_cast<size_t>(n);
    }
    close(fd);
    if (!SoundZoneFile(zoneFile, size))
        return nullptr;
    zoneFile[size - 1] = '\0';
    const char *footer = reinterpret_cast<const char *>(zoneFile) + size - 1;
    while (footer[-1] != '\n')
        footer--;
    return footer;
}

// glibc reads a rule where a name is followed by an offset; else UTC.
bool IsRule(const char *value)
{
    return SkipName(&value) &&
           (IsDigit(*value) || ((*value == '+' || *value == '-') && IsDigit(value[1])));
}

} // namespace

void ReadZone()
{
    const char *tz = getenv("TZ");
    const char *name = tz ? tz + (*tz == ':') : "/etc/localtime";
    size_t length = strlen(name);
    char *value = setting + 3;
    char rules[PATH_MAX];
    memcpy(setting, "TZ=:", 4);
    if (*name && ReadZoneFile(name, value + 1, sizeof setting - 4)) {
        // the checked file, which the C library reads again
    } else if (!tz || !IsRule(name) || !ReadWithin(name, name + length) ||
               length >= sizeof setting - 3) {
        memcpy(value, "UTC0", sizeof "UTC0");
    } else if (!DaylightRule(name, ReadZoneFile("posixrules", rules, sizeof rules), value,
                             sizeof setting - 3)) {
        memcpy(value, name, length + 1);
    }
    putenv(setting);
    tzset();
}

#endif
