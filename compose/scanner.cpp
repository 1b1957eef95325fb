#include "compose/scanner.h"

#include <ctype.h>
#include <string.h>

#include "compose/fields.h"
#include "compose/fold.h"
#include "compose/given.h"

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

// Our options: the offsets first, in OffsetKind's order, then the others.
enum OptionKind { Universal = OffsetKinds, English, At, File, Start, End, Zone, Oem, OptionKinds };

// The option whose name (folded) starts the prefix, or OptionKinds; the
// name's length in *length.
int OptionAt(const char *prefix, size_t *length)
{
    static const char names[OptionKinds][7] = {
        "YEAR", "MONTH", "DAY",   "HOUR",   "MIN",  "SEC", "UTC",
        "ENG",  "AT:",   "FILE:", "START:", "END:", "TZ:", "OEM"};
    int kind = 0;
    for (; kind < OptionKinds; kind++) {
        *length = 0;
        while (names[kind][*length] && prefix[*length] == names[kind][*length])
            ++*length;
        if (!names[kind][*length])
            break;
    }
    return kind;
}

// An offset's sign and one to six digits at `at`, and no seventh: the
// offset for later fields, and the cursor past it.
bool Offset(RunState *state, int kind, const char *at)
{
    if (*at != '+' && *at != '-')
        return false;
    int32_t sign = *at++ == '-' ? -1 : 1;
    int32_t value = 0;
    int digits = 0;
    for (; IsDigit(*at) && digits <= MaxOffsetDigits; at++, digits++)
        value = value * 10 + (*at - '0');
    if (digits == 0 || digits > MaxOffsetDigits)
        return false;
    state->offsets[kind] = sign * value;
    state->viewed = 0;
    state->cursor = at;
    return true;
}

// "/OEM" switches OEM mode on and "/?" ends the scan with a help request,
// wherever they stand. Our options stand at the start of a word only (see
// TakeByte), so that a path such as /srv/utc/day stays as it is: "/UTC"
// universal time, "/ENG" English names where no letter or digit follows,
// "/AT:" and "/FILE:" the moment, "/START:" and "/END:" its unit's bounds,
// "/TZ:" the local zone, and the offsets, each for the fields after it.
// Any other slash is written like the other marks that introduce nothing.
void Option(RunState *state, bool atWord)
{
    TakePrefix(state, 6);
    size_t length = 0;
    int kind = OptionAt(state->prefix, &length);
    const char *after = state->cursor + 3;
    bool taken = true;
    if (kind == Oem) {
        state->oemMode = 1;
        state->cursor = after;
    } else if (*state->cursor == '?') {
        state->helpMark = '?';
    } else if (!atWord) {
        taken = false;
    } else if (kind == Universal || (kind == English && !IsAsciiAlnum(*after))) {
        (kind == Universal ? state->utcMode : state->englishMode) = 1;
        state->viewed = 0;
        state->cursor = after;
    } else if (kind == At || kind == File) {
        GivenMoment(state, kind == File);
    } else if (kind == Start || kind == End) {
        Period(state, kind == End);
    } else if (kind == Zone) {
        NamedZone(state);
    } else {
        taken = kind < OffsetKinds && Offset(state, kind, state->cursor + length);
    }
    if (taken)
        state->midWord = 0;
    else
        state->pending = '/';
}

// Our options may begin at the start of the text, after a space, after a
// field, after a double quote that switches literal mode, and after another
// option.
void TakeByte(RunState *state)
{
    unsigned char byte = static_cast<unsigned char>(*state->cursor++);
    bool atWord = !state->midWord;
    state->current = byte;
    state->midWord = byte != ' ';
    if (byte == '"') {
        state->literalMode ^= 1;
        state->midWord = 0;
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
        Option(state, atWord);
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
