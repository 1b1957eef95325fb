#!/usr/bin/env bash
# Whole-process cost of the POSIX build, side by side with date(1) doing the
# same job and with /bin/true (the floor for a dynamically linked program).
# Instruction counts come from callgrind and repeat exactly on a noisy
# machine; wall times come from hyperfine (or a plain loop without it).
#
#   bench/bench.sh [path/to/kolbex]     (default: build/kolbex)
#   BENCH_RUNS=1000 bench/bench.sh      (runs per wall-time figure)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
kolbex=${1:-$top/build/kolbex}
runs=${BENCH_RUNS:-300}
[ -x "$kolbex" ] || { echo "bench: build the program first ($kolbex)" >&2; exit 2; }
command -v valgrind >/dev/null || { echo "bench: valgrind is needed" >&2; exit 2; }
export TZ=${TZ:-UTC}
# date(1) as a user runs it, in the usual UTF-8 locale; kolbex reads no locale.
export LC_ALL=${BENCH_LOCALE:-C.UTF-8}

instructions() {
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
    sed -n 's/.*Collected : //p'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }

typical=(Backup '[date:yyyy-mm-dd]' completed at '[time:hh:mm:ss]')
text=$(head -c 100000 /dev/zero | tr '\0' 'x')
fields=$(for _ in $(seq 1000); do printf '[date:yyyy-mm-dd]'; done)

k=$(instructions "$kolbex" "${typical[@]}")
d=$(instructions date '+Backup %Y-%m-%d completed at %H:%M:%S')
t=$(instructions /bin/true)
base=$(instructions "$kolbex" x)
long=$(instructions "$kolbex" "$text")
many=$(instructions "$kolbex" "$fields")

echo "instructions (valgrind --tool=callgrind), the typical example, LC_ALL=$LC_ALL:"
printf '  %-44s %10s\n' "kolbex Backup [date:...] completed at [time:...]" "$k"
printf '  %-44s %10s\n' "date '+Backup %Y-%m-%d completed at %H:%M:%S'" "$d"
printf '  %-44s %10s\n' "/bin/true" "$t"
printf '  kolbex / date      %s   (goal: at most 0.5)\n' "$(ratio "$k" "$d")"
printf '  kolbex / true      %s   (goal: at most 1.15)\n' "$(ratio "$k" "$t")"
echo "how cost grows, beyond a one-byte tail ($base):"
printf '  100,000-byte tail  %s per byte   (goal: at most 40)\n' "$(ratio $((long - base)) 100000)"
printf '  1,000 fields       %s per field  (goal: at most 5000)\n' "$(ratio $((many - base)) 1000)"

echo "wall time over $runs runs:"
if command -v hyperfine >/dev/null; then
  hyperfine -N --warmup 20 --runs "$runs" --style basic --output=null \
    -n kolbex "$kolbex Backup [date:yyyy-mm-dd] completed at [time:hh:mm:ss]" \
    -n date "date '+Backup %Y-%m-%d completed at %H:%M:%S'" \
    -n true "/bin/true" 2>&1 | grep -E '^Benchmark|Time \(mean|faster|^ +[0-9.]+ ± ' || true
else
  for cmd in "$kolbex ${typical[*]}" "date +%F" "/bin/true"; do
    start=$(date +%s%N)
    for _ in $(seq "$runs"); do $cmd >/dev/null; done
    end=$(date +%s%N)
    printf '  %-20s %8.1f us a run\n' "${cmd%% *}" "$(ratio $(((end - start) / 1000)) "$runs")"
  done
fi
