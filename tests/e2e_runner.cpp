#include "tests/e2e_runner.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

std::vector<std::string> WrapperWords()
{
    std::vector<std::string> words;
    const char *wrapper = std::getenv("KOLBEX_E2E_WRAPPER");
    if (wrapper) {
        std::istringstream in(wrapper);
        for (std::string w; in >> w;)
            words.push_back(w);
    }
    return words;
}

std::string ReadAll(int fd)
{
    std::string out;
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        out.append(buffer, static_cast<std::size_t>(n));
    }
    return out;
}

// Opens the terminal side of a new pseudo-terminal in raw output mode;
// returns its controller side in *controller.
int OpenTerminal(int *controller)
{
    *controller = posix_openpt(O_RDWR | O_NOCTTY);
    if (*controller < 0 || grantpt(*controller) != 0 || unlockpt(*controller) != 0)
        return -1;
    int terminal = open(ptsname(*controller), O_RDWR | O_NOCTTY);
    termios mode{};
    tcgetattr(terminal, &mode);
    mode.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tcsetattr(terminal, TCSANOW, &mode);
    return terminal;
}

} // namespace

bool Wrapped()
{
    return !WrapperWords().empty();
}

bool FakeClockAvailable()
{
#ifdef KOLBEX_SANITIZED
    return false; // a preloaded clock does not mix with the sanitizers
#else
    return KOLBEX_FAKETIME_LIB[0] != '\0' && !Wrapped() && access(KOLBEX_FAKETIME_LIB, R_OK) == 0;
#endif
}

RunResult RunKolbex(const std::vector<std::string> &args, const RunOptions &options)
{
    std::vector<std::string> words = WrapperWords();
    std::string path = words.empty() ? KOLBEX_BINARY : words[0];
    if (words.empty())
        words.push_back(options.argv0 ? options.argv0 : KOLBEX_BINARY);
    else
        words.push_back(KOLBEX_BINARY);
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char *> argv;
    argv.reserve(words.size() + 1);
    for (std::string &w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    int readEnd = -1;
    int childOut = -1;
    char fileName[] = "/tmp/kolbex-e2e-XXXXXX";
    switch (options.sink) {
    case Sink::Pipe:
    case Sink::BrokenPipe: {
        int fds[2];
        if (pipe(fds) != 0)
            return {};
        readEnd = fds[0];
        childOut = fds[1];
        if (options.sink == Sink::BrokenPipe) {
            close(readEnd);
            readEnd = -1;
        }
        break;
    }
    case Sink::File:
        childOut = mkstemp(fileName);
        break;
    case Sink::Terminal:
        childOut = OpenTerminal(&readEnd);
        break;
    case Sink::Full:
        childOut = open("/dev/full", O_WRONLY);
        break;
    case Sink::Closed:
        break;
    }

    pid_t pid = fork();
    if (pid == 0) {
        if (readEnd >= 0)
            close(readEnd);
        if (childOut >= 0) {
            dup2(childOut, 1);
            close(childOut);
        } else {
            close(1);
        }
        if (options.fakeTime) {
            setenv("LD_PRELOAD", KOLBEX_FAKETIME_LIB, 1);
            setenv("FAKETIME", options.fakeTime, 1);
            setenv("FAKETIME_NO_CACHE", "1", 1);
        }
        setenv("TZ", "UTC", 1);
        execv(path.c_str(), argv.data());
        _exit(126);
    }
    if (childOut >= 0)
        close(childOut);

    RunResult result;
    if (readEnd >= 0) {
        result.out = ReadAll(readEnd); // a terminal ends with EIO once the child has gone
        close(readEnd);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.signal = WTERMSIG(status);
    if (options.sink == Sink::File) {
        int fd = open(fileName, O_RDONLY);
        result.out = ReadAll(fd);
        close(fd);
        unlink(fileName);
    }
    return result;
}
