#!/usr/bin/env bash
# The real program in a bare X server at 1024x768 (no window manager, as on a kiosk), fed real
# datagrams by the controller simulator: a whole arena cycle checked from the outside after
# every datagram (the title through xprop, the caption, grid and countdown through the screen's
# pixels), the download spoken in order (SDL's disk driver records it), the keyboard taken
# without a window manager, and the floating window laid out from a settings file.
# Usage: display_e2e.sh BUILD_DIR [SCREENSHOT_DIR]
set -euo pipefail

if [ -z "${TALLIVUE_E2E_DISPLAY:-}" ]; then
    exec env TALLIVUE_E2E_DISPLAY=1 "$(dirname "$0")/../../tools/xserver.sh" 1024x768x24 "$0" "$@"
fi

# The program must open a real X window here, whatever platform the caller's environment names.
export QT_QPA_PLATFORM=xcb
build=$(cd "$1" && pwd)
shots=${2:-}
work=$(mktemp -d)
export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state
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
fail() {
    echo "FAIL: $*" >&2
    [ -f "$work/shot.png" ] && cp "$work/shot.png" "${TMPDIR:-/tmp}/display_e2e-failed.png"
    exit 1
}

# Settings: the given value lines, no pictures (a black window makes the pixels certain), and
# a voice of its own: a tone a word, each louder than the one before, so the order is heard.
voice=$work/voice
mkdir -p "$voice" "$XDG_CONFIG_HOME/Outrider"
words=(red 01 green 02 Download_complete)
for i in "${!words[@]}"; do
    sox -n -r 22050 -c 1 -b 16 "$voice/${words[$i]}.wav" synth 0.25 sine 440 vol "0.$((i + 1))"
done
settings() {
    printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Outrider\\Tallivue]\r\n%b' \
        "\"BackgroundBMP\"=\"\"\r\n\"Title\"=\"\"\r\n\"Center Logo\"=\"\"\r\n$1" \
        >"$XDG_CONFIG_HOME/Outrider/Tallivue.reg"
}

window=
start_display() {
    export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/heard.raw
    "$build/tallivue" >"$work/out.txt" 2>&1 &
    pid=$!
    window=
    for _ in $(seq 100); do
        # The display, not the about box: both are the program's and named Tallivue.
        for id in $(xwininfo -root -tree | awk '/\("tallivue" "Tallivue"\)/ { print $1 }'); do
            xprop -id "$id" _NET_WM_WINDOW_TYPE | grep -q DIALOG || window=$id
        done
        [ -n "$window" ] && break
        kill -0 "$pid" 2>/dev/null || fail "tallivue ended at start: $(cat "$work/out.txt")"
        sleep 0.1
    done
    [ -n "$window" ] || fail "no display window appeared"
}
stop_display() {
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    pid=
}

shot() { import -window root "$work/shot.png"; }
title() { xprop -id "$window" WM_NAME | sed -n 's/^WM_NAME([A-Z_0-9]*) = "\(.*\)"$/\1/p'; }
# How many pixels of exactly this colour lie in the rectangle WxH+X+Y of the last shot.
count() {
    convert "$work/shot.png" -crop "$1" +repage -fill black +opaque "$2" -fill white -opaque "$2" \
        -format '%[fx:round(mean*w*h)]' info:
}
# The width of the mode caption's pure red letters (the grid's reds are lighter or darker).
caption_width() {
    if [ "$(count 1024x768+0+0 '#FF0000')" = 0 ]; then
        echo 0
    else
        convert "$work/shot.png" -fill black +opaque '#FF0000' -trim -format '%w' info:
    fi
}
grid_shows() { [ "$(count 1x1+340+235 '#404040')" = 1 ] && echo yes || echo no; }
countdown_shows() { [ "$(count 424x100+300+84 '#FFFF00')" != 0 ] && echo yes || echo no; }
state() { shot; echo "$(title)|$(caption_width)|$(grid_shows)|$(countdown_shows)"; }

# Sends a datagram, then waits until the display shows the title, a caption about as wide as
# the one named (its width in this font), the grid or not, the countdown or not.
declare -A caption=([Offline]=148 [Idle]=77 [Calculating]=253 ["Download Packs"]=375
    ["Playing Game Deathmatch"]=598)
