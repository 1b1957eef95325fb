// The POSIX stand-ins for the platform's date and time formatting and its
// calendar, held to the reference output of the platform itself where the
// core can ask the same.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/code_pages.h"
#include "tests/compose_harness.h"

namespace {

std::string Date(const SYSTEMTIME &t, const char *picture, int capacity = 100)
{
    char buffer[256] = {};
    int n = GetDateFormatA(LOCALE_SYSTEM_DEFAULT, 0, &t, picture, buffer, capacity);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n - 1)) : "<failed>";
}

std::string Time(const SYSTEMTIME &t, const char *picture)
{
    char buffer[256] = {};
    int n = GetTimeFormatA(LOCALE_SYSTEM_DEFAULT, 0, &t, picture, buffer, 100);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n - 1)) : "<failed>";
}

struct MomentCase {
    SYSTEMTIME moment;
    const char *picture;
    const char *date;
    const char *time;
};

const MomentCase momentCases[] = {
    {CalendarMoment(2009, 1, 4, 0, 5, 9), "h hh H HH t tt", "h hh H HH t tt", "12 12 0 00 A AM"},
    {CalendarMoment(2026, 11, 22, 12, 0, 0), "h:mm tt", "h:mm tt", "12:00 PM"},
    {CalendarMoment(2026, 11, 22, 13, 7, 1), "h:m:s H:mm:ss", "h:m:s H:mm:ss", "1:7:1 13:07:01"},
    {CalendarMoment(2024, 2, 29, 23, 59, 59), "d dd ddd dddd", "29 29 Thu Thursday",
     "d dd ddd dddd"},
    {CalendarMoment(2024, 2, 29, 23, 59, 59), "M MM MMM MMMM", "2 02 Feb February",
     "M MM MMM MMMM"},
    {CalendarMoment(2009, 1, 4, 0, 0, 0), "y yy yyy yyyy yyyyy", "09 09 2009 2009 2009",
     "y yy yyy yyyy yyyyy"},
    {CalendarMoment(2009, 1, 4, 0, 0, 0), "g gg", "AD ADAD", "g gg"},
    {CalendarMoment(2009, 1, 4, 0, 0, 0), "'d''d' d", "d'd 4", "d'd d"},
    {CalendarMoment(2009, 1, 4, 0, 0, 0), "a''b 'open", "ab open", "ab open"},
    {CalendarMoment(2009, 1, 4, 0, 0, 0), "", "", ""},
};

TEST(Formatter, FormatsExplicitMoments)
{
    for (const MomentCase &c : momentCases) {
        EXPECT_EQ(Date(c.moment, c.picture), c.date) << c.picture;
        EXPECT_EQ(Time(c.moment, c.picture), c.time) << c.picture;
    }
}

TEST(Formatter, HonoursTheCapacity)
{
    SYSTEMTIME t = CalendarMoment(1999, 9, 8, 11, 0, 0);
    char buffer[16] = {};
    EXPECT_EQ(GetDateFormatA(0, 0, &t, "dddd", nullptr, 0), 10);
    EXPECT_EQ(GetDateFormatA(0, 0, &t, "dddd", buffer, 10), 10);
    EXPECT_STREQ(buffer, "Wednesday");
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(GetDateFormatA(0, 0, &t, "dddd", buffer, 9), 0);
    EXPECT_EQ(buffer[9], '#') << "wrote past the capacity";
}

// Reference lines, as the platform printed them: kind, moment, capacity,
// picture, count, text (bytes escaped as \xHH); or O, byte, converted byte;
// or U, code page, byte, its character; or the calendar's S and F lines.
std::string Unescape(const std::string &text)
{
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); i++) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
            bytes += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            bytes += text[i];
        }
    }
    return bytes;
}

std::vector<std::string> SplitTabs(const std::string &line)
{
    std::vector<std::string> fields;
    std::stringstream in(line);
    std::string field;
    while (std::getline(in, field, '\t'))
        fields.push_back(field);
    if (!line.empty() && line.back() == '\t')
        fields.emplace_back();
    return fields;
}

