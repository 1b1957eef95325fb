#!/usr/bin/env bash
# Checks what users install: the install tree and the manual page of build/,
# and a release (.ci/release) made twice, from this tree and from a copy of
# it at another path, which must be the same bytes: its .deb (lintian,
# hardening-check), the tarball and the RPM of each static program
# (rpmlint; the ARM64 program runs under qemu-aarch64), the Windows programs
# bare and in their zips, the manifests and SHA256SUMS; and a release signed
# twice with a throwaway key, which must be the same bytes too.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "packages: $*" >&2; exit 1; }
has() { grep -qxF -- "$2" "$1" || fail "$3 lacks $2"; }

# The version is the program's own; packages that sort a pre-release
# before its release write 1.0b as 1.0~b.
version=$(build/kolbex --version | sed -n 's/^kolbex //p')
package_version=$(sed 's/\([0-9]\)\([a-z]\)/\1~\2/' <<<"$version")
[ -n "$version" ] || fail "the program gives no version"

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

# The release, and again a few seconds later from a copy of the tree (what
# git tracks or would track) at another path, at the same time stamp.
release=$work/release again=$work/again epoch=$(git log -1 --format=%ct)
bash .ci/release "$release" | sed 's/^/packages: /'
mkdir "$work/tree"
git ls-files -z --cached --others --exclude-standard |
  while IFS= read -r -d '' file; do [ -e "$file" ] && printf '%s\0' "$file"; done |
  tar --null -T - -cf - | tar -C "$work/tree" -xf -
SOURCE_DATE_EPOCH=$epoch bash "$work/tree/.ci/release" "$again" >/dev/null
if ! cmp -s "$release/SHA256SUMS" "$again/SHA256SUMS"; then
  for file in $(diff "$release/SHA256SUMS" "$again/SHA256SUMS" | sed -n 's/^< [0-9a-f]*  //p'); do
    echo "packages: $file differs between two releases of one tree"
    if command -v diffoscope >/dev/null; then
      diffoscope "$release/$file" "$again/$file" | head -60
    fi
  done
  fail "two releases of one tree differ (Debian's diffoscope shows how)"
fi
(cd "$release" && sha256sum --quiet -c SHA256SUMS) || fail "sha256sum -c fails in the release"
# Every file is listed, and nothing else.
printf '%s\n' UNSIGNED-SHA256SUMS "kolbex-$version-linux-aarch64.tar.gz" "kolbex-$version-linux-x86_64.tar.gz" \
  "kolbex-$version-win32.exe" "kolbex-$version-win32.zip" "kolbex-$version-win64.exe" \
  "kolbex-$version-win64.zip" "kolbex-$version-winget/Kolbex.Kolbex.installer.yaml" \
  "kolbex-$version-winget/Kolbex.Kolbex.locale.en-US.yaml" "kolbex-$version-winget/Kolbex.Kolbex.yaml" \
  "kolbex-$package_version-1.aarch64.rpm" "kolbex-$package_version-1.x86_64.rpm" kolbex.json \
  "kolbex_${package_version}_amd64.deb" >"$work/files"
sed 's/^[0-9a-f]*  //' "$release/SHA256SUMS" | diff "$work/files" - || fail "SHA256SUMS lists other files"
(cd "$release" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort) |
  diff "$work/files" - || fail "the release holds other files"

# The .deb: Debian's own checks, with no error and no warning.
deb=$release/kolbex_${package_version}_amd64.deb
[ "$(dpkg-deb -f "$deb" Package)" = kolbex ] || fail "wrong package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$package_version" ] || fail "wrong version"
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

