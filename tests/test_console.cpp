// The POSIX file write continues what the system leaves undone and stops at
// what it cannot: write() is scripted here, in place of the C library's.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

#include "platform/platform.h"

namespace {

// One answer of write(): how many bytes it takes, or -1 with an error.
struct Answer {
    ssize_t taken;
    int error;
};

bool scripted;
std::vector<Answer> answers;
std::size_t next;
std::string received;

} // namespace

// The C library's own names for the parameters are reserved ones.
// NOLINTNEXTLINE(readability-inconsistent-declaration-parameter-name)
extern "C" ssize_t write(int fd, const void *buffer, size_t count)
{
    if (!scripted || fd != 1)
        return syscall(SYS_write, fd, buffer, count);
    Answer a = next < answers.size() ? answers[next++] : Answer{static_cast<ssize_t>(count), 0};
    if (a.taken < 0) {
        errno = a.error;
        return -1;
    }
    std::size_t n = std::min(count, static_cast<std::size_t>(a.taken));
    received.append(static_cast<const char *>(buffer), n);
    return static_cast<ssize_t>(n);
}

namespace {

struct WriteCase {
    const char *what;
    std::vector<Answer> answers;
    bool ok;
    const char *written; // what reached the file
};

TEST(Console, FileWritesGoOnUntilDoneOrFailed)
{
    const WriteCase cases[] = {
        {"whole", {}, true, "abcdef"},
        {"in parts", {{2, 0}, {1, 0}}, true, "abcdef"},
        {"interrupted", {{-1, EINTR}, {-1, EINTR}}, true, "abcdef"},
        {"full for a while", {{3, 0}, {-1, EAGAIN}}, true, "abcdef"},
        {"nothing taken", {{2, 0}, {0, 0}}, false, "ab"},
        {"an error", {{4, 0}, {-1, EIO}}, false, "abcd"},
        {"no room", {{-1, ENOSPC}}, false, ""},
    };
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    for (const WriteCase &c : cases) {
        answers = c.answers;
        next = 0;
        received.clear();
        DWORD written = 99;
        scripted = true;
        BOOL ok = WriteFile(out, "abcdef", 6, &written, nullptr);
        scripted = false;
        EXPECT_EQ(ok != FALSE, c.ok) << c.what;
        EXPECT_EQ(received, c.written) << c.what;
        EXPECT_EQ(written, received.size()) << c.what;
    }
}

} // namespace
