#!/usr/bin/env bash
# Draws the program's icon for the desktop's menus and task bars: the centre logo's target on
# its own, with the same colours and dark outline, as OUT_DIR/<size>x<size>/tallivue.png for
# each size given.
# Usage: make-icon.sh OUT_DIR SIZE...
set -euo pipefail

fail() { echo "make-icon: $*" >&2; exit 1; }

(($# >= 2)) || fail "usage: make-icon.sh OUT_DIR SIZE..."
command -v convert >/dev/null ||
    fail "ImageMagick's convert is missing, so the icon cannot be made" \
        "(bash tools/install-deps.sh installs it)"
# shellcheck source=tools/palette.sh
source "$(dirname "$0")/palette.sh"
out=$1
shift

for size in "$@"; do
    [[ $size =~ ^[1-9][0-9]*$ ]] || fail "'$size' is not a size in pixels"
    # Drawn at each size rather than scaled down, so that small icons keep crisp rings. The
    # logo's target is 62 units across with its outline; 64 leaves a unit of margin each side.
    # The circles are given by their centre and top point, so by the top point's y.
    read -r c outer_y inner_y dot_y ring inner_ring cross from to outline < <(awk -v s="$size" '
        BEGIN { k = s / 64; c = (s - 1) / 2; printf "%g %g %g %g %g %g %g %g %g %g\n",
            c, c - 21 * k, c - 10.5 * k, c - 4 * k, 4 * k, 2 * k, 3 * k, 29 * k, 7 * k, 2.5 * k }')
    arm() { # the crosshair's arm from the centre towards DX,DY (each -1, 0 or 1)
        awk -v c="$c" -v from="$from" -v to="$to" -v dx="$1" -v dy="$2" \
            'BEGIN { printf "line %g,%g %g,%g", c + dx * from, c + dy * from, c + dx * to, c + dy * to }'
    }
    dir=$out/${size}x$size
    mkdir -p "$dir"
    # Beside the output, so that moving the finished icon into place is a rename.
    work=$(mktemp "$dir/.tallivue.XXXXXX")
    convert -size "${size}x$size" xc:none \
        -stroke none -fill "$navy" -draw "circle $c,$c $c,$outer_y" \
        -fill none -stroke "$cyan" -strokewidth "$ring" \
        -draw "circle $c,$c $c,$outer_y" \
        -stroke '#9fe4ff' -strokewidth "$inner_ring" \
        -draw "circle $c,$c $c,$inner_y" \
        -stroke "$ice" -strokewidth "$cross" \
        -draw "$(arm 0 -1)" -draw "$(arm 0 1)" -draw "$(arm -1 0)" -draw "$(arm 1 0)" \
        -stroke none -fill "$laser_red" -draw "circle $c,$c $c,$dot_y" \
        \( +clone -alpha extract -morphology Dilate "Disk:$outline" \
            -background "$matte" -alpha shape \) -compose DstOver -composite \
        -strip PNG32:"$work" ||
        { rm -f "$work"; fail "ImageMagick failed while drawing the ${size}x$size icon"; }
    mv -f "$work" "$dir/tallivue.png"
done
echo "make-icon: tallivue.png at $* pixels in $out"
