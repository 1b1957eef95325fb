#!/usr/bin/env bash
# tests/check.sh --install against an apt-get of ours: nothing is refreshed
# when nothing is missing, a refresh that keeps failing is tried again and
# named, and the install goes on with the lists there are.
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
# While $work/update-fails exists a refresh fails, and an install succeeds
# only with the suite named (-t). An install makes the file of each want-*
# and fails on any none-*.
cat >"$work/bin/apt-get" <<'FAKE'
#!/usr/bin/env bash
echo "apt-get $*" >>"$FAKE_LOG"
case $1 in
update)
  [ -e "$FAKE_DIR/update-fails" ] || exit 0
  echo "E: Failed to fetch http://mirror/dists/x/main/binary-i386/Packages.xz  File has unexpected size"
  exit 100 ;;
install)
  [ -e "$FAKE_DIR/update-fails" ] && [[ " $* " != *" -t "* ]] && exit 100
  [[ " $* " == *" none-"* ]] && exit 100
  for p; do [[ $p == want-* ]] && touch "$FAKE_DIR/${p#want-}"; done
  exit 0 ;;
esac
FAKE
printf '#!/bin/sh\necho "$0 $*" >>"$FAKE_LOG"\n' >"$work/bin/dpkg"
printf '#!/bin/sh\necho "sleep $*" >>"$FAKE_LOG"\n' >"$work/bin/sleep"
chmod +x "$work/bin/"*

failed=0
# name | needs | the refresh fails | apt-get calls (by verb) | what the run says
cases=(
  "all present|have:/bin/sh|no||"
  "one missing, lists refreshed|have:/bin/sh want-a:$work/a|no|update install|"
  "refresh fails, a suite installs|want-b:i386:$work/b|yes|dpkg update sleep update sleep update install install|binary-i386"
  "one cannot be had|want-a:$work/a none-x:/nonexistent/kolbex|yes|update sleep update sleep update install install install install|could not install (Debian packages): none-x"
)
for row in "${cases[@]}"; do
  IFS='|' read -r name needs fails calls says <<<"$row"
  rm -f "$work/log" "$work/update-fails" "$work/a" "$work/b"
  [ "$fails" = yes ] && touch "$work/update-fails"
  out=$(FAKE_LOG="$work/log" FAKE_DIR="$work" KOLBEX_CHECK_NEEDS="$needs" PATH="$work/bin:$PATH" \
    bash "$top/tests/check.sh" --install 2>&1)
  rc=$?
  got=$( [ -e "$work/log" ] && awk '{ sub(".*/", "", $1); print ($1 == "apt-get" ? $2 : $1) }' "$work/log" | tr '\n' ' ')
  if [ "$rc" != 0 ] || [ "${got% }" != "$calls" ] || [[ $out != *"$says"* ]]; then
    echo "FAIL $name: exit $rc, calls '${got% }' (want '$calls')"
    printf '%s\n' "$out" | sed 's/^/  /'
    failed=1
  fi
done
[ "$failed" = 0 ] && echo "check-install: ${#cases[@]} cases passed"
exit "$failed"
