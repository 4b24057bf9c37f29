#!/usr/bin/env bash
# tools/make-voice-pack.sh on small word lists of its own: it refuses what would give a broken
# pack, loudly, and makes the same files from the same list, so a rebuild changes nothing.
# Usage: voice_pack_tool.sh MAKE_VOICE_PACK_SH
set -euo pipefail

tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# expect_refusal WHAT MESSAGE_PART [ENV...] -- WORDS_FILE: the tool must fail, say why and write
# no voice file.
expect_refusal() {
    local what=$1 message=$2
    shift 2
    local env=()
    while [ "$1" != -- ]; do env+=("$1"); shift; done
    local words=$2 out=$work/out-${what// /-}
    if env "${env[@]}" "$BASH" "$tool" "$words" "$out" >"$work/log" 2>&1; then
        fail "$what: the tool succeeded"
    elif ! grep -q -- "$message" "$work/log"; then
        fail "$what: no \"$message\" in what it said: $(cat "$work/log")"
    fi
    if compgen -G "$out/*.wav" >/dev/null; then
        fail "$what: it left voice files behind"
    fi
}

printf '# a comment\n\nred\tred\r\nStill_need\tStill need\n' >"$work/good.txt"
printf 'red\tred\nRed\tred again\n' >"$work/twice.txt"
printf 'red red\n' >"$work/no-tab.txt"
printf 'red/x\tred\n' >"$work/bad-name.txt"

# Without espeak-ng a build must stop, not install a pack with no voice in it.
mkdir "$work/empty-path"
expect_refusal "no espeak-ng" "espeak-ng is missing" PATH="$work/empty-path" -- "$work/good.txt"
expect_refusal "name twice" "listed twice" -- "$work/twice.txt"
expect_refusal "no tab" "no tab" -- "$work/no-tab.txt"
expect_refusal "bad name" "bad name" -- "$work/bad-name.txt"

"$BASH" "$tool" "$work/good.txt" "$work/first" >/dev/null
"$BASH" "$tool" "$work/good.txt" "$work/second" >/dev/null
made=$(cd "$work/first" && ls -A)
[ "$made" = $'Still_need.wav\nred.wav' ] ||
    fail "a list of red and Still_need made: $(echo $made)"
for name in red Still_need; do
    cmp -s "$work/first/$name.wav" "$work/second/$name.wav" ||
        fail "$name.wav came out different on a second run"
done

if ((failures > 0)); then
    echo "$failures problem(s) with $tool" >&2
    exit 1
fi
echo "make-voice-pack.sh refuses bad input and repeats itself exactly"
