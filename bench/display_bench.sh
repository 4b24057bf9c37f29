#!/usr/bin/env bash
# The whole display measured under Xvfb at 1920x1080, every element running (scroll message,
# polygon, clock, the animated title, the talking download on the dummy sound driver), on
# settings of its own. Runs the measurements named (default: all but the soak) and prints
# their figures.
# Usage: bench/display_bench.sh BUILD_DIR [pipeline flood smoothness latency startup]
#        bench/display_bench.sh BUILD_DIR soak MINUTES
set -euo pipefail

if [ -z "${TALLIVUE_BENCH_DISPLAY:-}" ]; then
    exec env TALLIVUE_BENCH_DISPLAY=1 "$(dirname "$0")/../tools/xserver.sh" 1920x1080x24 "$0" "$@"
fi
export QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy
build=$(cd "$1" && pwd)
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work XDG_STATE_HOME=$work
mkdir -p "$XDG_CONFIG_HOME/Outrider"
# The bench program is not in the program folder, so the pictures and sounds are named.
{
    printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Outrider\\Tallivue]\r\n'
    printf '%s\r\n' '"ShowClock"=dword:00000001' '"Talking Download"=dword:00000001' \
        "\"BackgroundBMP\"=\"$build/IMGs/Background.bmp\"" "\"Title\"=\"$build/IMGs/Title.gif\"" \
        "\"Center Logo\"=\"$build/IMGs/Sml_Logo.gif\"" "\"Talking Folder\"=\"$build/Sounds/\""
} >"$XDG_CONFIG_HOME/Outrider/Tallivue.reg"

if ss -Hulpn 'sport = :12001' | grep -q .; then
    echo "display_bench: another program listens on UDP port 12001:" >&2
    ss -Hulpn 'sport = :12001' >&2
    exit 1
fi
if [ "${1:-}" = soak ]; then
    exec "$build/bench/display_bench" soak "${2:-60}" "$build/tallivue-sim"
fi
for measurement in "${@:-pipeline flood smoothness latency startup}"; do
    for name in $measurement; do
        "$build/bench/display_bench" "$name"
    done
done
