// ConvertToOem: from the run's character set to the DOS code page of the
// user's language, a character at a time, so that one the code page lacks
// becomes '?', and never more than one character. Code page 720, which the
// C library's converter lacks, goes by the platform's table.
#include <errno.h>
#include <string.h>
#include <wchar.h>

#ifndef KOLBEX_STATIC
#include <iconv.h>
#endif

#include "platform/posix/code_pages.h"
#include "platform/posix/user_locale.h"

namespace {

constexpr size_t Lacking = 0;
constexpr size_t Failed = static_cast<size_t>(-1);

size_t From720(const char *text, size_t length, char *out)
{
    wchar_t point = 0;
    mbstate_t state{};
    if (mbrtowc(&point, text, length, &state) != length)
        return Lacking;
    for (int i = 0; i < 128; i++) {
        if (static_cast<wchar_t>(CodePage720[i]) == point) {
            *out = static_cast<char>(0x80 + i);
            return 1;
        }
    }
    return Lacking;
}

#ifdef KOLBEX_STATIC
// The static program carries no code page tables beyond 720's: its C
// library's iconv would not fit.
size_t Encode(UINT, const char *, const char *, size_t, char *)
{
    return Lacking;
}
#else

// The converter is opened on first use and kept: one set and one code page
// a run. One the C library does not ship lacks every character; one it
// ships that cannot be opened (no memory) fails the conversion. glibc ships
// every code page paired with a language but 720, and fails for want of
// memory with EINVAL too.
iconv_t converter;
bool opened;

bool Usable(iconv_t c)
{
    return c != reinterpret_cast<iconv_t>(-1); // NOLINT(performance-no-int-to-ptr)
}

// iconv's name of a code page: "UTF-8", or "CP" and its number. (snprintf
// would be one more import, which the dynamic build binds at start-up.)
void CodeSetName(UINT codePage, char name[16])
{
    if (codePage == 65001) {
        memcpy(name, "UTF-8", sizeof "UTF-8");
        return;
    }
    char digits[10];
    int n = 0;
    do
        digits[n++] = static_cast<char>('0' + codePage % 10);
    while ((codePage /= 10) > 0);
    int at = 0;
    name[at++] = 'C';
    name[at++] = 'P';
    while (n > 0)
        name[at++] = digits[--n];
    name[at] = '\0';
}

// A result longer than a character of the code page takes (two in the East
// Asian ones, 932 to 950, four in UTF-8) is a character written as two (a
// letter and a combining mark), which the code page does not have as one.
size_t Encode(UINT codePage, const char *set, const char *text, size_t length, char *out)
{
    if (!opened) {
        char name[16];
        CodeSetName(codePage, name);
        converter = iconv_open(name, set);
#ifdef __GLIBC__
        const bool shipped = true;
#else
        const bool shipped = errno != EINVAL;
#endif
        if (!Usable(converter) && shipped)
            return Failed;
        opened = true;
    }
    char *in = const_cast<char *>(text);
    char *outAt = out;
    size_t inLeft = length;
    size_t outLeft = 8;
    size_t longest = codePage == 65001 ? 4 : codePage >= 932 && codePage <= 950 ? 2 : 1;
    // Some C libraries write a stand-in of their own for a character the
    // code page lacks, and count it as a conversion that cannot be undone.
    if (!Usable(converter) || iconv(converter, nullptr, nullptr, nullptr, nullptr) != 0 ||
        iconv(converter, &in, &inLeft, &outAt, &outLeft) != 0 || inLeft != 0 ||
        static_cast<size_t>(outAt - out) > longest)
        return Lacking;
    return static_cast<size_t>(outAt - out);
}

#endif

} // namespace

int ConvertToOem(const char *text, int length, char *out, int capacity)
{
    const char *set = length > 0 ? CharacterSetName() : nullptr;
    UINT codePage = set ? OemCodePage() : 0;
    int count = 0;
    for (size_t at = 0, size = static_cast<size_t>(length); at < size;) {
        char bytes[8] = {text[at]}; // room for any character of any code page
        bool same = !set || static_cast<unsigned char>(text[at]) < 0x80;
        size_t n = same ? 1 : CharacterLength(text + at, size - at);
        // ASCII is the same in every code page here.
        size_t written = same              ? 1
                         : codePage == 720 ? From720(text + at, n, bytes)
                                           : Encode(codePage, set, text + at, n, bytes);
        if (written == Failed)
            return -1;
        if (written == Lacking) {
            bytes[0] = '?';
            written = 1;
        }
        for (size_t i = 0; i < written; i++, count++)
            if (count < capacity)
                out[count] = bytes[i];
        at += n;
    }
    return capacity > 0 && count > capacity ? -1 : count;
}
