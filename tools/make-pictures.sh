#!/usr/bin/env bash
# Draws the display's default pictures into OUT_DIR with ImageMagick and the installed fonts:
# Background.bmp (stretched over the whole screen), Title.gif (animated, in the band at the top)
# and Sml_Logo.gif (the small logo in the middle).
# Usage: make-pictures.sh OUT_DIR
set -euo pipefail

fail() { echo "make-pictures: $*" >&2; exit 1; }

(($# == 1)) || fail "usage: make-pictures.sh OUT_DIR"
out=$1
for tool in convert identify; do
    command -v "$tool" >/dev/null ||
        fail "ImageMagick's $tool is missing, so the pictures cannot be made" \
            "(bash tools/install-deps.sh installs it)"
done
fonts=/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF
heavy=$fonts/Roboto-Black.ttf
bold=$fonts/Roboto-Bold.ttf
for font in "$heavy" "$bold"; do
    [ -r "$font" ] ||
        fail "the font $font is missing (bash tools/install-deps.sh installs fonts-roboto-unhinted)"
done

# shellcheck source=tools/palette.sh
source "$(dirname "$0")/palette.sh"

mkdir -p "$out"
# Beside the output, so that moving a finished picture into place is a rename.
work=$(mktemp -d "$out/.pictures.XXXXXX")
trap 'rm -rf "$work"' EXIT
making=
im() { convert "$@" || fail "ImageMagick failed while making $making"; }
size_of() { identify -format '%w %h\n' "$1" || fail "cannot measure $1 while making $making"; }

# finish ART OUT: ART's shape, grown by a dark outline and a drop shadow, with 1-bit transparency.
# (+geometry: an offset given to -geometry would otherwise move every later composite too.)
finish() {
    im "$1" \( +clone -alpha extract -morphology Dilate Disk:2.5 \
        \( +clone -geometry +1+2 \) -compose Lighten -composite +geometry -threshold 50% \) \
        \( -clone 0 -background "$matte" -alpha remove \) -delete 0 +swap \
        -alpha off -compose CopyOpacity -composite "$2"
}

making=Background.bmp
# 16:9 like most screens, and small enough to stay well under 2 MB as an uncompressed BMP. Its
# brightest part is dark navy, so white, yellow and red text and the team colours stand out.
W=960 H=540
# One honeycomb tile, 40 x 69: hexagons of side 23, squeezed by under 1 % so that their vertical
# sides fall on pixel centres and the tile repeats without a seam.
hexagons=$(awk -v w=40 -v s=23 'BEGIN {
    for (r = -1; r <= 2; r++) for (c = -1; c <= 2; c++) {
        x = c * w + (r % 2 ? w / 2 : 0) + 0.5; y = r * 1.5 * s + 0.5
        printf "polygon %g,%g %g,%g %g,%g %g,%g %g,%g %g,%g ", x, y - s, x + w / 2, y - s / 2,
            x + w / 2, y + s / 2, x, y + s, x - w / 2, y + s / 2, x - w / 2, y - s / 2 } }')
# Without an alpha channel: ImageMagick 7 gives it one for the "none" fill, which the dimming
# below would then scale too, leaving the honeycomb all but transparent.
im -size 40x69 xc:black -fill none -stroke white -strokewidth 1 -draw "$hexagons" -alpha off \
    "$work/hex.miff"
# Faint, and fading out towards the left, so that the beams add depth without competing with
# the board.
beams=()
beam() { # COLOUR Y_LEFT Y_RIGHT STRENGTH
    local line="line -20,$2 $((W + 20)),$3"
    beams+=(\( -size ${W}x$H xc:black -stroke "$1" -strokewidth 2 -draw "$line" -blur 0x5
        -strokewidth 1 -draw "$line" \( -size ${H}x$W gradient:white-black -rotate 90 \)
        -compose Multiply -composite -alpha off -evaluate multiply "$4" \) -compose Screen -composite)
}
beam "$cyan" 478 318 0.4
beam "$laser_red" 520 392 0.3
# The honeycomb fades out towards the middle, where most of the board's text is. The seeded
# noise breaks up the gradient's steps, which would show as bands once stretched to 1920 wide.
im \( -size ${W}x$H -define gradient:center=480,230 -define gradient:radii=720,480 \
        radial-gradient:'#10244a'-'#020409' \) \
    \( -size ${W}x$H tile:"$work/hex.miff" +level-colors black,'#3f7fe0' \
        \( -size ${W}x$H -define gradient:center=480,230 -define gradient:radii=620,380 \
            radial-gradient:'#2a2a2a'-white \) \
        -compose Multiply -composite -alpha off -evaluate multiply 0.12 \) \
    -compose Screen -composite "${beams[@]}" \
    -seed 5 -attenuate 0.25 +noise Uniform \
    -strip -type TrueColor -alpha off BMP3:"$work/Background.bmp"

making=Title.gif
im -background black -fill white -font "$heavy" -pointsize 60 -kerning 8 label:TALLIVUE \
    -trim +repage "$work/word.miff"
im -background black -fill white -font "$bold" -pointsize 14 -kerning 5 label:'LASER TAG ARENA' \
    -trim +repage "$work/sub.miff"
read -r word_w word_h < <(size_of "$work/word.miff")
read -r sub_w sub_h < <(size_of "$work/sub.miff")
# Room for the outline and shadow all round; the layout gives the title a band 76 pixels high.
pad=4 gap=8
W=$((word_w + 2 * pad + 2))
H=$((word_h + gap + sub_h + 2 * pad + 2))
sub_y=$((pad + word_h + gap))
rule_y=$((sub_y + sub_h / 2 - 1))
rule_end=$(((W - sub_w) / 2 - 12))
im -size ${W}x$H xc:black -gravity north \
    "$work/word.miff" -geometry +0+$pad -composite \
    "$work/sub.miff" -geometry +0+$sub_y -composite -gravity northwest -fill white \
    -draw "rectangle $((pad + 1)),$rule_y $rule_end,$((rule_y + 1))" \
    -draw "rectangle $((W - rule_end - 1)),$rule_y $((W - pad - 2)),$((rule_y + 1))" \
    -alpha off -colorspace Gray "$work/shape.miff"
im -size ${W}x$H xc:"$ice" \( -size ${W}x$((word_h + 2)) gradient:"$title_top"-"$title_bottom" \) \
    -geometry +0+$((pad - 1)) -composite +geometry \
    "$work/shape.miff" -alpha off -compose CopyOpacity -composite "$work/letters.miff"
# The highlight never leaves the letters, so every frame has the still title's outline and cut-out.
finish "$work/letters.miff" "$work/still.miff"
im "$work/still.miff" -alpha extract "$work/alpha.miff"
# A soft slanted highlight that crosses the letters in the first 15 frames; the last five rest,
# so the title shines once every two seconds rather than flickering all the time.
im -size 160x$((H + 60)) xc:black -fill white \
    \( +clone -draw "rectangle 60,0 99,$((H + 60))" -blur 0x14 -evaluate multiply 0.6 \) \
    \( -clone 0 -draw "rectangle 76,0 83,$((H + 60))" -blur 0x4 \) -delete 0 \
    -compose Screen -composite \
    -background black -shear 20x0 +repage -gravity center -crop 160x$H+0+0 +repage -alpha off \
    "$work/band.miff"
frames=20 sweep=15
for ((i = 0; i < frames; i++)); do
    x=$((-160 + i * (W + 160) / (sweep - 1)))
    im "$work/letters.miff" -alpha off \
        \( -size ${W}x$H xc:black "$work/band.miff" -geometry "$(printf '%+d+0' $x)" \
            -composite +geometry \
            "$work/shape.miff" -compose Multiply -composite \) -compose Screen -composite \
        "$work/shape.miff" -compose CopyOpacity -composite \
        -background "$matte" -compose Over -flatten \
        "$work/alpha.miff" -compose CopyOpacity -composite "$work/frame$(printf %02d $i).miff"
done
# One palette for every frame, so the colours cannot shift from one frame to the next.
im -delay 10 -loop 0 "$work"/frame*.miff +dither +remap -layers Optimize -strip \
    "$work/Title.gif"

making=Sml_Logo.gif
# The target's face is filled, so the background's honeycomb cannot show between its rings.
c=31 r=21
im -size 62x62 xc:none -stroke none -fill "$navy" -draw "circle $c,$c $c,$((c - r))" \
    -fill none -stroke "$cyan" -strokewidth 4 -draw "circle $c,$c $c,$((c - r))" \
    -stroke '#9fe4ff' -strokewidth 2 -draw "circle $c,$c $c,$((c - r / 2))" \
    -stroke "$ice" -strokewidth 3 \
    -draw "line $c,2 $c,$((c - 7))" -draw "line $c,$((c + 7)) $c,60" \
    -draw "line 2,$c $((c - 7)),$c" -draw "line $((c + 7)),$c 60,$c" \
    -stroke none -fill "$laser_red" -draw "circle $c,$c $c,$((c - 4))" "$work/target.miff"
im -background none -fill "$ice" -font "$heavy" -pointsize 26 label:LASER -trim +repage \
    "$work/laser.miff"
im -background none -fill "$cyan" -font "$heavy" -pointsize 26 label:TAG -trim +repage \
    "$work/tag.miff"
read -r laser_w laser_h < <(size_of "$work/laser.miff")
read -r tag_w _ < <(size_of "$work/tag.miff")
text_x=$((3 + 62 + 8))
text_y=$((2 + c - laser_h / 2))
im -size $((text_x + laser_w + 7 + tag_w + 5))x67 xc:none \
    "$work/target.miff" -geometry +3+2 -composite \
    "$work/laser.miff" -geometry +$text_x+$text_y -composite \
    "$work/tag.miff" -geometry +$((text_x + laser_w + 7))+$text_y -composite "$work/logo.miff"
finish "$work/logo.miff" "$work/logo-done.miff"
im "$work/logo-done.miff" -strip "$work/Sml_Logo.gif"

# Moved only once all three are made, so a failure leaves the pictures of the last good run.
for name in Background.bmp Title.gif Sml_Logo.gif; do
    mv -f "$work/$name" "$out/$name"
done
echo "make-pictures: Background.bmp, Title.gif and Sml_Logo.gif in $out"
