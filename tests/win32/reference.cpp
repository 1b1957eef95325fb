// Prints what the platform's own GetDateFormatA, GetTimeFormatA and
// CharToOemBuffA give for a broad table of pictures and moments, one case a
// line, and how it reads code page 720, as the reference that the POSIX
// stand-ins are held to. With the argument "names" it answers for each
// locale name on its standard input: the name, its OEM code page and its
// scripts, or "-" twice where the platform does not know the name.
//
// Line formats (fields separated by tabs, bytes escaped as \xHH):
//   D|T  moment  capacity  picture  result  text
//   O  byte  oem-byte
//   U  code-page  byte  character (UTF-16, hex)
//   F  filetime (hex)  result  moment     (FileTimeToSystemTime)
// A moment is yyyy-mm-dd hh:mm:ss.mmm/w (w: the day of week passed in).
// A picture of "-" stands for no picture at all.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

char outBuffer[1 << 20];
int outLength;

void Emit(const char *text)
{
    size_t n = std::strlen(text);
    if (outLength + n > sizeof outBuffer) {
        DWORD w;
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), outBuffer, outLength, &w, nullptr);
        outLength = 0;
    }
    std::memcpy(outBuffer + outLength, text, n);
    outLength += static_cast<int>(n);
}

void EmitEscaped(const char *bytes, size_t n)
{
    char hex[8];
    for (size_t i = 0; i < n; i++) {
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b <= 0x20 || b >= 0x7F || b == '\\') {
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            Emit(hex);
        } else {
            char one[2] = {static_cast<char>(b), 0};
            Emit(one);
        }
    }
}

struct Moment {
    WORD year, month, dayOfWeek, day, hour, minute, second, ms;
};

const Moment moments[] = {
    {2009, 1, 0, 4, 0, 5, 9, 0},      {2026, 11, 0, 22, 13, 7, 1, 0},
    {2024, 2, 4, 29, 12, 0, 0, 0},    {2000, 12, 0, 31, 23, 59, 59, 999},
    {1601, 1, 1, 1, 0, 0, 0, 0},      {30827, 12, 0, 31, 23, 59, 59, 999},
    {1999, 9, 3, 8, 11, 59, 59, 500}, {2023, 3, 9, 15, 1, 2, 3, 4},
    {2010, 5, 6, 1, 12, 30, 0, 0},    {2038, 1, 2, 19, 3, 14, 7, 0},
    {2100, 2, 0, 28, 21, 0, 0, 0},    {2023, 2, 0, 29, 10, 0, 0, 0},
    {2023, 13, 0, 1, 10, 0, 0, 0},    {2023, 0, 0, 1, 10, 0, 0, 0},
    {2023, 4, 0, 31, 10, 0, 0, 0},    {2023, 4, 0, 0, 10, 0, 0, 0},
    {1600, 12, 0, 31, 10, 0, 0, 0},   {2023, 4, 0, 1, 24, 0, 0, 0},
    {2023, 4, 0, 1, 10, 60, 0, 0},    {2023, 4, 0, 1, 10, 0, 60, 0},
    {2023, 4, 0, 1, 10, 0, 0, 1000},  {0, 0, 0, 0, 9, 8, 7, 0},
    {30828, 1, 0, 1, 0, 0, 0, 0},     {2100, 2, 0, 29, 6, 0, 0, 0},
    {2023, 2, 0, 30, 6, 0, 0, 0},     {1700, 2, 0, 29, 18, 0, 0, 0},
    {65535, 12, 0, 31, 0, 0, 0, 0},   {30828, 9, 0, 14, 2, 48, 5, 477},
    {30828, 9, 0, 14, 2, 48, 5, 478}, {30828, 9, 0, 15, 0, 0, 0, 0},
    {40000, 6, 0, 15, 0, 0, 0, 0},    {60056, 5, 0, 28, 0, 0, 0, 0},
    {60057, 1, 0, 1, 0, 0, 0, 0},
};

// clang-format off
const char *const pictures[] = {
    "", "-",
    // every element letter, in both cases, in runs of one to six
    "d", "dd", "ddd", "dddd", "ddddd", "dddddd", "D", "DD", "DDD", "DDDD",
    "M", "MM", "MMM", "MMMM", "MMMMM", "MMMMMM", "m", "mm", "mmm", "mmmm", "mmmmm",
    "y", "yy", "yyy", "yyyy", "yyyyy", "yyyyyy", "Y", "YY", "YYYY",
    "g", "gg", "ggg", "gggg", "G", "GG",
    "h", "hh", "hhh", "hhhh", "H", "HH", "HHH", "HHHH",
    "s", "ss", "sss", "S", "SS", "t", "tt", "ttt", "tttt", "T", "TT",
    "e", "f", "k", "n", "w", "z", "K", "L",
    // what the command passes after folding and substitution
    "yyyy-MM-dd", "HH:mm:ss", "hh:mm tt", "h:mm:ss t", "dd.MM.yyyy", "dddd, MMMM d, yyyy",
    "ddd MMM d yy", "HH:mm:ss.fff", "H.m.s", "hh 'o''clock' tt", "tag dd", "'Uhr' HH",
    "'uHr' HH", "week of dddd", "yyyyMMdd", "HHmmss",
    // quoted text
    "'abc'", "'abc''bar'", "'x'''", "a''b", "''", "'", "'abc", "''''", "a'''b", "'''", "'d'd",
    "dd'dd'dd", "'It''s' h", "\"dd\"", "'a'b'c'", "x'", "''a",
    // ordinary bytes
    "0123456789", " - : / . , ; ", "\xe9\xe4\xfc\x80\xff", "[ ] @ / ?", "\\", "abcxyz",
    "ABCXYZ", "dMyghHmst", "ddMMyyhhHHmmsstt", "d d  d", "MdMdM", "HhHh", "mMmM",
};
// clang-format on

