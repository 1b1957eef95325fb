// How glibc reads a TZ rule, step by step, so that the static program can
// hand its own C library the same values: that one reads offsets past 24
// hours, one-letter names and rules glibc refuses, and knows no TZDIR.
#include "platform/posix/zone.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include "platform/posix/digits.h"

namespace {

// A change between standard and daylight time: day 1 to 365 without the
// leap day ('J'), day 0 to 365 ('n'), or the nth weekday d of month m
// ('M'); at `seconds` past midnight.
struct Change {
    char type;
    unsigned short day;
    unsigned short month;
    unsigned short week;
    int seconds;
};

// What glibc keeps of a rule: offsets in seconds east of UTC.
struct Zone {
    int offset[2];
    Change change[2];
};

// ASCII alone, as glibc reads a rule, whatever the locale in use.
bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A number as scanf's %hu reads one: blanks, a sign, digits, kept to 16
// bits.
bool Number(const char **p, unsigned short *value)
{
    char *end = nullptr;
    unsigned long n = strtoul(*p, &end, 10);
    if (end == *p)
        return false;
    *value = static_cast<unsigned short>(n);
    *p = end;
    return true;
}

// hh[:mm[:ss]], each part read as far as it goes.
int Clock(const char **p, unsigned short *hh, unsigned short *mm, unsigned short *ss)
{
    const char *at = *p;
    if (!Number(&at, hh))
        return 0;
    *p = at;
    if (*at++ != ':' || !Number(&at, mm))
        return 1;
    *p = at;
    if (*at++ != ':' || !Number(&at, ss))
        return 2;
    *p = at;
    return 3;
}

// Three letters or more, or three or more of letters, digits and signs
// between < and >.
bool Name(const char **p)
{
    const char *at = *p;
    while (IsLetter(*at))
        at++;
    if (at - *p >= 3) {
        *p = at;
        return true;
    }
    at = *p;
    if (*at++ != '<')
        return false;
    const char *start = at;
    while (IsLetter(*at) || IsDigit(*at) || *at == '+' || *at == '-')
        at++;
    if (*at != '>' || at - start < 3)
        return false;
    *p = at + 1;
    return true;
}

unsigned Least(unsigned a, unsigned b)
{
    return a < b ? a : b;
}

// [+-]hh[:mm[:ss]] west of UTC, each part clamped (hours to 24). Daylight
// time without an offset is an hour ahead of standard time.
bool Offset(const char **p, int which, Zone *zone)
{
    const char *at = *p;
    if (which == 0 && *at != '+' && *at != '-' && !IsDigit(*at))
        return false;
    int sign = -1;
    if (*at == '-' || *at == '+')
        sign = *at++ == '-' ? 1 : -1;
    *p = at;
    unsigned short hh = 0;
    unsigned short mm = 0;
    unsigned short ss = 0;
    if (Clock(p, &hh, &mm, &ss) > 0) {
        zone->offset[which] =
            sign * static_cast<int>(Least(ss, 59) + Least(mm, 59) * 60 + Least(hh, 24) * 3600);
    } else if (which == 0) {
        zone->offset[0] = 0;
        return false;
    } else {
        zone->offset[1] = zone->offset[0] + 3600;
    }
    return true;
}

// ,date[/time]; without a date, the United States' rules (glibc's own
// default, and its posixrules file's for present years).
bool ChangeRule(const char **p, int which, Change *change)
{
    const char *at = *p;
    at += *at == ',';
    if (*at == 'J' || IsDigit(*at)) {
        change->type = *at == 'J' ? 'J' : 'n';
        if (change->type == 'J' && !IsDigit(*++at))
            return false;
        char *end = nullptr;
        unsigned long day = strtoul(at, &end, 10);
        if (end == at || day > 365 || (change->type == 'J' && day == 0))
            return false;
        change->day = static_cast<unsigned short>(day);
        at = end;
    } else if (*at == 'M') {
        change->type = 'M';
        at++;
        bool read = Number(&at, &change->month) && *at++ == '.' && Number(&at, &change->week) &&
                    *at++ == '.' && Number(&at, &change->day);
        if (!read || change->month < 1 || change->month > 12 || change->week < 1 ||
            change->week > 5 || change->day > 6)
            return false;
    } else if (*at == '\0') {
        change->type = 'M';
        change->month = which == 0 ? 3 : 11;
        change->week = which == 0 ? 2 : 1;
        change->day = 0;
    } else {
        return false;
    }
    if (*at != '\0' && *at != '/' && *at != ',')
        return false;
    if (*at != '/') {
        change->seconds = 7200;
    } else {
        at++;
        if (*at == '\0')
            return false;
        bool negative = *at == '-';
        at += negative;
        unsigned short hh = 2;
        unsigned short mm = 0;
        unsigned short ss = 0;
        Clock(&at, &hh, &mm, &ss);
        change->seconds = (negative ? -1 : 1) * (hh * 3600 + mm * 60 + ss);
    }
    *p = at;
    return true;
}

// Appends to a text of `size` bytes; `at` becomes null once it is full.
struct Text {
    char *at;
    char *end;
};

void Add(Text *text, const char *part)
{
    for (; text->at && *part; part++) {
        if (text->at == text->end) {
            text->at = nullptr;
            return;
        }
        *text->at++ = *part;
    }
}

void AddNumber(Text *text, unsigned value, bool twoDigits)
{
    char digits[12];
    DecimalDigits(value, twoDigits ? 2 : 1, digits);
    Add(text, digits);
}

// [-]h:mm:ss, or with a + for an offset.
void AddClock(Text *text, int seconds, bool plus)
{
    unsigned magnitude = seconds < 0 ? 0u - static_cast<unsigned>(seconds) : seconds;
    Add(text, seconds < 0 ? "-" : plus ? "+" : "");
    AddNumber(text, magnitude / 3600, false);
    Add(text, ":");
    AddNumber(text, magnitude / 60 % 60, true);
    Add(text, ":");
    AddNumber(text, magnitude % 60, true);
}

void AddChange(Text *text, const Change &change)
{
    Add(text, ",");
    if (change.type == 'M') {
        Add(text, "M");
        AddNumber(text, change.month, false);
        Add(text, ".");
        AddNumber(text, change.week, false);
        Add(text, ".");
        AddNumber(text, change.day, false);
    } else {
        Add(text, change.type == 'J' ? "J" : "");
        AddNumber(text, change.day, false);
    }
    Add(text, "/");
    AddClock(text, change.seconds, false);
}

// A week past 5 is the last, as is the 5th; a week of 0 is the first.
// Months and weekdays out of range (left by a refused rule) are read by
// glibc from outside its tables: such a zone keeps standard time here.
bool Usable(Change *change)
{
    if (change->type != 'M')
        return true;
    change->week = change->week < 1 ? 1 : change->week > 5 ? 5 : change->week;
    return change->month >= 1 && change->month <= 12 && change->day <= 6;
}

} // namespace

