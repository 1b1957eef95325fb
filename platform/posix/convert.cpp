// MultiByteToWideChar from UTF-8 and WideCharToMultiByte to the OEM code
// page, the two that /OEM needs where the ANSI code page is UTF-8. ASCII is
// the same in every OEM code page; other characters go through the C
// library's iconv, one at a time, so that a character the code page lacks
// becomes the default character (as every one does where there is no
// iconv).
#include <errno.h>

#include "platform/posix/late_calls.h"
#include "platform/posix/user_locale.h"

namespace {

constexpr WCHAR Replacement = 0xFFFD;

// Decodes one UTF-8 character at text (length bytes left); returns its code
// point, or Replacement for a byte that starts no valid character, and sets
// *used to the bytes taken.
uint32_t DecodeUtf8(const unsigned char *text, int length, int *used)
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
    if (extra < 0 || extra >= length)
        return Replacement;
    uint32_t point = lead & (0x3F >> extra);
    for (int i = 1; i <= extra; i++) {
        if ((text[i] & 0xC0) != 0x80)
            return Replacement;
        point = point << 6 | (text[i] & 0x3Fu);
    }
    if (point < smallest[extra] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
        return Replacement;
    *used = extra + 1;
    return point;
}

// Count every unit of the result but store only what fits.
void PutWide(LPWSTR wide, int capacity, int *count, WCHAR unit)
{
    if (*count < capacity)
        wide[*count] = unit;
    (*count)++;
}

void PutByte(LPSTR text, int capacity, int *count, char byte)
{
    if (*count < capacity)
        text[*count] = byte;
    (*count)++;
}

// The converter to the OEM code page, opened once; null where the code page
// (or iconv) cannot be had.
const iconv_t *OemConverter()
{
    static iconv_t converter;
    static bool opened;
    static bool usable;
    if (!opened) {
        opened = true;
        char name[16] = "CP";
        UINT codePage = OemCodePage();
        int digits = 0;
        for (UINT rest = codePage; rest; rest /= 10)
            digits++;
        for (int i = digits; i > 0; i--, codePage /= 10)
            name[1 + i] = static_cast<char>('0' + codePage % 10);
        if (Late()->iconv_open) {
            converter = Late()->iconv_open(name, "UTF-32LE");
            usable = reinterpret_cast<intptr_t>(converter) != -1;
        }
    }
    return usable ? &converter : nullptr;
}

// Converts one character to the OEM code page at out; returns the bytes
// written, 0 where the code page lacks it, NoRoom where it does not fit.
constexpr size_t NoRoom = static_cast<size_t>(-1);

size_t ConvertCharacter(const iconv_t *converter, uint32_t point, char *out, size_t room)
{
    if (!converter)
        return 0;
    unsigned char in[4] = {static_cast<unsigned char>(point),
                           static_cast<unsigned char>(point >> 8),
                           static_cast<unsigned char>(point >> 16), 0};
    char *inAt = reinterpret_cast<char *>(in);
    char *outAt = out;
    size_t inLeft = sizeof in;
    size_t outLeft = room;
    // A stateful code page may hold output back until flushed.
    if (Late()->iconv(*converter, &inAt, &inLeft, &outAt, &outLeft) == static_cast<size_t>(-1) ||
        Late()->iconv(*converter, nullptr, nullptr, &outAt, &outLeft) == static_cast<size_t>(-1))
        return errno == E2BIG ? NoRoom : 0;
    return static_cast<size_t>(outAt - out);
}

} // namespace

int WINAPI MultiByteToWideChar(UINT codePage, DWORD, LPCSTR text, int length, LPWSTR wide,
                               int capacity)
{
    if (codePage != CP_UTF8 || !text || length < 0 || capacity < 0 || (capacity > 0 && !wide))
        return 0;
    const unsigned char *bytes = reinterpret_cast<const unsigned char *>(text);
    int count = 0;
    for (int at = 0, used = 0; at < length; at += used) {
        uint32_t point = DecodeUtf8(bytes + at, length - at, &used);
        if (point >= 0x10000) {
            PutWide(wide, capacity, &count, static_cast<WCHAR>(0xD800 + ((point - 0x10000) >> 10)));
            PutWide(wide, capacity, &count, static_cast<WCHAR>(0xDC00 + (point & 0x3FF)));
        } else {
            PutWide(wide, capacity, &count, static_cast<WCHAR>(point));
        }
    }
    return capacity > 0 && count > capacity ? 0 : count;
}

int WINAPI WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR wide, int length, LPSTR text,
                               int capacity, LPCSTR defaultChar, LPBOOL usedDefaultChar)
{
    if (codePage != CP_OEMCP || !wide || length < 0 || capacity < 0 || (capacity > 0 && !text))
        return 0;
    const char fallback = defaultChar && *defaultChar ? *defaultChar : '?';
    const iconv_t *converter = OemConverter();
    int count = 0;
    for (int at = 0; at < length; at++) {
        uint32_t point = wide[at];
        if (point >= 0xD800 && point < 0xDC00 && at + 1 < length && wide[at + 1] >= 0xDC00 &&
            wide[at + 1] < 0xE000)
            point = 0x10000 + ((point - 0xD800) << 10) + (wide[++at] - 0xDC00u);
        // ASCII is the same in every OEM code page.
        if (point < 0x80) {
            PutByte(text, capacity, &count, static_cast<char>(point));
            continue;
        }
        // Straight into the result; into scratch where only counting.
        char scratch[8];
        bool counting = capacity == 0;
        if (!counting && count >= capacity)
            return 0;
        size_t room = counting ? sizeof scratch : static_cast<size_t>(capacity - count);
        size_t bytes = ConvertCharacter(converter, point, counting ? scratch : text + count, room);
        if (bytes == NoRoom)
            return 0;
        if (bytes == 0) {
            PutByte(text, capacity, &count, fallback);
            if (usedDefaultChar)
                *usedDefaultChar = TRUE;
        }
        count += static_cast<int>(bytes);
    }
    return capacity > 0 && count > capacity ? 0 : count;
}
