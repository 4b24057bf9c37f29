#!/usr/bin/env bash
# What the display costs in instructions, which unlike CPU time do not depend on the machine:
# counted by callgrind (user space, the process itself, all its threads) under Xvfb at
# 1920x1080, after a warm-up that leaves out the start-up and the about box. Measures
#   (a) the anchor: bench's scroll_anchor, the least a Qt program does to scroll the same strip;
#   (b) the display with its scroll message alone moving;
#   (c) the display with everything moving: scroll message, polygon, clock, animated title;
#   (d) the display's instructions per datagram of a game that tallivue-sim plays, beyond what
#       (b) costs over the same scroll steps, measured in (b)'s process right after it.
# Valgrind runs a program some fifty times slower, so it may fall behind its timers: every
# figure is counted per scroll step and given for the 20 steps a second the message takes, and
# each line says how many of the steps due in the measured time came.
# Usage: bench/idle_instructions.sh BUILD_DIR [SECONDS]   (default 20; WARMUP=seconds, default 40)
# With PROFILES=FOLDER the profiles are kept there, one for each measurement, for
# callgrind_annotate.
# The display listens on UDP port 12001, so this runs in a network namespace of its own:
#   unshare -n sh -c 'ip link set lo up && bench/idle_instructions.sh build'
set -euo pipefail

if [ -z "${TALLIVUE_BENCH_DISPLAY:-}" ]; then
    if ip -o link show | grep -qv ': lo:'; then
        echo "idle_instructions: run me in a network namespace of my own:" >&2
        echo "  unshare -n sh -c 'ip link set lo up && $0 $*'" >&2
        exit 1
    fi
    exec env TALLIVUE_BENCH_DISPLAY=1 "$(dirname "$0")/../tools/xserver.sh" 1920x1080x24 "$0" "$@"
fi
export QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy
build=$(cd "$1" && pwd)
seconds=${2:-20}
warmup=${WARMUP:-40}
for program in tallivue tallivue-sim bench/scroll_anchor; do
    [ -x "$build/$program" ] || { echo "idle_instructions: no $build/$program" >&2; exit 1; }
done
work=$(mktemp -d)
running=
stop_running() {
    if [ -n "$running" ]; then
        kill "$running" 2>/dev/null || true
        wait "$running" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap stop_running EXIT

readonly steps_per_second=20 # the scroll message's 50 ms interval

start() { # NAME PROGRAM [ARGUMENT...]: runs the program under callgrind, counting nothing yet
    local name=$1
    shift
    valgrind --tool=callgrind --instr-atstart=no --compress-strings=no \
        --callgrind-out-file="$work/$name.out" "$@" >"$work/$name.log" 2>&1 &
    running=$!
    window_part=0
    sleep "$warmup"
}

stop() {
    kill "$running"
    wait "$running" 2>/dev/null || true
    running=
}

# Counts while COMMAND runs (sleep SECONDS, a sender), then writes the counts to the next part of
# the profile. Sets window_seconds and window_file.
window_part=0
window() { # NAME COMMAND [ARGUMENT...]
    local name=$1
    shift
    callgrind_control -i on "$running" >/dev/null 2>&1
    local begin end
    begin=$(date +%s.%N)
    "$@"
    end=$(date +%s.%N)
    callgrind_control -i off "$running" >/dev/null 2>&1
    callgrind_control -d "$running" >/dev/null 2>&1
    window_part=$((window_part + 1))
    window_seconds=$(awk -v b="$begin" -v e="$end" 'BEGIN { print e - b }')
    window_file=$work/$name.out.$window_part
    [ -s "$window_file" ] || { echo "idle_instructions: no profile $window_file" >&2; exit 1; }
    if [ -n "${PROFILES:-}" ]; then
        mkdir -p "$PROFILES"
        cp "$window_file" "$PROFILES/"
    fi
}

instructions() { awk '/^totals:/ { print $2 }' "$1"; }

# How often the functions named were called: the sum over every place that calls them. A name
# ending in "(" stands for every function of that name, whatever its parameters.
calls() { # FILE NAME...
    local file=$1
    shift
    local names
    names=$(printf '%s|' "$@")
    awk -v names="${names%|}" '
        BEGIN { n = split(names, wanted, "|") }
        /^cfn=/ { callee = substr($0, 5); counted = 0
                  for (i = 1; i <= n; ++i)
                      if (callee == wanted[i] || (wanted[i] ~ /\($/ && index(callee, wanted[i]) == 1))
                          counted = 1 }
        /^calls=/ && counted { split(substr($0, 7), field, " "); total += field[1] }
        END { print total + 0 }' "$file"
}

settings() { # NAME SETTINGS-LINES
    export XDG_CONFIG_HOME=$work/$1 XDG_STATE_HOME=$work/$1/state
    mkdir -p "$XDG_CONFIG_HOME/Outrider" "$XDG_STATE_HOME"
    printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Outrider\\Tallivue]\r\n%b' "$2" \
        >"$XDG_CONFIG_HOME/Outrider/Tallivue.reg"
}

anchor_rate=
report() { # LABEL STEPS [EXTRA]: the window's instructions per step, at the nominal step rate
    local label=$1 steps=$2 extra=${3:-}
    ((steps > 0)) || { echo "idle_instructions: $label took no scroll step" >&2; exit 1; }
    local total
    total=$(instructions "$window_file")
    awk -v label="$label" -v total="$total" -v steps="$steps" -v s="$window_seconds" \
        -v rate="$steps_per_second" -v anchor="$anchor_rate" -v extra="$extra" 'BEGIN {
            per_second = total / steps * rate
            printf "%-40s %7.2f M/s  %7.1f k/step  kept up %3.0f %%", label, per_second / 1e6,
                   total / steps / 1e3, 100 * steps / (s * rate)
            if (anchor != "") printf "  %5.1fx the anchor", per_second / anchor
            printf "%s\n", extra }'
    last_per_step=$(awk -v total="$total" -v steps="$steps" 'BEGIN { print total / steps }')
}

