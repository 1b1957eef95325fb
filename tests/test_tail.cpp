#include <gtest/gtest.h>

#include <cstring>

#include "run/tail.h"

namespace {

struct TailCase {
    const char *line;
    const char *tail;
};

const TailCase tailCases[] = {
    {"", ""},
    {"kolbex", ""},
    {"kolbex ", ""},
    {"kolbex a b", "a b"},
    {"kolbex  two", " two"}, // only one space is skipped
    {"kolbex\tx y", "y"},    // a tab does not end an unquoted name
    {"\"my prog\" x", "x"},
    {"\"my prog\"  x", " x"},
    {"\"my prog\"x", "x"}, // the byte after the quote is not a space: kept
    {"\"prog\"", ""},
    {"\"unclosed name x", ""}, // no closing quote: the tail is empty
    {"\"\" rest", "rest"},
    {"C:\\tools\\kolbex.exe /?", "/?"},
};

TEST(CommandTail, FindsTheTextAfterTheProgramName)
{
    for (const TailCase &c : tailCases) {
        const char *tail = CommandTail(c.line);
        EXPECT_STREQ(tail, c.tail) << "line: [" << c.line << "]";
        EXPECT_GE(tail, c.line);
        EXPECT_LE(tail, c.line + std::strlen(c.line));
    }
}

} // namespace
