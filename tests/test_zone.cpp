// The zone files handed to another C library are whole, and a daylight rule
// without dates is written out as glibc reads it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
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

// Every change of the UTC offset through 2026, to the minute, as glibc
// reads TZ in a process of its own.
std::string Changes(const char *tz, const char *folder)
{
    int fds[2];
    if (pipe(fds) != 0)
        return "no pipe";
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        setenv("TZ", tz, 1);
        if (folder)
            setenv("TZDIR", folder, 1);
        tzset();
        std::string changes;
        long last = -1;
        for (time_t t = 1767225600; t < 1767225600 + 365L * 86400; t += 60) {
            tm local{};
            localtime_r(&t, &local);
            if (local.tm_gmtoff != last)
                changes += std::to_string(t) + ":" + std::to_string(local.tm_gmtoff) + " ";
            last = local.tm_gmtoff;
        }
        ssize_t n = ::write(fds[1], changes.data(), changes.size());
        _exit(n == static_cast<ssize_t>(changes.size()) ? 0 : 1);
    }
    close(fds[1]);
    std::string changes;
    char buffer[4096];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;)
        changes.append(buffer, static_cast<std::size_t>(n));
    close(fds[0]);
    waitpid(pid, nullptr, 0);
    return changes;
}

TEST(Zone, WritesOutADaylightRuleAsGlibcReadsIt)
{
    std::string rules = Bytes("/usr/share/zoneinfo/posixrules");
    ASSERT_TRUE(Sound(rules)) << "no posixrules zone (Debian: tzdata)";
    std::size_t start = rules.rfind('\n', rules.size() - 2) + 1;
    const std::string footer = rules.substr(start, rules.size() - 1 - start);
    const char *const values[] = {"CET-1CEST",    "EST5EDT4",     "ABC3DEF,",   "AEST-10AEDT",
                                  "AAA+12BBB+11", "<+03>-3<+04>", "WET0WEST-2", "AAA-14BBB-15"};
    for (const char *folder : {static_cast<const char *>(nullptr), "/nonexistent"}) {
        for (const char *tz : values) {
            char rule[128];
            ASSERT_TRUE(DaylightRule(tz, folder ? nullptr : footer.c_str(), rule, sizeof rule))
                << tz;
            EXPECT_EQ(Changes(rule, folder), Changes(tz, folder))
                << "TZ=" << tz << " written " << rule << (folder ? " without posixrules" : "");
        }
    }
    char rule[128];
    for (const char *tz : {"CET-1CEST,M3.5.0,M10.5.0/3", "UTC", "CET-1", "CET-1CEST+", "AB1CDE"})
        EXPECT_FALSE(DaylightRule(tz, footer.c_str(), rule, sizeof rule)) << tz;
    EXPECT_FALSE(DaylightRule("CET-1CEST", footer.c_str(), rule, 20));
}

} // namespace
