#!/usr/bin/env bash
# An installed display started through its link in BIN_DIR, as a menu, a login or a kiosk starts
# it: with no settings of its own it must find its pictures and its voice in its program folder.
# Fed a game by the installed simulator, it must show the title and the background while the
# game is played (SCREENSHOT is that screen) and speak the download that follows.
# TALLIVUE_KIOSK_START names a kiosk's xinitrc to start it through instead, as xinit would.
# Usage: installed_display.sh BIN_DIR SCREENSHOT
set -euo pipefail

if [ -z "${TALLIVUE_INSTALLED_DISPLAY:-}" ]; then
    exec env TALLIVUE_INSTALLED_DISPLAY=1 "$(dirname "$0")/../../tools/xserver.sh" 1024x768x24 "$0" "$@"
fi

fail() { echo "FAIL: $*" >&2; exit 1; }
(($# == 2)) || fail "usage: installed_display.sh BIN_DIR SCREENSHOT"
bin=$1
shot=$2
export QT_QPA_PLATFORM=xcb
work=$(mktemp -d)
pids=()
cleanup() {
    local status=$? pid
    for pid in "${pids[@]}"; do
        # The kiosk's loop is a process group of its own, with the display in it.
        kill -- "-$pid" 2>/dev/null || kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT

for program in tallivue tallivue-sim; do
    # A link that names its target from the root would point outside a tree that is moved or
    # was staged under DESTDIR.
    link=$(readlink "$bin/$program") || fail "$bin/$program is not a symbolic link"
    [[ $link != /* ]] || fail "$bin/$program links to the absolute path $link"
done

# Only the talking download and the clock switched on: every path is the built-in one, under
# the program folder.
export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state
mkdir -p "$XDG_CONFIG_HOME/Outrider"
printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Outrider\\Tallivue]\r\n%s\r\n%s\r\n' \
    '"Talking Download"=dword:00000001' '"ShowClock"=dword:00000001' \
    >"$XDG_CONFIG_HOME/Outrider/Tallivue.reg"
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/heard.raw

if [ -n "${TALLIVUE_KIOSK_START:-}" ]; then
    # The kiosk's own log takes what the display reports.
    PATH=$bin:$PATH setsid sh "$TALLIVUE_KIOSK_START" >"$work/out.txt" 2>&1 &
    ln -s "$XDG_STATE_HOME/tallivue.log" "$work/kiosk.log"
else
    "$bin/tallivue" >"$work/out.txt" 2>&1 &
fi
pids+=($!)
title() { # of the display, not of its about box, which bears the same name at first
    local id
    for id in $(xwininfo -root -tree | awk '/\("tallivue" "Tallivue"\)/ && !/304x320/ { print $1 }'); do
        xprop -id "$id" WM_NAME | sed -n 's/^WM_NAME([A-Z_0-9]*) = "\(.*\)"$/\1/p'
    done
}
# The about box (read whole: a reader that stops early would break the pipe).
about_window() { xwininfo -root -tree | awk '/\("tallivue" "Tallivue"\)/ && /304x320/ { id = $1 } END { print id }'; }
about_shows() { xwininfo -id "$(about_window)" 2>/dev/null | grep IsViewable >/dev/null; }
for _ in $(seq 100); do
    [ -n "$(title)" ] && break
    kill -0 "${pids[0]}" 2>/dev/null || fail "tallivue ended at start: $(cat "$work"/out.txt "$work"/kiosk.log 2>/dev/null)"
    sleep 0.1
done
[ -n "$(title)" ] || fail "no display window appeared"
# The about box of the start-up covers the middle of the screen for five seconds, or until its
# OK, given the keyboard, closes it.
for _ in $(seq 30); do about_shows && break; sleep 0.1; done
about_shows && xdotool windowfocus --sync "$(about_window)" key Return
for _ in $(seq 100); do about_shows || break; sleep 0.1; done

# A game of two minutes, played twenty times as fast; its countdown is in the title.
"$bin/tallivue-sim" game --speed 20 --quiet >"$work/sim.txt" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    [[ $(title) =~ ^[0-9]+:[0-9]{2}\ \ Tallivue$ ]] && break
    sleep 0.1
done
[[ $(title) =~ ^[0-9]+:[0-9]{2} ]] || fail "no game showed: the title is '$(title)'"
import -window root "$shot"

# The title is drawn in light blues and white; with no picture the band above the board is
# black, with only the background no brighter than a dark navy (luma 0.2 at most).
title_pixels=$(convert "$shot" -crop 1024x76+0+0 -colorspace Gray -threshold 50% \
    -format '%[fx:round(mean*w*h)]' info:)
((title_pixels > 1000)) || fail "no title at the top of the screen ($title_pixels light pixels)"
# Beside the board, below the caption: only the background shows there during a game.
background=$(convert "$shot" -crop 150x150+20+300 -colorspace Gray -format '%[fx:mean]' info:)
awk -v m="$background" 'BEGIN { exit !(m > 0.02) }' ||
    fail "the background is black beside the board (mean luma $background)"

# The whole cycle, then the download spoken from the program folder's voice files: any sound
# at all, since SDL's disk driver writes nothing but zeros while nothing plays.
wait "${pids[1]}" || fail "the simulator failed: $(cat "$work/sim.txt")"
sleep 2
# The board after the download: the grid with every pack and the totals (SCREENSHOT's -board twin).
import -window root "${shot%.png}-board.png"
[ -s "$work/heard.raw" ] && [ -n "$(tr -d '\0' <"$work/heard.raw" | head -c1)" ] ||
    fail "nothing was heard during the download: no voice in the program folder"
kill -0 "${pids[0]}" 2>/dev/null || fail "tallivue ended while running: $(cat "$work"/out.txt "$work"/kiosk.log 2>/dev/null)"
echo "PASS: the display started through $bin/tallivue found its pictures and its voice"
