#include "tests/e2e_runner.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <elf.h>
#include <fcntl.h>
#include <sstream>
#include <sys/resource.h>
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

// Whether the program asks for a program interpreter, the dynamic loader.
bool IsDynamic(const char *path)
{
    int fd = open(path, O_RDONLY);
    Elf64_Ehdr header{};
    bool dynamic = false;
    if (fd >= 0 && read(fd, &header, sizeof header) == sizeof header) {
        for (int i = 0; i < header.e_phnum && !dynamic; i++) {
            Elf64_Phdr segment{};
            off_t at = static_cast<off_t>(header.e_phoff + i * sizeof segment);
            dynamic = pread(fd, &segment, sizeof segment, at) == sizeof segment &&
                      segment.p_type == PT_INTERP;
        }
    }
    if (fd >= 0)
        close(fd);
    return dynamic;
}

} // namespace

const char *ProgramUnderTest()
{
    const char *program = std::getenv("KOLBEX_E2E_PROGRAM");
    return program && *program ? program : KOLBEX_BINARY;
}

bool Wrapped()
{
    return !WrapperWords().empty();
}

bool FakeClockAvailable()
{
#ifdef KOLBEX_SANITIZED
    const bool sanitized = true; // a preloaded clock does not mix with the sanitizers
#else
    const bool sanitized = false;
#endif
    return !sanitized && KOLBEX_FAKETIME_LIB[0] != '\0' && !Wrapped() &&
           access(KOLBEX_FAKETIME_LIB, R_OK) == 0 && IsDynamic(ProgramUnderTest());
}

RunResult RunProgram(const std::vector<std::string> &args, const RunOptions &options)
{
    const char *program = options.program              ? options.program
                          : options.failAllocation > 0 ? KOLBEX_FAILING_HEAP_BINARY
                                                       : ProgramUnderTest();
    const char *emulator = std::getenv("KOLBEX_E2E_EMULATOR");
    std::vector<std::string> words = WrapperWords();
    if (!words.empty()) {
        words.push_back(program);
    } else if (emulator && *emulator && program == ProgramUnderTest()) {
        words = {emulator, "-0", options.argv0 ? options.argv0 : program, program};
    } else {
        words = {program};
    }
    std::string path = words.size() > 1 ? words[0] : program;
    if (words.size() == 1 && options.argv0)
        words[0] = options.argv0;
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
    case Sink::BrokenPipe:
    case Sink::SlowNonBlockingPipe: {
        int fds[2];
        if (pipe(fds) != 0)
            return {};
        readEnd = fds[0];
        childOut = fds[1];
        if (options.sink == Sink::BrokenPipe) {
            close(readEnd);
            readEnd = -1;
        }
        if (options.sink == Sink::SlowNonBlockingPipe)
            fcntl(childOut, F_SETFL, fcntl(childOut, F_GETFL) | O_NONBLOCK);
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
        if (options.locale)
            setenv("LC_ALL", options.locale, 1);
        if (options.zone)
            setenv("TZ", options.zone, 1);
        else
            unsetenv("TZ");
        if (options.zoneFolder)
            setenv("TZDIR", options.zoneFolder, 1);
        if (options.failAllocation > 0)
            setenv("KOLBEX_FAIL_ALLOCATION", std::to_string(options.failAllocation).c_str(), 1);
        if (options.fileSizeLimit >= 0) {
            rlimit limit{static_cast<rlim_t>(options.fileSizeLimit),
                         static_cast<rlim_t>(options.fileSizeLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        execvp(path.c_str(), argv.data());
        _exit(126);
    }
    if (childOut >= 0)
        close(childOut);

    RunResult result;
    if (options.sink == Sink::SlowNonBlockingPipe)
        usleep(200000); // the pipe fills and the writer meets EAGAIN
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
