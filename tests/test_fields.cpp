#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <span>
#include <string>

#include "compose/fold.h"
#include "platform/posix/posix.h"
#include "tests/compose_harness.h"

namespace {

struct FoldCase {
    unsigned char byte, upper, lower;
};

// The fold ranges are fixed byte ranges, not the C library's case rules:
// their edges, and the bytes inside that are no letters.
TEST(Fold, FoldsFixedRanges)
{
    const FoldCase cases[] = {
        {0x40, 0x40, 0x40}, {'A', 'A', 'a'},    {'Z', 'Z', 'z'},    {0x5B, 0x5B, 0x5B},
        {0x60, 0x60, 0x60}, {'a', 'A', 'a'},    {'z', 'Z', 'z'},    {0x7B, 0x7B, 0x7B},
        {0xBF, 0xBF, 0xBF}, {0xC0, 0xC0, 0xE0}, {0xD7, 0xD7, 0xF7}, {0xDE, 0xDE, 0xFE},
        {0xDF, 0xDF, 0xDF}, {0xE0, 0xC0, 0xE0}, {0xF7, 0xD7, 0xF7}, {0xFF, 0xDF, 0xFF},
    };
    for (const FoldCase &c : cases) {
        EXPECT_EQ(FoldUpper(c.byte), c.upper) << int{c.byte};
        EXPECT_EQ(FoldLower(c.byte), c.lower) << int{c.byte};
    }
}

struct FieldCase {
    std::string tail;
    std::string line;
};

class Fields : public testing::Test {
  protected:
    // Sunday 4 January 2009, 13:05:09
    time_t moment = Instant(2009, 1, 4, 13, 5, 9);
    void SetUp() override { PosixFixClock(&moment); }
    void TearDown() override { PosixFixClock(nullptr); }
};

const FieldCase fieldCases[] = {
    {"Backup [date:yyyy-mm-dd] completed at [time:hh:mm:ss]",
     "Backup 2009-01-04 completed at 13:05:09"},
    {"[time:hh:mm tt]", "01:05 PM"},
    {"[time:h:mm T]", "1:05 P"},
    {"[TIME:HH]", "13"},
    {"[DATE:DD.MM.YYYY]", "04.01.2009"},
    {"[Date:dd.mm.yyyy]", "04.01.2009"},
    {"[date:dddd, mmmm d, yyyy]", "Sunday, January 4, 2009"},
    {"[date:ddd mmm yy]", "Sun Jan 09"},
    // substitution reaches quoted literal text too
    {"[time:'Uhr' hh]", "uHr 13"},
    {"[date:'month' mm]", "Month 01"},
    {"[time:'at' hh]", "at 01"}, // a "t" keeps the 12-hour clock
    // folded words can hold elements
    {"[date:Tag dd]", "taAD 04"},
    {"[time:ss SS]", "09 09"},
    // picture boundaries
    {"[date:]", ""},
    {"[time:]x", "x"},
    {"[date:yyyy", "2009"},
    {"[time:'a]b'] rest", "ab'] rest"},
    {"[date:\"dd\" @3 /?]", "\"04\" @3 /?"},
    // brackets that start no field
    {"[[date:dd]", "[date:dd]"},
    {"[[[date:dd]", "[04"},
    {"[x]", "[x]"},
    {"[dat", "[dat"},
    {"[", "["},
    {"[[", "["},
    {"[date", "[date"},
    {"[date:", ""},
    {"\"[date:dd]\"", "[date:dd]"},
    {"[date:dd]@5|", "04   |"},
    // fields of our own: elements in any case, other bytes as written
    {"[week:yyyy-'W'ww-d]", "2009-W01-7"},
    {"[WEEK:YY w D] [week:'y''s' wWw Y]", "09 1 7 y's 01 09"},
    {"[zone:hh:mm] [ZONE:HHMM] [zone:h]", "+00:00 +0000 +0"},
    {"[zone:'UTC'h mm Tz] [zone:]|[zone:m]", "UTC+0 00 Tz |00"},
    {"[[zone:hh] [zon:hh] [week", "[zone:hh] [zon:hh] [week"},
};

TEST_F(Fields, ExpandsFields)
{
    for (const FieldCase &c : fieldCases)
        EXPECT_EQ(Compose(c.tail).line, c.line) << "tail: [" << c.tail << "]";
}

// In the C locale bytes past ASCII are no characters: pictures fold only
// ASCII letters, and /OEM passes the rest as it is.
TEST_F(Fields, KeepsBytesInTheCLocale)
{
    time_t july = Instant(2009, 7, 4, 9, 0, 0);
    PosixFixClock(&july);
    EXPECT_EQ(Compose("[date:'\xc0\xc3\xb6' MMMM] /OEM [date:'\xe9'] \xe9").line,
              "\xc0\xc3\xb6 July  \xe9 \xe9");
    EXPECT_EQ(Compose("/oem[date:mmmm 'a\xe9\xe4\xfc\xc9']").line, "July a\xe9\xe4\xfc\xc9");
}

struct MomentCase {
    const char *zone;
    time_t instant;
    std::string tail;
    std::string line;
};

// Composes each tail in its zone at its fixed instant; UTC and the clock
// are given back after.
void ExpectLines(std::span<const MomentCase> cases)
{
    for (const MomentCase &c : cases) {
        setenv("TZ", c.zone, 1);
        tzset();
        PosixFixClock(&c.instant);
        EXPECT_EQ(Compose(c.tail).line, c.line) << c.zone << " [" << c.tail << "]";
    }
    PosixFixClock(nullptr);
    setenv("TZ", "UTC", 1);
    tzset();
}

// What is an option and what is text, and how a later /DAY replaces an
// earlier one. The moments the options give are held to date(1) in
// tests/check-moments.sh.
TEST(Moments, ReadOptionsWhereTheyStand)
{
    const MomentCase cases[] = {
        {"UTC", Instant(2026, 12, 8, 12, 0, 0), "/DAY-1[date:dd]/DAY+0[date:dd]/DAY-0[date:dd]",
         "070808"},
        {"UTC", Instant(2026, 12, 8, 12, 0, 0), "/DAY-1/DAY+2[date:dd] /DAY-0012[date:dd]",
         "10 26"},
        {"UTC", Instant(2026, 12, 8, 12, 34, 56), "/DAY-3[time:HH:mm:ss]", "12:34:56"},
        {"UTC", Instant(2026, 12, 8, 12, 0, 0), "/DAY[date:dd] /DAY+[date:dd] /DAYX /DAY 1",
         "/DAY08 /DAY+08 /DAYX /DAY 1"},
        {"UTC", Instant(2026, 12, 8, 12, 0, 0), "/DAY-1234567[date:dd]", "/DAY-123456708"},
        {"Europe/Berlin", Instant(2026, 12, 8, 12, 0, 0), "\"/UTC /DAY-1\" [time:HH] /UTCx",
         "/UTC /DAY-1 13 x"},
        {"UTC", Instant(2026, 12, 8, 12, 0, 0), "[date:'/DAY-1' dd]", "/day-1 08"},
        // /ENG where no letter or digit follows its three letters
        {"UTC", Instant(2026, 12, 8, 12, 0, 0), "/ENG[date:ddd] /eng.[date:ddd]", "Tue .Tue"},
        {"UTC", Instant(2026, 12, 8, 12, 0, 0), "/srv/engine /ENG1 /ENGx",
         "/srv/engine /ENG1 /ENGx"},
        // a day before 1601 has no offset and no week
        {"UTC", Instant(2026, 12, 8, 12, 0, 0), "/DAY-155570[zone:hh:mm][week:ww]|", "|"},
    };
    ExpectLines(cases);
}

// Arithmetic at the edges of the calendar and of the range, in UTC: a
// result is checked where a field shows it, never on the way.
TEST(Moments, KeepTheirRangeOnTheWay)
{
    const MomentCase cases[] = {
        {"UTC", 0, "/AT:1601-01-01[date:yyyy-mm-dd] /DAY-1[date:yyyy]|[time:HH:mm]",
         "1601-01-01 |00:00"},
        {"UTC", 0, "/AT:1601-03-01/DAY-1[date:yyyy-mm-dd] /AT:2100-02-28/DAY+1[date:mm-dd]",
         "1601-02-28 03-01"},
        {"UTC", 0,
         "/AT:2000-02-29/YEAR+1[date:yyyy-mm-dd] /YEAR-100[date:yyyy-mm-dd] "
         "/YEAR+400[date:yyyy-mm-dd]",
         "2001-02-28 1900-02-28 2400-02-29"},
        {"UTC", 0, "/AT:2000-03-01/DAY-1[date:mm-dd] [unix:] [yday:ddd]", "02-29 951782400 060"},
        {"UTC", 0,
         "/AT:2026-01-31/MONTH+1[date:yyyy-mm-dd] /MONTH+13[date:yyyy-mm-dd] "
         "/MONTH-11[date:yyyy-mm-dd] /AT:2026-05-31/MONTH-1[date:mm-dd]",
         "2026-02-28 2027-02-28 2025-02-28 04-30"},
        {"UTC", 0, "/AT:9999-12-31/YEAR+20828[date:yyyy-mm-dd] /DAY+1[date:yyyy]|[time:HH:mm]",
         "30827-12-31 |00:00"},
        {"UTC", 0,
         "/AT:9999-12-31T23:59:59.999Z/YEAR+20828[unix:].[frac:fff] /SEC+1[unix:]|[frac:fff]",
         "910670515199.999 |999"},
        {"UTC", 0, "/AT:2026-12-31T23:00/HOUR+999999[date:yyyy-mm-dd]T[time:HH:mm]",
         "2141-01-29T14:00"},
        // a moment a day outside the range, moved back into it
        {"UTC", 0, "/AT:1601-01-01T00:00+01:00/MONTH+1[date:yyyy-mm-dd]", "1601-01-31"},
        {"Etc/GMT-14", Instant(30827, 12, 31, 23, 0, 0), "[date:yyyy]| /MONTH-1[date:yyyy-mm-dd]",
         "| 30827-12-01"},
        // years before the year 0 on the way
        {"UTC", 0, "/AT:2026-06-15/YEAR-2500/DAY+913106[date:yyyy-mm-dd]", "2026-06-14"},
        {"UTC", 0,
         "/AT:2026-01-01[week:yyyy-ww-d] /AT:2027-01-01[week:yyyy-ww-d] "
         "/AT:2024-12-30[week:yyyy-ww-d] /AT:2021-01-03[week:yyyy-ww-d]",
         "2026-01-4 2026-53-5 2025-01-1 2020-53-7"},
        // the word-start rule after a letter
        {"UTC", 0, "a/UTC a/DAY+1 /AT:2026-12-08[date:dd]", "a/UTC a/DAY+1 08"},
    };
    ExpectLines(cases);
}

// An expansion longer than the field capacity is written whole.
TEST_F(Fields, WritesLongExpansionsWhole)
{
    std::string picture(150, 'g');
    EXPECT_EQ(Compose("[date:" + picture + "]").line.size(), 300u);
    std::string many;
    for (int i = 0; i < 1000; i++)
        many += "[date:dddd mmmm]";
    std::string one = "Sunday January";
    EXPECT_EQ(Compose(many).line.size(), one.size() * 1000);
    std::string padded = std::string(4090, 'x') + "[date:dddd]";
    EXPECT_EQ(Compose(padded).line, std::string(4090, 'x') + "Sunday");
}

} // namespace
