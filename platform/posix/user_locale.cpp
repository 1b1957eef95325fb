// The locale that stands in for the system default one: the C library's,
// from the environment as date reads it. It is loaded when a field first
// needs it (a name, a designator, a byte past ASCII in a picture, /OEM),
// since loading costs as much as a whole run.
#include "platform/posix/user_locale.h"

#include <langinfo.h>
#include <locale.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <wchar.h>

#include "platform/posix/code_pages.h"

namespace {

// Bytes: C and POSIX, where a byte past ASCII is no character. Opaque: a
// character set named but not loaded, whose bytes pass as they are.
enum CharacterSet { Bytes, Utf8, OtherSet, Opaque };

#ifdef KOLBEX_STATIC
// Its C library reads every set as UTF-8: one named otherwise it cannot read.
constexpr bool ReadsOtherSets = false;
#else
constexpr bool ReadsOtherSets = true;
#endif

bool loaded;
// Whether the user's locale is the thread's: mbrlen and nl_langinfo read it.
bool inUse;
CharacterSet characterSet = Bytes;
// The user's locale names no language where it is not installed: C's.
UINT oemCodePage = 437;

const char EnglishDays[7][10] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};
const char EnglishMonths[12][10] = {"January",   "February", "March",    "April",
                                    "May",       "June",     "July",     "August",
                                    "September", "October",  "November", "December"};

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

bool IsC(const char *name)
{
    return strcmp(name, "C") == 0 || strcmp(name, "POSIX") == 0;
}

// ".UTF-8" or ".utf8", in any case, before any "@modifier".
bool NamesUtf8(const char *name)
{
    const char *set = strchr(name, '.');
    set = set ? set + 1 : "";
    size_t length = strcspn(set, "@");
    return (length == 5 && strncasecmp(set, "UTF-8", 5) == 0) ||
           (length == 4 && strncasecmp(set, "UTF8", 4) == 0);
}

// glibc loads the converter of a locale's character set when it first
// reads a character, and one that fails to load (no memory) reads nothing
// past ASCII from then on, unnoticed: the locale's own designators tell.
bool ReadsItsDesignators()
{
    const char *const designators[] = {nl_langinfo(AM_STR), nl_langinfo(PM_STR)};
    for (const char *text : designators) {
        mbstate_t state{};
        for (size_t left = strlen(text), n = 0; left > 0; text += n, left -= n)
            if ((n = mbrtowc(nullptr, text, left, &state)) == 0 || n > left)
                return false;
    }
    return true;
}

// The names, the character set and its converter are loaded together or
// not at all, so that no name is ever read in another set. The set is
// LC_CTYPE's, or LC_TIME's where LC_CTYPE is C's, as date reads them. A
// locale that cannot be loaded (not installed, or no memory for it) gives
// English names, and the set its name says: bytes for C and POSIX, UTF-8
// where it says so; any other is not read at all. What was loaded of it
// goes with the process.
void Load()
{
    if (loaded)
        return;
    loaded = true;
    const char *timeName = LocaleName("LC_TIME");
    const char *setName = LocaleName("LC_CTYPE");
    if (IsC(setName))
        setName = timeName;
    locale_t names = newlocale(LC_TIME_MASK, timeName, nullptr);
    locale_t user = names ? newlocale(LC_CTYPE_MASK, setName, names) : nullptr;
    if (user) {
        uselocale(user);
        bool utf8 = strcmp(nl_langinfo(CODESET), "UTF-8") == 0 &&
                    (NamesUtf8(setName) || !strchr(setName, '.'));
        CharacterSet kind = IsC(setName) ? Bytes : utf8 ? Utf8 : OtherSet;
        if (kind == Bytes || ((kind == Utf8 || ReadsOtherSets) && ReadsItsDesignators())) {
            characterSet = kind;
            oemCodePage = OemCodePageOf(timeName);
            inUse = true;
            return;
        }
        uselocale(LC_GLOBAL_LOCALE);
    }
    characterSet = IsC(setName) ? Bytes : NamesUtf8(setName) ? Utf8 : Opaque;
}

} // namespace

// The abbreviations are the names' first three letters.
void EnglishTimeName(TimeName kind, const tm &moment, char (&name)[NameCapacity])
{
    const char *text = kind == Designator           ? (moment.tm_hour < 12 ? "AM" : "PM")
                       : kind <= AbbreviatedDayName ? EnglishDays[moment.tm_wday]
                                                    : EnglishMonths[moment.tm_mon];
    bool abbreviated = kind == AbbreviatedDayName || kind == AbbreviatedMonthWithDay ||
                       kind == AbbreviatedMonthAlone;
    size_t length = abbreviated ? 3 : strlen(text);
    memcpy(name, text, length);
    name[length] = '\0';
}

void LocaleTimeName(TimeName kind, const tm &moment, char (&name)[NameCapacity])
{
#ifdef KOLBEX_STATIC
    // The static program's names are fixed: its C library has no names
    // beyond C's, and its strftime would bring in the whole printf family.
    EnglishTimeName(kind, moment, name);
#else
    static const char *const conversions[] = {"%A", "%a", "%B", "%b", "%OB", "%Ob", "%p"};
    Load();
    // Only the conversions above, so the format is known.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    size_t length = strftime(name, sizeof name, conversions[kind], &moment);
#pragma GCC diagnostic pop
    // 0 is also what an empty name gives.
    name[length] = '\0';
#endif
}

// A set named UTF-8 but not loaded has no mbrlen to ask: its characters
// are a lead byte and the continuation bytes after it.
size_t CharacterLength(const char *text, size_t length)
{
    size_t n = 1;
    if (!inUse) {
        while (n < length && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
            n++;
        return n;
    }
    mbstate_t state{};
    n = mbrtowc(nullptr, text, length, &state);
    return n == 0 || n > length ? 1 : n;
}

const char *CharacterSetName()
{
    Load();
    if (characterSet == Bytes || characterSet == Opaque)
        return nullptr;
    return inUse ? nl_langinfo(CODESET) : "UTF-8";
}

UINT OemCodePage()
{
    Load();
    return oemCodePage;
}

// 0 for every set but UTF-8: none of Windows' ANSI code pages stands for
// C's bytes or a set such as EUC-JP, KOI8-R or ISO 8859-2 here.
UINT WINAPI GetACP(void)
{
    Load();
    return characterSet == Utf8 ? 65001 : 0;
}
