# Measures of a screenshot shared by the end-to-end scripts (sourced, not run as a test), all
# on the 800x600 capture through ImageMagick. /usr/local/bin/convert may shadow ImageMagick's.
convert=/usr/bin/convert

# share <picture> <fx condition>: the fraction of pixels (of a 100x75 reduction) that meet it.
share() {
    "$convert" "$1" -scale 100x75! -fx "($2)?1:0" -format '%[fx:mean]' info:
}
brightness() { "$convert" "$1" -colorspace gray -format '%[fx:mean]' info:; }
# The middle third of the picture.
centre_box() { "$convert" "$1" -crop 266x200+267+200 +repage "${@:2}"; }
# Fine detail of the middle third in per mille: grey levels minus a 2-pixel blur. The sky and
# the ground are smooth; the bodies carry the grid of the colour map.
centre_detail() {
    centre_box "$1" -colorspace gray \( +clone -blur 0x2 \) -compose difference -composite \
        -format '%[fx:mean*1000]' info:
}
centre_share() { centre_box "$1" -fx "($2)?1:0" -format '%[fx:mean]' info:; }
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }

day_blue='b-r>0.15 && b>0.6'
