#!/usr/bin/env bash
# The real program in a bare X server (no window manager, as on a kiosk), fed real datagrams
# by the controller simulator. Usage: display_e2e.sh BUILD_DIR [SCREENSHOT.png]
set -euo pipefail

if [ -z "${TALLIVUE_E2E_DISPLAY:-}" ]; then
    exec env TALLIVUE_E2E_DISPLAY=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

# The program must open a real X window here, whatever platform the caller's environment names.
export QT_QPA_PLATFORM=xcb
build=$(cd "$1" && pwd)
shot=${2:-}
work=$(mktemp -d)
export XDG_CONFIG_HOME=$work/config
pid=
cleanup() {
    local status=$?
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$build/tallivue" >"$work/out.txt" 2>&1 &
pid=$!

window=
for _ in $(seq 100); do
    window=$( (xwininfo -name Tallivue 2>/dev/null || true) | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p')
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || fail "tallivue ended at start: $(cat "$work/out.txt")"
    sleep 0.1
done
[ -n "$window" ] || fail "no window named Tallivue appeared"
xprop -id "$window" WM_NAME | grep -q '"Tallivue"' || fail "window title: $(xprop -id "$window" WM_NAME)"

# The colour of one pixel of the window, as RRGGBB.
pixel() {
    import -window "$window" png:- | convert png:- -format "%[hex:p{$1,$2}]" info: | cut -c1-6
}
# Waits until a pixel takes a colour.
expect_pixel() {
    local x=$1 y=$2 want=$3 got=
    for _ in $(seq 50); do
        got=$(pixel "$x" "$y")
        [ "$got" = "$want" ] && return 0
        sleep 0.1
    done
    fail "pixel $x,$y is $got, expected $want"
}

# The grid lies at 0,80; pitch 36, boxes 24 from 12 into each pitch.
"$build/tallivue-sim" "PACKSTATUS,160,0,64,128"
expect_pixel 24 104 FF8080 # team 1 pack 1: played, light red
expect_pixel 24 140 404040 # team 2 pack 1: not in use, dark grey
expect_pixel 24 176 604000 # team 3 pack 1: downloaded only, dark yellow
expect_pixel 60 104 000000 # team 1 pack 2: in use, black

"$build/tallivue-sim" --interval 20 "MODE,IDLE" "packstatus,0,0,0" "PACKSTATUS,64, 0 ,\$20"
expect_pixel 24 104 800000
expect_pixel 24 176 FFFF80
expect_pixel 24 140 404040

[ -n "$shot" ] && import -window "$window" "$shot"
kill -0 "$pid" 2>/dev/null || fail "tallivue ended while running"
echo "PASS"