viewable() { # TITLE: whether a window of that name is on the screen
    local id
    for id in $(xwininfo -root -tree | awk -v t="\"$1\":" '$2 " " $3 " " $4 ~ t || $2 ~ t { print $1 }'); do
        xwininfo -id "$id" 2>/dev/null | grep -q IsViewable && return 0
    done
    return 1
}
wait_until() { for _ in $(seq 30); do "$@" && return 0; sleep 0.1; done; return 1; }
window_named() { xwininfo -root -tree | awk -v t="\"$1\":" 'index($0, t) { print $1; exit }'; }
press_until() { # KEY CONDITION...: the key, again each tenth of a second, until the condition holds
    local key=$1
    shift
    for _ in $(seq 30); do
        xdotool key "$key"
        sleep 0.1
        "$@" && return 0
    done
    return 1
}
has_keyboard() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$(($1))" ]; }
# The about box, which bears the display's name and has its own size (read whole: a reader that
# stops early would break the pipe).
about_window() { xwininfo -root -tree | awk '/\("tallivue" "Tallivue"\)/ && /304x320/ { id = $1 } END { print id }'; }
about_shows() { xwininfo -id "$(about_window)" 2>/dev/null | grep IsViewable >/dev/null; }
# The about box of the start-up hides itself after five seconds (its own test sees to that), and
# leaves the keyboard with the display meanwhile: given the keyboard, its OK closes it at once.
close_startup_about() {
    wait_until about_shows || fail "no about box came up at start"
    xdotool windowfocus --sync "$(about_window)" key Return
    wait_until eval '! about_shows' || fail "Return did not close the about box of the start-up"
}

expect_state() {
    local after=$1 want_title=$2 want_caption=$3 want_grid=$4 want_countdown=$5 got=
    for _ in $(seq 50); do
        got=$(state)
        IFS='|' read -r t w g c <<<"$got"
        if [ "$t" = "$want_title" ] && [ "$g" = "$want_grid" ] && [ "$c" = "$want_countdown" ] &&
            ((w >= ${caption[$want_caption]} - 4 && w <= ${caption[$want_caption]} + 4)); then
            return 0
        fi
        sleep 0.1
    done
    fail "$after: title|caption width|grid|countdown is $got, expected" \
        "$want_title|$want_caption (${caption[$want_caption]})|$want_grid|$want_countdown"
}
step() {
    "$build/tallivue-sim" "$1"
    expect_state "after $1" "${@:2}"
}

settings "\"Talking Download\"=dword:00000001\r\n\"Talking Folder\"=\"$voice/\"\r\n"
start_display
close_startup_about
expect_state "at start" Tallivue Offline yes no
# Without a window manager the display takes the keyboard itself: F1 brings the about box.
xdotool key F1
wait_until about_shows || fail "F1 did not show the about box"
xdotool key Return # OK

step "MODE,IDLE" "Tallivue" Idle yes no
step "PACKSTATUS,128,128,128,128,128,0" "I:5  D:0  P:0  Tallivue" Idle yes no
step "MODE,GAMEACTIVE,301,Deathmatch" "5:01  Tallivue" "Playing Game Deathmatch" no no
step "MODE,GAMEACTIVE,300,Deathmatch" "5:00  Tallivue" "Playing Game Deathmatch" no yes
[ -n "$shots" ] && cp "$work/shot.png" "$shots/game.png"
step "PACKSTATUS,128,128,128,128,128,128" "5:00  Tallivue" "Playing Game Deathmatch" no yes
step "MODE,GAMEACTIVE,275,Deathmatch" "4:35  Tallivue" "Playing Game Deathmatch" no yes
step "MODE,GAMEACTIVE,59,Deathmatch" "0:59  Tallivue" "Playing Game Deathmatch" no yes
step "MODE,GAMEACTIVE,5,Deathmatch" "0:05  Tallivue" "Playing Game Deathmatch" no yes
step "MODE,CALCULATE" "0:05  Tallivue" Calculating yes no
step "MODE,DOWNLOADPACKS" "0:05  Tallivue" "Download Packs" yes no
step "PACKSTATUS,160,128,128,128,128,128" "I:6  D:1  P:1  Tallivue" "Download Packs" yes no
sleep 1 # "red", "01"
step "PACKSTATUS,160,128,128,128,64,128" "I:6  D:2  P:1  Tallivue" "Download Packs" yes no
sleep 1 # "green", "02"
[ -n "$shots" ] && cp "$work/shot.png" "$shots/download.png"
step "MODE,IDLE" "I:6  D:2  P:1  Tallivue" Idle yes no # "Download_complete"
sleep 1

