#!/usr/bin/env bash
# /UTC, /DAY, the UTC offset and the ISO week date at fixed moments in
# several zones, against date(1) at the same moments: both run under the
# same faked clock and TZ.
#
#   check-moments.sh FAKETIME_LIBRARY PROGRAM...
#
# PROGRAM may be a loader and its program (wine64 kolbex.exe). The library
# may be given as /usr/$LIB/faketime/libfaketime.so.1, which the dynamic
# loader reads for each architecture. The clock starts at each moment and
# runs on, as a running system's does: the pictures stop at the minute,
# and every moment is half a minute into one. Exit 77 (skipped) without the
# library.
set -uo pipefail
library=$1
shift
if [ -z "$library" ] || ! LD_PRELOAD=$library FAKETIME="@2026-01-01 00:00:30" date >/dev/null 2>&1 ||
  [ "$(LD_PRELOAD=$library FAKETIME="@2026-01-01 00:00:30" TZ=UTC date +%Y)" != 2026 ]; then
  echo "not run: no clock-faking library (Debian: faketime)"
  exit 77
fi
export LC_ALL=C DONT_FAKE_MONOTONIC=1 NO_FAKE_STAT=1

# What date(1) says of the instant, in the zone, in UTC, and that many days
# away on the calendar. date reads the faked clock for the instant alone:
# under the faking library it ignores -u and misreads relative dates.
helpers='
here() { date -d "@$instant" "$@"; }
utc() { date -u -d "@$instant" "$@"; }
days() { local n=$1; shift; date -d "$n days $(date -d "@$instant" "+%F %T")" "$@"; }
utc_days() { local n=$1; shift; date -u -d "$n days $(date -u -d "@$instant" "+%F %T") UTC" "$@"; }
'

checks=0
failures=0
# A failed run's exit status and standard error are shown with it.
said=$(mktemp)
trap 'rm -f "$said"' EXIT
status=0
report() { printf '  exit %s, standard error %q\n' "$status" "$(head -c 500 "$said")"; }
# Each row: the local moment | TZ | the program's arguments (split at
# spaces) | what it must write, a shell text with the helpers above.
while IFS='|' read -r moment zone words want; do
  [ -n "$moment" ] || continue
  at() { LD_PRELOAD=$library FAKETIME="@$moment" TZ=$zone "$@"; }
  read -ra args <<<"$words"
  got=$(at "$@" "${args[@]}" 2>"$said")
  status=$?
  instant=$(at date +%s)
  expected=$(instant=$instant TZ=$zone bash -c "$helpers printf '%s' \"$want\"")
  checks=$((checks + 1))
  if [ "$got" != "$expected" ]; then
    failures=$((failures + 1))
    printf 'FAIL %s %s: %s\n  got      %q\n  expected %q\n' "$moment" "$zone" "$words" "$got" "$expected"
    report
  fi
