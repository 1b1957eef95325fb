#!/usr/bin/env bash
# Day and month names, designators and /OEM in the user's locale, compared
# with date(1) and iconv(1) in the same locale at the same moment.
#
#   check-locales.sh PROGRAM LOCALE_FOLDER [FAKETIME_LIBRARY] [STATIC_PROGRAM]
#
# The test locales are made with localedef into LOCALE_FOLDER (once) and
# found through LOCPATH; nothing on the system changes. Exit 77 (skipped)
# without the locale sources (Debian: locales). Without a clock-faking
# library the current moment is compared instead of the table of moments.
set -uo pipefail
program=$1
export LOCPATH=$2
faketime=${3:-}
static=${4:-}
export TZ=UTC
unset LANGUAGE

languages=(de_DE fr_FR ru_RU pl_PL ja_JP)
declare -A oem=([de_DE]=850 [fr_FR]=850 [ru_RU]=866 [pl_PL]=852 [ja_JP]=932)

if [ ! -d /usr/share/i18n/locales ] || ! command -v localedef >/dev/null; then
  echo "not run: no locale sources (Debian: locales)"
  exit 77
fi
mkdir -p "$LOCPATH"
for language in "${languages[@]}"; do
  [ -d "$LOCPATH/$language.UTF-8" ] ||
    localedef -i "$language" -f UTF-8 "$LOCPATH/$language.UTF-8" 2>/dev/null ||
    [ -d "$LOCPATH/$language.UTF-8" ] || { echo "localedef failed for $language"; exit 1; }
done

checks=0
failures=0
expect() { # what got want
  checks=$((checks + 1))
  if [ "$2" != "$3" ]; then
    failures=$((failures + 1))
    printf 'FAIL %s\n  got      %q\n  expected %q\n' "$1" "$2" "$3"
  fi
}

# Runs a command at the moment $at (or now, without a clock library).
at=
frozen() {
  if [ -n "$faketime" ] && [ -n "$at" ]; then
    LD_PRELOAD=$faketime FAKETIME="$at" FAKETIME_NO_CACHE=1 "$@"
  else
    "$@"
  fi
}

# Every field alone, so that each month name takes the form the picture
# asks for: with a day number (%B, %b) or alone (%OB, %Ob).
fields=('[date:dddd]' '[date:ddd]' '[date:mmmm]' '[date:mmm]' '[date:d mmmm]' '[date:d mmm]'
  '[time:tt]')
formats='%A|%a|%OB|%Ob|%-d %B|%-d %b|%p'
names() { # locale: kolbex and date side by side; the first character of %p for t
  local joined
  joined=$(IFS='|' && echo "${fields[*]}")
  got=$(LC_ALL=$1 frozen "$program" "$joined|[time:t]")
  want=$(LC_ALL=$1 frozen date "+$formats")
  want+="|$(LC_ALL=$1 frozen date +%p | LC_ALL=$1 bash -c 'read -r p; printf %s "${p:0:1}"')"
}

# Every month (mid-month, before noon), then every day of a week (after).
moments=()
if [ -n "$faketime" ]; then
  for month in 01 02 03 04 05 06 07 08 09 10 11 12; do moments+=("2026-$month-15 09:30:00"); done
  for day in 06 07 08 09 10 11 12; do moments+=("2026-12-$day 21:30:00"); done
else
  echo "check-locales: no clock-faking library: only the current moment is compared"
  moments=("")
fi

for language in "${languages[@]}"; do
  locale=$language.UTF-8
  for at in "${moments[@]}"; do
    for attempt in 1 2 3; do
      names "$locale"
      before=$want
      names "$locale"
      [ "$before" = "$want" ] && break
    done
    expect "$locale ${at:-now}: names" "$got" "$want"
  done
  at=${moments[0]}
  # /OEM: the language's DOS code page, a byte or two a character.
  got=$(LC_ALL=$locale frozen "$program" '/OEM[date:mmmm dddd]' | od -An -tx1)
  want=$(LC_ALL=$locale frozen date '+%OB %A' | tr -d '\n' | iconv -f UTF-8 -t "CP${oem[$language]}" | od -An -tx1)
  expect "$locale: /OEM to code page ${oem[$language]}" "$got" "$want"
  # UTF-8 text in a picture, quoted or not, passes unfolded.
  got=$(LC_ALL=$locale frozen "$program" "[date:'À' d]" "[date:É]")
  want="À $(LC_ALL=$locale frozen date +%-d) É"
  expect "$locale: UTF-8 text in pictures" "$got" "$want"
done

# Which variable wins: LC_ALL, then LC_TIME, then LANG; C, POSIX, C.UTF-8
# and a locale that is not installed write English.
at="2026-12-08 14:05:09"
while IFS='|' read -r settings day; do
  # shellcheck disable=SC2086
  if [ -n "$faketime" ]; then
    got=$(env -u LC_ALL -u LC_TIME -u LANG $settings LD_PRELOAD="$faketime" FAKETIME="$at" \
      "$program" '[date:dddd]')
  else
    got=$(env -u LC_ALL -u LC_TIME -u LANG $settings "$program" '[date:dddd]')
    day=$(env -u LC_ALL -u LC_TIME -u LANG $settings date +%A 2>/dev/null)
  fi
  expect "precedence: $settings" "$got" "$day"
done <<'TABLE'
LANG=de_DE.UTF-8|Dienstag
LANG=de_DE.UTF-8 LC_TIME=fr_FR.UTF-8|mardi
LANG=de_DE.UTF-8 LC_TIME=fr_FR.UTF-8 LC_ALL=pl_PL.UTF-8|wtorek
LC_ALL=xx_YY.UTF-8|Tuesday
LANG=ja_JP.UTF-8 LC_TIME=C|Tuesday
LC_ALL=POSIX|Tuesday
LC_ALL=C.UTF-8|Tuesday
TABLE

# Where the character set is not UTF-8, bytes are folded as Windows-1252
# letters and /OEM converts from 1252 to 437, as always.
got=$(LC_ALL=C frozen "$program" "[date:dddd '"$'\xc0'"' d]" "/OEM[date:'"$'\xe9'"']" | od -An -tx1)
want=$(printf 'Tuesday \xe0 8 \x82' | od -An -tx1)
[ -n "$faketime" ] || want=$got
expect "C: Windows-1252 folding and 437" "$got" "$want"
got=$(LC_ALL=C.UTF-8 frozen "$program" "/OEM[date:'é']" | od -An -tx1)
expect "C.UTF-8: /OEM to code page 437" "$got" "$(printf '\x82' | od -An -tx1)"

# The static program has no locale data: English in every locale.
if [ -n "$static" ]; then
  for language in "${languages[@]}"; do
    got=$(LC_ALL=$language.UTF-8 "$static" '[date:dddd]')
    want=$(LC_ALL=C date +%A)
    expect "static, $language: English" "$got" "$want"
  done
fi

echo "locales: $((checks - failures)) passed, $failures failed"
[ "$failures" = 0 ]