# How many of a timer's ticks came of those due in the window.
kept_up() { # TICKS PER-SECOND NAME
    awk -v n="$1" -v rate="$2" -v name="$3" -v s="$window_seconds" \
        'BEGIN { printf "  %s kept up %.0f %%", name, 100 * n / (s * rate) }'
}

echo "Instructions per second at 1920x1080 under Xvfb: callgrind's count over $seconds s, after"
echo "$warmup s of warm-up, divided by the scroll steps taken and times the $steps_per_second steps a second"
echo "due; \"kept up\" is the share of the steps due in the measured time that came."

start anchor "$build/bench/scroll_anchor"
window anchor sleep "$seconds"
report "(a) anchor: the strip on a plain widget" \
    "$(calls "$window_file" "(anonymous namespace)::TAnchorStrip::Tick()")"
anchor_rate=$(awk -v p="$last_per_step" -v r="$steps_per_second" 'BEGIN { print p * r }')
stop

# The built-in pictures are found beside the program; the title picture is animated.
settings scroll '"Polygon"=dword:00000000\r\n"Title"=""\r\n"ShowClock"=dword:00000000\r\n'
start scroll "$build/tallivue"
window scroll sleep "$seconds"
report "(b) display, scroll message alone" "$(calls "$window_file" "TMarquee::TimerTick()")"
idle_per_step=$last_per_step
# A game at ten times the arena's speed: a countdown datagram every game second, the packs'
# status now and then, the download's status one pack at a time.
window scroll sh -c "'$build/tallivue-sim' game --speed 10 --length 60 --seed 1 >'$work/game.txt'"
sent=$(grep -c -E '^[^#]' "$work/game.txt" || true)
handled=$(calls "$window_file" "TDownload_Form::ModeMessage(" "TDownload_Form::PackStatusMessage(")
steps=$(calls "$window_file" "TMarquee::TimerTick()")
awk -v total="$(instructions "$window_file")" -v steps="$steps" -v idle="$idle_per_step" \
    -v handled="$handled" -v sent="$sent" -v s="$window_seconds" 'BEGIN {
        if (handled == 0) { print "idle_instructions: no datagram was handled" > "/dev/stderr"; exit 1 }
        printf "%-40s %7.1f k/datagram  (%d handled of %d sent in %.1f s, less (b)'"'"'s %.1f k for each of %d steps)\n",
               "(d) display, a game'"'"'s datagrams", (total - idle * steps) / handled / 1e3, handled,
               sent, s, idle / 1e3, steps }'
stop

settings everything '"ShowClock"=dword:00000001\r\n'
start everything "$build/tallivue"
window everything sleep "$seconds"
report "(c) display, everything moving" "$(calls "$window_file" "TMarquee::TimerTick()")" \
    "$(kept_up "$(calls "$window_file" "TPolygon::Step()")" 10 polygon)$(kept_up \
        "$(calls "$window_file" "TDownload_Form::clock_timerTimer()")" 1 clock)"
stop
