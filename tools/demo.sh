#!/usr/bin/env bash
# The display beside the controller simulator's arena cycle on this machine: idle, a game with
# its countdown, calculating, the download and idle again, every mode within a minute, on the
# built-in settings (kept in a folder of its own, so the user's are neither used nor made).
# Without a screen it runs the display under Xvfb instead and saves a picture of it in a game.
# Usage: tools/demo.sh [BUILD_DIR]   (default: build)
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
for program in tallivue tallivue-sim; do
    [ -x "$build/$program" ] || { echo "tools/demo.sh: no $build/$program: build first" >&2; exit 1; }
done
work=$(mktemp -d)
export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state
# Qt wants a private runtime folder, which a session without a desktop may not have.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR=$work/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
fi
simulator=
cleanup() {
    if [ -n "$simulator" ]; then
        kill "$simulator" 2>/dev/null || true
        wait "$simulator" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

"$build/tallivue-sim" game --forever --quiet &
simulator=$!

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Tallivue and a simulated arena: a game starts within seconds and a whole cycle takes"
    echo "under a minute. To end, right-click the display and choose Exit."
    "$build/tallivue"
else
    shot=${TALLIVUE_DEMO_SCREENSHOT:-$PWD/tallivue-demo.png}
    echo "No screen here (DISPLAY is not set): running the display under Xvfb for 9 seconds"
    echo "and saving a picture of it during the simulated game."
    "$(dirname "$0")/xserver.sh" 1280x720x24 "$build/tallivue" --screenshot "$shot" --after 9
    echo "Saved: $shot"
fi