# Each static program: its tarball, laid out as a prefix of its own, and its
# RPM, laid out as RPM systems keep such files. Neither needs anything from
# the system it is installed on.
check_static() { # program path: that it is what it should be, and runs
  local program=$1 machine=$2 run=$3
  readelf -hW "$program" | grep -q "Machine: *$machine" || fail "$program is not for $machine"
  readelf -lW "$program" | grep -q INTERP && fail "$program asks for a program interpreter"
  readelf -dW "$program" | grep -q NEEDED && fail "$program needs shared libraries"
  readelf -SW "$program" | grep -q '\.symtab' && fail "$program is not stripped"
  size=$(stat -c %s "$program")
  [ "$size" -le 65536 ] || fail "$program is $size bytes, more than 64 KiB"
  # shellcheck disable=SC2086
  [ "$($run "$program" '[[b' @4'|')" = "[b  |" ] || fail "$program does not run"
}
statics=()
for leg in x86_64:"Advanced Micro Devices X86-64": aarch64:AArch64:qemu-aarch64; do
  IFS=: read -r arch machine run <<<"$leg"
  name=kolbex-$version-linux-$arch
  tgz=$release/$name.tar.gz
  tar -tzf "$tgz" >"$work/tgz.list"
  printf "$name/%s\n" "" LICENSE README.md bin/ bin/kolbex share/ share/man/ share/man/man1/ \
    share/man/man1/kolbex.1 | diff - "$work/tgz.list" || fail "the $arch tarball holds other entries"
  tar -xzf "$tgz" -C "$work"
  check_static "$work/$name/bin/kolbex" "$machine" "$run"

  rpm=$release/kolbex-$package_version-1.$arch.rpm
  [ "$(rpm -qp --queryformat '%{NAME} %{VERSION} %{RELEASE} %{ARCH} %{LICENSE}' "$rpm")" = \
    "kolbex $package_version 1 $arch MIT" ] || fail "the $arch RPM's metadata are wrong"
  [ "$(rpm --eval "%{lua: print(rpm.vercmp('$package_version', '${version%%[a-z]*}'))}")" = -1 ] ||
    fail "$package_version does not sort before its release"
  rpm -qpR "$rpm" | grep -v '^rpmlib(' && fail "the $arch RPM requires more than rpm itself"
  rpm -qpl "$rpm" | sort >"$work/rpm.list"
  printf '/usr/%s\n' bin/kolbex share/doc/kolbex share/doc/kolbex/README.md share/licenses/kolbex \
    share/licenses/kolbex/LICENSE share/man/man1/kolbex.1.gz | diff - "$work/rpm.list" ||
    fail "the $arch RPM holds other files"
  rpm -qp --queryformat '[%{FILEFLAGS:fflags} %{FILENAMES}\n]' "$rpm" | grep -q '^d /usr/share/doc/kolbex/README.md$' ||
    fail "the $arch RPM's README is not marked as documentation"
  mkdir "$work/root-$arch"
  (cd "$work/root-$arch" && rpm2cpio "$rpm" | cpio -id --quiet)
  check_static "$work/root-$arch/usr/bin/kolbex" "$machine" "$run"
  # Errors explained in HACKING.md: the program is static on purpose, and a
  # signature needs a key.
  errors=$(rpmlint "$rpm" 2>&1 | grep ': E: ' | grep -vE ': E: (statically-linked-binary|no-signature)( |$)' || true)
  [ -z "$errors" ] || fail "rpmlint: $errors"
  statics+=("$(basename "$tgz") and $(basename "$rpm") ($size bytes)")
done

# Each Windows program, in its zip and bare, the same program; the
# manifests of the Windows package managers name both zips as they are.
zips=()
for bits in 32 64; do
  zip=$release/kolbex-$version-win$bits.zip
  (cd "$work" && cmake -E tar tf "$zip") >"$work/zip.list"
  printf '%s\n' LICENSE README.md kolbex.exe | diff - "$work/zip.list" || fail "the win$bits zip holds other files"
  mkdir "$work/unzip$bits"
  (cd "$work/unzip$bits" && cmake -E tar xf "$zip")
  cmp -s "$work/unzip$bits/kolbex.exe" "$release/kolbex-$version-win$bits.exe" ||
    fail "the bare win$bits program is not the zip's"
  format=$([ "$bits" = 32 ] && echo pei-i386 || echo pei-x86-64)
  objdump -f "$work/unzip$bits/kolbex.exe" | grep -q "file format $format" ||
    fail "the win$bits zip holds no $format program"
  zips+=("$(basename "$zip")" "kolbex-$version-win$bits.exe")
