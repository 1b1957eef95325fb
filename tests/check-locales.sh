#!/usr/bin/env bash
# Day and month names, designators, picture text and /OEM in the user's
# locale, compared with date(1) and iconv(1) in the same locale at the same
# moment; what a locale that cannot be loaded gives; and the static
# program's English.
#
#   check-locales.sh PROGRAM LOCALE_FOLDER [FAKETIME_LIBRARY] [STATIC_PROGRAM]
#
# KOLBEX_E2E_EMULATOR (qemu-aarch64, say) runs the static program where the
# host cannot; nothing else.
#
# The test locales are made with localedef into LOCALE_FOLDER (once, each in
# a folder of its own that is then renamed into place, so that a run cut
# short leaves no half-made locale) and found through LOCPATH; nothing on
# the system changes. Exit 77 (skipped)
# without the locale sources (Debian: locales). Without a clock-faking
# library the current moment is compared instead of the table of moments.
set -uo pipefail
program=$1
export LOCPATH=$2
faketime=${3:-}
static=${4:-}
top=$(cd "$(dirname "$0")/.." && pwd)
export TZ=UTC
unset LANGUAGE

languages=(de_DE fr_FR ru_RU pl_PL ja_JP el_GR)
# The DOS code page the platform pairs with each language.
declare -A oem=([de_DE]=850 [fr_FR]=850 [ru_RU]=866 [pl_PL]=852 [ja_JP]=932 [el_GR]=737)
# Character sets other than UTF-8, a byte or several a character.
legacy=(ja_JP.EUC-JP zh_CN.GB18030 ko_KR.EUC-KR zh_TW.BIG5 el_GR.ISO-8859-7 ru_RU.KOI8-R)
# Languages whose code pages the C library's converter lacks (720), or
# where a character has no single counterpart.
others=(ar_EG fo_FO tk_TM vi_VN)

if [ ! -d /usr/share/i18n/locales ] || ! command -v localedef >/dev/null; then
  echo "not run: no locale sources (Debian: locales)"
  exit 77
fi
mkdir -p "$LOCPATH"
make_locale() { # name.charset
  [ -d "$LOCPATH/$1" ] && return
  local made status=0
  made=$(mktemp -d "$LOCPATH/.making-XXXXXX")
  # Exit status 1: warnings only, and the locale written whole.
  localedef -i "${1%%.*}" -f "${1#*.}" "$made/$1" 2>/dev/null || status=$?
  if [ "$status" -le 1 ]; then
    mv -T "$made/$1" "$LOCPATH/$1" 2>/dev/null || status=4
  fi
  rm -rf "$made"
  # Another run may have renamed its own copy into place first.
  [ -d "$LOCPATH/$1" ] || { echo "localedef failed for $1"; exit 1; }
}
for language in "${languages[@]}" "${others[@]}"; do make_locale "$language.UTF-8"; done
for locale in "${legacy[@]}"; do make_locale "$locale"; done

checks=0
failures=0
expect() { # what got want
  checks=$((checks + 1))
  if [ "$2" != "$3" ]; then
    failures=$((failures + 1))
    printf 'FAIL %s\n  got      %q\n  expected %q\n' "$1" "$2" "$3"
  fi
}
hex() { od -An -tx1 | tr -s ' \n' ' '; }

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
# asks for: with a day number (%B, %b) or alone (%OB, %Ob). A quoted d and
# ddd are no day numbers.
fields=('[date:dddd]' '[date:ddd]' '[date:mmmm]' '[date:mmm]' '[date:d mmmm]' '[date:d mmm]'
  '[date:dd mmm]' '[date:ddd mmmm]' "[date:'d' mmmm]" '[time:tt]')
