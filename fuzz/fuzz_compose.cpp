// Arbitrary tails through the whole composition at a fixed moment, checked
// against a plain model of the rules written apart from the scanner.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "compose/scanner.h"
#include "platform/posix/posix.h"

namespace {

unsigned char Upper(unsigned char b)
{
    return ((b >= 'a' && b <= 'z') || b >= 0xE0) ? static_cast<unsigned char>(b - 32) : b;
}

unsigned char Lower(unsigned char b)
{
    return ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE)) ? static_cast<unsigned char>(b + 32)
                                                                : b;
}

// Pictures fold ASCII letters alone where bytes past ASCII are no
// characters, as in the C locale.
unsigned char AsciiLower(unsigned char b)
{
    return b < 0x80 ? Lower(b) : b;
}

bool StartsFolded(const char *p, const char *word)
{
    for (; *word; p++, word++)
        if (!*p || Upper(static_cast<unsigned char>(*p)) != static_cast<unsigned char>(*word))
            return false;
    return true;
}

// The options that choose a field's moment.
struct Moment {
    bool utc = false;
    long offsets[6] = {}; // years, months, days, hours, minutes, seconds
};

// The target's fixed instant, and its zone's offset (five and a half hours
// east, always, so that local wall-clock time runs as universal time does).
constexpr time_t FixedInstant = 936821221;
constexpr long ZoneSeconds = 19800;

// The moment a field shows after the options, by the C library's calendar:
// years and months with the day clamped, then days, then elapsed seconds;
// `shown` its seconds since 1970 on the field's clock. The result alone is
// held to 1601 to 30827: outside, it keeps its time of day but has no date.
SYSTEMTIME ModelMoment(const Moment &m, long long *shown = nullptr)
{
    time_t seconds = FixedInstant + (m.utc ? 0 : ZoneSeconds);
    tm t{};
    gmtime_r(&seconds, &t);
    long months = t.tm_year * 12L + t.tm_mon + m.offsets[0] * 12 + m.offsets[1];
    long year = 1900 + (months >= 0 ? months / 12 : (months - 11) / 12);
    static const int lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    t.tm_year = static_cast<int>(year - 1900);
    t.tm_mon = static_cast<int>(months - (year - 1900) * 12);
    bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    t.tm_mday = std::min(t.tm_mday, lengths[t.tm_mon] + (t.tm_mon == 1 && leap));
    seconds = timegm(&t) + m.offsets[2] * 86400L;
    seconds += m.offsets[3] * 3600L + m.offsets[4] * 60L + m.offsets[5];
    if (shown)
        *shown = seconds;
    gmtime_r(&seconds, &t);
    bool inRange = t.tm_year + 1900 >= 1601 && t.tm_year + 1900 <= 30827;
    SYSTEMTIME s{};
    s.wYear = static_cast<WORD>(inRange ? t.tm_year + 1900 : 0);
    s.wMonth = static_cast<WORD>(inRange ? t.tm_mon + 1 : 0);
    s.wDay = static_cast<WORD>(inRange ? t.tm_mday : 0);
    s.wDayOfWeek = static_cast<WORD>(t.tm_wday);
    s.wHour = static_cast<WORD>(t.tm_hour);
    s.wMinute = static_cast<WORD>(t.tm_min);
    s.wSecond = static_cast<WORD>(t.tm_sec);
    return s;
}

void ModelField(std::string *out, const char **p, bool date, const Moment &m)
{
    SYSTEMTIME moment = ModelMoment(m);
    const SYSTEMTIME *at = &moment;
    std::string picture;
    while (**p && **p != ']')
        picture += static_cast<char>(AsciiLower(static_cast<unsigned char>(*(*p)++)));
    if (**p == ']')
        (*p)++;
    bool twelve = picture.find('t') != std::string::npos;
    for (char &c : picture) {
        if (date && c == 'm')
            c = 'M';
        if (!date && !twelve && c == 'h')
            c = 'H';
    }
    int n = date ? GetDateFormatA(0x0800, 0, at, picture.c_str(), nullptr, 0)
                 : GetTimeFormatA(0x0800, 0, at, picture.c_str(), nullptr, 0);
    if (n <= 0)
        return;
    std::string text(static_cast<std::size_t>(n), '\0');
    if (date)
        GetDateFormatA(0x0800, 0, at, picture.c_str(), text.data(), n);
    else
        GetTimeFormatA(0x0800, 0, at, picture.c_str(), text.data(), n);
    text.resize(static_cast<std::size_t>(n - 1));
    *out += text;
}

