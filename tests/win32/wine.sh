#!/usr/bin/env bash
# Runs the Windows tests under Wine, in the build's own prefix.
#
#   wine.sh probe     LOADER
#   wine.sh driver    LOADER PREFIX DRIVER PROGRAM
#   wine.sh reference LOADER PREFIX REFERENCE OUTPUT EXPECTED
#   wine.sh codepages LOADER PREFIX REFERENCE EXPECTED
#   wine.sh moments   LOADER PREFIX PROGRAM CHECK
#   wine.sh given     LOADER PREFIX PROGRAM CHECK ICU
#   wine.sh console   LOADER PREFIX PROGRAM
#   wine.sh batch     LOADER PREFIX PROGRAM README
#
# Every mode but probe first starts the loader for real. A host whose kernel
# runs no 32-bit programs refuses the 32-bit loader ("Exec format error"):
# the test then says so in one line and exits 77, which ctest counts as
# skipped. Any other failure to start is a failure.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)

# Every process of a test runs without address randomization: Debian's
# Wine has no preloader to reserve its fixed addresses first, and a heap
# placed at random sometimes covers the page Wine maps at 0x7ffe0000; the
# run then ends before the program starts (HACKING.md, "Wine and address
# randomization").
if [ -z "${KOLBEX_WINE_FIXED:-}" ]; then
  if setarch -R true 2>/dev/null; then
    KOLBEX_WINE_FIXED=1 exec setarch -R bash "$0" "$@"
  fi
  echo "wine.sh: setarch -R fails here; runs may end before the program starts (HACKING.md)"
fi
mode=$1
loader=$2
shift 2

probe() {
  local said
  if said=$("$loader" --version 2>&1); then
    return 0
  fi
  if [[ $said == *"Exec format error"* ]]; then
    echo "not run: this host does not run 32-bit programs ($loader: Exec format error)"
    return 77
  fi
  echo "$loader does not start: $said"
  return 1
}

probe || exit
[ "$mode" = probe ] && exit 0

# Wine's own errors of memory mapping stay on: they tell why a run ended
# before its program started.
export WINEPREFIX=$1 WINEDEBUG=-all,err+virtual
# Wine takes its locale and code pages from the host's locale variables;
# C.UTF-8 gives English (United States), 1252 and 437.
export LC_ALL=C.UTF-8
shift

driver() {
  "$loader" "$1" "$2"
}

# The platform's own formatting must equal the committed reference that the
# POSIX stand-ins are held to.
reference() {
  "$loader" "$1" >"$2" || { echo "the reference program failed"; return 1; }
  cmp -s "$2" "$3" || { echo "the platform's output differs from $3; see $2"; return 1; }
}

# The platform's OEM code page for each locale name of the committed table,
# asked with the platform's own names (code-pages.py, which needs glibc's
# locale sources), which the POSIX table is held to. A run of Wine that
# fails is tried twice more, and the test says so.
codepages() {
  local try
  for try in 1 2 3; do
    /usr/bin/python3 "$here/code-pages.py" "$2" "$loader" "$1" names >"$work/codepages" \
      2>"$work/said" && break
    echo "run $try failed: $(tail -c 300 "$work/said")"
  done
  cmp -s "$work/codepages" "$2" || {
    echo "the platform pairs locales with other code pages than $2:"
    diff "$2" "$work/codepages" | head -20
    return 1
  }
}

# The table of fixed moments (tests/check-moments.sh) through the program,
# on a faked clock. Wine's server starts first on the real one: under the
# faked clock it would take its prefix for an old one and rebuild it.
# 32-bit Wine asks the C library for 64-bit time, which the faking library
# does not reach: the table is then not run, and the test says so.
moments() {
  local program=$1 check=$2 library='/usr/$LIB/faketime/libfaketime.so.1' year
  "$loader" cmd /c exit >/dev/null 2>&1
  wineserver -p
  year=$(LD_PRELOAD=$library FAKETIME='@2001-02-03 04:05:30' NO_FAKE_STAT=1 DONT_FAKE_MONOTONIC=1 \
    timeout 60 "$loader" "$program" '[date:yyyy]' 2>/dev/null)
  local status=0
  if [ "$year" = 2001 ]; then
    bash "$check" "$library" "$loader" "$program" || status=$?
  else
    echo "not run: the clock-faking library does not reach this Wine loader's clock ($loader)"
    status=77
  fi
  wineserver -k
  return "$status"
}

# The given moments, file times, the word-start rule, bounds and zones
# (check-given.py), with the stand-in ICU in the system folder of the
# program's kind (a 32-bit one's is syswow64 in a 64-bit prefix) for the
# run alone. The server is started first and apart: one that a run starts
# keeps that run's output pipes open until it ends.
given() {
  "$loader" cmd /c exit >/dev/null 2>&1
  wineserver -p
  local status=0 system=$WINEPREFIX/drive_c/windows/system32
  if [ -d "$WINEPREFIX/drive_c/windows/syswow64" ] && [[ $loader != *64 ]]; then
    system=$WINEPREFIX/drive_c/windows/syswow64
  fi
  cp "$3" "$system/icu.dll"
  /usr/bin/python3 "$2" --windows "$loader" "$1" || status=$?
  rm -f "$system/icu.dll"
  wineserver -k
  return "$status"
}

