// MultiByteToWideChar from the run's character set and
// WideCharToMultiByte to a DOS code page: what /OEM needs where the ANSI
// code page is not the Western one. Characters beyond ASCII go through the
// C library's iconv one at a time, so that one the code page lacks becomes
// the default character, and never more than one character.
#include <errno.h>
#include <stdio.h>
#include <string.h>

#ifndef KOLBEX_STATIC
#include <iconv.h>
#endif

#include "platform/posix/code_pages.h"
#include "platform/posix/user_locale.h"

namespace {

// Count every unit of the result but store only what fits.
template <typename Unit> void Put(Unit *result, int capacity, int *count, Unit unit)
{
    if (*count < capacity)
        result[*count] = unit;
    (*count)++;
}

constexpr size_t Lacking = 0;
constexpr size_t Failed = static_cast<size_t>(-1);

size_t From720(uint32_t point, char *out)
{
    for (int i = 0; i < 128; i++) {
        if (CodePage720[i] == point) {
            *out = static_cast<char>(0x80 + i);
            return 1;
        }
    }
    return Lacking;
}

#ifdef KOLBEX_STATIC

// The static program carries no code page tables beyond its own: every
// character past ASCII is lacking there.
size_t Encode(UINT, uint32_t, char *)
{
    return Lacking;
}

#else

// The most bytes one character takes in a code page: the East Asian ones
// take two, UTF-8 four. A longer result is a character written as two (a
// letter and a combining mark), which the code page does not have as one.
size_t LongestCharacter(UINT codePage)
{
    switch (codePage) {
    case 932:
    case 936:
    case 949:
    case 950:
        return 2;
    case CP_UTF8:
        return 4;
    default:
        return 1;
    }
}

// The converter for the code page last asked for, opened on first use;
// none where the C library does not ship that code page.
iconv_t converter;
UINT converterCodePage;
bool converterOpen;

size_t Encode(UINT codePage, uint32_t point, char *out)
{
    if (codePage != converterCodePage) {
        if (converterOpen)
            iconv_close(converter);
        char name[16];
        (void)snprintf(name, sizeof name, codePage == CP_UTF8 ? "UTF-8" : "CP%u", codePage);
        converter = iconv_open(name, "UTF-32LE");
        // NOLINTNEXTLINE(performance-no-int-to-ptr): iconv_open's failure value
        converterOpen = converter != reinterpret_cast<iconv_t>(-1);
        // A code page the C library does not ship lacks every character;
        // one it ships that cannot be opened (no memory) fails the
        // conversion. glibc ships every code page paired with a language
        // but 720, which is carried here, and fails for want of memory
        // with EINVAL too.
#ifdef __GLIBC__
        const bool shipped = true;
#else
        const bool shipped = errno != EINVAL;
#endif
        if (!converterOpen && shipped)
            return Failed;
        converterCodePage = codePage;
    }
    if (!converterOpen)
        return Lacking;
    unsigned char in[4] = {static_cast<unsigned char>(point),
                           static_cast<unsigned char>(point >> 8),
                           static_cast<unsigned char>(point >> 16), 0};
    char *inAt = reinterpret_cast<char *>(in);
    char scratch[8];
    char *outAt = scratch;
    size_t inLeft = sizeof in;
    size_t outLeft = sizeof scratch;
    // Some C libraries write a stand-in of their own for a character the
    // code page lacks, and count it as a conversion that cannot be undone.
    if (iconv(converter, &inAt, &inLeft, &outAt, &outLeft) != 0)
        return Lacking;
    size_t length = static_cast<size_t>(outAt - scratch);
    if (length > LongestCharacter(codePage))
        return Lacking;
    memcpy(out, scratch, length);
    return length;
}

#endif

} // namespace

// From UTF-8 (CP_UTF8), or from the run's character set (CP_ACP) where it
// is not Windows-1252, which CharToOemBuffA converts.
int WINAPI MultiByteToWideChar(UINT codePage, DWORD, LPCSTR text, int length, LPWSTR wide,
                               int capacity)
{
    if ((codePage != CP_UTF8 && (codePage != CP_ACP || GetACP() == 1252)) || !text || length < 0 ||
        capacity < 0 || (capacity > 0 && !wide))
        return 0;
    int count = 0;
    for (size_t at = 0, size = static_cast<size_t>(length); at < size;) {
        uint32_t point = 0;
        at += DecodeCharacter(codePage, text + at, size - at, &point);
        if (point >= 0x10000) {
            Put(wide, capacity, &count, static_cast<WCHAR>(0xD800 + ((point - 0x10000) >> 10)));
            Put(wide, capacity, &count, static_cast<WCHAR>(0xDC00 + (point & 0x3FF)));
        } else {
            Put(wide, capacity, &count, static_cast<WCHAR>(point));
        }
    }
    return capacity > 0 && count > capacity ? 0 : count;
}

// To the OEM code page (CP_OEMCP) or a code page named by its number.
int WINAPI WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR wide, int length, LPSTR text,
                               int capacity, LPCSTR defaultChar, LPBOOL usedDefaultChar)
{
    if (codePage == CP_OEMCP)
        codePage = OemCodePage();
    if (codePage == CP_ACP || !wide || length < 0 || capacity < 0 || (capacity > 0 && !text))
        return 0;
    const char fallback = defaultChar && *defaultChar ? *defaultChar : '?';
    int count = 0;
    for (int at = 0; at < length; at++) {
        uint32_t point = wide[at];
        if (point >= 0xD800 && point < 0xDC00 && at + 1 < length && wide[at + 1] >= 0xDC00 &&
            wide[at + 1] < 0xE000)
            point = 0x10000 + ((point - 0xD800) << 10) + (wide[++at] - 0xDC00u);
        // ASCII is the same in every code page here, and a byte of a set
        // that could not be loaded comes back as it was.
        bool escaped = point >= 0xDC80 && point <= 0xDCFF;
        char bytes[4] = {static_cast<char>(escaped ? point - 0xDC00 : point)};
        size_t n = point < 0x80 || escaped ? 1
                   : codePage == 720       ? From720(point, bytes)
                                           : Encode(codePage, point, bytes);
        if (n == Failed)
            return 0;
        if (n == Lacking) {
            bytes[0] = fallback;
            n = 1;
            if (usedDefaultChar)
                *usedDefaultChar = TRUE;
        }
        for (size_t i = 0; i < n; i++)
            Put(text, capacity, &count, bytes[i]);
    }
    return capacity > 0 && count > capacity ? 0 : count;
}