formats='%A|%a|%OB|%Ob|%-d %B|%-d %b|%d %b|%a %OB|d %OB|%p'
first_character() { LC_ALL=$1 bash -c 'read -r p; printf %s "${p:0:1}"'; }
names() { # locale: kolbex and date side by side; the first character of %p for t
  local joined
  joined=$(IFS='|' && echo "${fields[*]}")
  got=$(LC_ALL=$1 frozen "$program" "$joined|[time:t]")
  want=$(LC_ALL=$1 frozen date "+$formats")
  want+="|$(LC_ALL=$1 frozen date +%p | first_character "$1")"
}
# Twice over, so that the clock turning to a new day between the two
# programs does not count.
compare_names() { # locale what
  for attempt in 1 2 3; do
    names "$1"
    before=$want
    names "$1"
    [ "$before" = "$want" ] && break
  done
  expect "$2" "$got" "$want"
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
    compare_names "$locale" "$locale ${at:-now}: names"
  done
  at=${moments[0]}
  # /OEM: the language's DOS code page, a byte or two a character.
  got=$(LC_ALL=$locale frozen "$program" '/OEM[date:mmmm dddd]' | hex)
  want=$(LC_ALL=$locale frozen date '+%OB %A' | tr -d '\n' | iconv -f UTF-8 -t "CP${oem[$language]}" | hex)
  expect "$locale: /OEM to code page ${oem[$language]}" "$got" "$want"
  # UTF-8 text in a picture, quoted or not, passes unfolded.
  got=$(LC_ALL=$locale frozen "$program" "[date:'À' d]" "[date:É]")
  want="À $(LC_ALL=$locale frozen date +%-d) É"
  expect "$locale: UTF-8 text in pictures" "$got" "$want"
done

# Character sets of a byte or several a character: names and the whole
# first character of the designator, before and after noon; text in a
# picture passes as it is, where folding would make other letters of it.
for locale in "${legacy[@]}"; do
  for at in "${moments[0]}" "${moments[-1]}"; do
    compare_names "$locale" "$locale ${at:-now}: names"
  done
  text=$(printf 'Ärger X 日本 Дд' | iconv -f UTF-8 -t "${locale#*.}//TRANSLIT" 2>/dev/null)
  got=$(LC_ALL=$locale "$program" "[date:'$text']" | hex)
  expect "$locale: picture text unchanged" "$got" "$(printf '%s' "$text" | tr 'A-Z' 'a-z' | hex)"
done

# Code page 720 (Arabic), which the C library lacks, as the platform reads
# it; a character that no code page 720 byte stands for is '?'.
to_720() {
  iconv -f UTF-8 -t UCS-4BE | od -An -tx1 -v | tr -s ' \n' ' ' |
    awk -v reference="$top/tests/data/platform-reference.txt" '
      BEGIN {
        while ((getline line < reference) > 0) {
          split(line, f, "\t")
          if (f[1] == "U" && f[2] == "720") byte[tolower(f[4])] = tolower(f[3])
        }
      }
      {
        for (i = 1; i + 3 <= NF; i += 4) {
          point = $(i + 2) $(i + 3)
          if (($i $(i + 1)) != "0000") printf " 3f"
          else if ($(i + 2) == "00" && $(i + 3) < "80") printf " %s", $(i + 3)
          else if (point in byte) printf " %s", byte[point]
          else printf " 3f"
        }
      }'
}
at=${moments[0]}
got=$(LC_ALL=ar_EG.UTF-8 frozen "$program" '/OEM[date:mmmm dddd]' | hex)
want=$(LC_ALL=ar_EG.UTF-8 frozen date '+%OB %A' | tr -d '\n' | to_720)
expect "ar_EG.UTF-8: /OEM to code page 720" "$got" "$want "
long=$(printf 'Съешь же ещё этих мягких французских булок, да выпей чаю. %.0s' 1 2 3)
expect "ru_RU.UTF-8: a long /OEM expansion" "$(LC_ALL=ru_RU.UTF-8 "$program" "/OEM[date:'$long']" | hex)" \
  "$(printf '%s' "$long" | iconv -f UTF-8 -t CP866 | hex)"

# /OEM, one line a case: the locale, the line (printf escapes, in the
# locale's character set), and the bytes it writes. Copied text is never
# converted; a character the code page lacks is '?'.
while IFS='|' read -r locale line bytes; do
  expect "$locale: /OEM of $line" "$(LC_ALL=$locale "$program" "$(printf "$line")" | hex)" " $bytes "
done <<'TABLE'
de_DE.UTF-8|[date:'\303\251'] /OEM[date:'\303\251'] \303\251|c3 a9 20 82 20 c3 a9
de_DE.UTF-8|/OEM[date:'\342\202\254\377x']|3f 3f 78
ru_RU.KOI8-R|/OEM[date:'\344\305\313']|84 a5 aa
ja_JP.EUC-JP|/OEM[date:'\306\374a']|93 fa 61
ar_EG.UTF-8|/OEM[date:'\330\247\303\251\320\226']|9f 82 3f
fo_FO.UTF-8|/OEM[date:'\303\275\303\260']|ec d0
tk_TM.UTF-8|/OEM[date:'\305\237\305\276']|ad a7
vi_VN.UTF-8|/OEM[date:'\341\273\251\303\252']|3f ea
C.UTF-8|/OEM[date:'\303\251']|82
xx_YY.UTF-8|/OEM[date:'\303\251']|82
xx_YY.ISO-8859-1|/OEM[date:'\351']|e9
C|/OEM[date:'\303\251\351']|c3 a9 e9
POSIX|[date:'\300\303\226']|c0 c3 96
TABLE

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

# /ENG: English names in any locale, after a field that loaded it too.
at="2026-12-08 14:05:09"
for locale in de_DE.UTF-8 ja_JP.UTF-8; do
  got=$(LC_ALL=$locale frozen "$program" '[date:dddd] /ENG[date:ddd dd mmm] [time:tt t]')
  want="$(LC_ALL=$locale frozen date +%A) $(LC_ALL=C frozen "$program" '[date:ddd dd mmm] [time:tt t]')"
  expect "$locale: /ENG" "$got" "$want"
done

# A locale that is not installed but says UTF-8 keeps UTF-8 text whole.
for locale in xx_YY.UTF-8 xx_YY.utf8 xx_YY.Utf-8@euro; do
  expect "$locale: UTF-8 text kept" "$(LC_ALL=$locale "$program" "[date:'Café À']")" "café À"
done

# In the C locale bytes past ASCII are no characters: never folded, and
# /OEM passes them as they are; the names are English.
got=$(env -i TZ=UTC "$program" "[date:'Größe' ddd]" "/OEM[date:'é' ddd]" | hex)
want=$(printf 'gr\303\266\303\237e %s \303\251 %s' "$(LC_ALL=C date +%a)" "$(LC_ALL=C date +%a)" | hex)
for _ in 1 2; do
  [ "$got" = "$want" ] && break # the clock may have turned to another day between the two
  got=$(env -i TZ=UTC "$program" "[date:'Größe' ddd]" "/OEM[date:'é' ddd]" | hex)
  want=$(printf 'gr\303\266\303\237e %s \303\251 %s' "$(LC_ALL=C date +%a)" "$(LC_ALL=C date +%a)" | hex)
done
expect "no locale set: bytes, English names" "$got" "$want"

# With too little memory for the locale or its converters, every run gives
# the locale's text, the English text, or nothing with exit code 1; never
# a mixture. Some limits between the two are a page wide, so every page is
# tried, from the first at which the program starts at all (below it, the
# dynamic loader fails with 127, or the stack cannot grow). The static
# program is swept where it is given, the dynamic one otherwise; an
# emulator needs more room than any limit leaves.
swept=${static:-$program}
line='[time:t]|[date:dddd]|[date:mmmm]|/OEM[date:dddd]'
results() { # locale: the locale's text and the English text, in hexadecimal
  own=$(LC_ALL=$1 "$swept" "$line" | hex)
  english=$(LC_ALL=C "$swept" "$line" | hex)
}
if ! command -v prlimit >/dev/null; then
  echo "check-locales: no prlimit (Debian: util-linux): memory limits not tried"
elif [ -n "${KOLBEX_E2E_EMULATOR:-}" ] && [ -n "$static" ]; then
  echo "check-locales: memory limits not tried under an emulator"
elif ! LC_ALL=C prlimit --as=8000000 "$swept" x >/dev/null 2>&1; then
  echo "check-locales: the program needs more than 8 MB of address space (sanitizers): memory limits not tried"
else
  for ((start = 65536; start < 8000000; start += 16384)); do
    status=$( (LC_ALL=C prlimit --as=$start "$swept" x >/dev/null 2>&1) 2>/dev/null; echo $?)
    case $status in 0 | 1) break ;; esac
  done
  for locale in ja_JP.UTF-8 ru_RU.UTF-8 ja_JP.EUC-JP zh_CN.GB18030; do
    results "$locale"
    declare -A seen=()
    for ((limit = start; limit <= 8000000; limit += 4096)); do
      got=$(LC_ALL=$locale prlimit --as=$limit "$swept" "$line" 2>/dev/null | hex)
      status=${PIPESTATUS[0]}
      # The clock may have turned to another half-day since: read again.
      [ "$status:$got" = "0:$own" ] || [ "$status:$got" = "0:$english" ] || results "$locale"
      case "$status:$got" in
      "0:$own") seen[own]=1 ;;
      "0:$english") seen[english]=1 ;;
      "1:") seen[nothing]=1 ;;
      *) expect "$locale, address space $limit: a whole result" "$status:$got" "0:$own" ;;
      esac
    done
    # The English result needs a limit between the two; not every machine
    # has one.
    expect "$locale under memory limits: both ends of the range reached" \
      "${seen[own]:-}${seen[nothing]:-}" 11
  done
  # The zone that TZ names is read whole or the run fails: the static
  # program never writes UTC in its place.
  if [ -n "$static" ]; then
    zoned='/AT:2026-07-01T12:00Z[time:HH:mm][zone:hh:mm]'
    declare -A seen=()
    for ((limit = start; limit <= 1000000; limit += 4096)); do
      got=$(TZ=Europe/Berlin prlimit --as=$limit "$static" "$zoned" 2>/dev/null)
      status=$?
      case "$status:$got" in
      "0:14:00+02:00") seen[zone]=1 ;;
      "1:") seen[nothing]=1 ;;
      *) expect "a zone, address space $limit: the zone's time or nothing" "$status:$got" "0:14:00+02:00" ;;
      esac
    done
    expect "a zone under memory limits: both ends of the range reached" \
      "${seen[zone]:-}${seen[nothing]:-}" 11
  fi