done
/usr/bin/python3 tests/check-manifests.py "$release" "$version" || fail "the manifests are not those of the zips"
printf x >>"$again/kolbex-$version-win32.zip"
/usr/bin/python3 tests/check-manifests.py "$again" "$version" >/dev/null &&
  fail "the manifests check passes a zip changed after they were written"
zips+=("kolbex-$version-winget/" kolbex.json SHA256SUMS)
grep -F .exe "$release/SHA256SUMS" | cmp -s - "$release/UNSIGNED-SHA256SUMS" ||
  fail "UNSIGNED-SHA256SUMS is not the unsigned programs'"

# Signed twice, from the copy and from this tree, with relative paths: the
# same bytes; signatures that the certificate verifies, and that removed
# give the unsigned programs; the manifests name the signed zips.
(cd "$work" && openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 \
  -subj "/CN=Kolbex test" 2>/dev/null && printf secret >pass &&
  openssl pkcs12 -export -inkey key.pem -in cert.pem -out key.p12 -passout file:pass)
signed_release() { # tree, folder
  (cd "$work" && KOLBEX_SIGN_PKCS12=key.p12 KOLBEX_SIGN_PASSWORD_FILE=pass SOURCE_DATE_EPOCH=$epoch \
    bash "$1/.ci/release" "$2" >/dev/null)
}
signed_release "$work/tree" signed
signed_release "$top" signed-again
cmp -s "$work/signed/SHA256SUMS" "$work/signed-again/SHA256SUMS" || fail "two signed releases differ"
cmp -s "$work/signed/UNSIGNED-SHA256SUMS" "$release/UNSIGNED-SHA256SUMS" || fail "a signed release's UNSIGNED-SHA256SUMS differs"
for bits in 32 64; do
  exe=$work/signed/kolbex-$version-win$bits.exe
  osslsigncode verify -CAfile "$work/cert.pem" -in "$exe" >/dev/null || fail "$exe: no valid signature"
  (mkdir "$work/z$bits" && cd "$work/z$bits" && cmake -E tar xf "$work/signed/kolbex-$version-win$bits.zip")
  cmp -s "$work/z$bits/kolbex.exe" "$exe" || fail "the signed win$bits zip holds another program"
  osslsigncode remove-signature -in "$exe" -out "$work/kolbex-$version-win$bits.exe" >/dev/null
done
(cd "$work" && sha256sum "kolbex-$version-win32.exe" "kolbex-$version-win64.exe") |
  cmp -s - "$release/UNSIGNED-SHA256SUMS" || fail "the signed programs less their signatures differ"
/usr/bin/python3 tests/check-manifests.py "$work/signed" "$version" >/dev/null || fail "the manifests are not those of the signed zips"
if [ -x /usr/lib/wine/wine64 ]; then
  WINEPREFIX=$work/prefix setarch -R /usr/lib/wine/wine64 cmd /c exit >/dev/null 2>&1 || true
  bash tests/win32/wine.sh console /usr/lib/wine/wine64 "$work/prefix" "$work/signed/kolbex-$version-win64.exe" ||
    fail "the signed x64 program fails its console test"
  WINEPREFIX=$work/prefix wineserver -k 2>/dev/null || true
else
  echo "packages: not run: the signed x64 program's console test (no /usr/lib/wine/wine64)"
fi
echo "packages: $(basename "$deb") ($(dpkg-deb -f "$deb" Depends)), ${statics[*]}, ${zips[*]}, UNSIGNED-SHA256SUMS: as they should be; signed twice the same, with $(osslsigncode --version | sed -n '1s/,.*//p')"