done <<'TABLE'
2026-12-08 14:05:30|Europe/Berlin|[time:HH:mm] /UTC[time:HH:mm]|$(here +%H:%M) $(utc +%H:%M)
2026-12-09 08:00:30|Pacific/Kiritimati|[date:yyyy-mm-dd] /UTC[date:yyyy-mm-dd]|$(here +%F) $(utc +%F)
2026-12-08 20:00:30|Pacific/Pago_Pago|[date:yyyy-mm-dd] /UTC[date:yyyy-mm-dd]|$(here +%F) $(utc +%F)
2026-07-01 01:30:30|Asia/Kolkata|/utc[time:HH:mm] /Utc[date:d]|$(utc +%H:%M) $(utc +%-d)
2026-07-03 23:30:30|America/New_York|/UTC[time:HH]|$(utc +%H)
2026-03-01 10:00:30|Europe/Berlin|/DAY-1[date:yyyy-mm-dd]|$(days -1 +%F)
2024-03-01 12:00:30|UTC|/DAY-1[date:yyyy-mm-dd] /DAY+365[date:yyyy-mm-dd]|$(days -1 +%F) $(days 365 +%F)
2100-03-01 12:00:30|UTC|/DAY-1[date:yyyy-mm-dd]|$(days -1 +%F)
2000-03-01 12:00:30|UTC|/DAY-1[date:yyyy-mm-dd]|$(days -1 +%F)
2024-02-28 12:00:30|UTC|/day+1[date:yyyy-mm-dd]|$(days 1 +%F)
2026-12-31 12:00:30|UTC|/DAY+1[date:yyyy-mm-dd]|$(days 1 +%F)
2026-01-01 12:00:30|America/New_York|/DAY-7[date:yyyy-mm-dd]|$(days -7 +%F)
2026-12-08 12:00:30|UTC|/DAY+365[date:yyyy-mm-dd]|$(days 365 +%F)
2026-03-30 00:30:30|Europe/Berlin|/DAY-1[date:yyyy-mm-dd] [time:HH:mm]|$(days -1 '+%F %H:%M')
2026-10-26 00:30:30|Europe/Berlin|/DAY-1[date:yyyy-mm-dd] [time:HH:mm]|$(days -1 '+%F %H:%M')
2026-03-08 00:30:30|America/New_York|/DAY+1[date:yyyy-mm-dd] [time:HH:mm]|$(days 1 '+%F %H:%M')
2026-03-30 02:30:30|Europe/Berlin|/DAY-1[date:yyyy-mm-dd] [time:HH:mm]|2026-03-29 02:30
2026-10-26 02:30:30|Europe/Berlin|/DAY-1[date:yyyy-mm-dd] [time:HH:mm]|2026-10-25 02:30
2026-12-08 00:30:30|Europe/Berlin|/UTC/DAY-1[date:yyyy-mm-dd] /DAY-1/UTC[date:yyyy-mm-dd]|$(utc_days -1 +%F) $(utc_days -1 +%F)
2026-12-08 12:00:30|UTC|/OEM/DAY-1[date:dddd] /DAY+0[date:dddd]|$(days -1 +%A) $(here +%A)
2026-12-08 12:00:30|UTC|/DAY-999999[date:yyyy]:[time:HH:mm]|:$(here +%H:%M)
2026-12-08 12:00:30|UTC|/DAY+999999[date:yyyy-mm-dd]|$(days 999999 +%F)
2026-12-08 12:00:30|UTC|/DAY-155569[date:yyyy-mm-dd]|1601-01-01
2026-12-08 12:00:30|UTC|/DAY-155570[date:yyyy-mm-dd]x|x
2026-12-08 14:05:30|Europe/Berlin|[date:yyyy-mm-dd]T[time:HH:mm:ss][zone:hh:mm]|$(here +%Y-%m-%dT%H:%M:%S%:z)
2026-07-08 14:05:30|Europe/Berlin|[date:yyyy-mm-dd]T[time:HH:mm:ss][zone:hh:mm]|$(here +%Y-%m-%dT%H:%M:%S%:z)
2026-07-04 09:00:30|America/New_York|[date:yyyy-mm-dd]T[time:HH:mm:ss][zone:hh:mm] [zone:hhmm]|$(here +%Y-%m-%dT%H:%M:%S%:z) $(here +%z)
2026-01-04 09:00:30|America/New_York|[zone:hh:mm] [zone:h]|$(here +%:z) -5
2026-06-01 12:00:30|Asia/Kolkata|[date:yyyy-mm-dd]T[time:HH:mm:ss][zone:hh:mm]|$(here +%Y-%m-%dT%H:%M:%S%:z)
2026-06-01 12:00:30|Asia/Kathmandu|[zone:hh:mm] [zone:h]|$(here +%:z) +5
2026-03-29 12:00:30|Europe/Berlin|/DAY-1[zone:hh:mm] /DAY+0[zone:hh:mm]|$(days -1 +%:z) $(here +%:z)
2026-10-25 12:00:30|Europe/Berlin|/DAY-1[zone:hh:mm] /DAY+0[zone:hh:mm]|$(days -1 +%:z) $(here +%:z)
2026-03-30 02:30:30|Europe/Berlin|/DAY-1[date:dd] [time:HH:mm][zone:hh:mm]|29 02:30+01:00
2026-10-26 02:30:30|Europe/Berlin|/DAY-1[date:dd] [time:HH:mm][zone:hh:mm]|25 02:30+02:00
2026-12-08 14:05:30|Europe/Berlin|/UTC[zone:hh:mm] /DAY-1[zone:hh:mm]|+00:00 +00:00
2020-12-31 12:00:30|UTC|[week:yyyy-'W'ww-d] /DAY+3[week:yyyy-'W'ww-d] /DAY+4[week:yyyy-'W'ww-d]|$(here +%G-W%V-%u) $(days 3 +%G-W%V-%u) $(days 4 +%G-W%V-%u)
2024-12-30 12:00:30|UTC|[week:yyyy-'W'ww-d] [week:yy w]|$(here +%G-W%V-%u) $(here '+%g %-V')
2026-12-28 12:00:30|UTC|[week:yyyy-'W'ww-d] /DAY+6[week:yyyy-'W'ww-d]|$(here +%G-W%V-%u) $(days 6 +%G-W%V-%u)
2026-12-07 08:00:30|Pacific/Kiritimati|[week:yyyy-'W'ww-d] /UTC[week:yyyy-'W'ww-d]|$(here +%G-W%V-%u) $(utc +%G-W%V-%u)
TABLE

# Every week date from 2019 to 2030, a run a year, its fields the days
# after the first of the year.
for year in $(seq 2019 2030); do
  fields=() days=""
  for ((day = 0; day < 366; day++)); do
    fields+=("/DAY+$day[week:yyyy-'W'ww-d]")
    days+="$year-01-01 +$day days"$'\n'
  done
  got=$(LD_PRELOAD=$library FAKETIME="@$year-01-01 12:00:30" TZ=UTC "$@" "${fields[@]}" 2>"$said")
  status=$?
  expected=$(printf '%s' "$days" | TZ=UTC date -f - +%G-W%V-%u | tr '\n' ' ')
  checks=$((checks + 1))
  if [ "$got " != "$expected" ]; then
    failures=$((failures + 1))
    printf 'FAIL week dates of %s\n' "$year"
    report
    diff <(tr ' ' '\n' <<<"$got") <(tr ' ' '\n' <<<"$expected") | head -5
  fi
done

# Every field of a run shows one moment, on a clock that runs a hundred
# thousand times too fast across midnight.
line=$(printf '[date:yyyy-mm-dd] [time:HH:mm:ss].[frac:fff] [unix:] [yday:ddd]|%.0s' $(seq 50))
got=$(LD_PRELOAD=$library FAKETIME="@2026-12-08 23:59:59 x100000" TZ=UTC "$@" "$line" 2>"$said")
status=$?
checks=$((checks + 1))
if [ "$(tr '|' '\n' <<<"${got%|}" | sort -u | wc -l)" != 1 ]; then
  failures=$((failures + 1))
  printf 'FAIL one moment a run: %s\n' "$(tr '|' '\n' <<<"$got" | sort | uniq -c | head -5)"
  report
fi

echo "moments: $((checks - failures)) passed, $failures failed"
[ "$failures" = 0 ]
