// The POSIX stand-ins for the code page conversions that /OEM uses where
// the ANSI code page is UTF-8; the unit tests run in the C locale, whose
// OEM code page is 437.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"

namespace {

struct DecodeCase {
    std::string text;
    std::vector<WCHAR> wide;
};

TEST(Convert, DecodesUtf8ReplacingWhatIsNotUtf8)
{
    const DecodeCase cases[] = {
        {"a\xC3\xA9\xE2\x82\xAC", {0x61, 0xE9, 0x20AC}},
        {"\xF0\x9F\x98\x80", {0xD83D, 0xDE00}},     // past the first plane: a surrogate pair
        {"\xC3", {0xFFFD}},                         // cut short
        {"\xC0\x80", {0xFFFD, 0xFFFD}},             // overlong
        {"\xED\xA0\x80", {0xFFFD, 0xFFFD, 0xFFFD}}, // a surrogate written out
        {"\xF4\x90\x80\x80", {0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}}, // past U+10FFFF
        {"\x80x", {0xFFFD, 0x78}},
    };
    for (const DecodeCase &c : cases) {
        int length = static_cast<int>(c.text.size());
        int needed = MultiByteToWideChar(CP_UTF8, 0, c.text.data(), length, nullptr, 0);
        ASSERT_EQ(needed, static_cast<int>(c.wide.size())) << c.text;
        std::vector<WCHAR> wide(c.wide.size() + 1, 0x1234);
        EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, c.text.data(), length, wide.data(), needed),
                  needed);
        wide.pop_back();
        EXPECT_EQ(wide, c.wide) << c.text;
        if (needed > 1) { // a capacity of 0 asks for the size
            EXPECT_EQ(
                MultiByteToWideChar(CP_UTF8, 0, c.text.data(), length, wide.data(), needed - 1), 0);
        }
    }
}

struct EncodeCase {
    std::vector<WCHAR> wide;
    std::string text;
    bool usedDefault;
};

TEST(Convert, EncodesToTheOemCodePageWithADefault)
{
    const EncodeCase cases[] = {
        {{0x61, 0xE9, 0xFC}, "a\x82\x81", false},
        {{0x2591, 0x20AC}, "\xB0?", true}, // a shade is in 437, the euro sign is not
        {{0x20AC}, "?", true},
        {{0xD83D, 0xDE00, 0x62}, "?b", true}, // one character, one default
        {{0xDC00}, "?", true},                // half a pair
    };
    for (const EncodeCase &c : cases) {
        int length = static_cast<int>(c.wide.size());
        BOOL used = FALSE;
        int needed =
            WideCharToMultiByte(CP_OEMCP, 0, c.wide.data(), length, nullptr, 0, "?", nullptr);
        ASSERT_EQ(needed, static_cast<int>(c.text.size()));
        std::string text(c.text.size(), '\0');
        EXPECT_EQ(WideCharToMultiByte(CP_OEMCP, 0, c.wide.data(), length, text.data(), needed, "?",
                                      &used),
                  needed);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(used != FALSE, c.usedDefault);
        if (needed > 1) { // a capacity of 0 asks for the size
            EXPECT_EQ(WideCharToMultiByte(CP_OEMCP, 0, c.wide.data(), length, text.data(),
                                          needed - 1, "?", nullptr),
                      0);
        }
    }
}

} // namespace