# Wine gives a program whose standard output is a terminal a console, and
# its writes go through WriteConsoleA. That console is a screen, not a byte
# stream; what Wine sends to the terminal besides the program's bytes:
#   ESC[?25l and ESC[?25h  hide and show the cursor around every update;
#   ESC[K                  ends a row whose rest is blank, in place of the
#                          blanks (trailing spaces are never sent);
#   CR LF                  ends a row, for a line feed of the program's own
#                          and where a line wraps at the terminal's width.
# A line wider than the terminal is drawn row by row, each row whole (so
# each ends in ESC[K). The terminal is made as wide as Wine allows, 32,767
# columns, so only the line over 64 KiB wraps. Only the cursor pair is
# stripped here; every other byte is compared.
width=32767
esc=$'\e'

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs the program on a new terminal; its bytes, less the cursor pair, go to
# $work/got and its exit code to $status.
on_terminal() {
  local command
  printf -v command '%q ' "$loader" "$program" "$@"
  script -q -e -c "stty -opost cols $width rows 50; exec $command" /dev/null </dev/null |
    sed "s/$esc\\[?25[lh]//g" >"$work/got"
  status=${PIPESTATUS[0]}
}

spaces() { printf '%*s' "$1" ''; }

failures=0
expect() {
  local what=$1 want_status=$2
  if ! cmp -s "$work/got" "$work/want" || [ "$status" != "$want_status" ]; then
    failures=$((failures + 1))
    echo "FAIL console, $what: exit $status (expected $want_status)"
    printf '  got      %q\n  expected %q\n' "$(head -c 300 "$work/got")" "$(head -c 300 "$work/want")"
  fi
}

console() {
  program=$1
  local before after

  on_terminal plain text
  printf 'plain text' >"$work/want"
  expect "plain text" 0

  for _ in 1 2 3; do
    before=$(date +%Y-%m-%d)
    on_terminal '[date:yyyy-mm-dd]'
    after=$(date +%Y-%m-%d)
    [ "$before" = "$after" ] && break
  done
  printf '%s' "$after" >"$work/want"
  cmp -s "$work/got" "$work/want" || printf '%s' "$before" >"$work/want"
  expect "a field" 0

  # 70,001 bytes: three rows of the terminal.
  on_terminal 'a@20000b@40000c@60000d@70000|'
  printf 'a%sb\e[K\r\n%sc%sd\e[K\r\n%s|\e[K' "$(spaces 19999)" "$(spaces 7233)" \
    "$(spaces 19999)" "$(spaces 4466)" >"$work/want"
  expect "a line over 64 KiB" 0

  # The banner's own line feed, and the usage lines that end in spaces: the
  # bytes the program writes to a file (which the driver holds to the
  # golden copy), as the console renders them.
  "$loader" "$program" >"$work/file" || true
  tr -d '\r' <"$work/file" | sed "s/  *\$/$esc[K/; s/\$/\r/" >"$work/want"
  on_terminal
  expect "the usage text" 255

  echo "console: $((4 - failures)) passed, $failures failed"
  [ "$failures" = 0 ]
}

# The README's batch lines for a log with one line per run, as written,
# run twice by the platform's own command interpreter: the local time
# (backup.log), UTC (jobs.log), and the stamps other programs read
# (events.log, access.log, steps.log); and its replacement of wmic.
batch() {
  program=$1
  local readme=$2 log stamp passed=0 failed=0
  cp "$program" "$work/kolbex.exe"
  for log in 'backup.log:[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} backup started' \
    'jobs.log:[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}Z job started' \
    'events.log:[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}[+-][0-9]{2}:[0-9]{2} job started' \
    'access.log:[0-9]{2}/[A-Z][a-z]{2}/[0-9]{4}:[0-9]{2}:[0-9]{2}:[0-9]{2} [+-][0-9]{4} GET /' \
    'steps.log:[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3} step done'; do
    stamp="^${log#*:}"$'\r$'
    log=${log%%:*}
    grep -E "^(kolbex .*>> $log|echo\\.>> $log)\$" "$readme" | sed 's/$/\r/' >"$work/log.bat"
    if [ "$(wc -l <"$work/log.bat")" != 2 ]; then
      echo "the README's batch lines for $log are not there"
      failed=$((failed + 1))
      continue
    fi
    (cd "$work" && "$loader" cmd /c log.bat && "$loader" cmd /c log.bat) >/dev/null
    if [ "$(grep -cE "$stamp" "$work/$log")" = 2 ] && [ "$(wc -l <"$work/$log")" = 2 ]; then
      passed=$((passed + 1))
    else
      failed=$((failed + 1))
      echo "$log: $(od -c "$work/$log" | head -4)"
    fi
  done
  # The README's replacement of wmic's local time, its whole block, and the
  # value it cuts, which must be as long as wmic's before the offset.
  awk '/^### Batch files/ { on = 1 } on && /^```$/ { exit } on == 2 { print $0 "\r" }
    on && /^```bat$/ { on = 2 }' "$readme" >"$work/wmic.bat"
  printf 'echo %%dt%%\r\n' >>"$work/wmic.bat"
  stamp=$(cd "$work" && "$loader" cmd /c wmic.bat | tr -d '\r' | paste -sd ' ')
  if [[ $stamp =~ ^[0-9]{4}-[0-9]{2}-[0-9]{2}_[0-9]{4}\ [0-9]{14}\.[0-9]{6}$ ]]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "the README's wmic replacement wrote: $(printf '%q' "$stamp")"
  fi
  echo "batch: $passed passed, $failed failed"
  [ "$failed" = 0 ]
}

"$mode" "$@"
