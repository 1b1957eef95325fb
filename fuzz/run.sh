#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a given time (seconds,
# default 60), starting from seeds taken from the test tables. Any finding
# fails the run and leaves its input in build-fuzz/.
set -euo pipefail
seconds=${1:-60}
top=$(cd "$(dirname "$0")/.." && pwd)
build=${KOLBEX_FUZZ_BUILD:-$top/build-fuzz}

cmake -S "$top" -B "$build" -DKOLBEX_FUZZ=ON -DKOLBEX_TESTS=OFF -DKOLBEX_WERROR=ON \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzz_compose fuzz_format >/dev/null

# One seed per line. The formatter's input starts with a moment (16 bytes),
# a kind and a capacity (3 bytes): 1999-09-08 13:07:01, date, capacity 100.
seed() {
  local target=$1 prefix=$2 corpus=$build/corpus-$1 n=0
  mkdir -p "$corpus"
  while IFS= read -r line; do
    n=$((n + 1))
    { printf "$prefix"; printf '%s' "$line"; } >"$corpus/seed-$n"
  done <"$top/fuzz/seeds/$target.txt"
}
seed compose ''
seed format '\xcf\x07\x09\x00\x03\x00\x08\x00\x0d\x00\x07\x00\x01\x00\x00\x00\x01\x32\x00'

status=0
for target in compose format; do
  echo "fuzz_$target: ${seconds}s"
  (cd "$build" && "./fuzz/fuzz_$target" -max_total_time="$seconds" -max_len=4096 \
    -print_final_stats=1 "corpus-$target" 2>"fuzz-$target.log") || status=1
  grep -E '^(stat::number_of_executed_units|Done)' "$build/fuzz-$target.log" || true
  if [ "$status" -ne 0 ]; then
    tail -40 "$build/fuzz-$target.log"
    break
  fi
done
exit "$status"
