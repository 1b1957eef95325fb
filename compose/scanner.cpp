#include "compose/scanner.h"

#include <ctype.h>
#include <string.h>

#include "compose/fields.h"
#include "compose/fold.h"

namespace {

bool IsDigit(char byte)
{
    return isdigit(static_cast<unsigned char>(byte)) != 0;
}

bool IsAsciiAlnum(char byte)
{
    return IsDigit(byte) || (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z');
}

// Sets state->prefix to FoldUpper of the next `count` bytes at the cursor,
// fewer where the tail ends sooner. The cursor does not move.
void TakePrefix(RunState *state, int count)
{
    int i = 0;
    for (; i < count && state->cursor[i]; i++)
        state->prefix[i] =
            static_cast<char>(FoldUpper(static_cast<unsigned char>(state->cursor[i])));
    state->prefix[i] = '\0';
}

// "@nn": pads with spaces up to nn bytes, never shortens. The number wraps
// as a 32-bit signed value, so a wrapped negative target pads nothing.
void PositionMark(RunState *state)
{
    uint32_t target = 0;
    while (IsDigit(*state->cursor)) {
        target = target * 10 + static_cast<uint32_t>(*state->cursor - '0');
        state->cursor++;
    }
    state->padTarget = static_cast<int32_t>(target);
    if (state->padTarget == 0) {
        state->pending = '@';
        return;
    }
    int32_t goal = state->padTarget < MaxPadTarget ? state->padTarget : MaxPadTarget;
    int32_t length = static_cast<int32_t>(LineLength(state));
    if (goal <= length)
        return;
    size_t pad = static_cast<size_t>(goal - length);
    if (!ReserveLine(state, pad))
        return;
    memset(state->writePos, ' ', pad);
    state->writePos += pad;
}

void SingleQuote(RunState *state)
{
    if (*state->cursor == '\'') {
        state->pending = '"';
        state->cursor++;
    } else {
        state->pending = '\'';
    }
}

// "DAY" at the cursor, then a sign and one to six digits, and no seventh:
// the offset for later fields, and the cursor past it. Anything else is no
// day offset, and the cursor stays.
bool DayOffset(RunState *state)
{
    const char *at = state->cursor + 3;
    if (*at != '+' && *at != '-')
        return false;
    int32_t sign = *at++ == '-' ? -1 : 1;
    int32_t days = 0;
    int digits = 0;
    for (; IsDigit(*at) && digits <= MaxDayDigits; at++, digits++)
        days = days * 10 + (*at - '0');
    if (digits == 0 || digits > MaxDayDigits)
        return false;
    state->dayOffset = sign * days;
    state->cursor = at;
    return true;
}

// "/OEM" switches OEM mode on, "/UTC" universal time, "/DAY+n" and "/DAY-n"
// a day offset, "/ENG" English names, each for the fields after it; "/?"
// ends the scan with a help request; any other slash is written like the
// other marks that introduce nothing. "/ENG" is one only where no letter or
// digit follows, so that a path such as /srv/engine stays as it is.
void Option(RunState *state)
{
    TakePrefix(state, 3);
    if (strcmp(state->prefix, "OEM") == 0) {
        state->oemMode = 1;
        state->cursor += 3;
    } else if (strcmp(state->prefix, "UTC") == 0) {
        state->utcMode = 1;
        state->cursor += 3;
    } else if (strcmp(state->prefix, "ENG") == 0 && !IsAsciiAlnum(state->cursor[3])) {
        state->englishMode = 1;
        state->cursor += 3;
    } else if (strcmp(state->prefix, "DAY") == 0 && DayOffset(state)) {
        // the offset is taken
    } else if (*state->cursor == '?') {
        state->helpMark = '?';
    } else {
        state->pending = '/';
    }
}

void TakeByte(RunState *state)
{
    unsigned char byte = static_cast<unsigned char>(*state->cursor++);
    state->current = byte;
    if (byte == '"') {
        state->literalMode ^= 1;
        return;
    }
    if (state->literalMode) {
        state->pending = static_cast<char>(byte);
        return;
    }
    switch (byte) {
    case '@':
        PositionMark(state);
        break;
    case '\'':
        SingleQuote(state);
        break;
    case '[':
        TakePrefix(state, 5);
        FieldRule(state);
        break;
    case '/':
        Option(state);
        break;
    default:
        state->pending = static_cast<char>(byte);
        break;
    }
}

} // namespace

void ComposeLine(RunState *state)
{
    while (*state->cursor && !state->helpMark && !state->outOfMemory) {
        state->pending = 0;
        TakeByte(state);
        if (state->pending)
            AppendByte(state, state->pending);
    }
    *state->writePos = '\0';
    state->lineLength = static_cast<int32_t>(LineLength(state));
}
