#!/bin/sh
# Runs atspi_check.py against the program on a virtual display with a D-Bus
# session and its AT-SPI bus, as a screen reader on a desktop would meet it.
# The program runs from a folder of its own, its MERIL.INI pointing its port
# at the simulator. Exits 77 (skipped) where Xvfb, D-Bus, at-spi2-core or
# pyatspi are missing.
# Usage: run_atspi.sh MERIL MERIL_SIM WRITE_SPECTRA
set -eu
here=$(cd "$(dirname "$0")" && pwd)
skip() {
    echo "SKIP: $*"
    exit 77
}
command -v Xvfb >/dev/null 2>&1 || skip "Xvfb not found (xvfb)"
command -v dbus-run-session >/dev/null 2>&1 || skip "dbus-run-session not found (dbus)"
[ -x /usr/libexec/at-spi-bus-launcher ] || skip "at-spi-bus-launcher not found (at-spi2-core)"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "pyatspi not found (python3-pyatspi)"

work=$(mktemp -d)
pids=
cleanup() {
    for pid in $pids; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
# Waits until a file has something in it.
wait_for_file() {
    tries=0
    until [ -s "$1" ]; do
        tries=$((tries + 1))
        [ "$tries" -le 100 ] || { echo "FAIL: $2" >&2; exit 1; }
        sleep 0.1
    done
}

# A display of its own, at a number chosen at random: another session's
# server may hold a low one where this one cannot see it.
xvfb_pid=
for attempt in 1 2 3 4 5; do
    number=$(($(od -An -N2 -tu2 /dev/urandom) % 30000 + 100))
    Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp 2>"$work/xvfb.log" &
    xvfb_pid=$!
    tries=0
    while kill -0 "$xvfb_pid" 2>/dev/null && [ ! -S "/tmp/.X11-unix/X$number" ] && [ "$tries" -lt 50 ]; do
        tries=$((tries + 1))
        sleep 0.1
    done
    sleep 0.3
    kill -0 "$xvfb_pid" 2>/dev/null && break
    xvfb_pid=
done
[ -n "$xvfb_pid" ] || { cat "$work/xvfb.log" >&2; echo "FAIL: Xvfb did not start" >&2; exit 1; }
pids="$pids $xvfb_pid"
DISPLAY=:$number
export DISPLAY

cp "$1" "$work/meril"
"$3" "$work"
# Long passes in real time: the run is still going when Hold is pressed.
"$2" --link "$work/link" --points 4000 </dev/null >"$work/sim.out" 2>&1 &
pids="$pids $!"
wait_for_file "$work/sim.out" "the simulator did not start"
# MERIL.INI: ten lines ending CR LF; the folders empty (the program's own),
# line 4 the port, the notification sounds off.
printf '\r\n\r\n\r\n%s\r\n\r\n0,1,0\r\n\r\n0,1,0\r\n\r\n0,0,1\r\n' "$(head -n 1 "$work/sim.out")" >"$work/MERIL.INI"

HOME=$work XDG_CONFIG_HOME=$work/config dbus-run-session -- /usr/bin/python3 "$here/atspi_check.py" "$work"