SYSTEMTIME ParseMoment(const std::string &text)
{
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, ms = 0, dow = 0;
    // NOLINTNEXTLINE(cert-err34-c): the platform printed these; the count checks the shape
    EXPECT_EQ(std::sscanf(text.c_str(), "%u-%u-%u %u:%u:%u.%u/%u", &year, &month, &day, &hour,
                          &minute, &second, &ms, &dow),
              8)
        << text;
    return {static_cast<WORD>(year),   static_cast<WORD>(month), static_cast<WORD>(dow),
            static_cast<WORD>(day),    static_cast<WORD>(hour),  static_cast<WORD>(minute),
            static_cast<WORD>(second), static_cast<WORD>(ms)};
}

// What the core hands the stand-ins: a date the clock counts, 1601 to
// 30827, with its day of the week set, as every moment it builds comes from
// FileTimeToSystemTime; for a day before 1601, no date at all, which the
// date call refuses. The other lines record what the platform does with
// moments the core never passes.
bool CoreTime(const SYSTEMTIME &t)
{
    return t.wHour < 24 && t.wMinute < 60 && t.wSecond < 60 && t.wMilliseconds < 1000;
}

bool CoreDate(SYSTEMTIME *t)
{
    static const int days[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = t->wYear % 4 == 0 && (t->wYear % 100 != 0 || t->wYear % 400 == 0);
    if (t->wYear < 1601 || t->wYear > 30827 || t->wMonth < 1 || t->wMonth > 12 || t->wDay < 1 ||
        t->wDay > days[t->wMonth - 1] - (t->wMonth == 2 && !leap) || !CoreTime(*t))
        return false;
    t->wDayOfWeek = CalendarMoment(t->wYear, t->wMonth, t->wDay, 0, 0, 0).wDayOfWeek;
    return true;
}

std::string Show(const SYSTEMTIME &t)
{
    char text[64];
    (void)std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u/%u", t.wYear,
                        t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds,
                        t.wDayOfWeek);
    return text;
}

// F: a FILETIME, whether FileTimeToSystemTime takes it, and the moment.
void CheckClockLine(const std::vector<std::string> &f, const std::string &line)
{
    unsigned long long ticks = std::stoull(f[1], nullptr, 16);
    FILETIME file{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME t{};
    BOOL ok = FileTimeToSystemTime(&file, &t);
    EXPECT_EQ(ok ? 1 : 0, std::stoi(f[2])) << line;
    if (ok) {
        EXPECT_EQ(Show(t), f[3]) << line;
    }
}

TEST(Formatter, MatchesThePlatformReference)
{
    std::ifstream in(KOLBEX_TEST_DATA "/platform-reference.txt");
    ASSERT_TRUE(in) << "missing reference data";
    std::string line;
    int checked = 0;
    while (std::getline(in, line)) {
        std::vector<std::string> f = SplitTabs(line);
        if (f[0] == "U") {
            ASSERT_EQ(f.size(), 4u) << line;
            EXPECT_EQ(CodePage720[std::stoi(f[2], nullptr, 16) - 0x80],
                      std::stoi(f[3], nullptr, 16))
                << line;
            checked++;
            continue;
        }
        if (f[0] == "F") {
            ASSERT_EQ(f.size(), 4u) << line;
            CheckClockLine(f, line);
            checked++;
            continue;
        }
        if (f[0] == "O") // the Western code page's conversion, Windows' alone
            continue;
        ASSERT_EQ(f.size(), 6u) << line;
        SYSTEMTIME t = ParseMoment(f[1]);
        bool asked = f[0] == "D" ? CoreDate(&t) || (t.wYear == 0 && CoreTime(t)) : CoreTime(t);
        if (!asked || f[3] == "-") // the core always gives a picture
            continue;
        int capacity = std::stoi(f[2]);
        std::string picture = Unescape(f[3]);
        char buffer[128] = {};
        int count =
            f[0] == "D"
                ? GetDateFormatA(LOCALE_SYSTEM_DEFAULT, 0, &t, picture.c_str(), buffer, capacity)
                : GetTimeFormatA(LOCALE_SYSTEM_DEFAULT, 0, &t, picture.c_str(), buffer, capacity);
        EXPECT_EQ(count, std::stoi(f[4])) << line;
        if (count > 0 && capacity > 0) {
            EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(count - 1)), Unescape(f[5]))
                << line;
        }
        checked++;
    }
    EXPECT_GT(checked, 4700);
}

} // namespace
