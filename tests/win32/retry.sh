#!/usr/bin/env bash
# Runs LOADER PROGRAM ARGUMENTS... once, and once more only where Wine ended
# before the program started, as it sometimes does with the clock-faking
# library preloaded (HACKING.md, "Wine under a faked clock"): exit 1,
# nothing on standard output, and on standard error the one line below.
# Each second run is noted in the file $KOLBEX_WINE_RETRIES. The output
# is passed on when the run has ended.
set -u
diagnosis='err:virtual:virtual_alloc_first_teb wine: failed to map the shared user data: c0000018'
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
"$@" >"$out" 2>"$err"
status=$?
if [ "$status" = 1 ] && [ ! -s "$out" ] && [ "$(cat "$err")" = "$diagnosis" ]; then
  echo "$diagnosis" >>"${KOLBEX_WINE_RETRIES:-/dev/null}"
  "$@" >"$out" 2>"$err"
  status=$?
fi
cat "$out"
cat "$err" >&2
exit "$status"
