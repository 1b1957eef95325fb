// The static program hands its C library the rule that glibc reads in TZ,
// written out in full; glibc itself must read that rule as it reads TZ.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/posix/zone.h"

namespace {

// Every change of the UTC offset through 2026, to ten minutes, as glibc
// reads TZ in a fresh process: it keeps some of what it read before.
std::string Changes(const std::string &tz, const char *folder)
{
    int fds[2];
    if (pipe(fds) != 0)
        return "no pipe";
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        setenv("TZ", tz.c_str(), 1);
        if (folder)
            setenv("TZDIR", folder, 1);
        tzset();
        std::string changes;
        long last = -1;
        for (time_t t = 1767225600; t < 1767225600 + 365L * 86400; t += 600) {
            tm local{};
            localtime_r(&t, &local);
            if (local.tm_gmtoff != last) {
                changes += std::to_string(t) + ":" + std::to_string(local.tm_gmtoff) + " ";
                last = local.tm_gmtoff;
            }
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

TEST(Zone, RuleReadsAsGlibcReadsTz)
{
    const char *const values[] = {
        // offsets past 24 hours, names too short, rules glibc refuses
        "UTC-25", "XYZ-167", "UTC+999999", "A-1B,J0,J366", "AAA+65539", "AAA3:99:99BBB", "garbage",
        "A3", "AAA", "AAA 3", "<A>3", "<AB+>-5", "<+0330>-3:30",
        // rules, whole and broken off
        "CET-1CEST,M3.5.0,M10.5.0/3", "NZST-12NZDT,M9.5.0,M4.1.0/3", "EST5EDT,M3.2.0/-1,M11.1.0/27",
        "AAA3BBB,J60/1,J300", "AAA3BBB,59,300/-3:30", "AAA3BBB,M3.0.0,M11.1.0",
        "AAA3BBB,M3.6.0,M11.9.0", "AAA3BBB,M3.2.0x", "AAA3BBB,M3.2.0/", "AAA3BBB,J0",
        "AAA3BBB,J366", "AAA3BBB,366", "AAA3BBB, M3.2.0, M11.1.0", "AAA3BBB,M3.2.0/99999,M11.1.0",
        "EST5EDT,M3.2.0", "AAA3BBB,M12.5.6/23:59:59,M1.1.0/0",
        // daylight time without changes of its own: the posixrules zone's
        "CET-1CEST", "ABC3DEF", "ABC3DEF,", "AAA3BBB+", "AAA3BBB-7", "EST5EDT4", "AEST-10AEDT",
        "WET0WEST", "AAA-14BBB-15", "AAA+12BBB+11", "AAA+24BBB-24", "AAA-3BBB-4CCC"};
    for (const char *folder : {static_cast<const char *>(nullptr), "/nonexistent"}) {
        std::string rules = std::string(folder ? folder : "/usr/share/zoneinfo") + "/posixrules";
        bool posixRules = access(rules.c_str(), R_OK) == 0;
        for (const char *tz : values) {
            char rule[128];
            ASSERT_TRUE(ZoneRule(tz, posixRules, rule, sizeof rule)) << tz;
            EXPECT_EQ(Changes(rule, folder), Changes(tz, folder))
                << "TZ=" << tz << " written " << rule << (folder ? " TZDIR=" : "")
                << (folder ? folder : "");
        }
    }
}

TEST(Zone, ARuleTooLongForItsRoomFails)
{
    char rule[16];
    EXPECT_FALSE(ZoneRule("CET-1CEST,M3.5.0,M10.5.0/3", false, rule, sizeof rule));
    EXPECT_TRUE(ZoneRule("UTC", false, rule, sizeof rule));
    EXPECT_STREQ(rule, "STD+0:00:00");
}

} // namespace