const int capacities[] = {100, 0, 1, 2, 3, 4, 5, 10};
const char *const shortPictures[] = {"dddd", "MMMM d", "tt", "HH:mm", ""};

void EmitMoment(const SYSTEMTIME &t)
{
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u/%u", t.wYear, t.wMonth,
                  t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds, t.wDayOfWeek);
    Emit(text);
}

void EmitCase(char kind, const SYSTEMTIME &t, int capacity, const char *picture)
{
    char result[128];
    std::memset(result, 0, sizeof result);
    const char *format = std::strcmp(picture, "-") == 0 ? nullptr : picture;
    int count = kind == 'D' ? GetDateFormatA(0x0800, 0, &t, format, result, capacity)
                            : GetTimeFormatA(0x0800, 0, &t, format, result, capacity);
    char number[32];
    Emit(kind == 'D' ? "D\t" : "T\t");
    EmitMoment(t);
    std::snprintf(number, sizeof number, "\t%d\t", capacity);
    Emit(number);
    EmitEscaped(picture, std::strlen(picture));
    std::snprintf(number, sizeof number, "\t%d\t", count);
    Emit(number);
    if (count > 0 && capacity > 0)
        EmitEscaped(result, static_cast<size_t>(count - 1));
    Emit("\n");
}

int Names()
{
    char line[128];
    while (std::fgets(line, sizeof line, stdin)) {
        line[std::strcspn(line, "\r\n")] = '\0';
        WCHAR name[LOCALE_NAME_MAX_LENGTH] = L"";
        WCHAR codePage[16] = L"";
        WCHAR scripts[64] = L"";
        bool known = MultiByteToWideChar(CP_UTF8, 0, line, -1, name, LOCALE_NAME_MAX_LENGTH) &&
                     IsValidLocaleName(name) &&
                     GetLocaleInfoEx(name, LOCALE_IDEFAULTCODEPAGE, codePage, 16) &&
                     GetLocaleInfoEx(name, LOCALE_SSCRIPTS, scripts, 64);
        if (known)
            std::printf("%s\t%ls\t%ls\n", line, codePage, scripts);
        else
            std::printf("%s\t-\t-\n", line);
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 2 && std::strcmp(argv[1], "names") == 0)
        return Names();
    if (GetACP() != 1252 || GetOEMCP() != 437) {
        std::fprintf(stderr, "code pages are %u and %u, not 1252 and 437\n", GetACP(), GetOEMCP());
        return 2;
    }
    for (const Moment &m : moments) {
        SYSTEMTIME t{m.year, m.month, m.dayOfWeek, m.day, m.hour, m.minute, m.second, m.ms};
        for (const char *picture : pictures) {
            EmitCase('D', t, 100, picture);
            EmitCase('T', t, 100, picture);
        }
    }
    // capacities, at a moment with long names
    SYSTEMTIME t{1999, 9, 3, 8, 11, 59, 59, 500};
    for (int capacity : capacities)
        for (const char *picture : shortPictures) {
            EmitCase('D', t, capacity, picture);
            EmitCase('T', t, capacity, picture);
        }
    for (int b = 0; b < 256; b++) {
        char in[2] = {static_cast<char>(b), 0};
        char out[2] = {0, 0};
        CharToOemBuffA(in, out, 1);
        char line[32];
        std::snprintf(line, sizeof line, "O\t%02X\t%02X\n", b, static_cast<unsigned char>(out[0]));
        Emit(line);
    }
    // The clock's calendar: days around the ends of the range.
    const unsigned long long ticks[] = {
        0,
        1,
        864000000000ull - 1,
        864000000000ull,
        864000000000ull * 365,
        864000000000ull * 146097,
        125911584000000000ull, // 2000-01-01
        0x7FFFFFFFFFFFFFFFull,
        0x8000000000000000ull,
        0xFFFFFFFFFFFFFFFFull,
        0xFFFFFFFFFFFFFFFFull - 864000000000ull * 999999,
    };
    for (unsigned long long count : ticks) {
        FILETIME file{static_cast<DWORD>(count), static_cast<DWORD>(count >> 32)};
        SYSTEMTIME moment{};
        BOOL ok = FileTimeToSystemTime(&file, &moment);
        char line[64];
        std::snprintf(line, sizeof line, "F\t%016llX\t%d\t", count, ok ? 1 : 0);
        Emit(line);
        EmitMoment(ok ? moment : SYSTEMTIME{});
        Emit("\n");
    }
    // The one DOS code page paired with a language that the C library's
    // converter lacks.
    for (int b = 0x80; b < 0x100; b++) {
        char in = static_cast<char>(b);
        WCHAR wide = 0;
        MultiByteToWideChar(720, MB_ERR_INVALID_CHARS, &in, 1, &wide, 1);
        char line[32];
        std::snprintf(line, sizeof line, "U\t720\t%02X\t%04X\n", b, wide);
        Emit(line);
    }
    DWORD w;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), outBuffer, outLength, &w, nullptr);
    return 0;
}
