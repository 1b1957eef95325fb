#!/usr/bin/env bash
# Runs the examples of README.md and the manual page as they are written.
#   check-docs.sh PROGRAM [FAKETIME_LIBRARY]
set -uo pipefail
program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
faketime=${2:-}
top=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
ln -s "$program" "$work/bin/kolbex"
# The examples' values are English: the C locale.
export PATH=$work/bin:$PATH TZ=UTC LC_ALL=C
checks=0
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
check() { checks=$((checks + 1)); }

# The version is the build's: the program's banner carries it, and every
# file name, the banner's own words and the manual page's heading follow.
banner=$(kolbex '/?' | sed -n 2p)
version=$(sed -n 's/^Kolbex, ver\. \([^ ]*\) .*/\1/p' <<<"$banner")
package_version=$(sed 's/\([0-9]\)\([a-z]\)/\1~\2/' <<<"$version")
check
[ -n "$version" ] || fail "no version in the banner [$banner]"
for name in $(grep -ohE 'kolbex-[0-9][^-]*-|kolbex_[0-9][^_]*_' "$top/README.md" "$top/HACKING.md" | sort -u); do
  check
  [ "$name" = "kolbex-$version-" ] || [ "$name" = "kolbex_${package_version}_" ] ||
    [ "$name" = "kolbex-$package_version-" ] ||
    fail "the documents name $name; the program is $version"
done
for name in $(grep -ohE 'kolbex [0-9]+\.[0-9.]*[a-z]*' "$top/README.md" "$top/doc/kolbex.1" | tr ' ' '_' | sort -u); do
  check
  [ "$name" = "kolbex_$version" ] || fail "the documents give ${name/_/ }; the program is $version"
done
check
grep -qF "$banner" "$top/README.md" || fail "README.md does not give the banner [$banner]"
check
grep -qE "^\.TH KOLBEX 1 [0-9-]+ \"Kolbex $version\"" "$top/doc/kolbex.1" ||
  fail "the manual page's heading is not for $version"

# The manual page as a reader sees it.
groff -man -t -Tascii "$top/doc/kolbex.1" 2>/dev/null | col -bx >"$work/manual"

# One dated line per run in a log, from both documents.
readme_log=$(grep -F '} >> backup.log' "$top/README.md")
manual_log=$(grep -F '} >> backup.log' "$work/manual" | sed 's/^ *//')
check
[ "$readme_log" = "$manual_log" ] ||
  fail "the log idiom differs: README [$readme_log], manual page [$manual_log]"
check
(cd "$work" && eval "$readme_log" && eval "$readme_log")
stamp='[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} backup started'
[ "$(grep -cxE "$stamp" "$work/backup.log")" = 2 ] && [ "$(wc -l <"$work/backup.log")" = 2 ] ||
  fail "the log idiom: $(od -c "$work/backup.log" | head -5)"

# /OEM joined to the field writes the day name alone.
oem=$(grep -oE "\`kolbex '/OEM[^\`]*'\`" "$top/README.md" | tr -d '\`')
[ -n "$oem" ] || fail "no /OEM example for POSIX shells in README.md"
check
got=$(eval "$oem")
[[ $got =~ ^[A-Z][a-z]+day$ ]] || fail "the /OEM example wrote [$got]"

# Other moments, as the README writes them: yesterday's log compressed, and
# a line stamped in UTC.
yesterday=$(grep -F "gzip \"app-\$(kolbex '/DAY-1" "$top/README.md" | sed 's/ *#.*//')
utc_log=$(grep -F '} >> jobs.log' "$top/README.md")
check
if [ -n "$yesterday" ] && [ -n "$utc_log" ]; then
  touch "$work/app-$(date -d yesterday +%F).log"
  for _ in 1 2 3; do # retried where midnight falls between the two
    (cd "$work" && eval "$yesterday") 2>/dev/null && break
  done
  [ -f "$work/app-$(date -d yesterday +%F).log.gz" ] || fail "the yesterday's log example: $(ls "$work")"
  check
  (cd "$work" && eval "$utc_log")
  grep -qxE '[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}Z job started' "$work/jobs.log" ||
    fail "the UTC log line: $(cat "$work/jobs.log")"
else
  fail "no examples of /DAY and /UTC for POSIX shells in README.md"
fi

# The stamps other programs read, as the README writes them (TZ is UTC).
rfc=$(grep -F "kolbex '[date:yyyy-mm-dd]T[time:HH:mm:ss][zone:hh:mm]'" "$top/README.md" | sed 's/ *#.*//')
access=$(grep -F '} >> access.log' "$top/README.md")
weekly=$(grep -F 'cp data.db "backup-$(kolbex' "$top/README.md" | sed 's/ *#.*//')
check
if [ -n "$rfc" ] && [ -n "$access" ] && [ -n "$weekly" ]; then
  [[ $(eval "$rfc") =~ ^[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}\+00:00$ ]] ||
    fail "the RFC 3339 example wrote [$(eval "$rfc")]"
  check
  (cd "$work" && eval "$access" && touch data.db && eval "$weekly")
  grep -qxE '[0-9]{2}/[A-Z][a-z]{2}/[0-9]{4}:[0-9]{2}:[0-9]{2}:[0-9]{2} \+0000 GET /' "$work/access.log" ||
    fail "the access log line: $(cat "$work/access.log")"
  check
  ls "$work"/backup-*.db | grep -qE '/backup-[0-9]{4}-W[0-9]{2}\.db$' || fail "the weekly backup: $(ls "$work")"
else
  fail "no examples of the stamps for POSIX shells in README.md"
fi

# Periods and zones, as the README writes them: the last day of last month
# against date(1) (tried again where a day ends between the two), and 09:00
# in New York on Berlin's clock.
last_day=$(grep -F '# the last day of last month' "$top/README.md" | sed 's/ *#.*//')
york=$(grep -F '# 09:00 in New York, here' "$top/README.md" | sed 's/ *#.*//')
for _ in 1 2 3; do
  got=$([ -n "$last_day" ] && eval "$last_day")
  [ "$got" = "$(date -d "$(date +%Y-%m-01) -1 day" +%F)" ] && break
done
check
[ "$got" = "$(date -d "$(date +%Y-%m-01) -1 day" +%F)" ] || fail "the last day of last month: [$got]"
check
got=$([ -n "$york" ] && export TZ=Europe/Berlin && eval "$york")
[ "$got" = 15:00 ] || fail "09:00 in New York wrote [$got]"

# The manual page's example values, at the moment it names.
if [ -n "$faketime" ] && [ -r "$faketime" ]; then
  check
  grep -q 'Tuesday, 8 December 2026, at 14:05:09' "$work/manual" || fail "the manual names no moment"
  at() { LD_PRELOAD=$faketime FAKETIME='2026-12-08 14:05:09' FAKETIME_NO_CACHE=1 kolbex "$@"; }
  while IFS='|' read -r field shown; do
    check
    grep -qF "$field gives $shown" "$work/manual" || fail "the manual does not say $field gives $shown"
    [ "$(at "$field")" = "$shown" ] || fail "$field gives [$(at "$field")], not $shown"
  done <<'CASES'
[date:'month' mm]|Month 12
[time:'Uhr' hh]|uHr 14
CASES
  check
  [ "$(at '@4294967296')" = @ ] || fail "a mark that wraps to 0 is not written as @"
else
  echo "check-docs: no clock-faking library: the example values were not checked"
fi

echo "documents: $((checks - failures)) passed, $failures failed"
[ "$failures" = 0 ]
