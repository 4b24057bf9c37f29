#!/usr/bin/env bash
# The README's first command on a machine without a screen: the demo runs the display beside
# the simulated arena under Xvfb and saves a picture of it in a game. The picture must show the
# game: its red caption and the yellow countdown.
# Usage: demo_check.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
output=$(cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY bash "$1/tools/demo.sh" "$2" 2>&1) ||
    { echo "FAIL: the demo ended with an error: $output" >&2; exit 1; }
shot=$work/tallivue-demo.png
grep -qF "Saved: $shot" <<<"$output" || { echo "FAIL: no picture named: $output" >&2; exit 1; }
pixels() { convert "$shot" -fill black +opaque "$1" -fill white -opaque "$1" -format '%[fx:round(mean*w*h)]' info:; }
red=$(pixels '#FF0000')
yellow=$(pixels '#FFFF00')
((red > 500 && yellow > 100)) ||
    { echo "FAIL: the picture shows no game (red caption $red px, yellow countdown $yellow px)" >&2; exit 1; }
echo PASS
