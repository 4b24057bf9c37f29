#!/usr/bin/env bash
# What the display costs while nothing happens: the full screen at 1920x1080 under Xvfb with
# every element that moves running (scroll message, polygon, clock, the animated title), beside
# the same window with them all off, one after the other in one run. Prints the CPU time of the
# display and of the X server over the measured seconds, as a share of one core.
# Usage: bench/idle_cost.sh BUILD_DIR [SECONDS]   (default 60)
set -euo pipefail

if [ -z "${TALLIVUE_BENCH_DISPLAY:-}" ]; then
    exec env TALLIVUE_BENCH_DISPLAY=1 "$(dirname "$0")/../tools/xserver.sh" 1920x1080x24 "$0" "$@"
fi
export QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy
build=$(cd "$1" && pwd)
seconds=${2:-60}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ticks=$(getconf CLK_TCK)

# user + system time of a process, in clock ticks
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
xserver=$XSERVER_PID

measure() { # NAME SETTINGS-LINES
    export XDG_CONFIG_HOME=$work/$1 XDG_STATE_HOME=$work/$1
    mkdir -p "$XDG_CONFIG_HOME/Outrider"
    printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Outrider\\Tallivue]\r\n%b' "$2" \
        >"$XDG_CONFIG_HOME/Outrider/Tallivue.reg"
    "$build/tallivue" >/dev/null 2>&1 &
    local pid=$!
    sleep 8 # start-up, and the about box's five seconds
    local display0 x0 display1 x1
    display0=$(cpu_ticks "$pid")
    x0=$(cpu_ticks "$xserver")
    sleep "$seconds"
    display1=$(cpu_ticks "$pid")
    x1=$(cpu_ticks "$xserver")
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    awk -v name="$1" -v d=$((display1 - display0)) -v x=$((x1 - x0)) -v t="$ticks" -v s="$seconds" \
        'BEGIN { printf "%-28s display %5.2f %% of one core   X server %5.2f %%\n", name,
                 100 * d / t / s, 100 * x / t / s }'
}

echo "Idle cost over $seconds s at 1920x1080:"
measure "everything running" '"ShowClock"=dword:00000001\r\n'
measure "animations off" \
    '"ShowScrollMsg"=dword:00000000\r\n"Polygon"=dword:00000000\r\n"Title"=""\r\n'
