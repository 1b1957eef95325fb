// The locale that stands in for the system default one: the C library's,
// from the environment (LC_ALL, then LC_TIME or LC_CTYPE, then LANG). It is
// loaded when a field first needs it (a name, a designator, a byte past
// ASCII in a picture, /OEM), since loading costs more than a whole run.
// Strings are compared by hand: every C library function the program
// imports is one more symbol for the loader to bind at each start.
#include "platform/posix/user_locale.h"

#include <locale.h>

#include "platform/posix/late_calls.h"

namespace {

bool loaded;
bool utf8;
const char *timeLocale = "C";
bool namesTaken;
LocaleNames timeNames;

bool Equal(const char *a, const char *b)
{
    while (*a && *a == *b) {
        a++;
        b++;
    }
    return *a == *b;
}

void Load()
{
    if (loaded)
        return;
    loaded = true;
    const LateCalls *late = Late();
    if (!late->setlocale || !late->nl_langinfo)
        return;
    late->setlocale(LC_CTYPE, "");
    const char *name = late->setlocale(LC_TIME, "");
    if (name)
        timeLocale = name;
    utf8 = Equal(late->nl_langinfo(CODESET), "UTF-8");
}

void Take(const char **list, int count, int first)
{
    for (int i = 0; i < count; i++)
        list[i] = Late()->nl_langinfo(static_cast<nl_item>(first + i));
}

// One part of a locale name "ll_TT.charset@modifier": the language, or the
// part after `mark` ('_' the territory, '@' the modifier); empty if none.
struct Part {
    char text[16];
};

Part TakePart(const char *name, char mark)
{
    Part part{};
    if (mark) {
        while (*name && *name != mark)
            name++;
        if (*name)
            name++;
    }
    for (int n = 0; *name && *name != '_' && *name != '.' && *name != '@' && n < 15; n++)
        part.text[n] = *name++;
    return part;
}

// Which DOS code page the platform pairs with a locale: by language, where
// a territory or a script (the modifier) does not decide, most specific
// first. Languages not named here, and C, get 437.
struct CodePagePair {
    char language[3];
    char territory[3]; // "" for any
    char modifier[9];  // "" for any
    UINT codePage;
};

const CodePagePair codePagePairs[] = {
    {"en", "GB", "", 850},       {"en", "AU", "", 850}, {"en", "CA", "", 850},
    {"en", "IE", "", 850},       {"en", "NZ", "", 850}, {"zh", "TW", "", 950},
    {"zh", "HK", "", 950},       {"zh", "MO", "", 950}, {"sr", "", "latin", 852},
    {"uz", "", "cyrillic", 866}, {"en", "", "", 437},   {"zh", "", "", 936},
    {"sr", "", "", 855},         {"uz", "", "", 857},   {"af", "", "", 850},
    {"br", "", "", 850},         {"ca", "", "", 850},   {"cy", "", "", 850},
    {"da", "", "", 850},         {"de", "", "", 850},   {"es", "", "", 850},
    {"eu", "", "", 850},         {"fi", "", "", 850},   {"fr", "", "", 850},
    {"fy", "", "", 850},         {"ga", "", "", 850},   {"gl", "", "", 850},
    {"id", "", "", 850},         {"is", "", "", 850},   {"it", "", "", 850},
    {"lb", "", "", 850},         {"ms", "", "", 850},   {"nb", "", "", 850},
    {"nl", "", "", 850},         {"nn", "", "", 850},   {"no", "", "", 850},
    {"oc", "", "", 850},         {"pt", "", "", 850},   {"sv", "", "", 850},
    {"bs", "", "", 852},         {"cs", "", "", 852},   {"hr", "", "", 852},
    {"hu", "", "", 852},         {"pl", "", "", 852},   {"ro", "", "", 852},
    {"sk", "", "", 852},         {"sl", "", "", 852},   {"sq", "", "", 852},
    {"be", "", "", 866},         {"bg", "", "", 866},   {"ky", "", "", 866},
    {"mk", "", "", 866},         {"mn", "", "", 866},   {"ru", "", "", 866},
    {"tg", "", "", 866},         {"tt", "", "", 866},   {"uk", "", "", 866},
    {"el", "", "", 737},         {"az", "", "", 857},   {"tr", "", "", 857},
    {"et", "", "", 775},         {"lt", "", "", 775},   {"lv", "", "", 775},
    {"he", "", "", 862},         {"ar", "", "", 720},   {"fa", "", "", 720},
    {"ur", "", "", 720},         {"ja", "", "", 932},   {"ko", "", "", 949},
    {"th", "", "", 874},         {"vi", "", "", 1258},
};

// Points a names record at the English arrays.
void TakeEnglish(LocaleNames *list)
{
    for (int i = 0; i < 7; i++) {
        list->days[i] = EnglishDays[i];
        list->abbreviatedDays[i] = EnglishAbbreviatedDays[i];
    }
    for (int i = 0; i < 12; i++) {
        list->months[i] = list->standaloneMonths[i] = EnglishMonths[i];
        list->abbreviatedMonths[i] = list->abbreviatedStandaloneMonths[i] =
            EnglishAbbreviatedMonths[i];
    }
    list->designators[0] = EnglishDesignators[0];
    list->designators[1] = EnglishDesignators[1];
}

} // namespace

const LocaleNames *TimeNames()
{
    Load();
    if (namesTaken)
        return &timeNames;
    namesTaken = true;
    // C, POSIX and C.UTF-8 name no language; English stands in, as where
    // the user's locale is not installed (LC_TIME then stays C).
    if (Equal(timeLocale, "POSIX") ||
        (timeLocale[0] == 'C' && (!timeLocale[1] || timeLocale[1] == '.'))) {
        TakeEnglish(&timeNames);
        return &timeNames;
    }
    Take(timeNames.days, 7, DAY_1);
    Take(timeNames.abbreviatedDays, 7, ABDAY_1);
    Take(timeNames.months, 12, MON_1);
    Take(timeNames.abbreviatedMonths, 12, ABMON_1);
#ifdef ALTMON_1
    Take(timeNames.standaloneMonths, 12, ALTMON_1);
    Take(timeNames.abbreviatedStandaloneMonths, 12, _NL_ABALTMON_1);
#else
    Take(timeNames.standaloneMonths, 12, MON_1);
    Take(timeNames.abbreviatedStandaloneMonths, 12, ABMON_1);
#endif
    timeNames.designators[0] = Late()->nl_langinfo(AM_STR);
    timeNames.designators[1] = Late()->nl_langinfo(PM_STR);
    return &timeNames;
}

UINT OemCodePage()
{
    Load();
    Part language = TakePart(timeLocale, 0);
    Part territory = TakePart(timeLocale, '_');
    Part modifier = TakePart(timeLocale, '@');
    for (const CodePagePair &pair : codePagePairs) {
        if (Equal(pair.language, language.text) &&
            (!*pair.territory || Equal(pair.territory, territory.text)) &&
            (!*pair.modifier || Equal(pair.modifier, modifier.text)))
            return pair.codePage;
    }
    return 437;
}

bool Utf8Locale()
{
    Load();
    return utf8;
}

UINT WINAPI GetACP(void)
{
    return Utf8Locale() ? CP_UTF8 : 1252;
}
