// The built program, run as a user runs it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include "tests/e2e_cases.h"
#include "tests/e2e_runner.h"

namespace {

const std::string usage = ExpectedUsage;
const std::string help = std::string(ExpectedBanner) + usage;

struct E2ECase {
    std::vector<std::string> args;
    std::string out;
    int exitCode;
};

std::vector<E2ECase> Cases()
{
    std::vector<E2ECase> cases;
    for (const SharedCase &c : SharedCases) {
        E2ECase e{{}, c.out ? c.out : help, c.exitCode};
        for (const char *const *arg = c.args; arg < c.args + 5 && *arg; arg++)
            e.args.emplace_back(*arg);
        cases.push_back(e);
    }
    return cases;
}

// The usage text's shape as it was given: 474 bytes in eleven lines, each
// ending in CR LF, four of them in blanks; the golden copy guards the rest.
TEST(EndToEnd, UsageTextHasItsShape)
{
    std::string out = RunProgram({"/?"}).out;
    std::size_t start = out.find('\n', 2) + 1;
    ASSERT_NE(start, 0u);
    std::string text = out.substr(start);
    EXPECT_EQ(text.size(), 474u);
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
    ASSERT_EQ(lines.size(), 11u);
    const std::size_t blanks[11] = {0, 1, 1, 1, 2, 0, 0, 0, 0, 0, 0};
    for (std::size_t i = 0; i < lines.size(); i++) {
        std::size_t last = lines[i].find_last_not_of(' ');
        std::size_t trailing = lines[i].size() - (last == std::string::npos ? 0 : last + 1);
        EXPECT_EQ(trailing, blanks[i]) << "line " << i + 1;
    }
}

TEST(EndToEnd, WritesToAPipeAFileAndATerminal)
{
    for (Sink sink : {Sink::Pipe, Sink::File, Sink::Terminal}) {
        for (const E2ECase &c : Cases()) {
            RunResult r = RunProgram(c.args, {sink});
            EXPECT_EQ(r.out, c.out) << static_cast<int>(sink) << testing::PrintToString(c.args);
            EXPECT_EQ(r.exitCode, c.exitCode)
                << static_cast<int>(sink) << testing::PrintToString(c.args);
        }
    }
}

TEST(EndToEnd, WritesALongLineWhole)
{
    // One argument may hold at most 128 KiB here.
    std::string part(50000, 'q');
    RunResult r = RunProgram({part, part, part, part, "@300000|"});
    std::string text = part + " " + part + " " + part + " " + part + " ";
    EXPECT_EQ(r.out, text + std::string(300000 - text.size(), ' ') + "|");
    EXPECT_EQ(r.exitCode, 0);
    r = RunProgram({"@99999999999"});
    EXPECT_EQ(r.out, std::string(1048576, ' '));
}

// As long a command line as the system takes, of every byte value that is
// neither NUL nor a mark, comes out whole.
TEST(EndToEnd, WritesTheLargestCommandLineWhole)
{
    long limit = sysconf(_SC_ARG_MAX);
    ASSERT_GT(limit, 200000);
    std::string part;
    for (int i = 0; part.size() < 100000; i++) {
        char c = static_cast<char>(1 + i % 255);
        if (!std::strchr("\"'@[/", c))
            part += c;
    }
    // Leave room for the environment and the pointers.
    std::vector<std::string> args(static_cast<std::size_t>((limit - 65536) / 100008), part);
    RunResult r = RunProgram(args);
    std::string expected = part;
    for (std::size_t i = 1; i < args.size(); i++)
        expected += " " + part;
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.size(), expected.size());
    EXPECT_TRUE(r.out == expected);
}

TEST(EndToEnd, ProgramNameIsSkipped)
{
    if (Wrapped())
        GTEST_SKIP() << "the wrapper sets argv[0] itself";
    struct NameCase {
        const char *argv0;
        std::vector<std::string> args;
        std::string out;
    };
    const NameCase names[] = {
        {"my kolbex", {"x"}, "x"},
        {"my \"quoted\" kolbex", {"y"}, "y"},
        {"", {"z"}, "z"},
        {"tab\tname", {"t"}, "t"},
    };
    for (const NameCase &n : names) {
        RunResult r = RunProgram(n.args, {Sink::Pipe, nullptr, n.argv0});
        EXPECT_EQ(r.out, n.out) << n.argv0;
        EXPECT_EQ(r.exitCode, 0) << n.argv0;
    }
}

