# The colours of the drawn pictures and of the program's icon, so that all of them look alike.
# Sourced by make-pictures.sh and make-icon.sh.

# Letters and logo are drawn on this colour, which also outlines them: GIF transparency is all or
# nothing, so a soft edge would be blended with one colour for good and show as a fringe on any
# other background. Blended with near-black, the fringe is just part of a dark outline.
matte='#03070f'
# Light blues and white: the brightest colours that still sit calmly on the navy background.
title_top='#a8ecff'
title_bottom='#1a78f0'
ice='#e8f2fc'
cyan='#2fb8ff'
laser_red='#ff2a3c'
# The target's face, dark so that its rings and crosshair stand out.
navy='#0b1d3a'