# F5: the properties dialog comes up above the display and takes the keyboard: five tabs on
# to "Audio", five fields on to its audio picker, which opens. Escape twice closes both, and
# the display has the keyboard again.
xdotool key F5
wait_until viewable "Tallivue -- Properties" || fail "F5 did not bring the properties dialog"
dialog=$(window_named "Tallivue -- Properties")
wait_until has_keyboard "$dialog" || fail "the properties dialog did not get the keyboard"
geometry=$(xwininfo -id "$dialog" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /Width/ { w = $NF } /Height/ { h = $NF } END { print w "x" h "+" x "+" y }')
shot
light=$(convert "$work/shot.png" -crop "$geometry" -colorspace gray -format '%[fx:mean > 0.6]' info:)
[ "$light" = 1 ] || fail "the properties dialog is not above the display ($geometry)"
xdotool key ctrl+Tab ctrl+Tab ctrl+Tab ctrl+Tab ctrl+Tab
xdotool key Tab Tab Tab Tab Tab space
wait_until viewable "Open Audio File" || fail "the audio picker did not open from the keyboard"
wait_until has_keyboard "$(window_named "Open Audio File")" || fail "the picker did not get the keyboard"
xdotool key Escape
wait_until eval '! viewable "Open Audio File"' || fail "Escape did not close the audio picker"
# Nobody else hands the keyboard back on a kiosk: the dialog takes it when its windows close.
wait_until has_keyboard "$dialog" || fail "the dialog did not take the keyboard back from the picker"
xdotool key alt+b
wait_until about_shows || fail "Alt+B did not show the about box over the dialog"
xdotool key Return
wait_until eval '! about_shows' || fail "Return did not close the about box"
wait_until has_keyboard "$dialog" || fail "the dialog did not take the keyboard back from the about box"
xdotool key Escape
wait_until eval '! viewable "Tallivue -- Properties"' || fail "Escape did not close the dialog"
press_until F1 about_shows || fail "F1 did not reach the display after the dialog"
stop_display

# What was heard: the loudest sample of every 50 ms, as the tone (1 to 5) it belongs to. A tone
# (250 ms) fills whole blocks; the block its first or last few samples fall into may miss the
# sine's crest and read one or two lower, so a level counts only when two blocks in a row agree.
heard=$(sox -t raw -r 44100 -e signed -b 16 -c 2 "$work/heard.raw" -t dat - remix 1 |
    awk 'NR > 2 { block = int($1 / 0.05); v = $2 < 0 ? -$2 : $2; if (v > peak[block]) peak[block] = v;
                  last = block }
         END { shown = -1; level = -1
               for (b = 0; b <= last + 1; ++b) {
                   next_level = b <= last ? int(peak[b] * 10 + 0.5) : -1
                   if (next_level == level) { ++run; continue }
                   if (run >= 2 && level != shown) { if (level > 0) printf "%d", level; shown = level }
                   level = next_level; run = 1 } }')
# Yellow pack 2 coming into the game is announced ("yellow" is not in this voice: "02"), then
# red 1 played, green 2 downloaded, and the end of the download. Five seconds without a change
# during the download bring its spoken summary, the packs still needed, in between: a loaded
# machine may take that long between two datagrams. So the announcements must come in order,
# whatever is heard between them, and the end of the download last.
[[ $heard =~ ^4.*1.*2.*3.*4.*5$ ]] ||
    fail "the announcements were heard as tones '$heard', expected 412345 in that order"

# The floating window: where the settings put it, as wide as they say, the grid alone.
settings "\"Mode\"=dword:00000001\r\n"
start_display
# With the pointer beside the small window, keys reach the display only if it holds the
# keyboard itself, which it keeps while the about box of the start-up shows and hides itself.
xdotool mousemove 5 5
wait_until about_shows || fail "no about box came up at start"
for _ in $(seq 50); do
    geometry=$(xwininfo -id "$window" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /Width/ { w = $NF } END { print x "," y "," w }')
    [ "$geometry" = "440,522,360" ] && break
    sleep 0.1
done
[ "$geometry" = "440,522,360" ] || fail "floating window at x,y,width $geometry"
"$build/tallivue-sim" "PACKSTATUS,160,0,64"
for _ in $(seq 50); do
    import -window "$window" "$work/float.png"
    [ "$(convert "$work/float.png" -fill black +opaque '#FF8080' -format '%[fx:mean>0]' info:)" = 1 ] && break
    sleep 0.1
done
[ "$(convert "$work/float.png" -fill black +opaque '#FF8080' -format '%[fx:mean>0]' info:)" = 1 ] ||
    fail "the floating window shows no played red pack"
[ -n "$shots" ] && cp "$work/float.png" "$shots/floating.png"
for _ in $(seq 70); do about_shows || break; sleep 0.1; done
about_shows && fail "the about box of the start-up did not hide itself"
xdotool key F1
wait_until about_shows || fail "the floating window did not get the keyboard back"
kill -0 "$pid" 2>/dev/null || fail "tallivue ended while running"
stop_display

# Killed in the middle of a download and started again: the grid, the totals and the title are
# back before the controller says anything more. A damaged state file is passed over.
settings ""
rm -rf "$XDG_STATE_HOME/tallivue" # what the displays before kept
start_display
close_startup_about
step "MODE,DOWNLOADPACKS" "Tallivue" "Download Packs" yes no
step "PACKSTATUS,160,128,128,128,64,128" "I:6  D:2  P:1  Tallivue" "Download Packs" yes no
sleep 2.5 # the state is kept two seconds after a change at the latest
kill -KILL "$pid"
wait "$pid" 2>/dev/null || true
start_display
expect_state "started again during the download" "I:6  D:2  P:1  Tallivue" "Download Packs" yes no
stop_display
printf 'Tallivue display state 1\nsaved 0\npacks 6 12' >"$XDG_STATE_HOME/tallivue/display.state"
start_display
close_startup_about
expect_state "started on a damaged state file" Tallivue Offline yes no
[ "$(grep -c "kept state .* is passed over: it ends in the middle of a line" "$work/out.txt")" = 1 ] ||
    fail "the damaged state file was not told in one line: $(cat "$work/out.txt")"
echo "PASS"
