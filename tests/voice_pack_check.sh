#!/usr/bin/env bash
# The voice files the build made: every word of the list is there, sox reads it as the 16-bit
# PCM WAV it is meant to be, and it holds speech, trimmed, and different from every other word.
# Usage: voice_pack_check.sh WORDS_FILE SOUNDS_DIR
set -euo pipefail

words=$1
sounds=$2
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# Levels measured on the espeak-ng words: 0.32 s for the shortest, RMS 0.078 for the quietest,
# at least 0.023 peak within 10 ms of either end once trimmed. The limits sit well below, so
# they only trip on a file with no speech, a cut-off word or untrimmed silence.
min_seconds=0.15
min_rms=0.02
min_edge_peak=0.005

stat_value() { # FILE LABEL [EFFECTS...]: one figure from sox's stat
    local file=$1 label=$2
    shift 2
    { sox "$file" -n "$@" stat 2>&1 || true; } | awk -v label="$label" -F: '$1 ~ "^" label { print $2 + 0 }'
}
below() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }

names=()
while IFS= read -r line || [ -n "$line" ]; do
    line=${line%$'\r'}
    [[ -z "$line" || "$line" == \#* ]] && continue
    names+=("${line%%$'\t'*}")
done <"$words"
# What the talking download says: without any of these it would fall silent mid-sentence.
spoken=(Downloaded packs players Still_need Download_complete red green blue yellow
        00 01 02 03 04 05 06 07 08 09 10 11 12 13 14 15 16 17 18 19
        20 30 40 50 60 70 80 90 100 110)
for name in "${spoken[@]}"; do
    [[ " ${names[*]} " == *" $name "* ]] || fail "$words does not list '$name'"
done

for name in "${names[@]}"; do
    file=$sounds/$name.wav
    if [ ! -f "$file" ]; then
        fail "$file is missing"
        continue
    fi
    if ! type=$(soxi -t "$file" 2>/dev/null) || [ "$type" != wav ]; then
        fail "$file is not a WAV file sox can read"
        continue
    fi
    encoding=$(soxi -e "$file")
    bits=$(soxi -b "$file")
    [[ "$encoding" == "Signed Integer PCM" && "$bits" == 16 ]] ||
        fail "$file is $bits-bit $encoding, not 16-bit PCM"

    seconds=$(soxi -D "$file")
    below "$seconds" "$min_seconds" && fail "$file lasts only $seconds s"
    rms=$(stat_value "$file" "RMS +amplitude")
    [ -n "$rms" ] || { fail "sox stat gave no RMS amplitude for $file"; continue; }
    below "$rms" "$min_rms" && fail "$file is silent or nearly so (RMS amplitude $rms)"

    head=$(stat_value "$file" "Maximum amplitude" trim 0 0.01)
    tail=$(stat_value "$file" "Maximum amplitude" reverse trim 0 0.01)
    below "$head" "$min_edge_peak" && fail "$file starts with silence (peak $head in its first 10 ms)"
    below "$tail" "$min_edge_peak" && fail "$file ends with silence (peak $tail in its last 10 ms)"
done

# Two words in the same file would make the display say one of them in the other's place.
declare -A first_with=()
for name in "${names[@]}"; do
    file=$sounds/$name.wav
    [ -f "$file" ] || continue
    sum=$(sha256sum <"$file")
    sum=${sum%% *}
    if [ -n "${first_with[$sum]:-}" ]; then
        fail "$file is identical to ${first_with[$sum]}"
    else
        first_with[$sum]=$file
    fi
done

if ((failures > 0)); then
    echo "$failures problem(s) in the voice files in $sounds" >&2
    exit 1
fi
echo "${#names[@]} voice files in $sounds are in order"