// --help and --version alone answer as POSIX tools do; with any other text
// they are text.
TEST(EndToEnd, AnswersHelpAndVersionAlone)
{
    const E2ECase cases[] = {
        {{"--help"}, help, 0},
        {{"--version"}, "kolbex " KOLBEX_VERSION "\n", 0},
        {{"--help", "me"}, "--help me", 0},
        {{"--version", ""}, "--version ", 0},
        {{"", "--help"}, " --help", 0},
        {{"--HELP"}, "--HELP", 0},
        {{"-h"}, "-h", 0},
        {{"--help=x"}, "--help=x", 0},
    };
    for (const E2ECase &c : cases) {
        RunResult r = RunProgram(c.args);
        EXPECT_EQ(r.out, c.out) << testing::PrintToString(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << testing::PrintToString(c.args);
    }
    for (const char *word : {"--help", "--version"}) {
        EXPECT_EQ(RunProgram({word}, {Sink::Full}).exitCode, 1) << word;
        EXPECT_EQ(RunProgram({word}, {Sink::Closed}).exitCode, 1) << word;
    }
}

// Lines end without a terminator, so appended runs share one line.
TEST(EndToEnd, RunsAppendToOneLine)
{
    RunResult a = RunProgram({"one"}, {Sink::File});
    RunResult b = RunProgram({"two"}, {Sink::File});
    EXPECT_EQ(a.out + b.out, "onetwo");
}

struct FailureCase {
    std::vector<std::string> args;
    Sink sink;
    int exitCode;
};

// A line that could not be written is not a success; the usage text keeps
// its own code either way.
TEST(EndToEnd, FailedWritesEndWithExitCode1)
{
    const FailureCase failures[] = {
        {{"line"}, Sink::Full, 1}, {{"line"}, Sink::Closed, 1}, {{"line"}, Sink::BrokenPipe, 1},
        {{"/?"}, Sink::Full, 255}, {{}, Sink::Closed, 255},     {{"/?"}, Sink::BrokenPipe, 255},
    };
    for (const FailureCase &f : failures) {
        RunResult r = RunProgram(f.args, {f.sink});
        EXPECT_EQ(r.signal, 0) << static_cast<int>(f.sink);
        EXPECT_EQ(r.exitCode, f.exitCode) << static_cast<int>(f.sink);
    }
}

// A file-size limit is a failed write like any other, not a death by
// signal, and what fitted is kept.
TEST(EndToEnd, FileSizeLimitIsAFailedWrite)
{
    if (Wrapped())
        GTEST_SKIP() << "the limit would bind the wrapper too";
    RunOptions options{Sink::File};
    options.fileSizeLimit = 1000;
    RunResult r = RunProgram({"x@5000|"}, options);
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(r.exitCode, 1);
    std::string kept(1000, ' ');
    kept[0] = 'x';
    EXPECT_EQ(r.out, kept);
}

// Standard output set non-blocking by another program: the line is
// written whole once the reader takes it.
TEST(EndToEnd, WaitsForANonBlockingOutput)
{
    RunResult r = RunProgram({"x@1048576"}, {Sink::SlowNonBlockingPipe});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.size(), 1048576u);
    EXPECT_TRUE(r.out == "x" + std::string(1048575, ' '));
}

