// End-to-end cases whose result does not depend on the platform: run by the
// POSIX suite with these arguments and by the Windows driver with them
// joined into one command line.
#ifndef KOLBEX_TESTS_E2E_CASES_H
#define KOLBEX_TESTS_E2E_CASES_H

// The golden copies: any change to the usage text must be made here too.
constexpr const char ExpectedBanner[] =
    "\r\nKolbex, ver. " KOLBEX_VERSION " - date and time stamps for scripts and logs\n";
constexpr const char ExpectedUsage[] =
    "Kolbex sends a string with embedded time and date information to STDOUT,\r\n"
    "interpreting: \r\n"
    "   [date:...] using tokens: d dd ddd dddd m mm mmm mmmm yy yyyy \r\n"
    "   [time:...] using tokens: h hh mm ss t tt \r\n"
    "              tokens not case sensitive; any delimiters  \r\n"
    "   @nn sets output position to nn (1...) padding with spaces\r\n"
    "Option:\r\n"
    "   /OEM for OEM (DOS) conversion of resulting date/time strings\r\n"
    "\r\n"
    "Example:\r\n"
    "   Kolbex Backup [date:yyyy-mm-dd] completed at [time:hh:mm:ss]\r\n";

struct SharedCase {
    const char *args[5]; // up to the first null
    const char *out;     // null: the banner and the usage text
    int exitCode;
};

constexpr SharedCase SharedCases[] = {
    {{}, nullptr, 255},
    {{""}, nullptr, 255},
    {{"a", "b"}, "a b", 0},
    {{"", "x"}, " x", 0},
    {{"Backup", "done"}, "Backup done", 0},
    {{"@3"}, "   ", 0},
    {{"before", "/?", "after"}, nullptr, 255},
    {{"\"/?\""}, "/?", 0},
    {{"\"\""}, nullptr, 255},
    {{"say", "''hi''"}, "say \"hi\"", 0},
    {{"\"@5\""}, "@5", 0},
    {{"a/b", "/OEM", "c"}, "a/b  c", 0},
    {{"[[date:x]"}, "[date:x]", 0},
    {{"[dat", "[x]"}, "[dat [x]", 0},
    {{"it's", "@12|"}, "it's        |", 0},
    {{"\x80\xff\xe9"}, "\x80\xff\xe9", 0},
};

#endif