std::string Digits(unsigned long value, std::size_t least)
{
    std::string text = std::to_string(value);
    return std::string(least > text.size() ? least - text.size() : 0, '0') + text;
}

// A stamp field, by the C library: the week date and the day of the year
// from strftime, the offset that of the target's zone (five and a half
// hours east, always), the epoch seconds from timegm; the clock is fixed
// at a whole second. Outside the range the fraction is still written, and
// the epoch seconds wherever the instant lies within it.
void ModelStamp(std::string *out, const char **p, char kind, const Moment &m)
{
    long long shown = 0;
    SYSTEMTIME moment = ModelMoment(m, &shown);
    const char *start = *p;
    while (**p && **p != ']')
        (*p)++;
    const char *end = *p;
    if (**p == ']')
        (*p)++;
    unsigned long minutes = m.utc ? 0 : 330;
    long long seconds = shown - static_cast<long long>(minutes) * 60;
    bool counted = seconds >= -11644473600LL && seconds <= 910670515199LL;
    if (kind == 'U' ? !counted : kind != 'F' && moment.wYear == 0)
        return;
    tm day{};
    day.tm_year = moment.wYear - 1900;
    day.tm_mon = moment.wMonth - 1;
    day.tm_mday = moment.wDay;
    timegm(&day);
    char week[32];
    (void)std::strftime(week, sizeof week, "%G %V %u %j", &day);
    char *field = week;
    unsigned long year = std::strtoul(field, &field, 10);
    unsigned long number = std::strtoul(field, &field, 10);
    unsigned long weekday = std::strtoul(field, &field, 10);
    unsigned long ordinal = std::strtoul(field, &field, 10);
    const char *letters = kind == 'Z'   ? "hm"
                          : kind == 'W' ? "wyd"
                          : kind == 'F' ? "f"
                          : kind == 'U' ? "s"
                                        : "yd";
    if (kind == 'U' && start == end)
        *out += std::to_string(seconds);
    bool sign = false;
    for (const char *q = start; q < end;) {
        char c = static_cast<char>(std::tolower(static_cast<unsigned char>(*q)));
        if (*q == '\'') {
            for (q++; q < end; q++) {
                if (*q == '\'' && (q + 1 == end || q[1] != '\''))
                    break;
                q += *q == '\'';
                *out += *q;
            }
            q += q < end;
            continue;
        }
        if (!std::strchr(letters, c)) {
            *out += *q++;
            continue;
        }
        int run = 0;
        for (; q < end && std::tolower(static_cast<unsigned char>(*q)) == c; q++)
            run++;
        if (kind == 'F') {
            *out += std::string(static_cast<std::size_t>(run), '0'); // no milliseconds
        } else if (kind == 'U') {
            *out += std::to_string(seconds);
        } else if (kind == 'Y') {
            *out += c == 'd'  ? Digits(ordinal, run < 3 ? static_cast<std::size_t>(run) : 3)
                    : run > 2 ? Digits(moment.wYear, 1)
                              : Digits(moment.wYear % 100, 2);
        } else if (c == 'h') {
            *out += (sign ? "" : "+") + Digits(minutes / 60, run > 1 ? 2 : 1);
            sign = true;
        } else if (c == 'm') {
            *out += Digits(minutes % 60, 2);
        } else if (c == 'w') {
            *out += Digits(number, run > 1 ? 2 : 1);
        } else if (c == 'y') {
            *out += run > 2 ? Digits(year, 1) : Digits(year % 100, 2);
        } else {
            *out += Digits(weekday, 1);
        }
    }
}

// An offset's name, a sign and one to six digits, no seventh: its value,
// and p past them.
bool ModelOffset(const char **p, Moment *moment)
{
    static const char *const names[6] = {"YEAR", "MONTH", "DAY", "HOUR", "MIN", "SEC"};
    for (int kind = 0; kind < 6; kind++) {
        const char *at = *p + std::strlen(names[kind]);
        if (!StartsFolded(*p, names[kind]) || (*at != '+' && *at != '-'))
            continue;
        int sign = *at++ == '-' ? -1 : 1;
        long n = 0;
        int digits = 0;
        while (*at >= '0' && *at <= '9' && digits < 7) {
            n = n * 10 + (*at++ - '0');
            digits++;
        }
        if (digits == 0 || digits == 7)
            return false;
        moment->offsets[kind] = sign * n;
        *p = at;
        return true;
    }
    return false;
}

