#include "compose/fields.h"

#include <string.h>

#include "compose/fold.h"
#include "compose/scanner.h"

namespace {

// How often a field is formatted again with the room the service asked for:
// the clock is read anew by each call, so the size may change once more.
constexpr int FormatAttempts = 3;

bool ReservePicture(RunState *state, size_t bytes)
{
    if (bytes <= state->pictureCapacity)
        return true;
    size_t capacity = bytes < 64 ? 64 : bytes;
    void *block = state->picture ? HeapReAlloc(state->heap, 0, state->picture, capacity)
                                 : HeapAlloc(state->heap, 0, capacity);
    if (!block) {
        state->outOfMemory = 1;
        return false;
    }
    state->picture = static_cast<char *>(block);
    state->pictureCapacity = capacity;
    return true;
}

// Plain loops rather than strchr: every C library function the program
// imports is one more symbol for the dynamic loader to bind at start-up.
void Substitute(char *picture, char from, char to)
{
    for (char *p = picture; *p; p++)
        if (*p == from)
            *p = to;
}

bool Contains(const char *text, char byte)
{
    for (; *text; text++)
        if (*text == byte)
            return true;
    return false;
}

int CallService(FieldKind kind, const char *picture, char *destination, int capacity)
{
    if (kind == Time)
        return GetTimeFormatA(LOCALE_SYSTEM_DEFAULT, 0, nullptr, picture, destination, capacity);
    return GetDateFormatA(LOCALE_SYSTEM_DEFAULT, 0, nullptr, picture, destination, capacity);
}

// Formats into the line at writePos and returns the count with the NUL, or
// 0 when the service refuses. An expansion too long for FieldCapacity is
// formatted again with the room the service says it needs.
int FormatField(RunState *state, FieldKind kind)
{
    int capacity = FieldCapacity;
    for (int attempt = 0; attempt < FormatAttempts; attempt++) {
        if (!ReserveLine(state, static_cast<size_t>(capacity)))
            return 0;
        int count = CallService(kind, state->picture, state->writePos, capacity);
        if (count > 0 && count <= capacity)
            return count;
        int needed = CallService(kind, state->picture, nullptr, 0);
        if (needed <= 0)
            return 0;
        if (needed > capacity)
            capacity = needed;
    }
    return 0;
}

// Folds a picture to small letters as the ANSI code page has them. Where
// that is UTF-8 only ASCII letters fold, so that other text passes
// unchanged; only a picture with such bytes needs to ask (asking may load
// the locale).
void FoldPicture(char *picture, const char *start, size_t length)
{
    bool ascii = true;
    for (size_t i = 0; i < length; i++)
        ascii = ascii && static_cast<unsigned char>(start[i]) < 0x80;
    bool utf8 = !ascii && GetACP() == CP_UTF8;
    for (size_t i = 0; i < length; i++) {
        unsigned char byte = static_cast<unsigned char>(start[i]);
        picture[i] = static_cast<char>(utf8 && byte >= 0x80 ? byte : FoldLower(byte));
    }
    picture[length] = '\0';
}

// Converts an expansion to the OEM code page in place and returns its new
// length. From UTF-8 every character becomes one in the OEM code page ('?'
// where it has none), so the text gets shorter; it is done a piece at a
// time, each ending on a character boundary, and the output never
// overtakes the input.
DWORD ConvertToOem(char *text, DWORD length)
{
    if (GetACP() != CP_UTF8) {
        CharToOemBuffA(text, text, length);
        return length;
    }
    constexpr DWORD Piece = 64;
    WCHAR wide[Piece];
    DWORD in = 0;
    DWORD out = 0;
    while (in < length) {
        DWORD piece = length - in < Piece ? length - in : Piece;
        DWORD cut = piece;
        while (cut > 0 && in + cut < length &&
               (static_cast<unsigned char>(text[in + cut]) & 0xC0) == 0x80)
            cut--;
        if (cut > 0)
            piece = cut;
        int units = MultiByteToWideChar(CP_UTF8, 0, text + in, static_cast<int>(piece), wide,
                                        static_cast<int>(Piece));
        in += piece;
        int bytes = WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, wide, units, text + out,
                                        static_cast<int>(in - out), "?", nullptr);
        if (bytes > 0)
            out += static_cast<DWORD>(bytes);
    }
    return out;
}

} // namespace

void FieldRule(RunState *state)
{
    TakePrefix(state, 5);
    state->fieldKind = NoField;
    if (PrefixIs(state, "DATE:", sizeof "DATE:"))
        state->fieldKind = Date;
    else if (PrefixIs(state, "TIME:", sizeof "TIME:"))
        state->fieldKind = Time;

    if (state->fieldKind == NoField) {
        state->pending = '[';
        if (*state->cursor == '[')
            state->cursor++;
        return;
    }
    state->cursor += 5;
    ExpandField(state, static_cast<FieldKind>(state->fieldKind));
}

void ExpandField(RunState *state, FieldKind kind)
{
    const char *start = state->cursor;
    while (*state->cursor && *state->cursor != ']')
        state->cursor++;
    size_t length = static_cast<size_t>(state->cursor - start);
    if (*state->cursor == ']')
        state->cursor++;
    if (!ReservePicture(state, length + 1))
        return;

    char *picture = state->picture;
    FoldPicture(picture, start, length);

    // Letters are restored everywhere, quoted literal text included.
    if (kind == Date)
        Substitute(picture, 'm', 'M');
    else if (!Contains(picture, 't'))
        Substitute(picture, 'h', 'H');

    int count = FormatField(state, kind);
    if (count <= 0)
        return;
    DWORD expansion = static_cast<DWORD>(count - 1);
    if (state->oemMode)
        expansion = ConvertToOem(state->writePos, expansion);
    state->writePos += expansion;
}
