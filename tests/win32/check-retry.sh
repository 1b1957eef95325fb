#!/usr/bin/env bash
# retry.sh starts a run again only where Wine ended it before the program
# started, and only once; every other answer passes as it came.
set -u
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export DIAGNOSIS='err:virtual:virtual_alloc_first_teb wine: failed to map the shared user data: c0000018'
export COUNT=$work/count KOLBEX_WINE_RETRIES=$work/retries
# A stand-in for the loader: its Nth run does what the Nth word of RUNS says.
cat >"$work/loader" <<'EOF'
#!/usr/bin/env bash
n=$(($(cat "$COUNT") + 1))
echo "$n" >"$COUNT"
read -ra runs <<<"$RUNS"
case ${runs[n - 1]} in
ok) printf stamp ;;
wrong) printf wrong ;;
unmapped) echo "$DIAGNOSIS" >&2 && exit 1 ;;
unmapped-and-more) printf '%s\nmore\n' "$DIAGNOSIS" >&2 && exit 1 ;;
unmapped-exit-0) echo "$DIAGNOSIS" >&2 ;;
unmapped-after-output) printf x && echo "$DIAGNOSIS" >&2 && exit 1 ;;
silent) exit 1 ;;
esac
EOF
chmod +x "$work/loader"

failures=0
# The loader's runs | output | status | runs made | runs noted as started again
while IFS='|' read -r runs output status made noted; do
  echo 0 >"$COUNT"
  : >"$KOLBEX_WINE_RETRIES"
  got=$(RUNS=$runs "$here/retry.sh" "$work/loader" program 2>/dev/null)
  got_status=$?
  result="$got|$got_status|$(cat "$COUNT")|$(wc -l <"$KOLBEX_WINE_RETRIES")"
  if [ "$result" != "$output|$status|$made|$noted" ]; then
    failures=$((failures + 1))
    echo "FAIL $runs: $result, expected $output|$status|$made|$noted"
  fi
done <<'TABLE'
ok|stamp|0|1|0
unmapped ok|stamp|0|2|1
unmapped unmapped||1|2|1
wrong ok|wrong|0|1|0
silent ok||1|1|0
unmapped-and-more ok||1|1|0
unmapped-exit-0 ok||0|1|0
unmapped-after-output ok|x|1|1|0
TABLE
echo "retry: $((8 - failures)) passed, $failures failed"
[ "$failures" = 0 ]
