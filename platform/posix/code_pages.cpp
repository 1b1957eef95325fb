// The platform's pairs, read under Wine: its OEM code page for each locale,
// asked with its own name for it; for one it knows in no form, ours: the
// code page of the known locale whose names share the most letters. The
// test data marks which is which; the tests hold this table to it.
#include "platform/posix/code_pages.h"

#include <string.h>

namespace {

// Words, separated by spaces with one at each end, by their code page.
struct Group {
    UINT codePage;
    const char *words;
};

// Locales whose territory or script decides otherwise than their language:
// language_TERRITORY, with @modifier where it decides.
const Group exceptions[] = {
    {65001, " be_BY@latin ber_DZ de_IT en_DK en_IL nan_TW@latin pa_IN sd_IN@devanagari "
            "tt_RU@iqtelif "},
    {437, " en_IN en_PH en_SG en_US en_ZA en_ZW "},
    {850, " niu_NZ pap_AW "},
    {852, " sr_RS@latin "},
    {866, " uz_UZ@cyrillic "},
    {950, " zh_HK zh_TW "},
};

// Languages, by the code page of their usual territory.
const Group languages[] = {
    {65001, " aa ak am anp as ast bem bhb bho bn bo brx byn ce chr csb cv doi dv dz eo fur gez gu"
            " gv hi hne hy ia ik iu ka kab kk km kn kok ks kw lg ln lo mag mai mfe mg mhr mi mjw "
            "ml mni mnw mr mt my nds ne nr om or os ps raj rif sa sat sc sgs shn si sid so ss st "
            "syr ta tcy te the ti tig to ts unm ve wae wal yi "},
    {850, " af agr an ayc br ca cy da de dsb en es eu ff fi fo fr fy ga gd gl hsb id is it kl "
          "lb li lij miq ms nb nhn nl nn nso oc pt quz se shs sv tn wa wo xh zu "},
    {852, " bs cs hr hu pl ro sk sl sq tk "},
    {866, " be bg ky mk mn ru sah tg tt uk "},
    {720, " ar ckb fa pa sd ug ur "},
    {857, " az ber crh ku tr uz "},
    {950, " cmn hak lzh nan yue "},
    {775, " et lt lv szl "},
    {737, " el "},
    {855, " sr "},
    {862, " he "},
    {874, " th "},
    {932, " ja "},
    {936, " zh "},
    {949, " ko "},
    {1258, " vi "},
};

// The code page of the group whose words hold the first `length` bytes of
// `name`, or 0.
template <size_t N> UINT Find(const Group (&groups)[N], const char *name, size_t length)
{
    char word[64] = " ";
    if (length + 3 > sizeof word)
        return 0;
    memcpy(word + 1, name, length);
    memcpy(word + 1 + length, " ", 2);
    for (const Group &group : groups)
        if (strstr(group.words, word))
            return group.codePage;
    return 0;
}

} // namespace

UINT OemCodePageOf(const char *localeName)
{
    // language_TERRITORY@modifier, then without the modifier (the character
    // set never counts), then the language alone.
    char key[64];
    size_t base = strcspn(localeName, ".@");
    const char *modifier = strchr(localeName, '@');
    size_t modifierLength = modifier ? strlen(modifier) : 0;
    if (base + modifierLength >= sizeof key)
        return 437;
    memcpy(key, localeName, base);
    memcpy(key + base, modifier ? modifier : "", modifierLength + 1);
    UINT codePage = Find(exceptions, key, base + modifierLength);
    codePage = codePage ? codePage : Find(exceptions, key, base);
    codePage = codePage ? codePage : Find(languages, localeName, strcspn(localeName, "_.@"));
    return codePage ? codePage : 437;
}

// As Windows converts each byte, read under Wine.
const uint16_t CodePage720[128] = {
    0x0080, 0x0081, 0x00E9, 0x00E2, 0x0084, 0x00E0, 0x0086, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x008D, 0x008E, 0x008F, 0x0090, 0x0651, 0x0652, 0x00F4, 0x00A4, 0x0640, 0x00FB, 0x00F9,
    0x0621, 0x0622, 0x0623, 0x0624, 0x00A3, 0x0625, 0x0626, 0x0627, 0x0628, 0x0629, 0x062A, 0x062B,
    0x062C, 0x062D, 0x062E, 0x062F, 0x0630, 0x0631, 0x0632, 0x0633, 0x0634, 0x0635, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x0636, 0x0637, 0x0638, 0x0639, 0x063A, 0x0641, 0x00B5, 0x0642, 0x0643, 0x0644, 0x0645, 0x0646,
    0x0647, 0x0648, 0x0649, 0x064A, 0x2261, 0x064B, 0x064C, 0x064D, 0x064E, 0x064F, 0x0650, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};
