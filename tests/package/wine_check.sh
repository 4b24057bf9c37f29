#!/usr/bin/env bash
# The Windows installer as an arena's PC meets it, under Wine on a bare X server (no window
# manager): a fresh Wine prefix holding the settings an old 32-bit display left; the installer
# run silently with autostart and the front desk, the firewall rules it asks for read back; the
# display, started by its keeper as the logon start does, fed a game by the Linux simulator and
# read from its title and the screen; the properties dialog opened with F5 and saved, and the registry read back with its value types; a
# Greek caption and a message with a euro and a dash, typed in with reg before the display
# starts, shown and saved back as typed; the display ended from outside, as the Task Manager
# would, and started again by its keeper. Runs in a network of its own, as it binds UDP port 12001.
# Usage: wine_check.sh INSTALLER LINUX_BUILD_DIR [SHOT_DIR]
set -euo pipefail

if [ -z "${TALLIVUE_WINE_CHECK:-}" ]; then
    export TALLIVUE_WINE_CHECK=1
    exec unshare --net sh -c 'ip link set lo up && exec "$0" 1024x768x24 "$@"' \
        "$(dirname "$0")/../../tools/xserver.sh" "$0" "$@"
fi

installer=$(realpath "$1")
sim=$(realpath "$2")/tallivue-sim
shots=${3:+$(realpath "$3")}
wine=$(command -v wine || command -v wine64 || echo /usr/lib/wine/wine64)
work=$(mktemp -d)
# Wine reads the command line, and the texts typed into reg, in the locale's encoding.
export WINEPREFIX=$work/prefix WINEDEBUG=-all LC_ALL=C.UTF-8
pid=
cleanup() {
    local status=$?
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    "${wine%64}server" -k 2>/dev/null || wineserver -k 2>/dev/null || true
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    [ -f "$work/shot.png" ] && cp "$work/shot.png" "${TMPDIR:-/tmp}/wine_check-failed.png"
    exit 1
}
step_began=$SECONDS
took() { echo "   $1 ($((SECONDS - step_began)) s)"; step_began=$SECONDS; }

"$wine" wineboot -i >/dev/null 2>&1 || fail "Wine could not set up a prefix"
# Windows has Arial, which Wine lacks; its metric twin stands in, as on Debian.
"$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f >/dev/null
# Wine's netsh keeps no firewall rules: one of the check's own, loaded instead of Wine's, writes
# down what the installer and the uninstaller ask of the firewall.
x86_64-w64-mingw32-gcc-posix -O2 -s -o "$WINEPREFIX/drive_c/windows/system32/netsh.exe" \
    "$(dirname "$0")/netsh-log.c" || fail "the firewall's stand-in did not build"
export WINEDLLOVERRIDES=netsh.exe=n
took "a fresh Wine prefix"

# What the 32-bit display left on this PC: a 64-bit program finds it under WOW6432Node.
key='HKLM\SOFTWARE\Outrider\Tallivue'
"$wine" reg add "$key" /reg:32 /v Team2Colour /t REG_SZ /d Blue /f >/dev/null
"$wine" reg add "$key" /reg:32 /v ShowClock /t REG_DWORD /d 1 /f >/dev/null
"$wine" reg add "$key\\Language" /reg:32 /v Calculating /t REG_SZ /d Adding /f >/dev/null

"$wine" "$installer" /S /AUTOSTART /FRONTDESK || fail "the installer failed"
"${wine%64}server" -w 2>/dev/null || wineserver -w
folder="$WINEPREFIX/drive_c/Program Files/Tallivue"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
for file in "$folder/tallivue.exe" "$folder/platforms/qwindows.dll" "$folder/Sounds/red.wav" \
    "$folder/IMGs/Title.gif" "$menu/Tallivue/Tallivue.lnk" "$menu/StartUp/Tallivue.lnk" \
    "$folder/Uninstall.exe"; do
    [ -f "$file" ] || fail "the installer left no ${file#"$WINEPREFIX"/}"
done
firewall() { tr -d '\r' <"$WINEPREFIX/drive_c/netsh.log" 2>/dev/null; }
program='program="C:\Program Files\Tallivue\tallivue.exe"'
rules="netsh advfirewall firewall add rule name=\"Tallivue\" dir=in action=allow $program protocol=UDP localport=12001 remoteip=localsubnet profile=any"
# The front desk's web page, asked for, is let in only where the program has one.
[ -f "$folder/Qt6HttpServer.dll" ] && rules+="
netsh advfirewall firewall add rule name=\"Tallivue front desk\" dir=in action=allow $program protocol=TCP remoteip=localsubnet profile=any"
[ "$(firewall)" = "$rules" ] || fail "the installer's firewall rules are
$(firewall)
instead of
$rules"
took "installed silently, with the Start menu entry, autostart and the firewall's rules"

