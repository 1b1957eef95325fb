// The zone files handed to another C library are whole, and TZ values
// reach it as glibc reads them.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/posix/zone.h"

namespace {

std::string Bytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// An exact-size copy, so that a read past the file is caught.
bool Sound(const std::string &file)
{
    std::vector<unsigned char> copy(file.begin(), file.end());
    return SoundZoneFile(copy.data(), copy.size());
}

// Where a header's count `which` (0 to 5) is, and its value.
std::size_t CountAt(std::size_t header, std::size_t which)
{
    return header + 20 + 4 * which;
}

std::size_t Count(const std::string &file, std::size_t header, std::size_t which)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < 4; i++)
        n = n << 8 | static_cast<unsigned char>(file[CountAt(header, which) + i]);
    return n;
}

// Where the 64-bit block's header and its type records begin.
std::size_t SecondHeader(const std::string &f)
{
    return 44 + Count(f, 0, 3) * 5 + Count(f, 0, 4) * 6 + Count(f, 0, 5) + Count(f, 0, 2) * 8 +
           Count(f, 0, 1) + Count(f, 0, 0);
}

std::size_t Types(const std::string &f)
{
    std::size_t h = SecondHeader(f);
    return h + 44 + Count(f, h, 3) * 9;
}

struct Damage {
    const char *what;
    void (*apply)(std::string &file);
};

const Damage damages[] = {
    {"version 1", [](std::string &f) { f[4] = '\0'; }},
    {"cut short", [](std::string &f) { f.resize(f.size() / 2); }},
    {"a first count past the size", [](std::string &f) { f[CountAt(0, 3)] = '\x7f'; }},
    {"a second count past the size", [](std::string &f) { f[CountAt(SecondHeader(f), 5)] = 1; }},
    {"leap seconds past the end", [](std::string &f) { f[CountAt(SecondHeader(f), 1) + 3] = 3; }},
    {"no types", [](std::string &f) { f[CountAt(SecondHeader(f), 4) + 3] = 0; }},
    {"a transition to no type",
     [](std::string &f) { f[SecondHeader(f) + 44 + Count(f, SecondHeader(f), 3) * 8] = '\x7f'; }},
    {"an abbreviation past the names", [](std::string &f) { f[Types(f) + 5] = '\x7f'; }},
    {"names without their NUL",
     [](std::string &f) {
         std::size_t h = SecondHeader(f);
         f[Types(f) + Count(f, h, 4) * 6 + Count(f, h, 5) - 1] = 'X';
     }},
    {"no newline at the end", [](std::string &f) { f.back() = 'X'; }},
    {"no newline before the rule", [](std::string &f) { f[f.rfind('\n', f.size() - 2)] = 'X'; }},
    {"a newline inside the rule", [](std::string &f) { f[f.size() - 3] = '\n'; }},
    {"a name without its end", [](std::string &f) { f[f.rfind('\n', f.size() - 2) + 1] = '<'; }},
    {"a month at the end",
     [](std::string &f) {
         f.back() = ',';
         f += "M3\n";
     }},
};

TEST(Zone, RefusesEveryDamagedFile)
{
    const std::string berlin = Bytes("/usr/share/zoneinfo/Europe/Berlin");
    ASSERT_GT(berlin.size(), 100u) << "the zone database (Debian: tzdata) is missing";
    EXPECT_TRUE(Sound(berlin));
    for (const Damage &d : damages) {
        std::string file = berlin;
        d.apply(file);
        EXPECT_FALSE(Sound(file)) << d.what;
    }
}

// What the static program hands its C library for a TZ value that is no
// zone file.
TEST(Zone, HandsOverRulesAsGlibcReadsThem)
{
    const struct {
        const char *tz;
        const char *rule;
    } cases[] = {
        {"CET-1CEST", "CET-1CEST,M3.2.0,M11.1.0"}, // daylight time without dates
        {"EST5EDT4", "EST5EDT4,M3.2.0,M11.1.0"},
        {"<+03>-3<+04>", "<+03>-3<+04>,M3.2.0,M11.1.0"},
        {"AAA-14:30BBB", "AAA-14:30BBB,M3.2.0,M11.1.0"},
        {"CET-1CEST,M3.5.0,M10.5.0/3", "CET-1CEST,M3.5.0,M10.5.0/3"}, // dates as written
        {"CET-1", "CET-1"},
        {"<+0530>-5:30", "<+0530>-5:30"},
        {"UTC", "UTC0"}, // no offset: no rule to glibc
        {"AB1CDE", "UTC0"},
        {"+3", "UTC0"},
        {"", "UTC0"},
        {"<ABC-3", "UTC0"},         // a name read past the end
        {"CET-1CEST,M3", "UTC0"},   // a month read past the end
        {"CET-1CEST,M3.5", "UTC0"}, // and its week
    };
    for (const auto &c : cases) {
        char rule[64];
        ASSERT_TRUE(RuleFor(c.tz, rule, sizeof rule)) << c.tz;
        EXPECT_STREQ(rule, c.rule) << "TZ=" << c.tz;
    }
    char rule[sizeof "CET-1CEST,M3.2.0,M11.1.0"];
    EXPECT_FALSE(RuleFor("CET-1CEST", rule, sizeof rule - 1)); // one byte short
    EXPECT_TRUE(RuleFor("CET-1CEST", rule, sizeof rule));
}

} // namespace
