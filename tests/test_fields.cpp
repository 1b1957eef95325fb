#include <gtest/gtest.h>

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
    SYSTEMTIME moment = Moment(2009, 1, 4, 13, 5, 9);
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
    SYSTEMTIME july = Moment(2009, 7, 4, 9, 0, 0);
    PosixFixClock(&july);
    EXPECT_EQ(Compose("[date:'\xe9'] /OEM [date:'\xe9'] \xe9").line, "\xe9  \x82 \xe9");
    EXPECT_EQ(Compose("/oem[date:'\xfc' mmmm]").line, "\x81 July");
    // every byte of an expansion, not only its first
    EXPECT_EQ(Compose("x /OEM[date:mmmm 'a\xe9\xe4\xfc']").line, "x July a\x82\x84\x81");
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
