// TZ for a C library other than glibc: a zone file found where glibc finds
// it and handed over as a checked path, or a rule, as zone.h says; and a
// zone by name, handed to any C library in place of the system's.
#include "platform/posix/zone.h"

#include <dlfcn.h>
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

// The C library's services that only a zone file needs. The dynamic
// build binds all it imports at start-up: it finds these when a zone file
// is read, so that a run in the system's zone pays nothing for them (the
// dynamic build's goal, with glibc); the static program links them.
struct FileServices {
    int (*open)(const char *path, int flags, ...);
    ssize_t (*read)(int fd, void *buffer, size_t count);
    int (*close)(int fd);
    int (*putenv)(char *setting);
    int (*unsetenv)(const char *name);
    void (*tzset)();
};

const FileServices *Services()
{
#ifdef KOLBEX_STATIC
    static const FileServices linked{open, read, close, putenv, unsetenv, tzset};
    return &linked;
#else
    static FileServices found;
    static bool sought;
    if (!sought) {
        found.open = reinterpret_cast<decltype(found.open)>(dlsym(RTLD_DEFAULT, "open"));
        found.read = reinterpret_cast<decltype(found.read)>(dlsym(RTLD_DEFAULT, "read"));
        found.close = reinterpret_cast<decltype(found.close)>(dlsym(RTLD_DEFAULT, "close"));
        found.putenv = reinterpret_cast<decltype(found.putenv)>(dlsym(RTLD_DEFAULT, "putenv"));
        found.unsetenv =
            reinterpret_cast<decltype(found.unsetenv)>(dlsym(RTLD_DEFAULT, "unsetenv"));
        found.tzset = reinterpret_cast<decltype(found.tzset)>(dlsym(RTLD_DEFAULT, "tzset"));
        sought = true;
    }
    bool whole =
        found.open && found.read && found.close && found.putenv && found.unsetenv && found.tzset;
    return whole ? &found : nullptr;
#endif
}

// strspn and memchr, which the dynamic build would bind at start-up.
size_t Span(const char *at, const char *set)
{
    size_t n = 0;
    while (at[n] && strchr(set, at[n]))
        n++;
    return n;
}

bool Holds(const char *at, char byte, size_t count)
{
    for (size_t i = 0; i < count; i++)
        if (at[i] == byte)
            return true;
    return false;
}

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
        if (*at == '<' && !Holds(at, '>', static_cast<size_t>(end - at)))
            return false;
        if (*at != ',' || at + 1 >= end || at[1] != 'M')
            continue;
        // Digits end, at the latest, at the newline or NUL at `end`.
        const char *month = at + 2 + Span(at + 2, Digits);
        if (month >= end || month + 1 + Span(month + 1, Digits) >= end)
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
// for a rule. The system's, and the named zone's.
constexpr size_t NameMax = 6; // musl's TZNAME_MAX
char footerName[NameMax + 1];
char namedFooter[NameMax + 1];
bool handedFile;

// putenv keeps the string it is given, and unlike setenv allocates nothing.
// The system's zone, and the named zone.
char setting[sizeof "TZ=:./" + PATH_MAX] = "TZ=:";
char named[sizeof "TZ=:./" + PATH_MAX] = "TZ=:";
// The name of the zone the C library converts in, empty for the system's;
// and TZ as it was before a named zone, which glibc reads as the system's.
char selected[sizeof DYNAMIC_TIME_ZONE_INFORMATION{}.TimeZoneKeyName];
char *systemSetting;
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
    // A file that is no longer regular when it is opened reads nothing:
    // it is opened without waiting.
    const FileServices *with = Services();
    struct stat status {};
    if (!with || stat(path, &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_size >= static_cast<off_t>(sizeof zoneFile))
        return 0;
    int fd = with->open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    size_t size = 0;
    if (fd >= 0) {
        for (ssize_t n = 0; (n = with->read(fd, zoneFile + size, sizeof zoneFile - size)) > 0;)
            size += static_cast<size_t>(n);
        with->close(fd);
    }
    return SoundZoneFile(zoneFile, size) ? size : 0;
}

// The footer rule's standard name of the sound zone file in zoneFile.
void FooterName(size_t size, char *name)
{
    // A sound file ends in a newline, with another before the footer: a
    // name of letters, or of any bytes between < and >.
    const char *rule = reinterpret_cast<const char *>(zoneFile) + size - 1;
    while (rule[-1] != '\n')
        rule--;
    bool quoted = *rule == '<';
    rule += quoted;
    size_t n = 0;
    for (; n < NameMax &&
           (quoted ? rule[n] != '>' : static_cast<unsigned>((rule[n] | 0x20) - 'a') < 26);
         n++)
        name[n] = rule[n];
    name[n] = '\0';
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
    return !Holds(rule, '\n', static_cast<size_t>(last - rule)) && ReadWithin(rule, last);
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
    if (handedFile)
        FooterName(size, footerName);
    else if (!RuleFor(tz ? name : "", value, sizeof setting - 3))
        memcpy(value, "UTC0", sizeof "UTC0");
    // The C library reads TZ anew at its first conversion.
    putenv(setting);
}

bool ZoneTaken()
{
    if (*selected)
        return strcmp(tzname[0], namedFooter) == 0;
    return !handedFile || strcmp(tzname[0], footerName) == 0;
}

BOOL FindTimeZone(const char *name, DYNAMIC_TIME_ZONE_INFORMATION *zone)
{
    // Names only: no path, and no step out of the database's folder.
    size_t length = strlen(name);
    if (length == 0 || length >= sizeof zone->TimeZoneKeyName || *name == '/' || *name == '.' ||
        strstr(name, "/."))
        return FALSE;
    // Not in `named`, which the C library may be reading.
    char path[sizeof named];
    if (ReadZoneFile(name, path, sizeof path) == 0)
        return FALSE;
    memcpy(zone->TimeZoneKeyName, name, length + 1);
    return TRUE;
}

BOOL ZoneRulesOfYear(WORD, const DYNAMIC_TIME_ZONE_INFORMATION *zone, TIME_ZONE_INFORMATION *rules)
{
    rules->zone = zone;
    return TRUE;
}

int SelectZone(const char *name)
{
    if (strcmp(name, selected) == 0)
        return 0;
    // Found when a named zone is first read.
    const FileServices *with = Services();
    if (!with)
        return -1;
    if (*name && !*selected) {
        // The system's TZ, as it stands when the run leaves it: "TZ=" and
        // the value getenv points into.
        const char *tz = getenv("TZ");
        systemSetting = tz ? const_cast<char *>(tz) - 3 : nullptr;
    }
    if (*name) {
#ifdef __GLIBC__
        // glibc finds the name in its folder, where FindTimeZone checked it.
        memcpy(named + 4, name, strlen(name) + 1);
#else
        // Another C library is handed the path checked, and its file's name
        // is kept to tell whether it took it.
        size_t size = ReadZoneFile(name, named + 4, sizeof named - 4);
        if (size == 0)
            return -1;
        FooterName(size, namedFooter);
#endif
        with->putenv(named);
    } else {
#ifdef __GLIBC__
        if (systemSetting)
            with->putenv(systemSetting);
        else
            with->unsetenv("TZ");
#else
        with->putenv(setting);
#endif
    }
    memcpy(selected, name, strlen(name) + 1);
    with->tzset();
    return 1;
}
