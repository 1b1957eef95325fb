#!/usr/bin/env bash
# Sets up and runs every test of Kolbex.
#
# As root on Debian it first installs what the tests need. Elsewhere it names
# what is missing and skips the parts that need it, saying so; with CI=true a
# missing tool is an error instead.
#
# The parts: the program and its tests (g++, warnings as errors), the same
# end to end under valgrind memcheck, everything again with clang under
# AddressSanitizer and UndefinedBehaviorSanitizer, clang-format and
# clang-tidy, the static programs (musl) through the end-to-end suite (the
# ARM64 one under qemu), the Windows programs under Wine (x64 everywhere,
# x86 where the host runs 32-bit programs), the fuzzers for a short time,
# the benchmark figures, the growth of cost with every kind of input, and
# the install tree and the release, made twice and compared (lintian,
# hardening-check, rpmlint); and at the end, that nothing is left in /tmp or
# /dev/shm.
#
#   tests/check.sh                       everything
#   KOLBEX_FUZZ_SECONDS=300 tests/check.sh
#   tests/check.sh --packages            the Debian packages the tests need
#   tests/check.sh --install             install them all (as root, on Debian)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=$(nproc 2>/dev/null || echo 2)
fuzz_seconds=${KOLBEX_FUZZ_SECONDS:-30}
strict=${CI:-false}

# Debian package, and the command or file that shows it is there.
needs=(
  "cmake:cmake" "g++:g++" "make:make" "libgtest-dev:/usr/include/gtest/gtest.h"
  "valgrind:valgrind" "faketime:faketime" "clang:clang++" "clang-format:clang-format"
  "clang-tidy:clang-tidy" "libclang-rt-14-dev:/usr/lib/llvm-14/lib/clang/14.0.6/lib/linux/libclang_rt.fuzzer-x86_64.a"
  "g++-mingw-w64-i686:i686-w64-mingw32-g++" "g++-mingw-w64-x86-64:x86_64-w64-mingw32-g++"
  "wine:wine" "wine64:/usr/lib/wine/wine64" "wine32:i386:/usr/lib/wine/wine"
  "hyperfine:hyperfine" "groff-base:groff" "dpkg-dev:dpkg-shlibdeps"
  "musl-dev:/usr/lib/x86_64-linux-musl/libc.a" "lld:ld.lld" "tzdata:/usr/share/zoneinfo/Europe/Berlin"
  "musl-dev:arm64:/usr/lib/aarch64-linux-musl/libc.a" "gcc-aarch64-linux-gnu:aarch64-linux-gnu-gcc"
  "qemu-user:qemu-aarch64" "rpm:rpmbuild" "rpmlint:rpmlint"
  "lintian:lintian" "devscripts:hardening-check" "locales:/usr/share/i18n/locales/de_DE"
  "git:git" "util-linux:prlimit" "python3:/usr/bin/python3"
  "python3-yaml:/usr/lib/python3/dist-packages/yaml/__init__.py" "osslsigncode:osslsigncode"
  "openssl:openssl"
)
# tests/check-install.sh sets its own, to try the installer.
[ -z "${KOLBEX_CHECK_NEEDS:-}" ] || read -r -a needs <<<"$KOLBEX_CHECK_NEEDS"

if [ "${1:-}" = --packages ]; then
  for need in "${needs[@]}"; do printf '%s\n' "${need%:*}"; done
  exit 0
fi