fi

# The static program's names are fixed: English in every locale, whatever
# message catalogues its C library could find (MUSL_LOCPATH).
le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
catalogue() { # file original translation ... (originals in order)
  local file=$1 n=$((($# - 1) / 2)) offset table="" strings="" i
  shift
  local -a from=() to=()
  while [ $# -gt 0 ]; do from+=("$1") to+=("$2"); shift 2; done
  offset=$((28 + 16 * n))
  for i in "${!from[@]}"; do
    table+=$(le32 ${#from[i]})$(le32 $offset) strings+="${from[i]}\\x00" offset=$((offset + ${#from[i]} + 1))
  done
  for i in "${!to[@]}"; do
    table+=$(le32 ${#to[i]})$(le32 $offset) strings+="${to[i]}\\x00" offset=$((offset + ${#to[i]} + 1))
  done
  printf "$(le32 $((0x950412de)))$(le32 0)$(le32 $n)$(le32 28)$(le32 $((28 + 8 * n)))$(le32 0)$(le32 $((28 + 16 * n)))$table$strings" >"$file"
}
if [ -n "$static" ]; then
  catalogues=$(mktemp -d)
  catalogue "$catalogues/de_DE.UTF-8" Friday Freitag Monday Montag Saturday Samstag Sunday Sonntag \
    Thursday Donnerstag Tuesday Dienstag Wednesday Mittwoch
  for language in "${languages[@]}"; do
    got=$(MUSL_LOCPATH=$catalogues LC_ALL=$language.UTF-8 ${KOLBEX_E2E_EMULATOR:-} "$static" '[date:dddd]')
    want=$(LC_ALL=C date +%A)
    expect "static, $language: English" "$got" "$want"
  done
  # Every month's names (no month is shorter than 28 days), every day's,
  # and the designators before and after noon (two zones twelve hours
  # apart), against the dynamic build's C locale.
  names='[time:t tt]'
  for ((days = 0; days < 392; days += 28)); do names+="/DAY+$days[date:mmm mmmm]"; done
  for ((days = 0; days < 7; days++)); do names+="/DAY+$days[date:ddd dddd]"; done
  for zone in '<-06>6' '<+06>-6'; do
    for _ in 1 2 3; do
      want=$(TZ=$zone LC_ALL=C "$program" "$names")
      got=$(TZ=$zone LC_ALL=ja_JP.UTF-8 ${KOLBEX_E2E_EMULATOR:-} "$static" "$names")
      [ "$want" = "$(TZ=$zone LC_ALL=C "$program" "$names")" ] && break
    done
    expect "static, TZ=$zone: English names and designators" "$got" "$want"
  done
  rm -rf "$catalogues"
fi

echo "locales: $((checks - failures)) passed, $failures failed"
[ "$failures" = 0 ]
