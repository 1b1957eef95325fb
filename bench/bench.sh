#!/usr/bin/env bash
# Whole-process cost of the Linux builds, side by side with date(1) doing
# the same job and with /bin/true (the floor for a dynamically linked
# program), and the size of the Windows programs. Instruction counts come
# from callgrind and repeat exactly on a noisy machine; wall times come from
# hyperfine (or a plain loop without it). Each figure is printed with its
# goal; the figures are not a test.
#
#   bench/bench.sh [dynamic kolbex] [static kolbex]
#       (defaults: build/kolbex and build-static/kolbex; a static build that
#       is not there is left out, as are Windows builds that are not in
#       build-win32/ and build-win64/)
#   BENCH_RUNS=1000 bench/bench.sh      (runs per wall-time figure)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
kolbex=${1:-$top/build/kolbex}
static=${2:-$top/build-static/kolbex}
runs=${BENCH_RUNS:-300}
[ -x "$kolbex" ] || { echo "bench: build the program first ($kolbex)" >&2; exit 2; }
[ -x "$static" ] || { echo "bench: no static build ($static): left out"; static=; }
command -v valgrind >/dev/null || { echo "bench: valgrind is needed" >&2; exit 2; }
export TZ=${TZ:-UTC}
# date(1) as a user runs it, in the usual UTF-8 locale. kolbex reads the
# locale only for names, designators, bytes past ASCII and /OEM, and the
# typical example has none of them.
export LC_ALL=${BENCH_LOCALE:-C.UTF-8}

instructions() {
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
    sed -n 's/.*Collected : //p'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
row() { printf '  %-52s %10s\n' "$1" "$2"; }

typical=(Backup '[date:yyyy-mm-dd]' completed at '[time:hh:mm:ss]')
format='+Backup %Y-%m-%d completed at %H:%M:%S'
text=$(head -c 100000 /dev/zero | tr '\0' 'x')
fields=$(for _ in $(seq 1000); do printf '[date:yyyy-mm-dd]'; done)

k=$(instructions "$kolbex" "${typical[@]}")
d=$(instructions date "$format")
t=$(instructions /bin/true)
base=$(instructions "$kolbex" x)
long=$(instructions "$kolbex" "$text")
many=$(instructions "$kolbex" "$fields")

echo "instructions (valgrind --tool=callgrind), the typical example, LC_ALL=$LC_ALL:"
row "kolbex (dynamic) Backup [date:...] completed at [time:...]" "$k"
if [ -n "$static" ]; then
  s=$(instructions "$static" "${typical[@]}")
  row "kolbex (static)" "$s"
fi
row "date '$format'" "$d"
row "/bin/true" "$t"
printf '  dynamic / date     %s   (goal: at most 0.5)\n' "$(ratio "$k" "$d")"
printf '  dynamic / true     %s   (goal: at most 1.25)\n' "$(ratio "$k" "$t")"
[ -z "$static" ] || printf '  static / true      %s   (goal: at most 0.15)\n' "$(ratio "$s" "$t")"
# In a language of its own: numbers alone must not load the locale; a name
# loads it, and should cost no more than date(1) writing the same name.
[ -d "$top/build/locales/de_DE.UTF-8" ] && export LOCPATH=$top/build/locales
if [ "$(LC_ALL=de_DE.UTF-8 date -d 2026-12-08 +%A 2>/dev/null)" = Dienstag ]; then
  kd=$(LC_ALL= LANG=de_DE.UTF-8 instructions "$kolbex" "${typical[@]}")
  td=$(LC_ALL= LANG=de_DE.UTF-8 instructions /bin/true)
  nk=$(LC_ALL= LANG=de_DE.UTF-8 instructions "$kolbex" '[date:dddd]')
  nd=$(LC_ALL= LANG=de_DE.UTF-8 instructions date +%A)
  echo "with LANG=de_DE.UTF-8:"
  row "kolbex (dynamic), the typical example" "$kd"
  row "/bin/true" "$td"
  row "kolbex '[date:dddd]' (Dienstag)" "$nk"
  row "date +%A" "$nd"
  printf '  typical / true     %s   (goal: at most 1.25)\n' "$(ratio "$kd" "$td")"
  printf '  name / date        %s   (goal: at most 1)\n' "$(ratio "$nk" "$nd")"
else
  echo "with LANG=de_DE.UTF-8: no German locale here (run the tests once to make build/locales)"
fi
echo "how cost grows in the dynamic build, beyond a one-byte tail ($base):"
printf '  100,000-byte tail  %s per byte   (goal: at most 40)\n' "$(ratio $((long - base)) 100000)"
printf '  1,000 fields       %s per field  (goal: at most 5000)\n' "$(ratio $((many - base)) 1000)"

# The limits are those the size test of each build holds it to.
echo "size of the Windows programs:"
for build in win32 win64; do
  program=$top/build-$build/kolbex.exe
  limit=$(grep -o -- '-DLIMIT=[0-9]*' "$top/build-$build/tests/win32/CTestTestfile.cmake" 2>/dev/null || true)
  if [ -f "$program" ]; then
    printf '  %-6s %6s bytes   (goal: at most %s)\n' "$build" "$(stat -c %s "$program")" "${limit#-DLIMIT=}"
  else
    printf '  %-6s not built (build-%s/)\n' "$build" "$build"
  fi
done

echo "wall time, mean of $runs runs after 20 warm-up runs:"
if command -v hyperfine >/dev/null; then
  csv=$(mktemp)
  trap 'rm -f "$csv"' EXIT
  names=(-n dynamic "$kolbex ${typical[*]}")
  [ -z "$static" ] || names+=(-n static "$static ${typical[*]}")
  hyperfine -N --warmup 20 --runs "$runs" --style none --output=null --export-csv "$csv" \
    "${names[@]}" -n date "date '$format'" -n true /bin/true >/dev/null 2>&1
  # command,mean,stddev,median,user,system,min,max; seconds
  awk -F, 'NR > 1 { mean[$1] = $2; sd[$1] = $3; order[NR] = $1 }
    END {
      for (i = 2; i in order; i++)
        printf "  %-10s %7.1f us ± %5.1f   %.3f of true\n", order[i], mean[order[i]] * 1e6,
          sd[order[i]] * 1e6, mean[order[i]] / mean["true"]
      print "  goals: static at most 0.7 of true"
    }' "$csv"
else
  for cmd in "$kolbex ${typical[*]}" ${static:+"$static ${typical[*]}"} "date +%F" "/bin/true"; do
    start=$(date +%s%N)
    for _ in $(seq "$runs"); do $cmd >/dev/null; done
    end=$(date +%s%N)
    printf '  %-40s %8.1f us a run\n' "${cmd%% *}" "$(ratio $(((end - start) / 1000)) "$runs")"
  done
fi
