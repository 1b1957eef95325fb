#include <gtest/gtest.h>

#include <string>

#include "tests/compose_harness.h"

namespace {

using namespace std::string_literals;

struct ComposeCase {
    std::string tail;
    std::string line;
    bool help = false;
};

std::string Spaces(std::size_t n)
{
    return std::string(n, ' ');
}

const ComposeCase composeCases[] = {
    // plain text and literal mode
    {"", ""},
    {"Backup done", "Backup done"},
    {"\"\"", ""},
    {"\"a [b] @5 'x'\"", "a [b] @5 'x'"},
    {"a\"b c\"d", "ab cd"},
    {"\"open to the end @3", "open to the end @3"},
    {"\"''\"", "''"},
    {"\"/? /OEM\"", "/? /OEM"},
    // quote escapes
    {"''", "\""},
    {"say ''hi''", "say \"hi\""},
    {"it's", "it's"},
    {"'''", "\"'"},
    {"end'", "end'"},
    // position marks
    {"@5", Spaces(5)},
    {"ab@5|", "ab   |"},
    {"abcdef@3|", "abcdef|"},
    {"@007x", Spaces(7) + "x"},
    {"@0x", "@x"},
    {"@000", "@"},
    {"@x", "@x"},
    {"@", "@"},
    {"a@1b", "ab"},
    {"@3@5", Spaces(5)},
    {"@4294967296z", "@z"}, // wraps to exactly 0: as if no digit
    {"@4294967295z", "z"},  // wraps to -1: pads nothing
    {"@2147483648z", "z"},  // wraps to INT32_MIN
    {"@99999999999", Spaces(1048576)},
    {"@1048577", Spaces(1048576)},
    {"@1048576", Spaces(1048576)},
    // options
    {"/OEM", ""},
    {"a/oemb", "ab"},
    {"/Oem x", " x"},
    {"/OEMX", "X"},
    {"/", "/"},
    {"a/b", "a/b"},
    {"/O", "/O"},
    {"/OE", "/OE"},
    {"//", "//"},
    {"1/2", "1/2"},
    // help requests
    {"/?", "", true},
    {"text before /? after", "text before ", true},
    {"\"/?\"/?", "/?", true},
    // other bytes
    {"]", "]"},
    {"a\tb", "a\tb"},
    {"\x80\xff\xe9", "\x80\xff\xe9"},
};

TEST(ComposeLine, ComposesTheTail)
{
    for (const ComposeCase &c : composeCases) {
        Composed got = Compose(c.tail);
        EXPECT_EQ(got.line, c.line) << "tail: [" << c.tail << "]";
        EXPECT_EQ(got.help, c.help) << "tail: [" << c.tail << "]";
        EXPECT_FALSE(got.outOfMemory);
    }
}

TEST(ComposeLine, TracksModes)
{
    EXPECT_TRUE(Compose("/OEM").oem);
    EXPECT_TRUE(Compose("a /oem b \"/oem\"").oem);
    EXPECT_FALSE(Compose("\"/OEM\"").oem);
    EXPECT_TRUE(Compose("\"unclosed").literal);
    EXPECT_FALSE(Compose("\"closed\"").literal);
}

// The line grows past its initial capacity without losing a byte.
TEST(ComposeLine, GrowsPastTheInitialCapacity)
{
    for (std::size_t size : {4094u, 4095u, 4096u, 4097u, 5000u, 100000u}) {
        std::string tail;
        for (std::size_t i = 0; i < size; i++)
            tail += static_cast<char>('a' + i % 26);
        EXPECT_EQ(Compose(tail).line, tail) << size;
        EXPECT_EQ(Compose("\"" + tail).line, tail) << size;
    }
    EXPECT_EQ(Compose(std::string(5000, 'x') + "@6000|").line,
              std::string(5000, 'x') + Spaces(1000) + "|");
    EXPECT_EQ(Compose("@4095" + "''"s).line, Spaces(4095) + "\"");
}

} // namespace