query() { "$wine" reg query "$key$1" 2>/dev/null | tr -d '\r'; }
# A value as reg prints it: name, type, data.
has_value() { grep -Eq "^ +$2 +$3 +$4\$" <<<"$1"; }
settings=$(query "")
has_value "$settings" Team2Colour REG_SZ Blue && has_value "$settings" ShowClock REG_DWORD 0x1 &&
    has_value "$(query '\Language')" Calculating REG_SZ Adding ||
    fail "the old display's settings were not taken over: $settings"
took "the old 32-bit display's settings taken over"

# Texts that no single code page holds, typed in regedit's way before the display starts.
idle_text='Αναμονή'
message='Πάρτι γενεθλίων – €15 το άτομο'
"$wine" reg add "$key\\Language" /v Idle /t REG_SZ /d "$idle_text" /f >/dev/null
"$wine" reg add "$key" /v Msg1 /t REG_SZ /d "$message" /f >/dev/null
# The key and those below it as regedit exports them, in UTF-16, read as UTF-8: reg query prints
# in the console's code page.
exported() {
    "$wine" reg export "$key" "$work/export.reg" /y >/dev/null 2>&1 &&
        iconv -f UTF-16LE -t UTF-8 "$work/export.reg" | tr -d '\r'
}

# The display, started as the logon start does, found by its title among Wine's windows.
"$wine" 'C:\Program Files\Tallivue\tallivue.exe' --keep-running >"$work/out.txt" 2>&1 &
pid=$!
wait_until() { for _ in $(seq 50); do "$@" && return 0; sleep 0.2; done; return 1; }
window_named() { xwininfo -root -tree | awk -v t="\"$1\":" 'index($0, t) { print $1; exit }'; }
viewable() { local id; id=$(window_named "$1"); [ -n "$id" ] && xwininfo -id "$id" | grep -q IsViewable; }
title_window() { xwininfo -root -tree | awk '/"(Tallivue|[0-9]+:[0-9][0-9]  Tallivue|I:[0-9]+  D:[0-9]+  P:[0-9]+  Tallivue)":/ && /1024x768/ { print $1; exit }'; }
for _ in $(seq 300); do
    window=$(title_window)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || fail "tallivue.exe ended at start: $(cat "$work/out.txt")"
    sleep 0.1
done
[ -n "$window" ] || fail "no 1024x768 display window appeared: $(xwininfo -root -tree | grep '"')"
# The about box of the start-up shows, then hides itself after five seconds.
about=$(xwininfo -root -tree | awk '/"Tallivue":/ && /304x320/ { print $1; exit }')
about_shows() { xwininfo -id "$about" 2>/dev/null | grep -q IsViewable; }
[ -n "$about" ] && wait_until about_shows || fail "no about box at the start"
took "the display's window up, and the about box"
wait_until eval '! about_shows' || fail "the about box of the start-up did not hide itself"

shot() { import -window root "$work/shot.png"; }
title() { xprop -id "$window" WM_NAME | sed -n 's/^WM_NAME([A-Z_0-9]*) = "\(.*\)"$/\1/p'; }
count() { # WxH+X+Y COLOUR: how many pixels of exactly that colour lie there in the last shot
    convert "$work/shot.png" -crop "$1" +repage -fill black +opaque "$2" -fill white -opaque "$2" \
        -format '%[fx:round(mean*w*h)]' info:
}
# The mode caption's pure red letters: how wide they spread.
caption_width() {
    [ "$(count 1024x768+0+0 '#FF0000')" = 0 ] && { echo 0; return; }
    convert "$work/shot.png" -fill black +opaque '#FF0000' -trim -format '%w' info:
}
grid_shows() { [ "$(count 1x1+340+235 '#404040')" = 1 ] && echo yes || echo no; }
countdown_shows() { [ "$(count 424x100+300+84 '#FFFF00')" != 0 ] && echo yes || echo no; }
expect() { # DATAGRAM TITLE GRID COUNTDOWN: sends it, then waits for the display to show it
    "$sim" "$1"
    local got=
    for _ in $(seq 50); do
        shot
        got="$(title)|$(grid_shows)|$(countdown_shows)"
        [ "$got" = "$2|$3|$4" ] && return 0
        sleep 0.2
    done
    fail "after $1: title|grid|countdown is $got, expected $2|$3|$4"
}

