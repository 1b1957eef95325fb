// Runs kolbex.exe with exact command lines, as cmd.exe or a batch file would
// start it, and checks what it writes to standard output and its exit code.
// Usage: kolbex_driver <path of kolbex.exe>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tests/e2e_cases.h"

namespace {

enum class Sink { Pipe, File, Null, Invalid };

struct Result {
    std::string out;
    std::string error; // standard error, through a pipe of its own with Sink::Pipe
    DWORD exitCode = 0xFFFFFFFF;
};

std::string program;
int passed;
int failed;

std::string ReadHandle(HANDLE handle)
{
    std::string out;
    char buffer[65536];
    DWORD n = 0;
    while (ReadFile(handle, buffer, sizeof buffer, &n, nullptr) && n > 0)
        out.append(buffer, n);
    return out;
}

Result Run(const std::string &commandLine, Sink sink)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE childOut = nullptr;
    HANDLE errorEnd = nullptr;
    HANDLE childError = nullptr;
    char fileName[MAX_PATH] = "";
    if (sink == Sink::Pipe) {
        CreatePipe(&readEnd, &childOut, &inherit, 0);
        SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
        CreatePipe(&errorEnd, &childError, &inherit, 0);
        SetHandleInformation(errorEnd, HANDLE_FLAG_INHERIT, 0);
    } else if (sink == Sink::File) {
        char folder[MAX_PATH];
        GetTempPathA(MAX_PATH, folder);
        GetTempFileNameA(folder, "kbx", 0, fileName);
        childOut = CreateFileA(fileName, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    } else if (sink == Sink::Invalid) {
        childOut = INVALID_HANDLE_VALUE;
    }

    STARTUPINFOA start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = nullptr;
    start.hStdOutput = childOut;
    start.hStdError = childError;
    PROCESS_INFORMATION process{};
    std::string line = commandLine;
    Result result;
    if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &start, &process)) {
        std::printf("cannot start %s: error %lu\n", program.c_str(), GetLastError());
        return result;
    }
    if (childOut && childOut != INVALID_HANDLE_VALUE)
        CloseHandle(childOut);
    if (childError)
        CloseHandle(childError);
    // A message is one short line: the pipe holds it while the output is read.
    if (readEnd) {
        result.out = ReadHandle(readEnd);
        CloseHandle(readEnd);
        result.error = ReadHandle(errorEnd);
        CloseHandle(errorEnd);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    if (sink == Sink::File) {
        HANDLE file = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        result.out = ReadHandle(file);
        CloseHandle(file);
        DeleteFileA(fileName);
    }
    return result;
}

std::string Visible(const std::string &bytes)
{
    std::string text;
    for (unsigned char b : bytes) {
        if (b >= 0x20 && b < 0x7F && b != '\\') {
            text += static_cast<char>(b);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            text += hex;
        }
    }
    return text.size() > 200 ? text.substr(0, 200) + "..." : text;
}

void Check(const char *what, const std::string &commandLine, const Result &got,
           const std::string &out, DWORD exitCode)
{
    if (got.out == out && got.exitCode == exitCode) {
        passed++;
        return;
    }
    failed++;
    std::printf("FAIL %s: [%s]\n  got      %lu [%s]\n  expected %lu [%s]\n", what,
                Visible(commandLine).c_str(), got.exitCode, Visible(got.out).c_str(), exitCode,
                Visible(out).c_str());
}

const std::string help = std::string(ExpectedBanner) + ExpectedUsage;

void SharedCasesTest()
{
    for (Sink sink : {Sink::Pipe, Sink::File}) {
        for (const SharedCase &c : SharedCases) {
            std::string line = "kolbex.exe";
            for (const char *const *arg = c.args; arg < c.args + 5 && *arg; arg++)
                line += std::string(" ") + *arg;
            Check(sink == Sink::Pipe ? "pipe" : "file", line, Run(line, sink), c.out ? c.out : help,
                  static_cast<DWORD>(c.exitCode));
        }
    }
}

