#!/usr/bin/env bash
# How the cost of a run grows with each dimension of its input: for every
# kind of element, the instructions (callgrind, which repeats exactly) of a
# run with N of them and with 8N, less those of a run with none. Linear
# growth is 8; the check fails above 12.
#
#   bench/growth.sh PROGRAM...        (each in C and in de_DE.UTF-8)
#   GROWTH_N=2000 bench/growth.sh build/kolbex
#
# The German locale is found through LOCPATH, as the tests make it
# (build/locales); without it only C is measured, and the run says so.
set -uo pipefail
n=${GROWTH_N:-1000}
limit=12
command -v valgrind >/dev/null || { echo "growth: valgrind is needed" >&2; exit 2; }
[ $# -gt 0 ] || { echo "usage: growth.sh PROGRAM..." >&2; exit 2; }
export TZ=UTC

locales=(C)
if [ "$(LC_ALL=de_DE.UTF-8 date -d 2026-12-08 +%A 2>/dev/null)" = Dienstag ]; then
  locales+=(de_DE.UTF-8)
else
  echo "growth: no de_DE.UTF-8 locale (set LOCPATH, or run the tests once): C only"
fi

instructions() { # env... -- program args...
  local settings=()
  while [ "$1" != -- ]; do settings+=("$1"); shift; done
  shift
  env "${settings[@]}" valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
    sed -n 's/.*Collected : //p'
}

repeat() { # text count
  local out=""
  for ((i = 0; i < $2; i++)); do out+=$1; done
  printf '%s' "$out"
}

# The arguments for `count` elements of a kind, one per line of output.
arguments() { # kind count
  local count=$2
  case $1 in
  "month names") printf '[date:%s]\n' "$(repeat 'mmm ' "$count")" ;;
  "day names") printf '[date:%s]\n' "$(repeat 'dddd ' "$count")" ;;
  designators) printf '[time:%s]\n' "$(repeat 'tt ' "$count")" ;;
  "quoted text") printf "[date:%s]\n" "$(repeat "'ab' " "$count")" ;;
  digits) printf '[date:%s]\n' "$(repeat 'dd ' "$count")" ;;
  fields) printf 'x%s\n' "$(repeat '[date:d]' "$count")" ;;
  "position marks")
    local marks="x"
    for ((i = 1; i <= count; i++)); do marks+="@$((2 * i))y"; done
    printf '%s\n' "$marks"
    ;;
  /OEM) printf 'x%s\n' "$(repeat '/OEM[date:dddd]' "$count")" ;;
  /UTC) printf 'x%s\n' "$(repeat '/UTC[time:HH]' "$count")" ;;
  /DAY) printf 'x%s\n' "$(repeat '/DAY-1[date:d]' "$count")" ;;
  "zone elements") printf '[zone:%s]\n' "$(repeat 'hh:mm ' "$count")" ;;
  "week elements") printf "[week:%s]\n" "$(repeat "yyyy-'W'ww-d " "$count")" ;;
  "zone fields") printf 'x%s\n' "$(repeat '/DAY-1[zone:hh]' "$count")" ;;
  /ENG) printf 'x%s\n' "$(repeat '/ENG[date:ddd]' "$count")" ;;
  # An argument each, for the length of one.
  stamps) printf 'x\n'; for ((i = 0; i < count; i++)); do printf '[unix:][frac:fff][yday:ddd]\n'; done ;;
  /AT:) printf 'x\n'; for ((i = 0; i < count; i++)); do printf '/AT:2026-03-29T02:30:09.5[zone:hh]\n'; done ;;
  offsets) printf 'x\n'; for ((i = 0; i < count; i++)); do printf '/YEAR-1/MONTH+1/HOUR-1/MIN+1/SEC-1[time:HH]\n'; done ;;
  /FILE:) printf 'x\n'; for ((i = 0; i < count; i++)); do printf '/FILE:%s\n[date:d]\n' "$growth_file"; done ;;
  /START:) printf 'x\n'; for ((i = 0; i < count; i++)); do printf '/START:DAY/END:WEEK[time:HH]\n'; done ;;
  # A zone named, and the system's again: every field changes the zone.
  /TZ:) printf 'x\n'; for ((i = 0; i < count; i++)); do printf '/TZ:Asia/Tokyo\n[time:HH]\n/TZ:LOCAL\n[time:HH]\n'; done ;;
  "literal quotes") printf 'x%s\n' "$(repeat '"a"' "$count")" ;;
  "''") printf 'x%s\n' "$(repeat "''" "$count")" ;;
  "[[") printf 'x%s\n' "$(repeat '[[' "$count")" ;;
  "plain text") printf 'x%s\n' "$(repeat 'abcd' "$count")" ;;
  arguments) printf 'x\n'; for ((i = 0; i < count; i++)); do printf 'a\n'; done ;;
  # The environment is read for fields: both grow together, with the
  # kinds of field that might read it (the clock, the OEM code page).
  # An argument each, to stay within the system's limit for one.
  environment) printf 'x\n'; for ((i = 0; i < count; i++)); do printf '[time:ss]/OEM[date:dddd]\n'; done ;;
  esac
}

# A file whose time /FILE: reads.
growth_file=$(mktemp)
trap 'rm -f "$growth_file"' EXIT

# Variables for `count` elements of the environment kind, none otherwise.
variables() { # kind count
  [ "$1" = environment ] || return 0
  for ((i = 0; i < $2; i++)); do printf 'KOLBEX_GROWTH_%d=x\n' "$i"; done
}

cost() { # program locale kind count
  local args vars
  mapfile -t args < <(arguments "$3" "$4")
  mapfile -t vars < <(variables "$3" "$4")
  instructions LC_ALL="$2" "${vars[@]}" -- "$1" "${args[@]}"
}

kinds=("month names" "day names" designators "quoted text" digits fields "position marks"
  /OEM /UTC /DAY "zone elements" "week elements" "zone fields" stamps /ENG /AT: offsets /FILE:
  /START: /TZ:
  "literal quotes" "''" "[["
  "plain text" arguments environment)

failures=0
echo "growth of instructions for 8x the elements, N=$n (linear: 8; at most $limit):"
for program in "$@"; do
  for locale in "${locales[@]}"; do
    printf '  %s, LC_ALL=%s\n' "$program" "$locale"
    for kind in "${kinds[@]}"; do
      none=$(cost "$program" "$locale" "$kind" 0)
      one=$(cost "$program" "$locale" "$kind" "$n")
      eight=$(cost "$program" "$locale" "$kind" $((8 * n)))
      if [ -z "$none" ] || [ -z "$one" ] || [ -z "$eight" ]; then
        printf '    %-16s no count: the program did not run\n' "$kind"
        failures=$((failures + 1))
        continue
      fi
      growth=$(awk -v a="$none" -v b="$one" -v c="$eight" 'BEGIN { printf "%.2f", (c - a) / (b - a) }')
      verdict=""
      if awk -v g="$growth" -v l="$limit" 'BEGIN { exit !(g > l) }'; then
        verdict="  TOO FAST A GROWTH"
        failures=$((failures + 1))
      fi
      printf '    %-16s %6s   (%s, %s, %s instructions)%s\n' "$kind" "$growth" "$none" "$one" "$eight" "$verdict"
    done
  done
done
[ "$failures" = 0 ]
