// The one record of a run's state, and the output line it builds.
#ifndef KOLBEX_COMPOSE_STATE_H
#define KOLBEX_COMPOSE_STATE_H

#include <stddef.h>
#include <stdint.h>

#include "platform/platform.h"

// The line starts this large and grows when an append needs more room.
constexpr size_t OutputLineCapacity = 4096;
// A line may not grow past this: its length must stay a 32-bit count.
constexpr size_t MaxLineCapacity = 0x7FFF0000;
// A position mark pads the line to at most this many bytes.
constexpr int32_t MaxPadTarget = 1048576;
// The most digits of an offset ("/DAY-999999").
constexpr int MaxOffsetDigits = 6;

enum FieldKind : int32_t {
    NoField = 0,
    Date = 1,
    Time = 2,
    Zone = 3,
    Week = 4,
    Fraction = 5,
    Unix = 6,
    DayOfYear = 7
};

// What the run's moment is: the clock, not read yet; an instant, in
// universal time; or a local wall-clock time, as written.
enum MomentKind : int32_t { ClockUnread = 0, InstantMoment = 1, WallClockMoment = 2 };

// A moment: a day (DayNumber's count) and the millisecond of that day.
struct Moment {
    int32_t day;
    int32_t millisecond;
};

// What a field shows: the moment on its clock (local, or UTC after /UTC),
// that clock's offset from UTC in seconds east, and where the moment lies
// within 1601 to 30827 its calendar date, time and day of the week;
// outside, `calendar` holds its time of day alone.
struct FieldView {
    Moment shown;
    int32_t offset;
    bool dated;
    SYSTEMTIME calendar;
};

// The units of "/START:" and "/END:", largest first.
enum SnapUnit : int32_t {
    NoSnap = 0,
    SnapYear = 1,
    SnapMonth = 2,
    SnapWeek = 3,
    SnapDay = 4,
    SnapHour = 5,
    SnapMinute = 6,
    SnapSecond = 7
};

// The offsets of "/YEAR", "/MONTH", "/DAY", "/HOUR", "/MIN" and "/SEC", in
// the order they are applied.
enum OffsetKind : int32_t { Years, Months, Days, Hours, Minutes, Seconds, OffsetKinds };

struct RunState {
    const char *cursor; // next byte of the tail not yet taken
    char *writePos;     // where the next output byte goes
    int32_t fieldKind;  // FieldKind of the field being expanded
    int32_t current;    // the byte just taken, 0 to 255
    int32_t oemMode;    // 1 once "/OEM" has been read
    int32_t lineLength; // set when the scan ends
    char *outputStart;  // first byte of the output line
    int32_t literalMode;
    int32_t exitCode;
    int32_t padTarget;
    char prefix[7]; // folded bytes after "[" or "/"
    char helpMark;  // '?' once help has been requested
    char pending;   // byte to append at the end of a step, 0 for none

    HANDLE heap;
    char *lineLimit; // the last byte of the line, kept for its NUL
    char *picture;   // scratch for a field's picture, reused
    size_t pictureCapacity;
    int32_t outOfMemory;          // 1 when the line could not grow: nothing is written
    int32_t utcMode;              // 1 once "/UTC" has been read: later fields show UTC
    int32_t englishMode;          // 1 once "/ENG" has been read: later names are English
    int32_t offsets[OffsetKinds]; // of the last option of each kind, 0 for none
    int32_t midWord;              // 1 where our options may not begin (see the scanner)
    int32_t failed;               // 1 once an option failed: the line holds the message
    int32_t momentKind;           // MomentKind
    Moment moment;                // the run's moment, read or given once
    int32_t viewed;               // 1 while `view` is what fields show: options clear it
    FieldView view;
    int32_t snap;    // SnapUnit of the last "/START:" or "/END:"
    int32_t snapEnd; // 1 where that was "/END:"
    int32_t zoned;   // 1 after "/TZ:" named a zone: `zone` is the local zone
    DYNAMIC_TIME_ZONE_INFORMATION zone;
};

// Creates the line at its initial capacity, not cleared: nothing past
// writePos is ever read. False without memory.
bool CreateOutputLine(RunState *state);
// Gives back the line and the scratch blocks.
void ReleaseOutputLine(RunState *state);

// Makes room for `bytes` more output bytes at writePos plus the final NUL;
// false (and outOfMemory set) when the line cannot grow.
bool ReserveLine(RunState *state, size_t bytes);

inline size_t LineLength(const RunState *state)
{
    return static_cast<size_t>(state->writePos - state->outputStart);
}

inline void AppendByte(RunState *state, char byte)
{
    if (state->writePos >= state->lineLimit && !ReserveLine(state, 1))
        return;
    *state->writePos++ = byte;
}

inline void AppendText(RunState *state, const char *text)
{
    while (*text)
        AppendByte(state, *text++);
}

// Makes the scratch block for a field's picture (or a path) hold `count`
// bytes; it is kept for the next. False (and outOfMemory set) without
// memory.
bool ReservePicture(RunState *state, size_t count);

#endif