struct LineCase {
    const char *commandLine;
    const char *out; // null: the usage text
    DWORD exitCode;
};

const LineCase lineCases[] = {
    {"\"C:\\my tools\\kolbex.exe\" x", "x", 0},
    {"\"C:\\my tools\\kolbex.exe\"  x", " x", 0},
    {"\"kolbex.exe\"x y", "x y", 0}, // the byte after the quote is not a space
    {"kolbex.exe\tx y", "y", 0},     // a tab does not end the name
    {"\"unclosed name x", nullptr, 255},
    {"kolbex.exe", nullptr, 255},
    {"kolbex.exe ", nullptr, 255},
    {"kolbex.exe  two", " two", 0},
    {"kolbex.exe \"a [b] @5 'x'\"", "a [b] @5 'x'", 0},
    {"kolbex.exe a\"b c\"d", "ab cd", 0},
    // POSIX habits mean nothing here: text like any other
    {"kolbex.exe --help", "--help", 0},
    {"kolbex.exe --version", "--version", 0},
};

// A failed option's message is one line on standard error, whatever bytes
// the option as written held.
void MessageTest()
{
    const struct {
        const char *commandLine;
        const char *error;
    } cases[] = {
        {"kolbex.exe /AT:x\ny [date:yyyy]", "kolbex: /AT:x?y: not a moment\n"},
        {"kolbex.exe /AT:x\r\nFAKE:\x7f", "kolbex: /AT:x??FAKE:?: not a moment\n"},
    };
    for (const auto &c : cases) {
        Result got = Run(c.commandLine, Sink::Pipe);
        Check("message", c.commandLine, got, "", 1);
        if (got.error != c.error) {
            failed++;
            std::printf("FAIL message: [%s]\n  got      [%s]\n  expected [%s]\n",
                        Visible(c.commandLine).c_str(), Visible(got.error).c_str(),
                        Visible(c.error).c_str());
        }
    }
}

void CommandLineTest()
{
    for (const LineCase &c : lineCases) {
        Result got = Run(c.commandLine, Sink::Pipe);
        Check("command line", c.commandLine, got, c.out ? c.out : help, c.exitCode);
    }
}

void FailedWriteTest()
{
    for (Sink sink : {Sink::Null, Sink::Invalid}) {
        const char *what = sink == Sink::Null ? "no output handle" : "invalid output handle";
        Check(what, "kolbex.exe line", Run("kolbex.exe line", sink), "", 1);
        Check(what, "kolbex.exe /?", Run("kolbex.exe /?", sink), "", 255);
    }
}

// The platform's own formatting of the current moment (or another), as the
// program itself would have it.
std::string Format(bool date, const char *picture, bool oem, const SYSTEMTIME *moment = nullptr,
                   LCID locale = LOCALE_SYSTEM_DEFAULT)
{
    char text[128] = "";
    int n = date ? GetDateFormatA(locale, 0, moment, picture, text, sizeof text)
                 : GetTimeFormatA(locale, 0, moment, picture, text, sizeof text);
    if (n <= 0)
        return "<failed>";
    if (oem)
        CharToOemBuffA(text, text, static_cast<DWORD>(n - 1));
    return std::string(text, static_cast<std::size_t>(n - 1));
}

// The clock in universal time, or local time moved by whole days.
SYSTEMTIME Universal()
{
    SYSTEMTIME t{};
    GetSystemTime(&t);
    return t;
}

SYSTEMTIME LocalDays(int days)
{
    SYSTEMTIME t{};
    GetLocalTime(&t);
    FILETIME file{};
    SystemTimeToFileTime(&t, &file);
    ULARGE_INTEGER ticks{};
    ticks.LowPart = file.dwLowDateTime;
    ticks.HighPart = file.dwHighDateTime;
    ticks.QuadPart += static_cast<ULONGLONG>(static_cast<LONGLONG>(days) * 864000000000LL);
    file.dwLowDateTime = ticks.LowPart;
    file.dwHighDateTime = ticks.HighPart;
    FileTimeToSystemTime(&file, &t);
    return t;
}

