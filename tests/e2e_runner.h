// Runs the built program with an exact argv and captures what it writes to
// standard output and how it ends.
#ifndef KOLBEX_TESTS_E2E_RUNNER_H
#define KOLBEX_TESTS_E2E_RUNNER_H

#include <string>
#include <vector>

enum class Sink {
    Pipe,
    File,
    Terminal,            // a pseudo-terminal with output processing off
    Closed,              // no standard output at all
    Full,                // /dev/full: every write fails
    BrokenPipe,          // a pipe whose reader has gone
    SlowNonBlockingPipe, // set non-blocking, and read only after a while
};

struct RunResult {
    std::string out;
    int exitCode = -1; // -1 when the process did not exit normally
    int signal = 0;
};

struct RunOptions {
    Sink sink = Sink::Pipe;
    const char *fakeTime = nullptr;   // a frozen local moment, "yyyy-mm-dd hh:mm:ss"
    const char *argv0 = nullptr;      // instead of the program's path
    const char *zone = "UTC";         // TZ; nullptr: unset
    const char *zoneFolder = nullptr; // TZDIR; nullptr: unset
    const char *locale = "C";         // LC_ALL; nullptr: as the test runs
    long fileSizeLimit = -1;          // RLIMIT_FSIZE in bytes; -1: none
    const char *program = nullptr;    // instead of the program under test
    int failAllocation = 0;           // runs kolbex_failing_heap, failing this allocation
};

// The program under test: KOLBEX_E2E_PROGRAM where set (a static build),
// else the dynamic build. KOLBEX_E2E_EMULATOR names what runs it where the
// host cannot (qemu-aarch64); the other programs run natively.
const char *ProgramUnderTest();
// The dynamic build, to compare other builds with.
constexpr const char DynamicProgram[] = KOLBEX_BINARY;

RunResult RunProgram(const std::vector<std::string> &args, const RunOptions &options = {});

// Set when every run goes through a wrapper such as memcheck, which neither
// passes a custom argv[0] nor mixes with a preloaded clock.
bool Wrapped();

// True when the clock can be faked for the program under test: a preloaded
// clock needs a dynamically linked program.
bool FakeClockAvailable();

#endif
