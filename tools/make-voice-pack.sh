#!/usr/bin/env bash
# Speaks every word of the talking download's word list into OUT_DIR/<name>.wav with espeak-ng,
# trimmed of the silence around it so that the words of a sentence follow each other briskly.
# Usage: make-voice-pack.sh WORDS_FILE OUT_DIR
# WORDS_FILE has one "name<TAB>spoken text" a line; blank lines and lines starting with # are
# skipped.
set -euo pipefail

fail() { echo "make-voice-pack: $*" >&2; exit 1; }

(($# == 2)) || fail "usage: make-voice-pack.sh WORDS_FILE OUT_DIR"
words=$1
out=$2
[ -r "$words" ] || fail "cannot read the word list $words"
for tool in espeak-ng sox; do
    command -v "$tool" >/dev/null ||
        fail "$tool is missing, so the voice files cannot be made (bash tools/install-deps.sh installs it)"
done

# The whole list is checked before a word is spoken, so a bad list leaves the folder as it was.
names=()
texts=()
declare -A seen=()
line_no=0
while IFS= read -r line || [ -n "$line" ]; do
    line_no=$((line_no + 1))
    line=${line%$'\r'}
    [[ -z "$line" || "$line" == \#* ]] && continue
    [[ "$line" == *$'\t'* ]] || fail "$words:$line_no: no tab between name and text"
    name=${line%%$'\t'*}
    text=${line#*$'\t'}
    # The name becomes a file name the program looks up as it stands: nothing a shell, a
    # Windows file system or a case-insensitive one could take differently.
    [[ "$name" =~ ^[A-Za-z0-9_]+$ ]] || fail "$words:$line_no: bad name '$name'"
    [[ "$text" =~ [A-Za-z] ]] || fail "$words:$line_no: '$name' has nothing to say"
    key=${name,,}
    [ -z "${seen[$key]:-}" ] || fail "$words:$line_no: '$name' is listed twice"
    seen[$key]=1
    names+=("$name")
    texts+=("$text")
done <"$words"
((${#names[@]} > 0)) || fail "$words lists no words"

mkdir -p "$out"
# Beside the output, so that moving a finished file into place is a rename.
work=$(mktemp -d "$out/.voice-pack.XXXXXX")
trap 'rm -rf "$work"' EXIT

for i in "${!names[@]}"; do
    name=${names[$i]}
    text=${texts[$i]}
    espeak-ng -v en -s 150 -w "$work/raw.wav" -- "$text" ||
        fail "espeak-ng failed on '$name' ($text)"
    # 0.5 % rather than harder: a higher threshold clips the soft ends of "five" and "Still".
    # No dither, so that the same word list gives the same files every time.
    sox "$work/raw.wav" -D -b 16 -e signed-integer "$work/$name.wav" \
        silence 1 0.01 0.5% reverse silence 1 0.01 0.5% reverse ||
        fail "sox failed on '$name'"
    [ -s "$work/$name.wav" ] || fail "'$name' came out empty"
    # Replaced whole, so a program playing the old file meanwhile never reads half a new one.
    mv -f "$work/$name.wav" "$out/$name.wav"
done

echo "make-voice-pack: ${#names[@]} voice files in $out"
