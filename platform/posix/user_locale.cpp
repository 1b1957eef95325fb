// The locale that stands in for the system default one: the C library's,
// from the environment (LC_ALL, then LC_CTYPE or LC_TIME, then LANG). It is
// loaded when a field first needs it (a name, a designator, a byte past
// ASCII in a picture, /OEM), since loading costs as much as a whole run.
#include "platform/posix/user_locale.h"

#include <langinfo.h>
#include <locale.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <wchar.h>

#include "platform/posix/code_pages.h"
#include "platform/posix/locale_data.h"

namespace {

// C and POSIX stand for Windows' Western code page, 1252.
enum CharacterSet { Western, Utf8, OtherSet };

bool loaded;
CharacterSet characterSet = Western;
// The user's locale names no language where it is not installed: C's.
UINT oemCodePage = 437;

// The locale a category takes from the environment, as the C library
// chooses it.
const char *LocaleName(const char *category)
{
    const char *const variables[] = {"LC_ALL", category, "LANG"};
    for (const char *variable : variables) {
        const char *name = getenv(variable);
        if (name && *name)
            return name;
    }
    return "C";
}

// ".UTF-8" or ".utf8", in any case, before any "@modifier".
bool NamesUtf8(const char *name)
{
    const char *set = strchr(name, '.');
    if (!set)
        return false;
    set++;
    size_t length = strcspn(set, "@");
    return (length == 5 && strncasecmp(set, "UTF-8", 5) == 0) ||
           (length == 4 && strncasecmp(set, "UTF8", 4) == 0);
}

// The character set and the names are loaded together or not at all, so
// that no name is ever read in another locale's character set. Where the
// load fails (a locale that is not installed, or no memory for it) the run
// goes on in C: English names, and UTF-8 where the name says so.
void Load()
{
    if (loaded)
        return;
    loaded = true;
    locale_t user = newlocale(LC_CTYPE_MASK | LC_TIME_MASK, "", nullptr);
    if (!user) {
        characterSet = NamesUtf8(LocaleName("LC_CTYPE")) ? Utf8 : Western;
        return;
    }
    uselocale(user);
    oemCodePage = OemCodePageOf(LocaleName("LC_TIME"));
    const char *set = nl_langinfo(CODESET);
    if (strcmp(set, "UTF-8") == 0)
        characterSet = Utf8;
    else if (strcmp(set, "ANSI_X3.4-1968") == 0 || strcmp(set, "ASCII") == 0)
        characterSet = Western;
    else
        characterSet = OtherSet;
}

} // namespace

#ifdef KOLBEX_STATIC

// The static program's names are fixed: its C library has no names beyond
// C's, and its strftime would bring in the whole printf family.
void LocaleTimeName(TimeName kind, const tm &moment, char (&name)[NameCapacity])
{
    const char *text = "";
    switch (kind) {
    case DayName:
        text = EnglishDays[moment.tm_wday];
        break;
    case AbbreviatedDayName:
        text = EnglishAbbreviatedDays[moment.tm_wday];
        break;
    case MonthWithDay:
    case MonthAlone:
        text = EnglishMonths[moment.tm_mon];
        break;
    case AbbreviatedMonthWithDay:
    case AbbreviatedMonthAlone:
        text = EnglishAbbreviatedMonths[moment.tm_mon];
        break;
    case Designator:
        text = EnglishDesignators[moment.tm_hour < 12 ? 0 : 1];
        break;
    }
    strcpy(name, text);
}

#else

void LocaleTimeName(TimeName kind, const tm &moment, char (&name)[NameCapacity])
{
    static const char *const conversions[] = {"%A", "%a", "%B", "%b", "%OB", "%Ob", "%p"};
    Load();
    // Only the conversions above, so the format is known.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    size_t length = strftime(name, sizeof name, conversions[kind], &moment);
#pragma GCC diagnostic pop
    // 0 is also what an empty name gives.
    name[length] = '\0';
}

#endif

size_t FirstCharacterLength(const char *text)
{
    Load();
    mbstate_t state{};
    size_t length = mbrlen(text, strlen(text), &state);
    return length == static_cast<size_t>(-1) || length == static_cast<size_t>(-2) || length == 0
               ? (*text ? 1 : 0)
               : length;
}

UINT OemCodePage()
{
    Load();
    return oemCodePage;
}

// 0 for a character set that none of Windows' ANSI code pages
// stands for here (EUC-JP, KOI8-R, ISO 8859-2, ...): MultiByteToWideChar
// reads it as the locale does.
UINT WINAPI GetACP(void)
{
    Load();
    return characterSet == Utf8 ? CP_UTF8 : characterSet == Western ? 1252 : 0;
}