bool ZoneRule(const char *tz, bool posixRules, char *rule, size_t size)
{
    Zone zone{};
    zone.change[0].type = zone.change[1].type = 'n';
    const char *at = tz;
    bool summer = false;
    if (!Name(&at) || !Offset(&at, 0, &zone)) {
        zone.offset[0] = 0;
    } else if (*at != '\0') {
        summer = true;
        bool named = Name(&at);
        if (named)
            Offset(&at, 1, &zone);
        if (named && posixRules && (*at == '\0' || (at[0] == ',' && at[1] == '\0'))) {
            // glibc then takes the changes of the posixrules zone, New
            // York's, at 7:00 and 6:00 UTC, and moves them by the zone's
            // offsets as it does: the first by how far standard time is
            // east of New York's, the second by the whole daylight offset.
            // Written as local times, that is each offset twice.
            zone.change[0] = {'M', 0, 3, 2, 7 * 3600 + 5 * 3600 + 2 * zone.offset[0]};
            zone.change[1] = {'M', 0, 11, 1, 6 * 3600 + 2 * zone.offset[1]};
        } else if (ChangeRule(&at, 0, &zone.change[0])) {
            ChangeRule(&at, 1, &zone.change[1]);
        }
    }
    summer = summer && zone.offset[0] != zone.offset[1] && Usable(&zone.change[0]) &&
             Usable(&zone.change[1]);

    Text text = {rule, rule + size - 1};
    Add(&text, "STD");
    AddClock(&text, -zone.offset[0], true);
    if (summer) {
        Add(&text, "DST");
        AddClock(&text, -zone.offset[1], true);
        AddChange(&text, zone.change[0]);
        AddChange(&text, zone.change[1]);
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
char zoneSetting[sizeof "TZ=./" + PATH_MAX];

// A zone file as both C libraries read one: its header, at least.
bool IsZoneFile(const char *path)
{
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char header[44];
    bool zone = read(fd, header, sizeof header) == sizeof header && memcmp(header, "TZif", 4) == 0;
    close(fd);
    return zone;
}

// folder/name, as a path the other C library reads as one.
bool ZonePath(Text *text, const char *folder, const char *name)
{
    if (*name != '/') {
        Add(text, *folder == '/' ? "" : "./");
        Add(text, folder);
        Add(text, "/");
    }
    Add(text, name);
    if (text->at)
        *text->at = '\0';
    return text->at != nullptr;
}

} // namespace

void ReadZone()
{
    const char *tz = getenv("TZ");
    if (!tz)
        return; // both read /etc/localtime
    if (*tz == ':')
        tz++;
    const char *folder = getenv("TZDIR");
    folder = folder && *folder ? folder : "/usr/share/zoneinfo";

    Text setting = {zoneSetting, zoneSetting + sizeof zoneSetting - 1};
    Add(&setting, "TZ=");
    if (*tz == '\0' || !ZonePath(&setting, folder, tz) || !IsZoneFile(zoneSetting + 3)) {
        char rules[PATH_MAX];
        Text path = {rules, rules + sizeof rules - 1};
        bool posixRules = ZonePath(&path, folder, "posixrules") && IsZoneFile(rules);
        if (!ZoneRule(*tz ? tz : "UTC", posixRules, zoneSetting + 3, sizeof zoneSetting - 3))
            memcpy(zoneSetting, "TZ=UTC0", sizeof "TZ=UTC0");
    }
    putenv(zoneSetting);
    tzset();
}

#endif
