#!/bin/sh
# Builds the program and the instrument simulator, starts the simulator in the
# background, points the program's port at it (line 4 of MERIL.INI next to the
# program; the other lines are kept), runs the program, and stops the
# simulator when the program ends.
#
# Simulator options may be given in MERIL_SIM_OPTIONS, for example
#   MERIL_SIM_OPTIONS="--sample esr --speed 4" sh scripts/run-demo.sh
# and the link path in MERIL_SIM_LINK.
set -eu
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs" --target meril meril-sim

link=${MERIL_SIM_LINK:-/tmp/meril-sim-$(id -u)}
ini=build/app/MERIL.INI
out=$(mktemp)
sim_pid=

cleanup() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -f "$out" "$ini.new"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The options are meant to be split into words.
# shellcheck disable=SC2086
./build/simulator/meril-sim --link "$link" ${MERIL_SIM_OPTIONS:-} </dev/null >"$out" &
sim_pid=$!

# The simulator prints its link path as its first line once it serves.
tries=0
until [ -s "$out" ]; do
    if ! kill -0 "$sim_pid" 2>/dev/null; then
        wait "$sim_pid" || true
        sim_pid=
        echo "run-demo: the simulator did not start" >&2
        exit 1
    fi
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ]; then
        echo "run-demo: the simulator did not report its link" >&2
        exit 1
    fi
    sleep 0.1
done
port=$(head -n 1 "$out")

# MERIL.INI: ten lines ending CR LF; line 4 is the port. Missing lines get
# their defaults, lines beyond the tenth are kept as they are.
if [ -f "$ini" ]; then source_ini=$ini; else source_ini=/dev/null; fi
awk -v port="$port" '
    BEGIN { fallback[6] = "0,1,0"; fallback[8] = "0,1,0"; fallback[10] = "0,0,1" }
    { sub(/\r$/, ""); line[NR] = $0 }
    END {
        last = NR > 10 ? NR : 10
        for (i = 1; i <= last; i++) {
            value = (i <= NR) ? line[i] : fallback[i]
            if (i == 4) value = port
            printf "%s\r\n", value
        }
    }' "$source_ini" >"$ini.new"
mv "$ini.new" "$ini"
echo "run-demo: the program's port is the simulator at $port"

# A standard setup that shows the simulated line at once (the built-in
# defaults have the gain at its minimum): gain 130, field sweep of 20 Gs
# (15 Gs in ESR), modulation 0.5 Gs, mode NMR 1H. The default sample's line
# (and the ESR standard's, with --sample esr, in ESR) stays inside the chart's
# -500..500. Written only when the setup directory (MERIL.INI line 1, else the
# program's directory) has none.
setup_dir=$(awk 'NR == 1 { sub(/\r$/, ""); print }' "$ini")
[ -n "$setup_dir" ] || setup_dir=build/app
le32() {
    v=$1
    printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $((v & 255)) $((v >> 8 & 255)) $((v >> 16 & 255)) $((v >> 24 & 255)))"
}
if [ -d "$setup_dir" ] && [ ! -e "$setup_dir/STANDARD.CFG" ]; then
    {
        le32 0; le32 130                             # level, gain
        le32 0; le32 0; le32 0; le32 0               # phase per mode
        le32 1; le32 1                               # accumulations; field sweep (byte) and padding
        le32 4; le32 4; le32 10; le32 6              # field sweep range per mode
        le32 3; le32 7; le32 1                       # frequency sweep range, modulation, sweep time
        le32 0; le32 0; le32 0; le32 0; le32 0       # B0 per mode, B0 step
        le32 0; le32 0; le32 0; le32 0; le32 0       # frequency per mode, frequency step
        le32 0                                       # mode (byte) and padding
    } >"$setup_dir/STANDARD.CFG"
    echo "run-demo: wrote a standard setup to $setup_dir/STANDARD.CFG"
fi

# Without a display the program runs offscreen; Ctrl-C ends it.
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
    export QT_QPA_PLATFORM=offscreen
    echo "run-demo: no display found: the program runs offscreen until Ctrl-C"
fi

status=0
./build/app/meril || status=$?
exit "$status"
