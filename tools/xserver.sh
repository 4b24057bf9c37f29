#!/usr/bin/env bash
# Runs a command on a bare X server of its own (Xvfb), as xvfb-run does, for the demo without a
# screen, the display's checks and its benchmarks, but without the races that made those checks
# fail now and then on a loaded machine:
# - the server picks a free display itself and names it only once it accepts clients
#   (-displayfd), so two servers started together never choose the same one, and nobody polls;
# - it does not reset when a client leaves (-noreset): a client arriving during the reset that
#   follows the first client's exit can be turned away;
# - it has ended before this script does (xvfb-run signals its server and leaves), so whatever
#   runs next never meets a server still going down.
# Usage: tools/xserver.sh WIDTHxHEIGHTxDEPTH COMMAND [ARGUMENT...]
set -euo pipefail

fail() { echo "xserver.sh: $*" >&2; exit 1; }
(($# >= 2)) || fail "usage: tools/xserver.sh WIDTHxHEIGHTxDEPTH COMMAND [ARGUMENT...]"
screen=$1
shift
for tool in Xvfb xauth; do
    command -v "$tool" >/dev/null || fail "no $tool here (Debian: xvfb, xauth)"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/xserver.XXXXXX")
server=
stop_server() {
    local status=$?
    if [ -n "$server" ]; then
        kill "$server" 2>/dev/null || true
        wait "$server" 2>/dev/null || true
        # What the server said may explain a client it turned away.
        if ((status != 0)) && [ -s "$work/server.log" ]; then
            echo "xserver.sh: the X server's log:" >&2
            tail -n 20 "$work/server.log" >&2
        fi
    fi
    rm -rf "$work"
    exit "$status"
}
trap stop_server EXIT
trap 'exit 130' INT TERM

# The server takes every cookie in its file whatever display it names; clients look theirs up by
# display, which is known only once the server has chosen it.
cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
export XAUTHORITY=$work/Xauthority
touch "$XAUTHORITY"
xauth -q add :0 . "$cookie"
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset -auth "$XAUTHORITY" \
    3>"$work/display" 2>"$work/server.log" &
server=$!
# The server writes its display number and closes its end; if it dies first, the read ends empty.
display=$(timeout 30 head -n 1 "$work/display" || true)
[[ $display =~ ^[0-9]+$ ]] || fail "Xvfb did not start" # its log follows, from stop_server
xauth -q add ":$display" . "$cookie"
export DISPLAY=:$display
# For whoever measures what the server costs.
export XSERVER_PID=$server
"$@"
