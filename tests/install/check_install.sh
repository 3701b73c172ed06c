#!/bin/sh
# Installs the build into a temporary prefix and checks what a desktop and a
# user see of it: the desktop entry and metainfo pass their validators, the
# installed commands answer --version and --help without a display, the
# spectrum types are known and open with the program, the man pages are there.
# Usage: check_install.sh BUILD_DIR
set -eu
build=$1
cmake=${CMAKE:-cmake}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
have() { command -v "$1" >/dev/null 2>&1; }

"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" || {
    cat "$work/install.log" >&2
    echo "FAIL: cmake --install (is the whole build done?)" >&2
    exit 1
}

share=$prefix/share
desktop=$share/applications/meril.desktop
metainfo=$(ls "$share"/metainfo/*.metainfo.xml 2>/dev/null | head -n 1)
installed="bin/meril bin/meril-proc bin/meril-sim share/applications/meril.desktop
           share/icons/hicolor/scalable/apps/meril.svg share/mime/packages/meril.xml"
# The man pages are made by help2man when the build finds it.
have help2man && installed="$installed share/man/man1/meril.1.gz share/man/man1/meril-proc.1.gz share/man/man1/meril-sim.1.gz"
installed="$installed share/doc/meril/copyright share/doc/meril/changelog.gz share/doc/meril-sim/copyright
           share/doc/meril-sim/changelog.gz"
for f in $installed; do
    [ -s "$prefix/$f" ] || fail "$f is not installed"
done
[ -n "$metainfo" ] || fail "no metainfo installed"

# Validators, where the machine has them.
if have desktop-file-validate; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
else
    echo "SKIP: desktop-file-validate not found"
fi
if have appstreamcli && [ -n "$metainfo" ]; then
    appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate $metainfo"
else
    echo "SKIP: appstreamcli not found"
fi
grep -q '^Exec=meril %f$' "$desktop" || fail "the desktop entry does not pass the file to meril"
# One main category in the desktop entry: Science.
main=$(sed -n 's/^Categories=//p' "$desktop" | tr ';' '\n' |
       grep -xE 'AudioVideo|Audio|Video|Development|Education|Game|Graphics|Network|Office|Science|Settings|System|Utility' |
       tr '\n' ' ')
[ "$main" = "Science " ] || fail "the desktop entry's main categories are \"$main\", not Science alone"

# The installed commands, without a display: one version for all three.
version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 20 "$prefix/bin/meril" --version) ||
    fail "meril --version (it must not need a display)"
proc_version=$(timeout 20 "$prefix/bin/meril-proc" --version) || fail "meril-proc --version"
sim_version=$(timeout 20 "$prefix/bin/meril-sim" --version) || fail "meril-sim --version"
echo "$version | $proc_version | $sim_version"
echo "$version" | grep -Eq '^meril [0-9]+\.[0-9]+' || fail "meril --version printed \"$version\""
[ "${proc_version#meril-proc }" = "${version#meril }" ] || fail "meril-proc has another version: $proc_version"
[ "${sim_version#meril-sim }" = "${version#meril }" ] || fail "meril-sim has another version: $sim_version"
timeout 20 "$prefix/bin/meril-sim" --help >"$work/sim-help.txt" || fail "meril-sim --help"
grep -q -- '--link' "$work/sim-help.txt" || fail "meril-sim --help does not list --link"
if have help2man; then
    gzip -dc "$prefix/share/man/man1/meril-proc.1.gz" | grep -q 'cursors.*LC,MC,RC' ||
        fail "the man page of meril-proc lacks its options"
    gzip -dc "$prefix/share/man/man1/meril.1.gz" | grep -q 'RUN\\\?\.passes' ||
        fail "the man page of meril does not name RUN.passes"
fi
timeout 20 "$prefix/bin/meril" --help | grep -q 'RUN\.passes' || fail "meril --help does not name RUN.passes"

# The spectrum types under a private data folder: known by name (in any
# case) or content, and opened by the program.
if have xdg-mime && have update-mime-database && have mimetype; then
    export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_DATA_DIRS=/usr/share
    mkdir -p "$XDG_DATA_HOME/mime/packages" "$XDG_DATA_HOME/applications" "$XDG_CONFIG_HOME"
    cp "$share/mime/packages/meril.xml" "$XDG_DATA_HOME/mime/packages/"
    update-mime-database "$XDG_DATA_HOME/mime"
    printf '\013' >"$work/run1.dcw"
    printf '\013' >"$work/RUN2.DCW"
    printf '#DESC\t1.2\n' >"$work/sweep.DSC"
    printf '#DESC\t1.2\n' >"$work/sweep2.dsc"
    printf '\0\0\0\0' >"$work/sweep.DTA"
    printf 'DOS  Format\rANZ 2\r' >"$work/esp.par"
    printf '##TITLE=a\r\n##JCAMP-DX=5.01\r\n' >"$work/line.jdx"
    printf '##TITLE=a\r\n##JCAMP-DX=5.01\r\n' >"$work/line.JCAMP"
    for pair in run1.dcw:application/x-meril-dcw RUN2.DCW:application/x-meril-dcw \
                sweep.DSC:application/x-bes3t-descriptor sweep2.dsc:application/x-bes3t-descriptor \
                sweep.DTA:application/x-bes3t-data esp.par:application/x-esp-parameters \
                line.jdx:chemical/x-jcamp-dx line.JCAMP:chemical/x-jcamp-dx; do
        f=${pair%%:*}
        expected=${pair#*:}
        type=$(xdg-mime query filetype "$work/$f")
        [ "$type" = "$expected" ] || fail "xdg-mime names $f as \"$type\", not $expected"
    done
    cp "$desktop" "$XDG_DATA_HOME/applications/"
    if have update-desktop-database; then
        update-desktop-database "$XDG_DATA_HOME/applications"
        for type in application/x-meril-dcw application/x-bes3t-descriptor application/x-bes3t-data \
                    application/x-esp-parameters chemical/x-jcamp-dx; do
            opener=$(xdg-mime query default "$type")
            [ "$opener" = meril.desktop ] || fail "a $type file opens with \"$opener\", not meril.desktop"
        done
    fi
else
    echo "SKIP: xdg-mime, update-mime-database or mimetype not found"
fi

[ "$failures" -eq 0 ] || exit 1
echo "installed and checked in $prefix"