present() { case $1 in /*) [ -e "$1" ] ;; *) command -v "$1" >/dev/null 2>&1 ;; esac; }
missing_packages() {
  local need
  for need in "${needs[@]}"; do
    present "${need##*:}" || printf '%s\n' "${need%:*}"
  done
}

# A mirror can serve one index mid-sync for an hour: the refresh is tried a
# few times, then the install goes on with the lists there are and names the
# indexes it could not refresh.
refresh_lists() {
  local try said
  for try in 1 2 3; do
    said=$(apt-get update -q 2>&1) && return 0
    [ "$try" = 3 ] || sleep $((try * 15))
  done
  echo "check: could not refresh the package lists, going on with those there are:"
  printf '%s\n' "$said" | grep -E '^(E|Err):' | sed 's/^/  /'
  return 1
}

apt_install() { # apt-get option or package...
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$@"
}

# Installs what it can and names what is still missing; the checks that need
# it then skip or, with CI=true, fail.
install_packages() { # package...
  local architecture release package left
  for architecture in $(printf '%s\n' "$@" | sed -n 's/^[^:]*:\([a-z0-9]*\)$/\1/p' | sort -u); do
    dpkg --add-architecture "$architecture"
  done
  refresh_lists || true
  if ! apt_install "$@"; then
    # Where one architecture's lists are older than another's, a package
    # installed for both has two candidate versions; the release's own suite
    # has one. One package that cannot be had then keeps no other out.
    release=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
    if [ -z "$release" ] || ! apt_install -t "$release" "$@"; then
      for package in "$@"; do apt_install ${release:+-t "$release"} "$package" || true; done
    fi
  fi
  left=$(missing_packages)
  [ -z "$left" ] || echo "check: could not install (Debian packages): $(echo $left)"
}

if [ "${1:-}" = --install ]; then
  mapfile -t missing < <(missing_packages)
  [ "${#missing[@]}" = 0 ] || install_packages "${missing[@]}"
  exit 0
fi

setup() {
  local missing
  missing=$(missing_packages)
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null; then
    echo "check: installing $(echo $missing)"
    # shellcheck disable=SC2086
    install_packages $missing
  else
    echo "check: missing (Debian packages): $(echo $missing)"
    [ "$strict" = true ] && { echo "check: CI needs them all" >&2; exit 1; }
  fi
}

passed=0
failed=0
skipped=()
step() {
  local name=$1
  shift
  echo
  echo "=== $name"
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "=== $name FAILED"
  fi
}
have() {
  local tool
  for tool in "$@"; do
    if ! present "$tool"; then
      [ "$strict" = true ] && { echo "check: $tool is missing" >&2; return 1; }
      skipped+=("$CURRENT (no $tool)")
      echo "check: skipped, $tool is missing"
      return 2
    fi
  done
}
guarded() {
  CURRENT=$1
  local tools=$2
  shift 2
  local rc=0
  # shellcheck disable=SC2086
  have $tools || rc=$?
  [ "$rc" = 2 ] && return 0
  [ "$rc" = 0 ] || return 1
  "$@"
}

plain() {
  cmake -S . -B build -DKOLBEX_WERROR=ON -DCMAKE_BUILD_TYPE=Release >/dev/null &&
    cmake --build build -j"$jobs" &&
    ctest --test-dir build -j"$jobs" --no-tests=error --output-on-failure
}

sanitized() {
  cmake -S . -B build-asan -DKOLBEX_WERROR=ON -DKOLBEX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_COMPILER=clang++ >/dev/null &&
    cmake --build build-asan -j"$jobs" &&
    ctest --test-dir build-asan -j"$jobs" --no-tests=error --output-on-failure
}

style() {
  local sources
  sources=$(git ls-files '*.cpp' '*.h')
  # shellcheck disable=SC2086
  clang-format --dry-run --Werror $sources || return 1
  # shellcheck disable=SC2086
  clang-tidy -p build --quiet $(git ls-files 'compose/*.cpp' 'console/*.cpp' 'run/*.cpp' \
    'platform/posix/*.cpp' 'tests/*.cpp' ':!tests/win32/*') 2>/dev/null
}

# A static program, and the end-to-end suite and locale checks of the
# dynamic build run against it: its clock cannot be faked, so it is compared
# with the dynamic build in every time zone instead. An emulator runs the
# program of another CPU, and nothing else.
static_build() {
  local toolchain=$1 dir=$2 emulator=${3:-}
  cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="cmake/$toolchain.cmake" -DKOLBEX_WERROR=ON >/dev/null &&
    cmake --build "$dir" -j"$jobs" &&
    KOLBEX_E2E_PROGRAM="$top/$dir/kolbex" KOLBEX_E2E_EMULATOR=$emulator build/tests/kolbex_e2e &&
    python3 tests/check-given.py $emulator "$dir/kolbex" &&
    KOLBEX_E2E_EMULATOR=$emulator bash tests/check-locales.sh build/kolbex build/locales \
      "$(faketime_library)" "$dir/kolbex"
}

faketime_library() {
  sed -n 's/^KOLBEX_FAKETIME_LIB:FILEPATH=//p' build/CMakeCache.txt
}

# The Windows program of one architecture: built, its shape checked, and run
# under Wine. The x86 leg's Wine tests skip themselves (and are named at the
# end) where the host's kernel runs no 32-bit programs.
windows() {
  local arch=$1 dir=$2
  cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-w64-$arch.cmake" \
    -DKOLBEX_WERROR=ON -DCMAKE_BUILD_TYPE=Release >/dev/null &&
    cmake --build "$dir" -j"$jobs" &&
    ctest --test-dir "$dir" --no-tests=error --output-on-failure | tee "$dir/check.log"
  [ "${PIPESTATUS[0]}" = 0 ] || return 1
  [ "$arch" = i686 ] || return 0
  local said rc=0
  said=$(bash tests/win32/wine.sh probe "$(command -v wine)") || rc=$?
  if [ "$rc" = 77 ]; then
    skipped+=("x86 Windows program under Wine: ${said#not run: }; the x64 leg verified the Windows services")
  elif grep -q 'x86_moments (Skipped)' "$dir/check.log"; then
    skipped+=("x86 Windows program at fixed moments: the clock-faking library does not reach 32-bit Wine's clock; the x64 leg ran them, the x86 driver checked /UTC and /DAY at the present moment")
  fi
}

bench_figures() {
  BENCH_RUNS=50 bench/bench.sh build/kolbex build-static/kolbex
}

growth() {
  LOCPATH=$top/build/locales bench/growth.sh build/kolbex build-static/kolbex
}

packages() {
  bash tests/check-packages.sh
}

# What is in /tmp and /dev/shm.
listing() { { ls -A /tmp; ls -A /dev/shm | sed 's|^|/dev/shm/|'; } 2>/dev/null | sort; }

# The steps run with a temporary folder of their own (TMPDIR, Wine's server
# folder among what goes there) and one clock segment for every faked run
# (tests/shared-clock.sh), so that the check leaves nothing behind; it then
# names anything new in /tmp or /dev/shm, which another process's files
# would be too.
if [ "${1:-}" != --steps ]; then
  setup
  folder=$(mktemp -d)
  before=$(listing)
  TMPDIR=$folder KOLBEX_CHECK_COUNTS=$folder/counts bash tests/shared-clock.sh bash "$top/tests/check.sh" --steps ||
    true
  read -r passed failed <"$folder/counts" 2>/dev/null || { passed=0 failed=1; }
  rm -rf "$folder"
  nothing_left() {
    local left
    left=$(comm -13 <(printf '%s\n' "$before") <(listing))
    [ -z "$left" ] && echo "check: nothing left in /tmp or /dev/shm" && return 0
    echo "check: left behind:" $left
    return 1
  }
  step "nothing left behind" nothing_left
  echo
  echo "check: $passed passed, $failed failed"
  [ "$failed" = 0 ]
  exit
fi

step "build and test (g++)" guarded "tests" "cmake g++" plain
step "sanitizers (clang)" guarded "sanitizers" "clang++" sanitized
step "format and lint" guarded "style" "clang-format clang-tidy" style
step "static program (musl)" guarded "static" "clang++ ld.lld /usr/lib/x86_64-linux-musl/libc.a" \
  static_build linux-musl-static build-static
step "static ARM64 program under qemu" guarded "ARM64" \
  "clang++ ld.lld /usr/lib/aarch64-linux-musl/libc.a aarch64-linux-gnu-gcc qemu-aarch64" \
  static_build linux-musl-static-aarch64 build-aarch64 qemu-aarch64
step "Windows x64 program under Wine" guarded "windows x64" "x86_64-w64-mingw32-g++ /usr/lib/wine/wine64" windows x86_64 build-win64
step "Windows x86 program under Wine" guarded "windows x86" "i686-w64-mingw32-g++ wine" windows i686 build-win32
step "fuzzing, ${fuzz_seconds}s a target" guarded "fuzzing" "clang++" fuzz/run.sh "$fuzz_seconds"
step "benchmark figures" guarded "benchmark" "valgrind" bench_figures
step "cost grows linearly" guarded "growth" "valgrind" growth
step "install tree and the release, made twice" guarded "packages" \
  "dpkg-shlibdeps groff lintian hardening-check rpmbuild rpmlint i686-w64-mingw32-g++ x86_64-w64-mingw32-g++
   clang++ ld.lld /usr/lib/x86_64-linux-musl/libc.a /usr/lib/aarch64-linux-musl/libc.a aarch64-linux-gnu-gcc
   qemu-aarch64 osslsigncode openssl" \
  packages

echo
for s in "${skipped[@]+"${skipped[@]}"}"; do echo "check: skipped $s"; done
echo "$passed $failed" >"$KOLBEX_CHECK_COUNTS"
