#!/usr/bin/env bash
# The default pictures the build made, as ImageMagick reads them: the background a dark 16:9
# 24-bit BMP, the title an endlessly looping animation that fits its band, the logo no larger than
# its box, both with real transparency and no bright fringe around it; and the program's icon.
# Usage: pictures_check.sh IMGS_DIR ICONS_DIR
set -euo pipefail

dir=$1
icons=$2
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
at_most() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a <= b) }'; }

# A luma of 0.2 (a 20 % grey) still leaves red text, the darkest the display writes, the 3:1
# contrast large text needs. The default measures 0.08 overall and 0.13 in its brightest part.
max_luma=0.2
# Opaque pixels next to transparent ones should be the dark outline (luma about 0.03); a
# letter's own colour there (0.4 and up) would show as a light fringe on a light background.
max_edge_luma=0.2

readable() { # FILE FORMAT: the file is there and ImageMagick reads every frame as FORMAT
    local formats
    [ -f "$1" ] || { fail "$1 is missing"; return 1; }
    formats=$(identify -format '%m\n' "$1" 2>/dev/null | sort -u) || true
    [ "$formats" = "$2" ] && return
    fail "$1 is not a $2 file ImageMagick can read (${formats:-unreadable})"
    return 1
}

# has_cut_out GIF: some pixels transparent and the edge of the opaque ones dark.
has_cut_out() {
    local first="$1[0]" opaque edge
    # ImageMagick 6 says "false", 7 "False".
    opaque=$(identify -format '%[opaque]' "$first" | tr '[:upper:]' '[:lower:]')
    [ "$opaque" = false ] || fail "$1 has no transparent pixels"
    edge=$(convert "$first" -alpha off -colorspace Gray \
        \( "$first" -alpha extract -morphology EdgeIn Square:1 \) -compose Multiply -composite \
        -format '%[fx:maxima]' info:)
    at_most "$edge" "$max_edge_luma" || fail "$1 has a light edge around its shapes (luma $edge)"
}

background=$dir/Background.bmp
if readable "$background" BMP3; then
    read -r width height < <(identify -format '%w %h\n' "$background")
    ((width * 9 == height * 16)) || fail "$background is ${width}x$height, not 16:9"
    # The bit count in the header, since ImageMagick calls 8- and 24-bit BMPs alike.
    read -r low high < <(od -An -tu1 -j28 -N2 "$background")
    ((low + 256 * high == 24)) || fail "$background has $((low + 256 * high)) bits a pixel, not 24"
    (($(stat -c %s "$background") < 2 * 1024 * 1024)) || fail "$background is 2 MB or more"
    mean=$(convert "$background" -colorspace Gray -format '%[fx:mean]' info:)
    brightest=$(convert "$background" -colorspace Gray -scale 16x9 -format '%[fx:maxima]' info:)
    at_most "$mean" "$max_luma" || fail "$background is too bright (mean luma $mean)"
    at_most "$brightest" "$max_luma" || fail "$background has a bright patch (luma $brightest)"
    # The honeycomb's thin lines: how far the picture, its grain smoothed away, stands from a
    # blurred copy of itself, in grey levels of 255. The default measures about 0.74; with the
    # honeycomb at a tenth of its strength, or gone, about 0.2, and the background looks blank.
    pattern=$(convert "$background" -colorspace Gray -blur 0x1 \( +clone -blur 0x4 \) \
        -compose Difference -composite -format '%[fx:mean*255]' info:)
    at_most 0.45 "$pattern" || fail "$background has lost its honeycomb (contrast $pattern)"
fi

title=$dir/Title.gif
if readable "$title" GIF; then
    read -r width height < <(identify -format '%W %H\n' "$title" | head -1)
    ((width <= 600 && height <= 72)) || fail "$title is ${width}x$height, larger than 600x72"
    # Frames as shown, so that a title whose frames all look alike counts as a still.
    distinct=$(convert "$title" -coalesce -format '%#\n' info: | sort -u | wc -l)
    ((distinct > 1)) || fail "$title does not move: every frame shows the same picture"
    # Without a loop count of 0 the animation plays once and then stands still.
    LC_ALL=C grep -qaP 'NETSCAPE2\.0\x03\x01\x00\x00' "$title" ||
        fail "$title does not loop forever"
    has_cut_out "$title"
fi

logo=$dir/Sml_Logo.gif
if readable "$logo" GIF; then
    read -r width height < <(identify -format '%W %H\n' "$logo" | head -1)
    ((width <= 240 && height <= 70)) || fail "$logo is ${width}x$height, larger than 240x70"
    has_cut_out "$logo"
fi

# The icon, in each size that is installed: square, its corners transparent (so that no block of
# colour shows round the target on a panel or a menu), the target's red centre in the middle.
for size in 256 48; do
    icon=$icons/${size}x$size/tallivue.png
    readable "$icon" PNG || continue
    read -r width height < <(identify -format '%w %h\n' "$icon")
    [ "$width $height" = "$size $size" ] || fail "$icon is ${width}x$height, not ${size}x$size"
    corners=$(convert "$icon" -format \
        '%[fx:max(max(p{0,0}.a, p{w-1,0}.a), max(p{0,h-1}.a, p{w-1,h-1}.a))]' info:)
    [ "$corners" = 0 ] || fail "$icon has corners that are not transparent (alpha $corners)"
    centre=$(convert "$icon" -format '%[fx:p{w/2,h/2}.a == 1 && p{w/2,h/2}.r > 0.8 &&
        p{w/2,h/2}.g < 0.4]' info:)
    [ "$centre" = 1 ] || fail "$icon has no opaque red in its middle"
done

if ((failures > 0)); then
    echo "$failures problem(s) in the pictures in $dir or the icon in $icons" >&2
    exit 1
fi
echo "The pictures in $dir and the icon in $icons are in order"