// Each allocation of a run made to fail in turn, in the order the run makes
// them: nothing is written and the exit code is 1, never a cut line or 0.
TEST(EndToEnd, EveryAllocationFailureWritesNothingAndExits1)
{
    const char *const sites[] = {"the run's heap", "the line", "the command line",
                                 "the picture scratch", "the line's growth"};
    const std::vector<std::string> args = {"[date:yyyy]", std::string(5000, 'x')};
    int nth = 0;
    for (const char *site : sites) {
        RunOptions options;
        options.failAllocation = ++nth;
        RunResult r = RunProgram(args, options);
        EXPECT_EQ(r.exitCode, 1) << site;
        EXPECT_EQ(r.out, "") << site;
    }
    RunOptions options;
    options.failAllocation = nth + 1;
    RunResult r = RunProgram(args, options);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.size(), 4u + 1 + 5000);
}

std::vector<std::string> ZoneNames()
{
    namespace fs = std::filesystem;
    const fs::path folder = "/usr/share/zoneinfo";
    std::vector<std::string> names;
    std::error_code error;
    for (const fs::directory_entry &entry : fs::recursive_directory_iterator(folder, error)) {
        std::string name = entry.path().lexically_relative(folder).string();
        if (!entry.is_regular_file() || name.rfind("posix/", 0) == 0 ||
            name.rfind("right/", 0) == 0)
            continue;
        char magic[4] = {};
        std::ifstream(entry.path(), std::ios::binary).read(magic, sizeof magic);
        if (std::memcmp(magic, "TZif", 4) == 0)
            names.push_back(name);
    }
    return names;
}

struct ZoneCase {
    const char *zone;   // TZ; nullptr: unset
    const char *folder; // TZDIR; nullptr: unset
};

// Another build of the program (the static one) tells the same local time
// as the dynamic build, whatever TZ and TZDIR say, but for a daylight rule
// without dates where posixrules gives the dynamic build other changes. The dynamic build is read
// before and after, and a minute boundary between the two readings is
// retried.
TEST(EndToEnd, AgreesWithTheDynamicBuildInEveryZone)
{
    if (std::strcmp(ProgramUnderTest(), DynamicProgram) == 0)
        GTEST_SKIP() << "the program under test is the dynamic build";
    const std::vector<std::string> names = ZoneNames();
    ASSERT_GT(names.size(), 300u) << "the zone database (Debian: tzdata) is missing";
    std::vector<ZoneCase> zones = {
        {nullptr, nullptr},
        {"", nullptr},
        {":", nullptr},
        {"garbage", nullptr},
        {"<+0330>-3:30", nullptr},
        {"EST5EDT", nullptr},
        {":EST5EDT", nullptr},
        {":Europe/Berlin", nullptr},
        {"CET-1CEST,M3.5.0,M10.5.0/3", nullptr},
        {"Europe/../Europe/Paris", nullptr},
        {"/usr/share/zoneinfo/Asia/Tokyo", nullptr},
        {"Europe", nullptr},
        {"Nowhere/Zone", nullptr},
        {":CET-1CEST,M3.5.0,M10.5.0/3", nullptr},
        {"NZST-12NZDT,M9.5.0,M4.1.0/3", nullptr},
        {"<-02>2<-01>,M3.5.0/-1,M10.5.0/0", nullptr},
        {"IST-2IDT,M3.4.4/26,M10.5.0", nullptr},
        {"AAA3BBB,J60/1,J300", nullptr},
        {"AAA3BBB,59,300/-3:30", nullptr},
        {"AB3", nullptr}, // a name too short: no rule
        {"Europe/Berlin", "/nonexistent"},
        {"CET-1CEST", "/nonexistent"}, // no posixrules zone: the customary dates in both
        {"Asia/Tokyo", "/usr/share/zoneinfo/posix"},
    };
    for (const std::string &name : names)
        zones.push_back({name.c_str(), nullptr});
    const std::vector<std::string> args = {"[date:yyyy-mm-dd] [time:hh:mm:ss]"};
    for (const ZoneCase &zone : zones) {
        RunOptions dynamic{Sink::Pipe};
        dynamic.program = DynamicProgram;
        dynamic.zone = zone.zone;
        dynamic.zoneFolder = zone.folder;
        RunOptions other = dynamic;
        other.program = nullptr;
        RunResult before, got, after;
        for (int attempt = 0; attempt < 3; attempt++) {
            before = RunProgram(args, dynamic);
            got = RunProgram(args, other);
            after = RunProgram(args, dynamic);
            if (before.out == after.out)
                break;
        }
        std::string shown = "TZ=";
        shown += zone.zone ? zone.zone : "(unset)";
        if (zone.folder) {
            shown += " TZDIR=";
            shown += zone.folder;
        }
        EXPECT_EQ(got.out, got.out == after.out ? after.out : before.out) << shown;
        EXPECT_EQ(got.exitCode, 0) << shown;
    }
}

