#include "compose/fields.h"

#include <string.h>

#include "compose/fold.h"
#include "compose/moment.h"
#include "compose/stamps.h"

namespace {

// How often a field is formatted: once more with the room the service asks
// for, which is the same for the same moment.
constexpr int FormatAttempts = 2;

// The code page whose capitals and small letters the fold ranges pair (with
// × and ÷ among them).
constexpr UINT WesternCodePage = 1252;

constexpr LCID EnglishUnitedStates = 0x0409;

// Every `from` in the picture becomes `to`.
void Substitute(char *picture, char from, char to)
{
    for (char *p = strchr(picture, from); p; p = strchr(p + 1, from))
        *p = to;
}

// After "/ENG" the fields are English (United States)'s. The services take
// no flags with a picture, LOCALE_NOUSEROVERRIDE among them.
int CallService(const RunState *state, FieldKind kind, const SYSTEMTIME *moment,
                const char *picture, char *destination, int capacity)
{
    LCID locale = state->englishMode ? EnglishUnitedStates : LOCALE_SYSTEM_DEFAULT;
    if (kind == Time)
        return GetTimeFormatA(locale, 0, moment, picture, destination, capacity);
    return GetDateFormatA(locale, 0, moment, picture, destination, capacity);
}

// Formats into the line at writePos and returns the count with the NUL, or
// 0 when the service refuses. An expansion too long for FieldCapacity is
// formatted again with the room the service says it needs.
int FormatField(RunState *state, FieldKind kind)
{
    const FieldView *view = FieldMoment(state);
    if (!view)
        return 0;
    const SYSTEMTIME *moment = &view->calendar;
    int capacity = FieldCapacity;
    for (int attempt = 0; attempt < FormatAttempts; attempt++) {
        if (!ReserveLine(state, static_cast<size_t>(capacity)))
            return 0;
        int count = CallService(state, kind, moment, state->picture, state->writePos, capacity);
        if (count > 0 && count <= capacity)
            return count;
        int needed = CallService(state, kind, moment, state->picture, nullptr, 0);
        if (needed <= 0)
            return 0;
        if (needed > capacity)
            capacity = needed;
    }
    return 0;
}

// Folds a picture to small letters. The fold ranges pair the Western code
// page's letters; in any other, letters past ASCII lie elsewhere or
// take several bytes, so only ASCII letters fold and other text passes
// unchanged. Only a picture with bytes past ASCII asks (asking may load the
// locale).
void FoldPicture(char *picture, const char *start, size_t length)
{
    bool pastAscii = false;
    for (size_t i = 0; i < length && !pastAscii; i++)
        pastAscii = static_cast<unsigned char>(start[i]) >= 0x80;
    bool asciiOnly = pastAscii && GetACP() != WesternCodePage;
    for (size_t i = 0; i < length; i++) {
        unsigned char byte = static_cast<unsigned char>(start[i]);
        picture[i] = static_cast<char>(asciiOnly && byte >= 0x80 ? byte : FoldLower(byte));
    }
    picture[length] = '\0';
}

// Converts the expansion at writePos to the OEM code page and sets its new
// length; false when the platform cannot. The result may be longer: the
// expansion is first copied past the room the result takes.
bool ExpansionToOem(RunState *state, DWORD *length)
{
    int bytes = static_cast<int>(*length);
    int needed = ConvertToOem(state->writePos, bytes, nullptr, 0);
    size_t room = static_cast<size_t>(needed > bytes ? needed : bytes);
    if (needed < 0 || !ReserveLine(state, room + *length))
        return false;
    char *copy = state->writePos + room;
    memcpy(copy, state->writePos, *length);
    if (needed > 0 && ConvertToOem(copy, bytes, state->writePos, needed) != needed)
        return false;
    *length = static_cast<DWORD>(needed);
    return true;
}

} // namespace

void FieldRule(RunState *state)
{
    static const char prefixes[][6] = {
        "DATE:", "TIME:", "ZONE:", "WEEK:", "FRAC:", "UNIX:", "YDAY:"};
    static const FieldKind kinds[] = {Date, Time, Zone, Week, Fraction, Unix, DayOfYear};
    state->fieldKind = NoField;
    for (size_t i = 0; i < sizeof kinds / sizeof *kinds && state->fieldKind == NoField; i++)
        if (strcmp(state->prefix, prefixes[i]) == 0)
            state->fieldKind = kinds[i];

    if (state->fieldKind == NoField) {
        state->pending = '[';
        if (*state->cursor == '[')
            state->cursor++;
        return;
    }
    state->cursor += 5;
    ExpandField(state, static_cast<FieldKind>(state->fieldKind));
    state->midWord = 0;
}

void ExpandField(RunState *state, FieldKind kind)
{
    if (kind != Date && kind != Time) {
        ExpandStamp(state, kind);
        return;
    }
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
    else if (!strchr(picture, 't'))
        Substitute(picture, 'h', 'H');

    int count = FormatField(state, kind);
    if (count <= 0)
        return;
    DWORD expansion = static_cast<DWORD>(count - 1);
    if (state->oemMode && !ExpansionToOem(state, &expansion)) {
        state->outOfMemory = 1;
        return;
    }
    state->writePos += expansion;
}
