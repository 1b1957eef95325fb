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

#ifndef KOLBEX_STATIC
#include <iconv.h>
#endif

#include "platform/posix/code_pages.h"
#include "platform/posix/locale_data.h"

namespace {

// Western: C and POSIX, which stand for Windows' code page 1252. Opaque: a
// character set named but not loaded, whose bytes past ASCII pass as they
// are.
enum CharacterSet { Western, Utf8, OtherSet, Opaque };

constexpr uint32_t Replacement = 0xFFFD;

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

bool IsC(const char *name)
{
    return strcmp(name, "C") == 0 || strcmp(name, "POSIX") == 0;
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

#ifdef KOLBEX_STATIC

// Its C library loads no character set but UTF-8 and C's.
bool OpenDecoder(const char *)
{
    return false;
}

uint32_t DecodeOther(const char *, size_t, size_t *used)
{
    *used = 1;
    return Replacement;
}

#else

// From OtherSet to UTF-32, opened with the names: glibc loads the converter
// of a locale's character set only when it first reads a character, and a
// load that fails then goes unnoticed.
iconv_t decoder;

bool OpenDecoder(const char *set)
{
    decoder = iconv_open("UTF-32LE", set);
    // NOLINTNEXTLINE(performance-no-int-to-ptr): iconv_open's failure value
    return decoder != reinterpret_cast<iconv_t>(-1);
}

// The character sets of locales carry no state from one character to the
// next, so each is read on its own.
uint32_t DecodeOther(const char *text, size_t length, size_t *used)
{
    char *in = const_cast<char *>(text);
    size_t inLeft = length;
    unsigned char out[4];
    char *outAt = reinterpret_cast<char *>(out);
    size_t outLeft = sizeof out;
    iconv(decoder, nullptr, nullptr, nullptr, nullptr);
    iconv(decoder, &in, &inLeft, &outAt, &outLeft);
    *used = outLeft == 0 ? length - inLeft : 1;
    if (outLeft != 0)
        return Replacement;
    return out[0] | out[1] << 8 | out[2] << 16 | static_cast<uint32_t>(out[3]) << 24;
}

#endif

// Decodes one UTF-8 character; Replacement for a byte that starts no
// valid one, which is all it takes then.
uint32_t DecodeUtf8(const unsigned char *text, size_t length, size_t *used)
{
    static const uint32_t smallest[4] = {0, 0x80, 0x800, 0x10000};
    unsigned char lead = text[0];
    int extra = lead < 0x80   ? 0
                : lead < 0xC2 ? -1
                : lead < 0xE0 ? 1
                : lead < 0xF0 ? 2
                : lead < 0xF5 ? 3
                              : -1;
    *used = 1;
    if (extra == 0)
        return lead;
    if (extra < 0 || static_cast<size_t>(extra) >= length)
        return Replacement;
    uint32_t point = lead & (0x3F >> extra);
    for (int i = 1; i <= extra; i++) {
        if ((text[i] & 0xC0) != 0x80)
            return Replacement;
        point = point << 6 | (text[i] & 0x3Fu);
    }
    if (point < smallest[extra] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
        return Replacement;
    *used = static_cast<size_t>(extra) + 1;
    return point;
}

// The names, the character set and its converter are loaded together or
// not at all, so that no name is ever read in another set. The set is
// LC_CTYPE's, or LC_TIME's where LC_CTYPE is C's, as date reads them. A
// locale that cannot be loaded (not installed, or no memory for it) gives
// English names, and the set its name says: C's for C and POSIX, UTF-8
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
        const char *set = nl_langinfo(CODESET);
        // musl reads every set as UTF-8: one named otherwise it cannot read.
        bool utf8 = strcmp(set, "UTF-8") == 0 && (NamesUtf8(setName) || !strchr(setName, '.'));
        CharacterSet kind = IsC(setName) ? Western : utf8 ? Utf8 : OtherSet;
        if (kind != OtherSet || OpenDecoder(set)) {
            characterSet = kind;
            oemCodePage = OemCodePageOf(timeName);
            return;
        }
        uselocale(LC_GLOBAL_LOCALE);
    }
    characterSet = IsC(setName) ? Western : NamesUtf8(setName) ? Utf8 : Opaque;
}

} // namespace

void EnglishTimeName(TimeName kind, const tm &moment, char (&name)[NameCapacity])
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
    memcpy(name, text, strlen(text) + 1);
}

#ifdef KOLBEX_STATIC

// The static program's names are fixed: its C library has no names beyond
// C's, and its strftime would bring in the whole printf family.
void LocaleTimeName(TimeName kind, const tm &moment, char (&name)[NameCapacity])
{
    EnglishTimeName(kind, moment, name);
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

// In C's set a byte is a character; one of a set that could not be loaded
// travels through Unicode as a lone surrogate, U+DC80 to U+DCFF, which no
// text decodes to, and WideCharToMultiByte writes it back as it was.
size_t DecodeCharacter(UINT codePage, const char *text, size_t length, uint32_t *point)
{
    if (codePage == CP_ACP)
        Load();
    CharacterSet set = codePage == CP_UTF8 ? Utf8 : characterSet;
    unsigned char lead = length > 0 ? static_cast<unsigned char>(text[0]) : 0;
    size_t used = length > 0 ? 1 : 0;
    *point = lead;
    if (lead < 0x80 || set == Western)
        return used;
    if (set == Opaque)
        *point = 0xDC00 + lead;
    else if (set == Utf8)
        *point = DecodeUtf8(reinterpret_cast<const unsigned char *>(text), length, &used);
    else
        *point = DecodeOther(text, length, &used);
    return used;
}

UINT OemCodePage()
{
    Load();
    return oemCodePage;
}

// 0 for a character set that none of Windows' ANSI code pages stands for
// here (EUC-JP, KOI8-R, ISO 8859-2, ...) or that could not be loaded:
// MultiByteToWideChar reads it as the locale does.
UINT WINAPI GetACP(void)
{
    Load();
    return characterSet == Utf8 ? CP_UTF8 : characterSet == Western ? 1252 : 0;
}