// Zone files with bytes changed, named by TZ: no run ends by a signal,
// whatever the C library would make of them. Each of the first copies
// changes one byte of the headers, the rest a few bytes anywhere.
TEST(EndToEnd, SurvivesDamagedZoneFiles)
{
    const char *const zones[] = {"Europe/Berlin", "America/New_York", "Australia/Lord_Howe",
                                 "Etc/UTC"};
    char folder[] = "/tmp/kolbex-zones-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string path = std::string(folder) + "/zone";
    const int copies = Wrapped() ? 12 : 150;
    unsigned seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 8; };
    for (const char *zone : zones) {
        std::ifstream in(std::string("/usr/share/zoneinfo/") + zone, std::ios::binary);
        const std::string original{std::istreambuf_iterator<char>(in), {}};
        const std::size_t second = original.find("TZif", 4);
        ASSERT_NE(second, std::string::npos) << zone;
        for (int i = 0; i < copies; i++) {
            std::string file = original;
            if (i < 88) {
                file[(i < 44 ? 0 : second) + i % 44] ^= static_cast<char>(1 + next() % 255);
            } else {
                for (int n = 1 + static_cast<int>(next() % 4); n > 0; n--)
                    file[next() % file.size()] = static_cast<char>(next());
            }
            std::ofstream(path, std::ios::binary | std::ios::trunc) << file;
            RunOptions options;
            options.zone = path.c_str();
            RunResult r = RunProgram({"[date:yyyy-mm-dd] [time:hh:mm:ss]"}, options);
            EXPECT_EQ(r.signal, 0) << zone << ", copy " << i;
            EXPECT_EQ(r.exitCode, 0) << zone << ", copy " << i;
        }
    }
    (void)std::remove(path.c_str());
    rmdir(folder);
}

struct ClockCase {
    const char *moment;
    std::vector<std::string> args;
    std::string out;
};

TEST(EndToEnd, ExpandsFieldsAtAFixedMoment)
{
    if (!FakeClockAvailable())
        GTEST_SKIP() << "no clock-faking library in this build";
    const ClockCase clocks[] = {
        {"2026-11-22 13:07:01",
         {"Backup", "[date:yyyy-mm-dd]", "completed", "at", "[time:hh:mm:ss]"},
         "Backup 2026-11-22 completed at 13:07:01"},
        {"2009-01-04 00:05:09", {"[time:h:mm tt]"}, "12:05 AM"},
        {"2009-01-04 00:05:09", {"[time:HH:mm]"}, "00:05"},
        {"2024-02-29 12:00:00",
         {"[date:dddd d mmmm yyyy]", "[time:h", "t]"},
         "Thursday 29 February 2024 12 P"},
        {"2024-02-29 12:00:00", {"[DATE:DD.MM.YY]"}, "29.02.24"},
        {"2024-02-29 12:00:00",
         {"log-[date:yyyymmdd]-[time:hhmmss].txt"},
         "log-20240229-120000.txt"},
        {"2009-07-04 09:00:00", {"/OEM", "[date:'\xe9'", "mmmm]", "\xe9"}, " \xe9 July \xe9"},
        {"2009-07-04 09:00:00", {"[date:dd]@5|[time:hh]"}, "04   |09"},
    };
    for (const ClockCase &c : clocks) {
        RunResult r = RunProgram(c.args, {Sink::Pipe, c.moment});
        EXPECT_EQ(r.out, c.out) << c.moment << " " << testing::PrintToString(c.args);
        EXPECT_EQ(r.exitCode, 0);
    }
}

} // namespace
