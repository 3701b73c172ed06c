#!/bin/sh
# Makes both Debian packages of a finished build (cpack) and checks each with
# lintian as strictly as Debian's archive reads it (-EvIL +pedantic): any
# error or warning fails. Exits 77, skipped, where lintian is not installed.
# Usage: check-deb.sh BUILD_DIR
set -eu
build=$1
if ! command -v lintian >/dev/null 2>&1; then
    echo "SKIP: lintian not found (apt-get install lintian)"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && "${CPACK:-cpack}" -G DEB -B "$work" >"$work/cpack.log" 2>&1) || {
    cat "$work/cpack.log" >&2
    echo "FAIL: cpack (is the whole build done?)" >&2
    exit 1
}
debs=
for package in meril meril-sim; do
    deb=$(ls "$work/${package}"_*.deb 2>/dev/null | head -n 1)
    [ -n "$deb" ] || { echo "FAIL: cpack made no package $package" >&2; exit 1; }
    echo "== $(basename "$deb")"
    dpkg-deb --contents "$deb" | awk '{print $1, $6}'
    debs="$debs $deb"
done
# One run for both: lintian takes a while to start.
# shellcheck disable=SC2086
lintian -EvIL +pedantic --fail-on error,warning $debs
echo "lintian: no error or warning on either package"
