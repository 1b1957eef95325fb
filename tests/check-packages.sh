#!/usr/bin/env bash
# Checks what users install: the install tree, the manual page, the .deb
# from build/ (under lintian and hardening-check), the tarball from
# build-static/ and the zips from build-win32/ and build-win64/ (all must
# have been built).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "packages: $*" >&2; exit 1; }
has() { grep -qxF -- "$2" "$1" || fail "$3 lacks $2"; }

# The install tree.
cmake --install build --prefix "$work/stage" >/dev/null
for f in bin/kolbex share/man/man1/kolbex.1.gz share/doc/kolbex/README.md \
  share/doc/kolbex/copyright share/doc/kolbex/changelog.gz; do
  [ -f "$work/stage/$f" ] || fail "the install tree lacks $f"
done
[ "$("$work/stage/bin/kolbex" a '[[b')" = "a [b" ] || fail "the installed program does not run"

# The manual page: no warning from groff.
warnings=$(groff -man -t -ww -z doc/kolbex.1 2>&1)
[ -z "$warnings" ] || fail "groff warns about the manual page: $warnings"

# The .deb: Debian's own checks, with no error and no warning.
(cd build && cpack -G DEB -B "$work/deb" >/dev/null)
deb=$(ls "$work"/deb/kolbex_1.0~b_*.deb)
[ "$(dpkg-deb -f "$deb" Package)" = kolbex ] || fail "wrong package name"
[ "$(dpkg-deb -f "$deb" Version)" = "1.0~b" ] || fail "wrong version"
dpkg-deb -f "$deb" Depends | grep -q '^libc6 (>= ' || fail "no dependency on libc6"
dpkg-deb -c "$deb" | awk '{print $6}' >"$work/deb.list"
has "$work/deb.list" ./usr/bin/kolbex .deb
has "$work/deb.list" ./usr/share/man/man1/kolbex.1.gz .deb
has "$work/deb.list" ./usr/share/doc/kolbex/copyright .deb
has "$work/deb.list" ./usr/share/doc/kolbex/changelog.gz .deb
dpkg-deb -x "$deb" "$work/root"
[ "$("$work/root/usr/bin/kolbex" '"@3"')" = "@3" ] || fail "the packaged program does not run"
lintian --fail-on error,warning --display-info "$deb" 2>/dev/null | sed 's/^/packages: lintian: /' ||
  fail "lintian reports errors or warnings"
# Debian 12's C start files carry no control-flow marks, so no program
# linked with them does (/bin/true neither): the check is made on our own
# objects instead, which must all be marked.
hardening-check --nocfprotection "$work/root/usr/bin/kolbex" >"$work/hardening" ||
  fail "hardening-check: $(cat "$work/hardening")"
objects=$(find build/CMakeFiles/kolbex.dir build/CMakeFiles/kolbex_core.dir \
  build/CMakeFiles/kolbex_platform.dir -name '*.o')
[ -n "$objects" ] || fail "no objects of the program in build/"
for object in $objects; do
  readelf -n "$object" | grep -q 'IBT, SHSTK' || fail "built without control-flow protection: $object"
done

# The tarball of the static program.
(cd build-static && cpack -G TGZ -B "$work/tgz" >/dev/null)
tgz=$work/tgz/kolbex-1.0b-linux-x86_64.tar.gz
[ -f "$tgz" ] || fail "no tarball"
tar -tzf "$tgz" | grep -v '/$' | sort >"$work/tgz.list"
printf 'kolbex-1.0b-linux-x86_64/%s\n' LICENSE README.md bin/kolbex share/man/man1/kolbex.1 |
  diff - "$work/tgz.list" || fail "the tarball holds other files"
tar -xzf "$tgz" -C "$work"
static=$work/kolbex-1.0b-linux-x86_64/bin/kolbex
readelf -lW "$static" | grep -q INTERP && fail "the static program asks for a program interpreter"
readelf -dW "$static" | grep -q NEEDED && fail "the static program needs shared libraries"
readelf -SW "$static" | grep -q '\.symtab' && fail "the static program is not stripped"
size=$(stat -c %s "$static")
[ "$size" -le 65536 ] || fail "the static program is $size bytes, more than 64 KiB"
[ "$("$static" '[[b' @4'|')" = "[b  |" ] || fail "the static program does not run"

# The zips for Windows, each with the program of its own architecture.
zips=()
for bits in 32 64; do
  (cd "build-win$bits" && cpack -G ZIP -B "$work/zip$bits" >/dev/null)
  zip=$work/zip$bits/kolbex-1.0b-win$bits.zip
  [ -f "$zip" ] || fail "no zip for win$bits"
  (cd "$work" && cmake -E tar tf "$zip") | sort >"$work/zip.list"
  printf '%s\n' LICENSE README.md kolbex.exe | diff - "$work/zip.list" || fail "the win$bits zip holds other files"
  mkdir "$work/unzip$bits"
  (cd "$work/unzip$bits" && cmake -E tar xf "$zip")
  format=$([ "$bits" = 32 ] && echo pei-i386 || echo pei-x86-64)
  objdump -f "$work/unzip$bits/kolbex.exe" | grep -q "file format $format" ||
    fail "the win$bits zip holds no $format program"
  zips+=("$(basename "$zip")")
done
echo "packages: $(basename "$deb") ($(dpkg-deb -f "$deb" Depends)), $(basename "$tgz") ($size bytes), ${zips[*]}: as they should be"
