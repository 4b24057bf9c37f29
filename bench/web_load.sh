#!/usr/bin/env bash
# The front desk's board under load: the whole display under Xvfb at 1920x1080 with its web
# service on, a simulated game of three teams going, and CLIENTS board pages (WebSockets) open.
# Prints the datagram-to-board latency, the display's CPU and its datagram rate with and without
# them, then the pipeline ceiling to set that rate beside.
# Usage: bench/web_load.sh BUILD_DIR [CLIENTS] [SECONDS]
set -euo pipefail

if [ -z "${TALLIVUE_BENCH_DISPLAY:-}" ]; then
    exec env TALLIVUE_BENCH_DISPLAY=1 "$(dirname "$0")/../tools/xserver.sh" 1920x1080x24 "$0" "$@"
fi
export QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy
build=$(cd "$1" && pwd)
clients=${2:-50}
seconds=${3:-20}
port=18080
work=$(mktemp -d)
pids=()
finish() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap finish EXIT
export XDG_CONFIG_HOME=$work XDG_STATE_HOME=$work
mkdir -p "$XDG_CONFIG_HOME/Outrider"
{
    printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Outrider\\Tallivue]\r\n'
    printf '%s\r\n' '"ShowClock"=dword:00000001' '"Talking Download"=dword:00000001' \
        "\"Web Port\"=dword:$(printf %08x $port)" \
        "\"BackgroundBMP\"=\"$build/IMGs/Background.bmp\"" "\"Title\"=\"$build/IMGs/Title.gif\"" \
        "\"Center Logo\"=\"$build/IMGs/Sml_Logo.gif\"" "\"Talking Folder\"=\"$build/Sounds/\""
} >"$XDG_CONFIG_HOME/Outrider/Tallivue.reg"

for socket in "-u sport = :12001" "-t sport = :$port"; do
    if ss -Hlpn $socket | grep -q .; then
        echo "web_load.sh: another program listens on the port the display needs:" >&2
        ss -Hlpn $socket >&2
        exit 1
    fi
done
"$build/tallivue" 2>"$work/display.log" &
display=$!
pids+=("$display")
"$build/tallivue-sim" game --forever --quiet --speed 4 --packs 20 --teams 3 &
pids+=($!)
if ! "$build/bench/web_load_bench" "$port" "$clients" "$seconds" "$display"; then
    cat "$work/display.log" >&2
    exit 1
fi
for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
wait 2>/dev/null || true
pids=()
"$build/bench/display_bench" pipeline