shot
offline_caption=$(caption_width)
expect "MODE,IDLE" "Tallivue" yes no
# The title and the grid read the same while "Offline" still shows: the caption tells.
caption_changed() { shot && [ "$(caption_width)" != "$offline_caption" ]; }
wait_until caption_changed || fail "the caption stayed \"Offline\" after MODE,IDLE"
idle_caption=$(caption_width)
[ -n "$shots" ] && cp "$work/shot.png" "$shots/wine-idle.png"
expect "PACKSTATUS,128,128,128,128,128,128" "I:6  D:0  P:0  Tallivue" yes no
expect "MODE,GAMEACTIVE,275,Deathmatch" "4:35  Tallivue" no yes
game_caption=$(caption_width)
((idle_caption > 40 && game_caption > 2 * idle_caption)) ||
    fail "the captions \"$idle_text\" and \"Playing Game Deathmatch\" are $idle_caption and $game_caption pixels wide"
[ -n "$shots" ] && cp "$work/shot.png" "$shots/wine-game.png"
expect "MODE,GAMEACTIVE,59,Deathmatch" "0:59  Tallivue" no yes
expect "MODE,DOWNLOADPACKS" "0:59  Tallivue" yes no
expect "PACKSTATUS,160,128,128,128,128,128" "I:6  D:1  P:1  Tallivue" yes no
expect "PACKSTATUS,160,128,128,128,64,128" "I:6  D:2  P:1  Tallivue" yes no
expect "MODE,IDLE" "I:6  D:2  P:1  Tallivue" yes no
took "a game followed in the title and on the screen"

# F5 brings the dialog, which has the keyboard; Return is its Save.
xdotool key F5
wait_until viewable "Tallivue -- Properties" || fail "F5 did not bring the properties dialog"
sleep 1
if [ -n "$shots" ]; then
    shot
    cp "$work/shot.png" "$shots/wine-properties.png"
fi
xdotool key Return
wait_until eval '! viewable "Tallivue -- Properties"' || fail "Return did not save and close the dialog"
saved() {
    settings=$(query "")
    has_value "$settings" SetFullX REG_DWORD 0x0 && has_value "$settings" Team2Colour REG_SZ Blue &&
        has_value "$settings" ShowClock REG_DWORD 0x1 && has_value "$settings" 'Text Played' REG_SZ Played &&
        grep -Fq 'Talking Folder    REG_SZ    C:\Program Files\Tallivue\Sounds\' <<<"$settings" &&
        has_value "$(query '\Language')" Calculating REG_SZ Adding &&
        has_value "$(query '\Language')" 'Download Packs' REG_SZ 'Download Packs' &&
        exported >"$work/export.txt" && grep -Fxq "\"Idle\"=\"$idle_text\"" "$work/export.txt" &&
        grep -Fxq "\"Msg1\"=\"$message\"" "$work/export.txt"
}
wait_until saved || fail "the dialog's Save did not reach the registry: $settings"
took "the properties saved to the registry, types kept"

# Ended from outside, as the Task Manager would, the display is started again by its keeper.
display_process() { pgrep -f 'Tallivue.tallivue\.exe"?$' | tail -n 1; }
first=$(display_process)
[ -n "$first" ] || fail "no display process under its keeper: $(pgrep -af tallivue)"
kill -KILL "$first"
back() { [ -n "$(display_process)" ] && [ "$(display_process)" != "$first" ] && [ -n "$(title_window)" ]; }
for _ in $(seq 6); do wait_until back && break; done
back || fail "the display was not started again after it was ended: $(cat "$work/out.txt")
$(ps -eo pid,args | grep -i '[t]allivue')"
grep -q "the display crashed or was ended; it starts again in 1 s" "$work/out.txt" ||
    fail "the keeper did not say it started the display again: $(cat "$work/out.txt")"
took "the display ended from outside and started again by its keeper"

kill "$pid"
pid=
"$wine" taskkill /f /im tallivue.exe >/dev/null 2>&1 || true
"${wine%64}server" -w 2>/dev/null || wineserver -w
"$wine" "C:\\Program Files\\Tallivue\\Uninstall.exe" /S || fail "the uninstaller failed"
for _ in $(seq 100); do [ -e "$folder/tallivue.exe" ] || break; sleep 0.2; done
[ ! -e "$folder/tallivue.exe" ] && [ ! -e "$menu/StartUp/Tallivue.lnk" ] ||
    fail "the uninstaller left the program or its autostart"
rules+='
netsh advfirewall firewall delete rule name="Tallivue"
netsh advfirewall firewall delete rule name="Tallivue front desk"'
[ "$(firewall)" = "$rules" ] || fail "the uninstaller left firewall rules: $(firewall)"
saved || fail "the uninstaller took the settings: $settings"
took "uninstalled, the settings kept for the next install"
echo "PASS: the Windows installer under Wine"