// The offset now, from the zone's rules, as +hh:mm.
std::string Offset()
{
    TIME_ZONE_INFORMATION zone{};
    DWORD kind = GetTimeZoneInformation(&zone);
    LONG east =
        -(zone.Bias + (kind == TIME_ZONE_ID_DAYLIGHT ? zone.DaylightBias : zone.StandardBias));
    char text[16];
    std::snprintf(text, sizeof text, "%c%02ld:%02ld", east < 0 ? '-' : '+', labs(east) / 60,
                  labs(east) % 60);
    return text;
}

struct ClockCase {
    const char *commandLine;
    std::string (*expected)();
};

const ClockCase clockCases[] = {
    {"kolbex.exe Backup [date:yyyy-mm-dd] completed at [time:hh:mm:ss]",
     [] {
         return "Backup " + Format(true, "yyyy-MM-dd", false) + " completed at " +
                Format(false, "HH:mm:ss", false);
     }},
    {"kolbex.exe [TIME:h:mm TT] [Date:dddd, mmmm d]",
     [] { return Format(false, "h:mm tt", false) + " " + Format(true, "dddd, MMMM d", false); }},
    {"kolbex.exe [date:'\xe9' mmmm] /OEM [date:'\xe9' mmmm] \xe9",
     [] {
         return Format(true, "'\xe9' MMMM", false) + "  " + Format(true, "'\xe9' MMMM", true) +
                " \xe9";
     }},
    {"kolbex.exe [time:HH:mm] /UTC[time:HH:mm] /utc[date:yyyy-mm-dd]",
     [] {
         SYSTEMTIME utc = Universal();
         return Format(false, "HH:mm", false) + " " + Format(false, "HH:mm", false, &utc) + " " +
                Format(true, "yyyy-MM-dd", false, &utc);
     }},
    {"kolbex.exe /DAY-1[date:yyyy-mm-dd] /day+7[date:dddd] /DAY+0[date:yyyy-mm-dd]",
     [] {
         SYSTEMTIME yesterday = LocalDays(-1);
         SYSTEMTIME week = LocalDays(7);
         return Format(true, "yyyy-MM-dd", false, &yesterday) + " " +
                Format(true, "dddd", false, &week) + " " + Format(true, "yyyy-MM-dd", false);
     }},
    {"kolbex.exe [zone:hh:mm] /ENG[date:dddd] [time:tt]",
     [] {
         return Offset() + " " + Format(true, "dddd", false, nullptr, 0x0409) + " " +
                Format(false, "tt", false, nullptr, 0x0409);
     }},
    {"kolbex.exe [time:'Uhr' hh]@20|",
     [] {
         std::string s = Format(false, "'uHr' HH", false);
         return s + std::string(20 - s.size(), ' ') + "|";
     }},
};

// The clock cannot be set for the program here, so its output is checked
// against the moments read just before and after it; a second boundary
// between the two readings is retried.
void ClockTest()
{
    for (const ClockCase &c : clockCases) {
        Result got;
        std::string before, after;
        for (int attempt = 0; attempt < 5; attempt++) {
            before = c.expected();
            got = Run(c.commandLine, Sink::Pipe);
            after = c.expected();
            if (before == after)
                break;
        }
        Check("clock", c.commandLine, got, got.out == after ? after : before, 0);
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::printf("usage: kolbex_driver <kolbex.exe>\n");
        return 2;
    }
    char full[MAX_PATH];
    GetFullPathNameA(argv[1], MAX_PATH, full, nullptr);
    program = full;
    SharedCasesTest();
    CommandLineTest();
    MessageTest();
    FailedWriteTest();
    ClockTest();
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
