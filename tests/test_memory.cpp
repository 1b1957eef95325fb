// The line's bookkeeping against the blocks really allocated, what each
// allocation site does when memory cannot be had, and the command line
// rebuilt from argv.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "compose/scanner.h"
#include "platform/posix/posix.h"
#include "tests/test_heap.h"

namespace {

struct Line {
    RunState state{};
    Line()
    {
        state.heap = HeapCreate(0, 4096, 0);
        EXPECT_TRUE(CreateOutputLine(&state));
    }
    ~Line() { ReleaseOutputLine(&state); }
    std::size_t Room() const
    {
        return static_cast<std::size_t>(state.lineLimit - state.outputStart) + 1;
    }
};

// The line's room is the block it has, no more: its last byte is kept for
// the final NUL, and writing past the block is the fault this guards.
TEST(Memory, LineRoomIsTheBlockAllocated)
{
    for (std::size_t used : {0, 1, 4095}) {
        for (std::size_t more : {1, 100, 4094, 4095, 4096, 10000, 1 << 20}) {
            Line line;
            EXPECT_EQ(line.Room(), BlockSize(line.state.outputStart));
            line.state.writePos += used;
            ASSERT_TRUE(ReserveLine(&line.state, more));
            EXPECT_EQ(line.Room(), BlockSize(line.state.outputStart)) << used << "+" << more;
            EXPECT_GE(line.Room(), used + more + 1) << used << "+" << more;
            EXPECT_EQ(LineLength(&line.state), used);
        }
    }
}

// Appending at the last byte of the line grows it first: the NUL always
// has its byte, inside the block.
TEST(Memory, AppendingAtTheLimitGrowsTheLine)
{
    Line line;
    line.state.writePos = line.state.lineLimit;
    AppendByte(&line.state, 'x');
    EXPECT_LE(line.state.writePos, line.state.lineLimit);
    EXPECT_EQ(line.Room(), BlockSize(line.state.outputStart));
    EXPECT_EQ(LineLength(&line.state), OutputLineCapacity);
}

// A line that could not grow stays as it was, and the run stays failed.
TEST(Memory, AFailedGrowthIsKept)
{
    Line line;
    line.state.writePos = line.state.lineLimit;
    char *before = line.state.outputStart;
    FailAllocation(1);
    EXPECT_FALSE(ReserveLine(&line.state, 1));
    FailAllocation(0);
    EXPECT_TRUE(line.state.outOfMemory);
    EXPECT_EQ(line.state.outputStart, before);
    EXPECT_EQ(line.state.writePos, line.state.lineLimit);
    EXPECT_FALSE(ReserveLine(&line.state, 1));
    AppendByte(&line.state, 'x');
    EXPECT_EQ(line.state.writePos, line.state.lineLimit);
}

struct FailureCase {
    const char *site;
    std::string tail;
    int nth; // the allocation call that fails, counted after the line exists
};

// Each fails where the scan needs memory: the run stops, marked out of
// memory, with nothing written past the line's block.
TEST(Memory, ScanStopsWhereMemoryRunsOut)
{
    const FailureCase failures[] = {
        {"picture scratch", "[date:yyyy]", 1},
        {"growth for text", std::string(5000, 'x'), 1},
        {"growth for a mark", "ab@5000", 1},
        {"growth for a field", std::string(4090, 'x') + "[date:yyyy]", 2},
        {"second picture", "[date:yyyy][time:" + std::string(100, 'h') + "]", 2},
    };
    for (const FailureCase &f : failures) {
        Line line;
        FailAllocation(f.nth);
        line.state.cursor = f.tail.c_str();
        ComposeLine(&line.state);
        FailAllocation(0);
        EXPECT_TRUE(line.state.outOfMemory) << f.site;
        EXPECT_LE(line.state.writePos, line.state.lineLimit) << f.site;
    }
    RunState state{};
    state.heap = HeapCreate(0, 4096, 0);
    FailAllocation(1);
    EXPECT_FALSE(CreateOutputLine(&state));
    EXPECT_TRUE(state.outOfMemory);
}

struct CommandLineCase {
    std::vector<const char *> argv;
    const char *line;
};

// Every argument is its own exact-size block, so that a read before or past
// one is caught by the sanitizers.
TEST(Memory, CommandLineIsRebuiltExactly)
{
    const CommandLineCase cases[] = {
        {{"kolbex"}, "kolbex"},
        {{"/usr/bin/kolbex", "a", "b c"}, "/usr/bin/kolbex a b c"},
        {{"my kolbex", "x"}, "\"my kolbex\" x"},
        {{"my \"q\" k", "y"}, "\"my q k\" y"},
        {{"\"", "z"}, " z"},
        {{"", "z"}, " z"},
        {{"k", "", ""}, "k  "},
        {{"k", "\"a b\"", "'"}, "k \"a b\" '"},
        {{}, "kolbex"},
    };
    for (const CommandLineCase &c : cases) {
        std::vector<char *> argv;
        for (const char *arg : c.argv)
            argv.push_back(strdup(arg));
        argv.push_back(nullptr);
        PosixSetArguments(static_cast<int>(c.argv.size()), argv.data());
        const char *line = GetCommandLineA();
        EXPECT_STREQ(line, c.line);
        EXPECT_GE(BlockSize(line), std::strlen(line) + 1) << c.line;
        FailAllocation(1);
        PosixSetArguments(static_cast<int>(c.argv.size()), argv.data());
        EXPECT_EQ(GetCommandLineA(), nullptr) << c.line;
        FailAllocation(0);
        for (char *arg : argv)
            std::free(arg);
    }
    PosixSetArguments(0, nullptr);
    EXPECT_STREQ(GetCommandLineA(), "kolbex"); // no argv at all
}

} // namespace