// What the model makes of a tail: the line, a help request, or a moment
// given by "/AT:" or "/FILE:", or seen by "/START:", "/END:" or "/TZ:",
// which it does not read.
enum class Modelled { Line, Help, Given };

Modelled Model(const char *p, std::string *out)
{
    bool literal = false;
    bool word = true; // where our options may begin
    Moment moment;
    while (*p) {
        char c = *p++;
        bool atWord = word;
        word = c == ' ';
        if (c == '"') {
            literal = !literal;
            word = true;
        } else if (literal) {
            *out += c;
        } else if (c == '@') {
            std::uint32_t n = 0;
            while (*p >= '0' && *p <= '9')
                n = n * 10 + static_cast<std::uint32_t>(*p++ - '0');
            auto target = static_cast<std::int32_t>(n);
            std::size_t goal = std::min<std::size_t>(static_cast<std::size_t>(target), 1048576);
            if (target == 0)
                *out += '@';
            else if (target > 0 && goal > out->size())
                out->resize(goal, ' ');
        } else if (c == '\'') {
            if (*p == '\'') {
                p++;
                *out += '"';
            } else {
                *out += '\'';
            }
        } else if (c == '[') {
            if (StartsFolded(p, "DATE:") || StartsFolded(p, "TIME:")) {
                bool date = Upper(static_cast<unsigned char>(*p)) == 'D';
                p += 5;
                ModelField(out, &p, date, moment);
                word = true;
            } else if (StartsFolded(p, "ZONE:") || StartsFolded(p, "WEEK:") ||
                       StartsFolded(p, "FRAC:") || StartsFolded(p, "UNIX:") ||
                       StartsFolded(p, "YDAY:")) {
                char kind = static_cast<char>(Upper(static_cast<unsigned char>(*p)));
                p += 5;
                ModelStamp(out, &p, kind, moment);
                word = true;
            } else {
                *out += '[';
                if (*p == '[')
                    p++;
            }
        } else if (c == '/') {
            word = true;
            if (StartsFolded(p, "OEM")) {
                p += 3; // the C locale's bytes, which it passes as they are
            } else if (*p == '?') {
                return Modelled::Help;
            } else if (atWord && StartsFolded(p, "UTC")) {
                moment.utc = true;
                p += 3;
            } else if (atWord && StartsFolded(p, "ENG") &&
                       !std::isalnum(static_cast<unsigned char>(p[3]))) {
                p += 3; // English names, which the C locale has already
            } else if (atWord && (StartsFolded(p, "AT:") || StartsFolded(p, "FILE:") ||
                                  StartsFolded(p, "START:") || StartsFolded(p, "END:") ||
                                  StartsFolded(p, "TZ:"))) {
                return Modelled::Given;
            } else if (!atWord || !ModelOffset(&p, &moment)) {
                *out += '/';
                word = false;
            }
        } else {
            *out += c;
        }
    }
    return Modelled::Line;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // 1999-09-08 20:07:01 UTC, already the 9th where the target runs
    // (c_locale.cpp sets a zone five and a half hours east).
    static const time_t instant = FixedInstant;
    PosixFixClock(&instant);

    // An exact-size copy, so that a read past the tail's NUL is caught.
    char *tail = static_cast<char *>(std::malloc(size + 1));
    std::memcpy(tail, data, size);
    tail[size] = '\0';

    RunState state{};
    state.heap = HeapCreate(0, 4096, 0);
    if (!CreateOutputLine(&state))
        std::abort();
    state.cursor = tail;
    ComposeLine(&state);

    if (state.outOfMemory || state.lineLength != state.writePos - state.outputStart ||
        *state.writePos != '\0' || state.writePos > state.lineLimit)
        std::abort();
    std::string expected;
    Modelled modelled = Model(tail, &expected);
    std::string line(state.outputStart, static_cast<std::size_t>(state.lineLength));
    // A given moment, a bound or a zone is parsed for memory errors alone;
    // a failure is one message line.
    if (modelled == Modelled::Given) {
        if (state.failed && (line.rfind("kolbex: /", 0) != 0 || line.back() != '\n'))
            std::abort();
    } else if ((modelled == Modelled::Help) != (state.helpMark == '?') || state.failed ||
               (modelled == Modelled::Line && line != expected)) {
        std::abort();
    }
    ReleaseOutputLine(&state);
    std::free(tail);
    return 0;
}
