#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "compose/fold.h"
#include "platform/posix/posix.h"
#include "tests/compose_harness.h"

namespace {

// The fold ranges are fixed byte ranges, not the C library's case rules.
TEST(Fold, FoldsFixedRangesOfEveryByte)
{
    for (int b = 0; b < 256; b++) {
        int upper = (b >= 0x61 && b <= 0x7A) || b >= 0xE0 ? b - 0x20 : b;
        int lower = (b >= 0x41 && b <= 0x5A) || (b >= 0xC0 && b <= 0xDE) ? b + 0x20 : b;
        EXPECT_EQ(FoldUpper(static_cast<unsigned char>(b)), upper) << b;
        EXPECT_EQ(FoldLower(static_cast<unsigned char>(b)), lower) << b;
    }
    EXPECT_EQ(FoldUpper(0xF7), 0xD7);
    EXPECT_EQ(FoldLower(0xD7), 0xF7);
    EXPECT_EQ(FoldLower(0xDF), 0xDF);
    EXPECT_EQ(FoldUpper(0xFF), 0xDF);
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
};

TEST_F(Fields, ExpandsFields)
{
    for (const FieldCase &c : fieldCases)
        EXPECT_EQ(Compose(c.tail).line, c.line) << "tail: [" << c.tail << "]";
}

// Only expansions after "/OEM" are converted; copied bytes never are.
TEST_F(Fields, ConvertsLaterExpansionsOnly)
{
    time_t july = Instant(2009, 7, 4, 9, 0, 0);
    PosixFixClock(&july);
    EXPECT_EQ(Compose("[date:'\xe9'] /OEM [date:'\xe9'] \xe9").line, "\xe9  \x82 \xe9");
    EXPECT_EQ(Compose("/oem[date:'\xfc' mmmm]").line, "\x81 July");
    // every byte of an expansion, not only its first
    EXPECT_EQ(Compose("x /OEM[date:mmmm 'a\xe9\xe4\xfc']").line, "x July a\x82\x84\x81");
}

struct MomentCase {
    const char *zone;
    time_t instant;
    std::string tail;
    std::string line;
};

// /UTC and /DAY at fixed instants, in zones on both sides of UTC and
// across the date line; days added on the calendar, daylight saving time
// or not. 2026-03-29 and 2026-10-25 are Berlin's changes.
TEST(Moments, ShowUtcAndOtherDays)
{
    const MomentCase cases[] = {
        // universal against local time
        {"Europe/Berlin", Instant(2026, 12, 8, 13, 5, 9), "[time:HH:mm] /UTC[time:HH:mm]",
         "14:05 13:05"},
        {"Pacific/Kiritimati", Instant(2026, 12, 8, 18, 0, 0),
         "[date:yyyy-mm-dd] /UTC[date:yyyy-mm-dd]", "2026-12-09 2026-12-08"},
        {"Pacific/Pago_Pago", Instant(2026, 12, 9, 7, 0, 0),
         "[date:yyyy-mm-dd] /UTC[date:yyyy-mm-dd]", "2026-12-08 2026-12-09"},
        {"Asia/Kolkata", Instant(2026, 6, 30, 20, 0, 0),
         "[date:d mmm] [time:HH:mm] /utc[date:d mmm] [time:HH:mm]", "1 Jul 01:30 30 Jun 20:00"},
        {"America/New_York", Instant(2026, 7, 4, 3, 30, 0), "[date:dd HH] /Utc[date:dd] [time:HH]",
         "03 hh 04 03"},
        // days across the ends of months and years, and leap days
        {"Europe/Berlin", Instant(2026, 3, 1, 9, 0, 0), "/DAY-1[date:yyyy-mm-dd]", "2026-02-28"},
        {"UTC", Instant(2024, 3, 1, 12, 0, 0), "/DAY-1[date:yyyy-mm-dd] /DAY+365[date:yyyy-mm-dd]",
         "2024-02-29 2025-03-01"},
        {"UTC", Instant(2100, 3, 1, 12, 0, 0), "/day-1[date:yyyy-mm-dd]", "2100-02-28"},
        {"UTC", Instant(2000, 3, 1, 12, 0, 0), "/DAY-1[date:yyyy-mm-dd]", "2000-02-29"},
        {"UTC", Instant(2026, 12, 31, 12, 0, 0), "/DAY+1[date:yyyy-mm-dd]", "2027-01-01"},
        {"UTC", Instant(2026, 1, 1, 12, 0, 0), "/DAY-7[date:yyyy-mm-dd dddd]",
         "2025-12-25 Thursday"},
        // the same time of day, whatever daylight saving time does
        {"Europe/Berlin", Instant(2026, 3, 29, 22, 30, 0), "/DAY-1[date:yyyy-mm-dd] [time:HH:mm]",
         "2026-03-29 00:30"},
        {"Europe/Berlin", Instant(2026, 3, 30, 0, 30, 0), "/DAY-1[date:yyyy-mm-dd] [time:HH:mm]",
         "2026-03-29 02:30"}, // a time that did not exist
        {"Europe/Berlin", Instant(2026, 3, 28, 1, 30, 0), "/DAY+1[date:yyyy-mm-dd] [time:HH:mm]",
         "2026-03-29 02:30"},
        {"Europe/Berlin", Instant(2026, 10, 25, 23, 30, 0), "/DAY-1[date:yyyy-mm-dd] [time:HH:mm]",
         "2026-10-25 00:30"},
        {"Europe/Berlin", Instant(2026, 10, 26, 1, 30, 0), "/DAY-1[date:yyyy-mm-dd] [time:HH:mm]",
         "2026-10-25 02:30"}, // a time that was there twice
        // combined, ended, replaced
        {"Europe/Berlin", Instant(2026, 12, 7, 23, 30, 0),
         "/UTC/DAY-1[date:yyyy-mm-dd] /DAY-1/UTC[date:yyyy-mm-dd]", "2026-12-06 2026-12-06"},
        {"UTC", Instant(2026, 12, 8, 12, 0, 0), "/OEM/DAY-1[date:dddd]", "Monday"},
        {"UTC", Instant(2026, 12, 8, 12, 0, 0), "/DAY-1[date:dd]/DAY+0[date:dd]/DAY-0[date:dd]",
         "070808"},
        {"UTC", Instant(2026, 12, 8, 12, 0, 0), "/DAY-1/DAY+2[date:dd] /DAY-0012[date:dd]",
         "10 26"},
        {"UTC", Instant(2026, 12, 8, 12, 34, 56), "/DAY-3[time:HH:mm:ss]", "12:34:56"},
        // the range: 1 January 1601 is the first day with a date
        {"UTC", Instant(2026, 12, 8, 12, 0, 0), "/DAY-155569[date:yyyy-mm-dd dddd]",
         "1601-01-01 Monday"},
        {"UTC", Instant(2026, 12, 8, 12, 0, 0), "/DAY-155570[date:yyyy-mm-dd]|[time:HH:mm]",
         "|12:00"},
        {"UTC", Instant(2026, 12, 8, 12, 0, 0), "/DAY-999999[date:yyyy]|[time:HH:mm]", "|12:00"},
        {"UTC", Instant(2026, 12, 8, 12, 0, 0), "/DAY+999999[date:yyyy-mm-dd]", "4764-11-03"},
        // what is no option is text
        {"UTC", Instant(2026, 12, 8, 12, 0, 0), "/DAY[date:dd] /DAY+[date:dd] /DAYX /DAY 1",
         "/DAY08 /DAY+08 /DAYX /DAY 1"},
        {"UTC", Instant(2026, 12, 8, 12, 0, 0), "/DAY-1234567[date:dd]", "/DAY-123456708"},
        {"Europe/Berlin", Instant(2026, 12, 8, 12, 0, 0), "\"/UTC /DAY-1\" [time:HH] /UTCx",
         "/UTC /DAY-1 13 x"},
        {"UTC", Instant(2026, 12, 8, 12, 0, 0), "[date:'/DAY-1' dd]", "/day-1 08"},
    };
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
