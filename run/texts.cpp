#include "run/texts.h"

const char Banner[] = "\r\nKolbex, ver. " KOLBEX_VERSION " - " KOLBEX_TAGLINE;

const char VersionLine[] = "kolbex " KOLBEX_VERSION;

const char HelpText[] =
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
